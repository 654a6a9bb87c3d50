// keyword_lookup: the reserved words, in any letter case.
//
// Words are short, so a word of up to eight bytes is lowered into one
// 64-bit key and compared against constant keys grouped by length; the two
// longer keywords are compared byte by byte. This sits on the scanner's hot
// path: every name in a program goes through it.
#include <array>
#include <cstdint>

#include "diag/ascii.h"
#include "lexer/lexer.h"

namespace {

constexpr uint64_t pack_key(const char* text, size_t length) {
    uint64_t key = 0;
    for (size_t i = 0; i < length; ++i) {
        key |= static_cast<uint64_t>(static_cast<unsigned char>(ascii_lower(text[i]))) << (8 * i);
    }
    return key;
}

// Key of a keyword literal; the literal's length is implied.
template <size_t N>
constexpr uint64_t K(const char (&word)[N]) {
    static_assert(N - 1 <= 8, "keyword too long for a packed key");
    return pack_key(word, N - 1);
}

TokenKind lookup_packed(uint64_t key, size_t length) {
    switch (length) {
    case 2:
        switch (key) {
        case K("if"): return TOKEN_IF;
        case K("to"): return TOKEN_TO;
        case K("do"): return TOKEN_DO;
        case K("as"): return TOKEN_AS;
        case K("on"): return TOKEN_ON;
        case K("or"): return TOKEN_OR;
        case K("in"): return TOKEN_IN;
        default: return TOKEN_IDENT;
        }
    case 3:
        switch (key) {
        case K("use"): return TOKEN_USE;
        case K("end"): return TOKEN_END;
        case K("for"): return TOKEN_FOR;
        case K("dim"): return TOKEN_DIM;
        case K("new"): return TOKEN_NEW;
        case K("and"): return TOKEN_AND;
        case K("not"): return TOKEN_NOT;
        default: return TOKEN_IDENT;
        }
    case 4:
        switch (key) {
        case K("load"): return TOKEN_LOAD;
        case K("then"): return TOKEN_THEN;
        case K("else"): return TOKEN_ELSE;
        case K("step"): return TOKEN_STEP;
        case K("goto"): return TOKEN_GOTO;
        case K("with"): return TOKEN_WITH;
        case K("next"): return TOKEN_NEXT;
        case K("stop"): return TOKEN_STOP;
        case K("true"): return TOKEN_TRUE;
        case K("each"): return TOKEN_EACH;
        default: return TOKEN_IDENT;
        }
    case 5:
        switch (key) {
        case K("until"): return TOKEN_UNTIL;
        case K("while"): return TOKEN_WHILE;
        case K("break"): return TOKEN_BREAK;
        case K("print"): return TOKEN_PRINT;
        case K("watch"): return TOKEN_WATCH;
        case K("gosub"): return TOKEN_GOSUB;
        case K("spawn"): return TOKEN_SPAWN;
        case K("error"): return TOKEN_ERROR_VALUE;
        case K("false"): return TOKEN_FALSE;
        default: return TOKEN_IDENT;
        }
    case 6:
        switch (key) {
        case K("export"): return TOKEN_EXPORT;
        case K("return"): return TOKEN_RETURN;
        default: return TOKEN_IDENT;
        }
    case 7:
        switch (key) {
        case K("program"): return TOKEN_PROGRAM;
        case K("library"): return TOKEN_LIBRARY;
        case K("unwatch"): return TOKEN_UNWATCH;
        case K("without"): return TOKEN_WITHOUT;
        case K("nothing"): return TOKEN_NOTHING;
        case K("unknown"): return TOKEN_UNKNOWN;
        default: return TOKEN_IDENT;
        }
    case 8:
        switch (key) {
        case K("consider"): return TOKEN_CONSIDER;
        case K("continue"): return TOKEN_CONTINUE;
        case K("function"): return TOKEN_FUNCTION;
        case K("watchers"): return TOKEN_WATCHERS;
        case K("modifier"): return TOKEN_MODIFIER;
        default: return TOKEN_IDENT;
        }
    default:
        return TOKEN_IDENT;
    }
}

}  // namespace

TokenKind keyword_lookup(const char* text, size_t length) {
    if (length >= 2 && length <= 8) {
        // Bytes are lowered one by one, so only ASCII letters change case;
        // any other byte keeps a value no keyword contains.
        return lookup_packed(pack_key(text, length), length);
    }
    if (length == 9 && equals_lowered(text, "excluding", 9)) return TOKEN_EXCLUDING;
    if (length == 12 && equals_lowered(text, "intersecting", 12)) return TOKEN_INTERSECTING;
    return TOKEN_IDENT;
}

namespace {

using Spelling = std::array<char, 16>;

// A keyword kind is named after its word, in capitals (`error` is the one
// named otherwise); the lookup confirms each spelling, so the list cannot
// drift from the table above. Kinds without a word keep an empty entry.
std::array<Spelling, TOKEN_KIND_COUNT> make_spellings() {
    std::array<Spelling, TOKEN_KIND_COUNT> spellings{};
    for (int32_t kind = 0; kind < TOKEN_KIND_COUNT; ++kind) {
        const char* name = kind == TOKEN_ERROR_VALUE ? "error" : token_kind_name(kind);
        Spelling& word = spellings[static_cast<size_t>(kind)];
        size_t length = 0;
        for (; name[length] != '\0' && length + 1 < word.size(); ++length) word[length] = ascii_lower(name[length]);
        word[length] = '\0';
        if (kind == TOKEN_IDENT || keyword_lookup(word.data(), length) != kind) word[0] = '\0';
    }
    return spellings;
}

}  // namespace

const char* keyword_spelling(TokenKind kind) {
    static const std::array<Spelling, TOKEN_KIND_COUNT> spellings = make_spellings();
    if (kind < 0 || kind >= TOKEN_KIND_COUNT) return nullptr;
    const Spelling& word = spellings[static_cast<size_t>(kind)];
    return word[0] != '\0' ? word.data() : nullptr;
}

KeywordClass keyword_class(TokenKind kind) {
    switch (kind) {
    case TOKEN_IF: case TOKEN_CONSIDER_IF: case TOKEN_THEN: case TOKEN_ELSE: case TOKEN_CONSIDER_ELSE:
    case TOKEN_END: case TOKEN_END_CONSIDER: case TOKEN_FOR: case TOKEN_TO: case TOKEN_STEP: case TOKEN_DO:
    case TOKEN_UNTIL: case TOKEN_WHILE: case TOKEN_CONSIDER: case TOKEN_BREAK: case TOKEN_CONTINUE:
    case TOKEN_RETURN: case TOKEN_GOTO: case TOKEN_GOSUB: case TOKEN_ON: case TOKEN_NEXT: case TOKEN_STOP:
        return KEYWORD_CONTROL;
    case TOKEN_AND: case TOKEN_OR: case TOKEN_NOT: case TOKEN_EXCLUDING: case TOKEN_INTERSECTING: case TOKEN_IN:
    case TOKEN_EACH:
        return KEYWORD_OPERATOR;
    case TOKEN_TRUE: case TOKEN_FALSE: case TOKEN_NOTHING: case TOKEN_UNKNOWN:
        return KEYWORD_CONSTANT;
    case TOKEN_PROGRAM: case TOKEN_LIBRARY: case TOKEN_FUNCTION: case TOKEN_MODIFIER: case TOKEN_EXPORT:
        return KEYWORD_DECLARATOR;
    default:
        return token_is_keyword(kind) ? KEYWORD_OTHER : KEYWORD_NONE;
    }
}
