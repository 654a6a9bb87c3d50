// Internals shared by the scanner's files: byte classes, the character
// reader, the bracket stack and token construction. Not for use outside
// lexer/ and its tests.
#ifndef TOVEL_LEXER_SCANNER_INTERNAL_H
#define TOVEL_LEXER_SCANNER_INTERNAL_H

#include <cstdint>

#include "diag/ascii.h"
#include "lexer/lexer.h"

namespace scanner {

enum : uint8_t {
    CLASS_NAME_START = 1,  // ASCII letter or '_'
    CLASS_NAME = 2,        // ASCII letter, digit or '_'
    CLASS_DIGIT = 4,
    CLASS_HEX = 8,
    CLASS_BLANK = 16,      // space, tab, carriage return
};

struct ByteClasses {
    uint8_t bits[256];
};

constexpr ByteClasses make_byte_classes() {
    ByteClasses table{};
    for (int c = 0; c < 256; ++c) {
        uint8_t bits = 0;
        bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        bool digit = c >= '0' && c <= '9';
        if (letter || c == '_') bits |= CLASS_NAME_START | CLASS_NAME;
        if (digit) bits |= CLASS_NAME | CLASS_DIGIT | CLASS_HEX;
        if ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')) bits |= CLASS_HEX;
        if (c == ' ' || c == '\t' || c == '\r') bits |= CLASS_BLANK;
        table.bits[c] = bits;
    }
    return table;
}

inline constexpr ByteClasses kByteClasses = make_byte_classes();

static inline bool has_class(char c, uint8_t cls) {
    return (kByteClasses.bits[static_cast<unsigned char>(c)] & cls) != 0;
}
static inline bool is_name_start(char c) { return has_class(c, CLASS_NAME_START); }
static inline bool is_name_byte(char c) { return has_class(c, CLASS_NAME); }
static inline bool is_digit(char c) { return has_class(c, CLASS_DIGIT); }
static inline bool is_hex_digit(char c) { return has_class(c, CLASS_HEX); }
static inline bool is_blank(char c) { return has_class(c, CLASS_BLANK); }

// The first position at or after `p` whose byte fails `cls`. The NUL
// terminator belongs to no class, so this never runs past the text.
static inline const char* skip_class(const char* p, uint8_t cls) {
    while (has_class(*p, cls)) ++p;
    return p;
}

// ---- character reader ------------------------------------------------------

static inline bool at_end(const Lexer* lexer) { return *lexer->cur == '\0'; }
static inline char peek(const Lexer* lexer) { return *lexer->cur; }

static inline char advance(Lexer* lexer) {
    char c = *lexer->cur;
    if (c == '\0') return '\0';
    ++lexer->cur;
    if (c == '\n') {
        ++lexer->line;
        lexer->column = 1;
    } else {
        ++lexer->column;
    }
    return c;
}

static inline bool accept(Lexer* lexer, char c) {
    if (at_end(lexer) || peek(lexer) != c) return false;
    advance(lexer);
    return true;
}

// Moves `cur` to `to`, which lies on the current line (no line feed in
// between); the column grows by one per byte as with advance().
static inline void advance_to(Lexer* lexer, const char* to) {
    lexer->column += static_cast<int32_t>(to - lexer->cur);
    lexer->cur = to;
}

static inline bool follows_name_byte(const Lexer* lexer, const char* p) {
    return p > lexer->source && is_name_byte(p[-1]);
}

// ---- bracket stack ---------------------------------------------------------

static inline void bracket_push(Lexer* lexer, char c, int32_t line) {
    if (lexer->bracket_depth < LEXER_STACK_LIMIT) {
        lexer->bracket_chars[lexer->bracket_depth] = c;
        lexer->bracket_lines[lexer->bracket_depth] = line;
    }
    ++lexer->bracket_depth;
}

static inline void bracket_pop(Lexer* lexer) {
    if (lexer->bracket_depth > 0) --lexer->bracket_depth;
}

static inline bool innermost_is_brace(const Lexer* lexer) {
    int32_t depth = lexer->bracket_depth;
    return depth > 0 && depth <= LEXER_STACK_LIMIT && lexer->bracket_chars[depth - 1] == '{';
}

// ---- tokens ----------------------------------------------------------------

// Where a token begins: its first byte and that byte's position.
struct TokenStart {
    const char* start;
    int32_t line;
    int32_t column;
};

static inline TokenStart token_start(const Lexer* lexer) {
    return TokenStart{lexer->cur, lexer->line, lexer->column};
}

// A token covering the bytes from its start up to `cur`.
static inline Token make_token(const Lexer* lexer, TokenKind kind, TokenStart at) {
    return Token{at.start, kind, static_cast<int32_t>(lexer->cur - at.start), at.line, at.column};
}

// An ERROR token over the bytes consumed since `at`; error_message keeps
// its previous content.
static inline Token error_token(const Lexer* lexer, TokenStart at) {
    return make_token(lexer, TOKEN_ERROR, at);
}

// An ERROR token carrying `message`, stored cut to the buffer size.
Token error_with_message(Lexer* lexer, TokenStart at, const char* message,
                         DiagFixKind fix = DIAG_FIX_NONE);

// The `}` that closes a brace prefix, searched from `from` to the end of
// its line (quoted parts skipped, nested pairs matched), or null. Failed
// searches are remembered in the lexer.
const char* find_prefix_close(Lexer* lexer, const char* from);

Token scan_word(Lexer* lexer, TokenStart at);
Token scan_number(Lexer* lexer, TokenStart at);
Token scan_string(Lexer* lexer, TokenStart at);
Token scan_brace(Lexer* lexer, TokenStart at);
Token scan_lens_text(Lexer* lexer);

// One token, lens text when asked for; the log is the caller's business.
Token scan_next_token(Lexer* lexer);

}  // namespace scanner

#endif
