// The Tovel lexer: source text to tokens, one token per call.
//
// The lexer reads a NUL-terminated text in place; tokens point into the
// text, which must outlive every token. It needs no releasing call: the
// only memory it may take, a table for a line with several unclosed brace
// prefixes (lexer/prefix_close.cpp), goes with the record. Besides the
// read position it tracks open brackets (line breaks inside them continue a
// statement), the columns of open `consider` statements (branch keywords are
// recognised by their column) and the parser's request for raw lens text.
#ifndef TOVEL_LEXER_LEXER_H
#define TOVEL_LEXER_LEXER_H

#include <cstddef>
#include <cstdint>
#include <vector>

enum TokenKind : int32_t {
    TOKEN_EOF = 0,
    TOKEN_IDENT = 1,
    TOKEN_QUALIFIED_IDENT = 2,
    TOKEN_NUMBER = 3,
    TOKEN_STRING = 4,
    TOKEN_LENS_CONTENT = 5,
    TOKEN_PROGRAM = 6,
    TOKEN_LIBRARY = 7,
    TOKEN_LOAD = 8,
    TOKEN_USE = 9,
    TOKEN_EXPORT = 10,
    TOKEN_IF = 11,
    TOKEN_CONSIDER_IF = 12,
    TOKEN_THEN = 13,
    TOKEN_ELSE = 14,
    TOKEN_CONSIDER_ELSE = 15,
    TOKEN_END = 16,
    TOKEN_END_CONSIDER = 17,
    TOKEN_FOR = 18,
    TOKEN_TO = 19,
    TOKEN_STEP = 20,
    TOKEN_DO = 21,
    TOKEN_UNTIL = 22,
    TOKEN_WHILE = 23,
    TOKEN_CONSIDER = 24,
    TOKEN_BREAK = 25,
    TOKEN_CONTINUE = 26,
    TOKEN_FUNCTION = 27,
    TOKEN_RETURN = 28,
    TOKEN_PRINT = 29,
    TOKEN_DIM = 30,
    TOKEN_AS = 31,
    TOKEN_WATCH = 32,
    TOKEN_UNWATCH = 33,
    TOKEN_WITHOUT = 34,
    TOKEN_WATCHERS = 35,
    TOKEN_MODIFIER = 36,
    TOKEN_GOTO = 37,
    TOKEN_GOSUB = 38,
    TOKEN_WITH = 39,
    TOKEN_NEW = 40,
    TOKEN_SPAWN = 41,
    TOKEN_ON = 42,
    TOKEN_NEXT = 43,
    TOKEN_STOP = 44,
    TOKEN_ERROR_VALUE = 45,
    TOKEN_TRUE = 46,
    TOKEN_FALSE = 47,
    TOKEN_NOTHING = 48,
    TOKEN_UNKNOWN = 49,
    TOKEN_AND = 50,
    TOKEN_OR = 51,
    TOKEN_NOT = 52,
    TOKEN_EXCLUDING = 53,
    TOKEN_INTERSECTING = 54,
    TOKEN_IN = 55,
    TOKEN_EACH = 56,
    TOKEN_OP_EQ = 57,
    TOKEN_OP_NE = 58,
    TOKEN_OP_GT = 59,
    TOKEN_OP_LT = 60,
    TOKEN_OP_GE = 61,
    TOKEN_OP_LE = 62,
    TOKEN_OP_NGT = 63,
    TOKEN_OP_NLT = 64,
    TOKEN_OP_NGE = 65,
    TOKEN_OP_NLE = 66,
    TOKEN_PLUS = 67,
    TOKEN_MINUS = 68,
    TOKEN_STAR = 69,
    TOKEN_SLASH = 70,
    TOKEN_PLUS_EQ = 71,
    TOKEN_MINUS_EQ = 72,
    TOKEN_STAR_EQ = 73,
    TOKEN_SLASH_EQ = 74,
    TOKEN_LPAREN = 75,
    TOKEN_RPAREN = 76,
    TOKEN_LBRACKET = 77,
    TOKEN_RBRACKET = 78,
    TOKEN_MODIFIER_PREFIX = 79,
    TOKEN_LBRACE = 80,
    TOKEN_RBRACE = 81,
    TOKEN_COMMA = 82,
    TOKEN_DOT = 83,
    TOKEN_COLON = 84,
    TOKEN_NEWLINE = 85,
    TOKEN_ERROR = 86,
};

// Number of token kinds; valid kinds are 0 .. TOKEN_KIND_COUNT - 1.
constexpr int32_t TOKEN_KIND_COUNT = 87;

// A token returned by value. `start` points into the source text; for
// MODIFIER_PREFIX it is the name inside the braces while line/column stand
// at the `{`, and LENS_CONTENT carries the text between the braces.
struct Token {
    TokenKind kind;
    const char* start;
    int32_t length;
    int32_t line;
    int32_t column;
};

// Depth up to which bracket lines and consider columns are remembered;
// the depth counters keep counting beyond it.
constexpr int32_t LEXER_STACK_LIMIT = 64;
constexpr size_t LEXER_MESSAGE_SIZE = 96;

struct Lexer {
    const char* source;             // first byte of the whole text
    const char* cur;                // next unread byte, never past the NUL
    char error_message[LEXER_MESSAGE_SIZE];  // message of the last error token
    int32_t line;                   // line of cur
    int32_t column;                 // byte column of cur
    int32_t lens_pending;           // the next token is raw lens text
    int32_t consider_depth;
    int32_t consider_columns[LEXER_STACK_LIMIT];
    int32_t bracket_depth;
    int32_t bracket_lines[LEXER_STACK_LIMIT];
    char bracket_chars[LEXER_STACK_LIMIT];
    // Brace prefixes (lexer/prefix_close.cpp): the stretch from the start of
    // a failed close search to its line's end (null until a search fails);
    // after a second failure on it, the stretch starts there and
    // prefix_closes holds the close found from each start on it.
    const char* prefix_failed_from;
    const char* prefix_failed_end;
    std::vector<int32_t> prefix_closes;
};

// Prepares `lexer` to scan `text` (NUL-terminated); a leading UTF-8
// byte-order mark is skipped without moving the column.
void lexer_init(Lexer* lexer, const char* text, int32_t first_line);

// Scans and returns the next token; after EOF it keeps returning EOF.
Token lexer_next_token(Lexer* lexer);

// Asks for the next token to be the raw text of a lens, up to its `}`.
void lexer_begin_lens(Lexer* lexer);

// The kind's name ("EOF", "IDENT", ...), or "UNKNOWN" outside 0..86.
const char* token_kind_name(int32_t kind);

// The keyword kind of a word, compared without regard to ASCII case,
// or TOKEN_IDENT when the word is not reserved.
TokenKind keyword_lookup(const char* text, size_t length);

#endif
