-- Drives a real headless Neovim: loads the shipped Tovel files and LSP
-- snippet, opens sample.tov and checks the diagnostics tovel-lsp sends,
-- before and after an edit. CTest runs it as
--   nvim --headless -u NONE -i NONE -n -c 'luafile nvim_diagnostics.lua'
-- with TOVEL_EDITORS (the editors/ folder), TOVEL_SAMPLE and tovel-lsp's
-- folder first on PATH.
local editors = assert(os.getenv('TOVEL_EDITORS'), 'TOVEL_EDITORS not set')
local sample = assert(os.getenv('TOVEL_SAMPLE'), 'TOVEL_SAMPLE not set')

local failures = 0
local function fail(message)
  io.stderr:write('FAIL: ' .. message .. '\n')
  failures = failures + 1
end
local function expect_eq(what, actual, expected)
  if actual ~= expected then
    fail(string.format('%s: expected %s, got %s', what, vim.inspect(expected), vim.inspect(actual)))
  end
end
local function finish()
  io.stderr:write(string.format('%d failed\n', failures))
  vim.cmd(failures == 0 and 'qall!' or 'cquit! 1')
end

-- What the server published, as sent: positions in its own encoding.
local published = {}
local default_handler = vim.lsp.handlers['textDocument/publishDiagnostics']
vim.lsp.handlers['textDocument/publishDiagnostics'] = function(err, result, ctx, config)
  table.insert(published, result)
  return default_handler(err, result, ctx, config)
end

vim.opt.runtimepath:prepend(editors .. '/nvim')
vim.cmd('filetype on')
vim.cmd('syntax on')
local version = vim.version()
if version.major == 0 and version.minor >= 11 then
  dofile(editors .. '/nvim/lsp-0.11.lua')
else
  dofile(editors .. '/nvim/lsp-0.7.lua')
end

vim.cmd('edit ' .. vim.fn.fnameescape(sample))
local buf = vim.api.nvim_get_current_buf()
expect_eq('filetype', vim.bo[buf].filetype, 'tovel')
expect_eq('syntax', vim.b[buf].current_syntax, 'tovel')
expect_eq('errors while loading', vim.v.errmsg, '')
local function group_at(line, col)
  return vim.fn.synIDattr(vim.fn.synID(line, col, 1), 'name')
end
expect_eq('highlight of the comment', group_at(1, 1), 'tovelComment')
expect_eq('highlight of if', group_at(4, 1), 'tovelConditional')
expect_eq('highlight of the string', group_at(4, 4), 'tovelString')
expect_eq('highlight of then', group_at(4, 28), 'tovelConditional')

local function wait_for(count)
  return vim.wait(20000, function() return #published >= count end, 20)
end

-- One diagnostic as Neovim holds it (0-based line, byte columns) and as the
-- server sent it (UTF-16 characters).
local function check(label, raw, line, byte_col, byte_end, utf16_col, utf16_end, message)
  local diagnostics = vim.diagnostic.get(buf)
  expect_eq(label .. ' diagnostic count', #diagnostics, 1)
  local d = diagnostics[1]
  if d ~= nil then
    expect_eq(label .. ' line', d.lnum, line)
    expect_eq(label .. ' byte column', d.col, byte_col)
    expect_eq(label .. ' byte end column', d.end_col, byte_end)
    expect_eq(label .. ' message', d.message, message)
    expect_eq(label .. ' severity', d.severity, vim.diagnostic.severity.ERROR)
    expect_eq(label .. ' source', d.source, 'tovel')
  end
  local sent = raw and raw.diagnostics and raw.diagnostics[1]
  if sent == nil then
    fail(label .. ': nothing published')
    return
  end
  expect_eq(label .. ' sent line', sent.range.start.line, line)
  expect_eq(label .. ' sent character', sent.range.start.character, utf16_col)
  expect_eq(label .. ' sent end character', sent.range['end'].character, utf16_end)
end

if not wait_for(1) then
  fail('no publishDiagnostics within 20 s of opening the file')
  finish()
  return
end
-- `<` stands after `if "`, é, €, 😀 and `" `: 15 bytes, 10 UTF-16 units.
check('open', published[#published], 3, 15, 17, 10, 12,
  "'<>' is not an operator; not-equal is != -- a != b")

-- Mend the operator and add a join by `&`: the finding moves to the `&`,
-- which stands after 41 bytes, 36 UTF-16 units.
local before = #published
vim.api.nvim_buf_set_lines(buf, 3, 4, true, { 'if "é€😀" = greeting then print "a" & "b"' })
if not wait_for(before + 1) then
  fail('no publishDiagnostics within 20 s of the edit')
  finish()
  return
end
check('edit', published[#published], 3, 41, 42, 36, 37,
  [['&' does not join text; use + -- "a" + "b"]])

finish()
