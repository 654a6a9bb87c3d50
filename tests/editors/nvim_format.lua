-- Drives a real headless Neovim on messy.tov: Neovim declares formatting,
-- and vim.lsp.buf.formatting_sync() (vim.lsp.buf.format from 0.8 on) lays
-- the buffer out as tovel-fmt does; the file itself is not written. CTest
-- runs it as
--   nvim --headless -u NONE -i NONE -n -c 'luafile nvim_format.lua'
-- with TOVEL_EDITORS, TOVEL_MESSY_SAMPLE and tovel-lsp's folder first on PATH.
local editors = assert(os.getenv('TOVEL_EDITORS'), 'TOVEL_EDITORS not set')
local sample = assert(os.getenv('TOVEL_MESSY_SAMPLE'), 'TOVEL_MESSY_SAMPLE not set')

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

local function formatting_client(buf)
  for _, client in pairs(vim.lsp.buf_get_clients(buf)) do
    if client.initialized and client.server_capabilities.documentFormattingProvider then return client end
  end
  return nil
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
  vim.bo[buf].shiftwidth = 2
  vim.bo[buf].expandtab = true
  if not vim.wait(20000, function() return formatting_client(buf) ~= nil end, 20) then
    fail('no server offering formatting within 20 s')
    return
  end
  if vim.lsp.buf.formatting_sync then
    vim.lsp.buf.formatting_sync(nil, 5000)
  else
    vim.lsp.buf.format({ async = false, timeout_ms = 5000 })
  end
  expect_eq('formatted buffer', vim.api.nvim_buf_get_lines(buf, 0, -1, false), {
    'function area(w, h)',
    '  if w > 0 then',
    '    return w * h',
    '  end if',
    '  return 0',
    'end function',
  })
  expect_eq('buffer modified, file not written', vim.bo[buf].modified, true)
end

local ok, err = xpcall(run, debug.traceback)
if not ok then fail(err) end
io.stderr:write(string.format('%d failed\n', failures))
vim.cmd(failures == 0 and 'qall!' or 'cquit! 1')
