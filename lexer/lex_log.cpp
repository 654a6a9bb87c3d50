// The public scanning call, and the log a caller may keep of a plain scan.
#include "lexer/lexer.h"
#include "lexer/scanner_internal.h"

Token lexer_next_token(Lexer* lexer) {
    Token token = scanner::scan_next_token(lexer);
    if (lexer->log != nullptr) lexer->log->tokens.push_back(token);
    return token;
}

void lexer_keep_log(Lexer* lexer, LexLog* log) { lexer->log = log; }

void lexer_log_rest(Lexer* lexer) {
    LexLog* log = lexer->log;
    if (log == nullptr) return;
    lexer->lens_pending = 0;
    while (log->tokens.empty() || log->tokens.back().kind != TOKEN_EOF) lexer_next_token(lexer);
}
