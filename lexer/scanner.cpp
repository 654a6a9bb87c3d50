// lexer_next_token: skipping blanks, comments and bracket-internal line
// breaks, then one token chosen by its first byte.
#include <cstdio>

#include "lexer/lexer.h"
#include "lexer/scanner_internal.h"

namespace scanner {
namespace {

// Blanks, comments, and line feeds while a bracket is open. A comment runs
// up to the line feed, which stays for the next round (a NEWLINE token, or
// swallowed inside brackets).
void skip_trivia(Lexer* lexer) {
    const char* p = lexer->cur;
    int32_t column = lexer->column;
    for (;;) {
        char c = *p;
        if (is_blank(c)) {
            ++p;
            ++column;
        } else if (c == '\'') {
            const char* q = p + 1;
            while (*q != '\0' && *q != '\n') ++q;
            column += static_cast<int32_t>(q - p);
            p = q;
        } else if (c == '\n' && lexer->bracket_depth > 0) {
            ++p;
            ++lexer->line;
            column = 1;
        } else {
            break;
        }
    }
    lexer->cur = p;
    lexer->column = column;
}

Token unclosed_bracket(Lexer* lexer, TokenStart at) {
    int32_t depth = lexer->bracket_depth;
    int32_t index = depth > LEXER_STACK_LIMIT ? LEXER_STACK_LIMIT - 1 : depth - 1;
    // snprintf cuts the message to the buffer, as every message is cut.
    std::snprintf(lexer->error_message, LEXER_MESSAGE_SIZE,
                  "unclosed '%c' opened on line %d -- a line break inside brackets continues the statement",
                  lexer->bracket_chars[index], static_cast<int>(lexer->bracket_lines[index]));
    lexer->error_fix = DIAG_FIX_NONE;
    lexer->bracket_depth = 0;
    return error_token(lexer, at);
}

Token type_sigil(Lexer* lexer, TokenStart at, char sigil) {
    char message[LEXER_MESSAGE_SIZE];
    std::snprintf(message, sizeof message, "'%c' is a type sigil; Tovel has none -- write the name alone", sigil);
    return error_with_message(lexer, at, message, DIAG_FIX_TYPE_SIGIL);
}

// `!` alone, `!=`, `!>`, `!>=`, `!<`, `!<=`.
Token scan_bang(Lexer* lexer, TokenStart at) {
    if (accept(lexer, '=')) return make_token(lexer, TOKEN_OP_NE, at);
    if (accept(lexer, '>')) {
        return make_token(lexer, accept(lexer, '=') ? TOKEN_OP_NGE : TOKEN_OP_NGT, at);
    }
    if (accept(lexer, '<')) {
        return make_token(lexer, accept(lexer, '=') ? TOKEN_OP_NLE : TOKEN_OP_NLT, at);
    }
    if (follows_name_byte(lexer, at.start)) return type_sigil(lexer, at, '!');
    return error_token(lexer, at);
}

// `$`, `%` and `&` after a name are sigils; elsewhere each has a hint.
Token scan_sigil_or_hint(Lexer* lexer, TokenStart at, char c, const char* hint,
                         DiagFixKind fix = DIAG_FIX_NONE) {
    if (follows_name_byte(lexer, at.start)) return type_sigil(lexer, at, c);
    return error_with_message(lexer, at, hint, fix);
}

Token with_optional_eq(Lexer* lexer, TokenStart at, TokenKind plain, TokenKind with_eq) {
    return make_token(lexer, accept(lexer, '=') ? with_eq : plain, at);
}

}  // namespace
}  // namespace scanner

