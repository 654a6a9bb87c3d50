#pragma once

#include <cstdint>

#include "ast/ast.h"
#include "diag/diagnostic.h"
#include "diag/source_span.h"
#include "lexer/lexer.h"

// Longest word the token facts and the pending block keep, terminator included.
constexpr int32_t PARSE_WORD_SIZE = 40;

// Everything the stages of one parse share: where diagnostics go, the lexer,
// the result, the facts about the last two tokens that error messages use
// for their hints, and the keyword of a declarative block being read. The
// parse entry creates it zeroed and drops it when the parse returns.
struct ParseContext {
    Lexer* lexer;                 // borrowed, over borrowed text
    int32_t failed;               // an earlier stage reported; never cleared
    const char* path;             // borrowed; stamped on every diagnostic
    StmtList program;             // the result, owned until handed out
    DiagnosticList* diagnostics;  // borrowed, may be null (errors go to stderr)
    SourceSpan token_location;    // of the last token delivered to the parser
    TokenKind token_kind;         // lexer kind of that token (TOKEN_EOF before any)
    TokenKind prev_token_kind;    // lexer kind of the token before it
    char token_word[PARSE_WORD_SIZE];       // that token's text when a word of 1..39 bytes
    char prev_token_word[PARSE_WORD_SIZE];  // token_word of the token before
    const char* token_end;        // just after the last token's text; null before any
    uint32_t token_offset;        // where the last token starts, from the text's first byte
    uint32_t prev_token_offset;   // where the token before it starts
    char pending_block[PARSE_WORD_SIZE];    // keyword of a non-server block being read
    int32_t pending_line;
    int32_t pending_column;
};
