" Tovel: keywords in any letter case, comments, strings, numbers.
if exists('b:current_syntax')
  finish
endif

syntax case ignore
syntax keyword tovelConditional if then else consider
syntax keyword tovelRepeat for to step do until while next each in
syntax keyword tovelStatement break continue return goto gosub stop on end
syntax keyword tovelStatement print load use export dim as with new spawn error
syntax keyword tovelStatement watch unwatch without watchers
syntax keyword tovelStructure program library function modifier
syntax keyword tovelOperator and or not excluding intersecting
syntax keyword tovelConstant true false nothing unknown
syntax case match

" Route verbs, directives and block words of server blocks are written in
" lower case, exactly.
syntax match tovelServerWord /^\s*\zs\(server\|web\)\ze\s\+\h\w*\s*(/
syntax match tovelServerWord /^\s*\zs\(get\|post\|put\|delete\|patch\|head\|options\|stream\|root\|trust_proxy\)\ze\s\+"/

" A keyword after a dot is a member name: x.print, stock.next.
syntax match tovelMember /\.\h\w*/ contains=NONE

syntax match tovelNumber /\<0[xX]\x\+\>/
syntax match tovelNumber /\<\d\+\(\.\d\+\)\=\([eE][+-]\=\d\+\)\=/
syntax match tovelUnit /\<\(year\|month\|week\|day\|hour\|minute\|second\)s\=\>/

syntax match tovelEscape /\\\([nt"\\]\|u{\x\{1,6}}\)/ contained
syntax region tovelString start=/"/ skip=/\\./ end=/"/ contains=tovelEscape
syntax match tovelComment /'.*$/ contains=@Spell

syntax match tovelLabel /^\s*\h\w*\s*:\ze\s*\('.*\)\=$/

highlight default link tovelConditional Conditional
highlight default link tovelRepeat Repeat
highlight default link tovelStatement Statement
highlight default link tovelStructure Structure
highlight default link tovelOperator Operator
highlight default link tovelConstant Constant
highlight default link tovelServerWord Keyword
highlight default link tovelNumber Number
highlight default link tovelUnit Type
highlight default link tovelEscape SpecialChar
highlight default link tovelString String
highlight default link tovelComment Comment
highlight default link tovelLabel Label

let b:current_syntax = 'tovel'
