// Names of the token kinds, used when tracing and in test renderings.
#include "lexer/lexer.h"

namespace {

constexpr const char* kTokenKindNames[TOKEN_KIND_COUNT] = {
    "EOF", "IDENT", "QUALIFIED_IDENT", "NUMBER", "STRING", "LENS_CONTENT",
    "PROGRAM", "LIBRARY", "LOAD", "USE", "EXPORT", "IF", "CONSIDER_IF",
    "THEN", "ELSE", "CONSIDER_ELSE", "END", "END_CONSIDER", "FOR", "TO",
    "STEP", "DO", "UNTIL", "WHILE", "CONSIDER", "BREAK", "CONTINUE",
    "FUNCTION", "RETURN", "PRINT", "DIM", "AS", "WATCH", "UNWATCH",
    "WITHOUT", "WATCHERS", "MODIFIER", "GOTO", "GOSUB", "WITH", "NEW",
    "SPAWN", "ON", "NEXT", "STOP", "ERROR_VALUE", "TRUE", "FALSE",
    "NOTHING", "UNKNOWN", "AND", "OR", "NOT", "EXCLUDING", "INTERSECTING",
    "IN", "EACH", "OP_EQ", "OP_NE", "OP_GT", "OP_LT", "OP_GE", "OP_LE",
    "OP_NGT", "OP_NLT", "OP_NGE", "OP_NLE", "PLUS", "MINUS", "STAR",
    "SLASH", "PLUS_EQ", "MINUS_EQ", "STAR_EQ", "SLASH_EQ", "LPAREN",
    "RPAREN", "LBRACKET", "RBRACKET", "MODIFIER_PREFIX", "LBRACE", "RBRACE",
    "COMMA", "DOT", "COLON", "NEWLINE", "ERROR",
};

}  // namespace

const char* token_kind_name(int32_t kind) {
    if (kind < 0 || kind >= TOKEN_KIND_COUNT) return "UNKNOWN";
    return kTokenKindNames[kind];
}
