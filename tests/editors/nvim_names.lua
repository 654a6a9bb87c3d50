-- Drives a real headless Neovim through its own LSP commands on names.tov:
-- vim.lsp.buf.references() fills the quickfix list, vim.lsp.buf.rename()
-- edits the buffer, vim.lsp.buf.signature_help() shows the signature of
-- the call being typed. CTest runs it as
--   nvim --headless -u NONE -i NONE -n -c 'luafile nvim_names.lua'
-- with TOVEL_EDITORS, TOVEL_NAMES_SAMPLE and tovel-lsp's folder first on PATH.
local editors = assert(os.getenv('TOVEL_EDITORS'), 'TOVEL_EDITORS not set')
local sample = assert(os.getenv('TOVEL_NAMES_SAMPLE'), 'TOVEL_NAMES_SAMPLE not set')

local failures = 0
local function fail(message)
  io.stderr:write('FAIL: ' .. message .. '\n')
  failures = failures + 1
end
local function expect_eq(what, actual, expected)
  if not vim.deep_equal(actual, expected) then
    fail(string.format('%s: expected %s, got %s', what, vim.inspect(expected), vim.inspect(actual)))
  end
end
local function finish()
  io.stderr:write(string.format('%d failed\n', failures))
  vim.cmd(failures == 0 and 'qall!' or 'cquit! 1')
end
local function wait(predicate) return vim.wait(20000, predicate, 20) end

-- The signature help Neovim receives, kept as its command's handler gets it.
local signature = nil
local default_signature = vim.lsp.handlers['textDocument/signatureHelp']
vim.lsp.handlers['textDocument/signatureHelp'] = function(err, result, ctx, config)
  signature = result
  return default_signature(err, result, ctx, config)
end

local function run()
  vim.opt.runtimepath:prepend(editors .. '/nvim')
  vim.cmd('filetype on')
  local version = vim.version()
  if version.major == 0 and version.minor >= 11 then
    dofile(editors .. '/nvim/lsp-0.11.lua')
  else
    dofile(editors .. '/nvim/lsp-0.7.lua')
  end

  vim.cmd('edit ' .. vim.fn.fnameescape(sample))
  local buf = vim.api.nvim_get_current_buf()
  local win = vim.api.nvim_get_current_win()
  if not wait(function()
    local clients = vim.lsp.buf_get_clients(buf)
    return next(clients) ~= nil and clients[next(clients)].initialized
  end) then
    fail('tovel-lsp did not start within 20 s')
    return
  end

  -- References of `stock`: where it is assigned and where it is printed.
  vim.api.nvim_win_set_cursor(0, { 5, 1 })
  vim.fn.setqflist({})
  vim.lsp.buf.references({ includeDeclaration = true })
  if not wait(function() return #vim.fn.getqflist() > 0 end) then fail('no references within 20 s') end
  local lines = {}
  for _, item in ipairs(vim.fn.getqflist()) do table.insert(lines, { item.lnum, item.col }) end
  expect_eq('references of stock (line, column)', lines, { { 5, 1 }, { 6, 7 } })
  vim.api.nvim_set_current_win(win)  -- the quickfix window took the focus

  -- Rename `stock` to `supply`: both places change, nothing else.
  vim.api.nvim_win_set_cursor(0, { 5, 1 })
  vim.lsp.buf.rename('supply')
  if not wait(function() return vim.api.nvim_buf_get_lines(buf, 5, 6, true)[1] == 'print supply' end) then
    fail('no rename within 20 s')
  end
  expect_eq('text after the rename', vim.api.nvim_buf_get_lines(buf, 1, 6, true), {
    'function restock(item, amount = 1)',
    '  return item + amount',
    'end function',
    'supply = restock(2, 3)',
    'print supply',
  })

  -- Signature help in the second argument of restock(2, 3).
  vim.api.nvim_win_set_cursor(0, { 5, 19 })
  vim.lsp.buf.signature_help()
  if not wait(function() return signature ~= nil end) then fail('no signature help within 20 s') end
  if signature ~= nil then
    local first = signature.signatures and signature.signatures[1] or {}
    expect_eq('signature label', first.label, 'restock(item, amount = 1)')
    expect_eq('active parameter', signature.activeParameter, 1)
    expect_eq('documentation', first.documentation and first.documentation.value,
      'Names: references, rename and signature help.')
  end

  vim.cmd('set nomodified')
end

-- Any error still ends the editor, as a failure.
local ok, err = xpcall(run, debug.traceback)
if not ok then fail(err) end
finish()
