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

#include "diag/diagnostic.h"
#include "lexer/token_kinds.h"

enum TokenKind : int32_t {
#define TOVEL_TOKEN_KIND_ENUM(kind, grammar_token) TOKEN_##kind,
    TOVEL_TOKEN_KINDS(TOVEL_TOKEN_KIND_ENUM)
#undef TOVEL_TOKEN_KIND_ENUM
};

// Number of token kinds; valid kinds are 0 .. TOKEN_KIND_COUNT - 1. The
// values themselves are fixed (tests/lexer holds them to their numbers).
#define TOVEL_COUNT_TOKEN_KIND(kind, grammar_token) +1
constexpr int32_t TOKEN_KIND_COUNT = 0 TOVEL_TOKEN_KINDS(TOVEL_COUNT_TOKEN_KIND);
#undef TOVEL_COUNT_TOKEN_KIND

// Classes of kinds, from the vocabulary's order: the reserved words run
// from PROGRAM to EACH (branch kinds and `end consider` among them), the
// operators from OP_EQ to SLASH_EQ. Hover, completion and highlighting ask
// these rather than listing kinds of their own.
constexpr bool token_is_keyword(TokenKind kind) { return kind >= TOKEN_PROGRAM && kind <= TOKEN_EACH; }
constexpr bool token_is_operator(TokenKind kind) { return kind >= TOKEN_OP_EQ && kind <= TOKEN_SLASH_EQ; }
// Names, numbers and keywords: what a cursor right after a word means.
constexpr bool token_is_word(TokenKind kind) {
    return kind == TOKEN_IDENT || kind == TOKEN_QUALIFIED_IDENT || kind == TOKEN_NUMBER || token_is_keyword(kind);
}

// What a keyword is for, as highlighting tells them apart.
enum KeywordClass : int32_t {
    KEYWORD_NONE,        // not a keyword
    KEYWORD_CONTROL,     // if, for, return, goto, end, ...
    KEYWORD_OPERATOR,    // and, or, not, in, each, ...
    KEYWORD_CONSTANT,    // true, false, nothing, unknown
    KEYWORD_DECLARATOR,  // program, library, function, modifier, export
    KEYWORD_OTHER,       // print, use, load, as, with, new, ...
};

KeywordClass keyword_class(TokenKind kind);

// A token returned by value. `start` points into the source text; for
// MODIFIER_PREFIX it is the name inside the braces while line/column stand
// at the `{`, and LENS_CONTENT carries the text between the braces.
// The pointer comes first so that a token takes 24 bytes, not 32: a kept
// log holds one per token of the text.
struct Token {
    const char* start;
    TokenKind kind;
    int32_t length;
    int32_t line;
    int32_t column;
};
static_assert(sizeof(Token) == 24 || sizeof(void*) != 8, "a token packs into three words");

// A comment: from its `'` up to the line break.
struct LexComment {
    uint32_t offset;  // of its `'`
    int32_t line;
    int32_t column;
    int32_t length;   // bytes, up to the line break
};

// Depth up to which bracket lines and consider columns are remembered;
// the depth counters keep counting beyond it.
constexpr int32_t LEXER_STACK_LIMIT = 64;
constexpr size_t LEXER_MESSAGE_SIZE = 96;

struct Lexer {
    const char* source;             // first byte of the whole text
    const char* cur;                // next unread byte, never past the NUL
    char error_message[LEXER_MESSAGE_SIZE];  // message of the last error token
    DiagFixKind error_fix;          // the mechanical fix of that error, if it has one
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

// The spelling of a keyword kind as the keyword table reads it (lower
// case), or null for a kind that is no word of its own (branch kinds,
// `end consider`, names, operators).
const char* keyword_spelling(TokenKind kind);

// The keyword kind of a word, compared without regard to ASCII case,
// or TOKEN_IDENT when the word is not reserved.
TokenKind keyword_lookup(const char* text, size_t length);

#endif
