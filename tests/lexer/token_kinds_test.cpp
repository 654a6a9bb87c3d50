// The token kinds keep their numbers: the value of each kind is its place
// in this list, written out independently of the vocabulary the lexer is
// built from, so a kind added, dropped or moved there fails here.
#include <gtest/gtest.h>

#include <cstring>

#include "lexer/lexer.h"

namespace {

const char* const kKindsInValueOrder[] = {
    "EOF", "IDENT", "QUALIFIED_IDENT", "NUMBER", "STRING", "LENS_CONTENT", "PROGRAM",
    "LIBRARY", "LOAD", "USE", "EXPORT", "IF", "CONSIDER_IF", "THEN", "ELSE", "CONSIDER_ELSE",
    "END", "END_CONSIDER", "FOR", "TO", "STEP", "DO", "UNTIL", "WHILE", "CONSIDER", "BREAK",
    "CONTINUE", "FUNCTION", "RETURN", "PRINT", "DIM", "AS", "WATCH", "UNWATCH", "WITHOUT",
    "WATCHERS", "MODIFIER", "GOTO", "GOSUB", "WITH", "NEW", "SPAWN", "ON", "NEXT", "STOP",
    "ERROR_VALUE", "TRUE", "FALSE", "NOTHING", "UNKNOWN", "AND", "OR", "NOT", "EXCLUDING",
    "INTERSECTING", "IN", "EACH", "OP_EQ", "OP_NE", "OP_GT", "OP_LT", "OP_GE", "OP_LE",
    "OP_NGT", "OP_NLT", "OP_NGE", "OP_NLE", "PLUS", "MINUS", "STAR", "SLASH", "PLUS_EQ",
    "MINUS_EQ", "STAR_EQ", "SLASH_EQ", "LPAREN", "RPAREN", "LBRACKET", "RBRACKET",
    "MODIFIER_PREFIX", "LBRACE", "RBRACE", "COMMA", "DOT", "COLON", "NEWLINE", "ERROR",
};

TEST(TokenKinds, EveryKindHasItsFixedValueAndName) {
    constexpr int32_t count = sizeof kKindsInValueOrder / sizeof kKindsInValueOrder[0];
    ASSERT_EQ(TOKEN_KIND_COUNT, 87);
    ASSERT_EQ(count, TOKEN_KIND_COUNT);
    for (int32_t value = 0; value < count; ++value) {
        EXPECT_STREQ(token_kind_name(value), kKindsInValueOrder[value]) << value;
    }
    EXPECT_EQ(TOKEN_EOF, 0);
    EXPECT_EQ(TOKEN_PROGRAM, 6);
    EXPECT_EQ(TOKEN_ERROR_VALUE, 45);
    EXPECT_EQ(TOKEN_OP_EQ, 57);
    EXPECT_EQ(TOKEN_MODIFIER_PREFIX, 79);
    EXPECT_EQ(TOKEN_ERROR, 86);
}

}  // namespace

namespace {

// The keyword spellings the editor features and the fuzzers use are the
// keyword table's own: 48 words, each read back as its kind in any case.
TEST(TokenKinds, KeywordSpellingsAreTheKeywordTable) {
    int words = 0;
    for (int32_t kind = 0; kind < TOKEN_KIND_COUNT; ++kind) {
        const char* word = keyword_spelling(static_cast<TokenKind>(kind));
        if (word == nullptr) continue;
        ++words;
        EXPECT_EQ(keyword_lookup(word, std::strlen(word)), kind) << word;
    }
    EXPECT_EQ(words, 48);
    EXPECT_STREQ(keyword_spelling(TOKEN_ERROR_VALUE), "error");
    EXPECT_EQ(keyword_spelling(TOKEN_CONSIDER_IF), nullptr);
    EXPECT_EQ(keyword_spelling(TOKEN_IDENT), nullptr);
}

}  // namespace
