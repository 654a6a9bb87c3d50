// Where a string literal ends. Decoding its escapes is a later stage; here
// only a missing close and malformed `\u{...}` escapes are errors.
#include "lexer/lexer.h"
#include "lexer/scanner_internal.h"

namespace scanner {
namespace {

// Consumes the bytes of a literal up to the next `"`, `\` or end of text,
// keeping line and column in step.
void skip_plain_string_bytes(Lexer* lexer) {
    const char* p = lexer->cur;
    int32_t line = lexer->line;
    int32_t column = lexer->column;
    for (;;) {
        char c = *p;
        if (c == '"' || c == '\\' || c == '\0') break;
        ++p;
        if (c == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    lexer->cur = p;
    lexer->line = line;
    lexer->column = column;
}

// After `\u`: `{`, hex digits, `}`. Returns the error message, or null.
const char* scan_unicode_escape(Lexer* lexer) {
    if (!accept(lexer, '{')) return "invalid escape sequence: \\u must be followed by {";
    int32_t digits = 0;
    while (is_hex_digit(peek(lexer))) {
        advance(lexer);
        ++digits;
    }
    if (!accept(lexer, '}')) return "invalid unicode escape: expected } after \\u{";
    if (digits == 0) return "invalid unicode escape: \\u{} needs hex digits";
    return nullptr;
}

}  // namespace

Token scan_string(Lexer* lexer, TokenStart at) {
    for (;;) {
        skip_plain_string_bytes(lexer);
        if (at_end(lexer)) return error_with_message(lexer, at, "unterminated string");
        char c = advance(lexer);
        if (c == '"') return make_token(lexer, TOKEN_STRING, at);
        // c is a backslash.
        if (at_end(lexer) || peek(lexer) == '\n') {
            return error_with_message(lexer, at, "unterminated escape sequence");
        }
        if (advance(lexer) == 'u') {
            const char* message = scan_unicode_escape(lexer);
            if (message != nullptr) return error_with_message(lexer, at, message);
        }
    }
}

}  // namespace scanner
