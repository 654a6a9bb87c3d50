-- Tovel language server for Neovim 0.11 and later.
-- Paste this into init.lua or load it with dofile(). Put editors/nvim (or
-- share/tovel/nvim of an installed copy) on the runtimepath for
-- highlighting. Neovim 0.7 to 0.10: lsp-0.7.lua.
vim.filetype.add({ extension = { tov = 'tovel' } })

vim.lsp.config('tovel', {
  cmd = { 'tovel-lsp' }, -- a name on PATH, or a full path
  filetypes = { 'tovel' },
  root_markers = { '.git' },
})
vim.lsp.enable('tovel')
