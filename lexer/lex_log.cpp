// The public scanning call, and the log a caller may keep of it.
//
// A log holds what a plain scan of the text gives, so the editor features
// can read the parser's lexing instead of scanning again. The one place the
// parser changes the lexing is lens text (`{ ... }` taken raw when the
// grammar asks for it): there the log gets what a plain scan makes of the
// same bytes, from a copy of the lexer, and stays valid when that scan
// comes out where the raw read did and in the same state, so that every
// later token is the same either way.
#include <algorithm>

#include "lexer/lexer.h"
#include "lexer/scanner_internal.h"

namespace {

bool same_stack(const int32_t* a, const int32_t* b, int32_t depth) {
    int32_t kept = std::min(depth, LEXER_STACK_LIMIT);
    return std::equal(a, a + kept, b);
}

// Whether two lexers over the same text will return the same tokens from here.
bool same_state(const Lexer& a, const Lexer& b) {
    return a.cur == b.cur && a.line == b.line && a.column == b.column && a.lens_pending == b.lens_pending &&
           a.consider_depth == b.consider_depth && same_stack(a.consider_columns, b.consider_columns, a.consider_depth) &&
           a.bracket_depth == b.bracket_depth && same_stack(a.bracket_lines, b.bracket_lines, a.bracket_depth) &&
           std::equal(a.bracket_chars, a.bracket_chars + std::min(a.bracket_depth, LEXER_STACK_LIMIT), b.bracket_chars) &&
           a.prefix_failed_from == b.prefix_failed_from && a.prefix_failed_end == b.prefix_failed_end &&
           a.prefix_closes == b.prefix_closes;
}

// Raw lens text for the parser; the log gets the plain scan of its bytes.
Token logged_lens_text(Lexer* lexer) {
    LexLog* log = lexer->log;
    Lexer plain = *lexer;
    plain.lens_pending = 0;
    Token lens = scanner::scan_next_token(lexer);
    for (;;) {
        Token token = scanner::scan_next_token(&plain);  // its comments go to the log too
        log->tokens.push_back(token);
        if (token.kind == TOKEN_EOF || plain.cur >= lexer->cur) break;
    }
    if (!same_state(plain, *lexer)) log->diverged = true;
    return lens;
}

}  // namespace

Token lexer_next_token(Lexer* lexer) {
    if (lexer->log == nullptr) return scanner::scan_next_token(lexer);
    if (lexer->lens_pending) return logged_lens_text(lexer);
    Token token = scanner::scan_next_token(lexer);
    lexer->log->tokens.push_back(token);
    return token;
}

void lexer_keep_log(Lexer* lexer, LexLog* log) { lexer->log = log; }

void lexer_log_rest(Lexer* lexer) {
    LexLog* log = lexer->log;
    if (log == nullptr) return;
    lexer->lens_pending = 0;  // a parse that stopped at a lens left nothing raw to read
    while (log->tokens.empty() || log->tokens.back().kind != TOKEN_EOF) lexer_next_token(lexer);
}