namespace scanner {

Token scan_next_token(Lexer* lexer) {
    if (lexer->lens_pending) return scan_lens_text(lexer);

    skip_trivia(lexer);
    TokenStart at = token_start(lexer);
    if (at_end(lexer)) {
        if (lexer->bracket_depth > 0) return unclosed_bracket(lexer, at);
        return make_token(lexer, TOKEN_EOF, at);
    }

    char c = advance(lexer);
    switch (c) {
    case '\n':
        return make_token(lexer, TOKEN_NEWLINE, at);
    case 'a': case 'b': case 'c': case 'd': case 'e': case 'f': case 'g':
    case 'h': case 'i': case 'j': case 'k': case 'l': case 'm': case 'n':
    case 'o': case 'p': case 'q': case 'r': case 's': case 't': case 'u':
    case 'v': case 'w': case 'x': case 'y': case 'z':
    case 'A': case 'B': case 'C': case 'D': case 'E': case 'F': case 'G':
    case 'H': case 'I': case 'J': case 'K': case 'L': case 'M': case 'N':
    case 'O': case 'P': case 'Q': case 'R': case 'S': case 'T': case 'U':
    case 'V': case 'W': case 'X': case 'Y': case 'Z': case '_':
        return scan_word(lexer, at);
    case '0': case '1': case '2': case '3': case '4':
    case '5': case '6': case '7': case '8': case '9':
        return scan_number(lexer, at);
    case '!':
        return scan_bang(lexer, at);
    case '"':
        return scan_string(lexer, at);
    case '#':
        if (follows_name_byte(lexer, at.start)) return type_sigil(lexer, at, '#');
        return error_token(lexer, at);
    case '$':
        return scan_sigil_or_hint(lexer, at, '$',
            "'$' is not a money literal; write p(USD)= 19.99 -- money is a modifier from a plain number");
    case '%':
        return scan_sigil_or_hint(lexer, at, '%', "'%' is not an operator; the remainder is mod(a, b)");
    case '&':
        return scan_sigil_or_hint(lexer, at, '&', "'&' does not join text; use + -- \"a\" + \"b\"",
                                  DIAG_FIX_JOIN_TEXT);
    case '(':
        bracket_push(lexer, '(', at.line);
        return make_token(lexer, TOKEN_LPAREN, at);
    case ')':
        bracket_pop(lexer);
        return make_token(lexer, TOKEN_RPAREN, at);
    case '[':
        bracket_push(lexer, '[', at.line);
        return make_token(lexer, TOKEN_LBRACKET, at);
    case ']':
        bracket_pop(lexer);
        return make_token(lexer, TOKEN_RBRACKET, at);
    case '{':
        return scan_brace(lexer, at);
    case '}':
        bracket_pop(lexer);
        return make_token(lexer, TOKEN_RBRACE, at);
    case '*':
        return with_optional_eq(lexer, at, TOKEN_STAR, TOKEN_STAR_EQ);
    case '+':
        return with_optional_eq(lexer, at, TOKEN_PLUS, TOKEN_PLUS_EQ);
    case '-':
        return with_optional_eq(lexer, at, TOKEN_MINUS, TOKEN_MINUS_EQ);
    case '/':
        return with_optional_eq(lexer, at, TOKEN_SLASH, TOKEN_SLASH_EQ);
    case '>':
        return with_optional_eq(lexer, at, TOKEN_OP_GT, TOKEN_OP_GE);
    case '<':
        if (accept(lexer, '=')) return make_token(lexer, TOKEN_OP_LE, at);
        if (accept(lexer, '>')) {
            return error_with_message(lexer, at, "'<>' is not an operator; not-equal is != -- a != b",
                                      DIAG_FIX_NOT_EQUAL);
        }
        return make_token(lexer, TOKEN_OP_LT, at);
    case '=':
        return make_token(lexer, TOKEN_OP_EQ, at);
    case ',':
        return make_token(lexer, TOKEN_COMMA, at);
    case '.':
        return make_token(lexer, TOKEN_DOT, at);
    case ':':
        return make_token(lexer, TOKEN_COLON, at);
    case '\\':
        return error_with_message(lexer, at, "'\\' is not an operator; integer division is floor(a / b)");
    case '^':
        return error_with_message(lexer, at, "'^' is not an operator; exponentiation is pow(a, b)");
    default:
        return error_token(lexer, at);
    }
}

}  // namespace scanner
