-- Tovel language server for Neovim 0.7 to 0.10.
-- Put editors/nvim (or share/tovel/nvim of an installed copy) on the
-- runtimepath for file detection and highlighting, then paste this into
-- init.lua or load it with dofile(). Neovim 0.11 and later: lsp-0.11.lua.
local tovel_cmd = { 'tovel-lsp' } -- a name on PATH, or a full path

-- One server process serves every Tovel buffer of the session; it is
-- started for the first buffer and started again if it has died.
local tovel_client_id = nil

-- These versions format through vim.lsp.buf.formatting() and
-- range_formatting() but do not say so at initialize; the server offers
-- formatting only to a client that does.
local tovel_capabilities = vim.lsp.protocol.make_client_capabilities()
tovel_capabilities.textDocument.formatting = { dynamicRegistration = false }
tovel_capabilities.textDocument.rangeFormatting = { dynamicRegistration = false }

vim.api.nvim_create_autocmd('FileType', {
  pattern = 'tovel',
  group = vim.api.nvim_create_augroup('tovel_lsp', { clear = true }),
  callback = function(args)
    if tovel_client_id == nil or vim.lsp.get_client_by_id(tovel_client_id) == nil then
      tovel_client_id = vim.lsp.start_client({
        name = 'tovel-lsp',
        cmd = tovel_cmd,
        root_dir = vim.fn.getcwd(),
        capabilities = tovel_capabilities,
      })
    end
    if tovel_client_id ~= nil then
      vim.lsp.buf_attach_client(args.buf, tovel_client_id)
    end
  end,
})
