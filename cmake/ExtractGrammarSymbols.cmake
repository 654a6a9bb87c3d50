# Copies bison's own symbol enumeration out of the generated parser into a
# header, so that code outside the parser file (the value discard) names the
# grammar's symbols by bison's numbers instead of a hand-kept list.
#   cmake -DIN=grammar.tab.cpp -DOUT=grammar_symbols.h -P ExtractGrammarSymbols.cmake
file(READ ${IN} parser_text)
string(REGEX MATCH "enum yysymbol_kind_t\n{[^}]*};\ntypedef enum yysymbol_kind_t yysymbol_kind_t;"
       symbols "${parser_text}")
if(NOT symbols)
  message(FATAL_ERROR "no yysymbol_kind_t in ${IN}")
endif()
file(WRITE ${OUT}.tmp "// Generated at build time from the parser bison wrote; do not edit.
#pragma once

${symbols}
")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.tmp)
