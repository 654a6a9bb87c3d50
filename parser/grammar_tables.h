// The LALR(1) automaton bison builds from grammar.y, as plain arrays, for a
// driver other than the generated one: the tolerant parse behind the editor
// features walks these very tables, so both parses read the same grammar.
// The arrays are copied out of the generated parser once; nothing of it
// changes.
#pragma once

#include <cstdint>
#include <vector>

#include "lexer/lexer.h"

struct GrammarTables {
    // Indexed as in the generated parser (states, rules, symbols).
    std::vector<int32_t> pact, defact, pgoto, defgoto, table, check, r1, r2, translate;
    std::vector<const char*> symbol_names;  // bison's names: "IDENT", "statement", "$@1", ...
    int32_t final_state;
    int32_t last;        // highest index of table and check
    int32_t tokens;      // symbols below this are tokens
    int32_t pact_ninf;   // pact value meaning "take the default reduction"
    int32_t table_ninf;  // table value meaning "error"
    int32_t max_token_code;
    int32_t undefined_symbol;  // what an unknown token code translates to
    int32_t lens_rule;   // the empty rule whose action asks for raw lens text
};

const GrammarTables& grammar_tables();

// The grammar symbol of a lexer token kind (0 for the end of input).
int32_t grammar_symbol_of(TokenKind kind);
