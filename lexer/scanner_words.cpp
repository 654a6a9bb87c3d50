// Words and numbers. A word is a keyword or a name, with a few context
// rules: `end consider` is one token, keywords right after a dot or before
// a colon inside braces are names, `name.member(` is a qualified call name,
// and `if`/`else` in the column of an open `consider` open its branches.
#include "lexer/lexer.h"
#include "lexer/scanner_internal.h"

namespace scanner {
namespace {

// After `end`: the next word on the same line, across blanks, decides
// whether this is `end consider`. Nothing is consumed unless it is.
bool take_consider_after_end(Lexer* lexer) {
    const char* word = skip_class(lexer->cur, CLASS_BLANK);
    const char* word_end = skip_class(word, CLASS_NAME);
    size_t length = static_cast<size_t>(word_end - word);
    if (length != 8 || keyword_lookup(word, length) != TOKEN_CONSIDER) return false;
    advance_to(lexer, word_end);
    return true;
}

// Keyword followed, across blanks, by `:` inside braces: a record field.
bool is_field_name_position(const Lexer* lexer) {
    return innermost_is_brace(lexer) && *skip_class(lexer->cur, CLASS_BLANK) == ':';
}

// `name.member` followed, across blanks, by `(`: consumes `.member` and
// returns true; otherwise consumes nothing.
bool take_qualified_member(Lexer* lexer) {
    const char* p = lexer->cur;
    if (p[0] != '.' || !is_name_start(p[1])) return false;
    const char* member_end = skip_class(p + 1, CLASS_NAME);
    if (*skip_class(member_end, CLASS_BLANK) != '(') return false;
    advance_to(lexer, member_end);
    return true;
}

TokenKind apply_consider_columns(Lexer* lexer, TokenKind kind, int32_t column) {
    if (kind == TOKEN_CONSIDER) {
        if (lexer->consider_depth < LEXER_STACK_LIMIT) {
            lexer->consider_columns[lexer->consider_depth] = column;
        }
        ++lexer->consider_depth;
        return kind;
    }
    if (lexer->consider_depth > 0 && (kind == TOKEN_IF || kind == TOKEN_ELSE)) {
        // Beyond the recorded depth the deepest recorded column stands in.
        int32_t depth = lexer->consider_depth;
        int32_t index = depth > LEXER_STACK_LIMIT ? LEXER_STACK_LIMIT - 1 : depth - 1;
        if (lexer->consider_columns[index] == column) {
            return kind == TOKEN_IF ? TOKEN_CONSIDER_IF : TOKEN_CONSIDER_ELSE;
        }
    }
    return kind;
}

}  // namespace

Token scan_word(Lexer* lexer, TokenStart at) {
    advance_to(lexer, skip_class(lexer->cur, CLASS_NAME));
    size_t length = static_cast<size_t>(lexer->cur - at.start);

    TokenKind kind = keyword_lookup(at.start, length);
    if (kind == TOKEN_END && take_consider_after_end(lexer)) {
        if (lexer->consider_depth > 0) --lexer->consider_depth;
        return make_token(lexer, TOKEN_END_CONSIDER, at);
    }

    if (kind != TOKEN_IDENT && at.start > lexer->source && at.start[-1] == '.') kind = TOKEN_IDENT;
    if (kind != TOKEN_IDENT && is_field_name_position(lexer)) kind = TOKEN_IDENT;
    if (kind == TOKEN_IDENT) {
        if (take_qualified_member(lexer)) return make_token(lexer, TOKEN_QUALIFIED_IDENT, at);
        return make_token(lexer, kind, at);
    }
    kind = apply_consider_columns(lexer, kind, at.column);
    return make_token(lexer, kind, at);
}

Token scan_number(Lexer* lexer, TokenStart at) {
    const char* p = lexer->cur;
    if (at.start[0] == '0' && (p[0] == 'x' || p[0] == 'X') && is_hex_digit(p[1])) {
        p = skip_class(p + 1, CLASS_HEX);
    } else {
        p = skip_class(p, CLASS_DIGIT);
        if (p[0] == '.' && is_digit(p[1])) p = skip_class(p + 1, CLASS_DIGIT);
        if (p[0] == 'e' || p[0] == 'E') {
            const char* exponent = p + 1;
            if (*exponent == '+' || *exponent == '-') ++exponent;
            if (is_digit(*exponent)) p = skip_class(exponent, CLASS_DIGIT);
        }
    }
    advance_to(lexer, p);
    return make_token(lexer, TOKEN_NUMBER, at);
}

}  // namespace scanner
