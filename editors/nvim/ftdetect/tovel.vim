" Tovel source files.
autocmd BufRead,BufNewFile *.tov setfiletype tovel
