-- Drives a real headless Neovim on blocks.tov: Neovim declares
-- publishDiagnostics with relatedInformation, so the server-block findings
-- it shows are ranged on what they are about and a duplicate route points
-- at the first one. CTest runs it as
--   nvim --headless -u NONE -i NONE -n -c 'luafile nvim_refined.lua'
-- with TOVEL_EDITORS, TOVEL_BLOCKS_SAMPLE and tovel-lsp's folder first on PATH.
local editors = assert(os.getenv('TOVEL_EDITORS'), 'TOVEL_EDITORS not set')
local sample = assert(os.getenv('TOVEL_BLOCKS_SAMPLE'), 'TOVEL_BLOCKS_SAMPLE not set')

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
  if not vim.wait(20000, function() return #vim.diagnostic.get(buf) == 2 end, 20) then
    fail('no diagnostics within 20 s')
    return
  end
  local diagnostics = vim.diagnostic.get(buf)
  table.sort(diagnostics, function(a, b) return a.lnum < b.lnum end)
  local option, route = diagnostics[1], diagnostics[2]
  -- The unknown option is underlined on its name, not on `server`.
  expect_eq('unknown option message', option.message, "server 'shop': unknown option 'colour'")
  expect_eq('unknown option range', { option.lnum, option.col, option.end_lnum, option.end_col }, { 0, 22, 0, 28 })
  -- The duplicate route is underlined on its verb and path, and points at the first.
  expect_eq('duplicate route range', { route.lnum, route.col, route.end_col }, { 3, 2, 10 })
  local sent = route.user_data and route.user_data.lsp or {}
  local related = sent.relatedInformation and sent.relatedInformation[1]
  if related == nil then
    fail('the duplicate route carries no related place')
  else
    expect_eq('related place', related.location.range, { start = { line = 1, character = 2 }, ['end'] = { line = 1, character = 10 } })
    expect_eq('related message', related.message, 'the earlier route')
  end
end

local ok, err = xpcall(run, debug.traceback)
if not ok then fail(err) end
io.stderr:write(string.format('%d failed\n', failures))
vim.cmd(failures == 0 and 'qall!' or 'cquit! 1')
