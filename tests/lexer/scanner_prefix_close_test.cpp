// The close search of brace prefixes: the remembered answers for a line
// where a search failed must agree with a plain search from every start,
// must not outlive their text, and must keep many braces on one line cheap.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lexer/lexer.h"
#include "lexer/scanner_internal.h"
#include "tests/lexer/lexer_render.h"

namespace {

// The search as a brace prefix defines it, written out plainly.
const char* reference_close(const char* p) {
    bool in_string = false;
    int nested = 0;
    for (; *p != '\0' && *p != '\n'; ++p) {
        if (in_string) {
            if (*p == '"') in_string = false;
            if (*p == '\\') {
                if (p[1] == '\0' || p[1] == '\n') return nullptr;
                ++p;
            }
        } else if (*p == '"') {
            in_string = true;
        } else if (*p == '{') {
            ++nested;
        } else if (*p == '}') {
            if (nested-- == 0) return p;
        }
    }
    return nullptr;
}

struct Random {
    uint64_t state;
    uint64_t next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return state >> 33;
    }
};

std::string random_text(Random& random) {
    static const char kBytes[] = "{{{}}}\"\"\\ ab\n";
    std::string text;
    size_t length = random.next() % 60;
    for (size_t i = 0; i < length; ++i) text += kBytes[random.next() % (sizeof kBytes - 1)];
    return text;
}

// Asks for the close from a rising selection of starts, as the scanner
// does, and compares each answer with the plain search.
void expect_closes_agree(Lexer* lexer, const std::string& text, Random& random) {
    const char* source = lexer->source;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (random.next() % 3 == 0) continue;
        const char* close = scanner::find_prefix_close(lexer, source + i);
        ASSERT_EQ(close, reference_close(source + i)) << "start " << i << " in: " << text;
    }
}

TEST(ScannerPrefixClose, RememberedAnswersAgreeWithThePlainSearch) {
    Random random{99};
    for (int round = 0; round < 20000; ++round) {
        std::string text = random_text(random);
        Lexer lexer;
        lexer_init(&lexer, text.c_str(), 1);
        expect_closes_agree(&lexer, text, random);
        if (HasFatalFailure()) return;
    }
}

TEST(ScannerPrefixClose, ANewTextInTheSameBufferIsSearchedAfresh) {
    // Same buffer and lexer, different bytes: nothing of the first text's
    // line may answer for the second.
    char buffer[32];
    std::strcpy(buffer, "{a {b {c {d");
    Lexer lexer;
    lexer_init(&lexer, buffer, 1);
    EXPECT_EQ(scanner::find_prefix_close(&lexer, buffer + 2), nullptr);
    EXPECT_EQ(scanner::find_prefix_close(&lexer, buffer + 5), nullptr);
    std::strcpy(buffer, "{a {b} c} d}");
    lexer_init(&lexer, buffer, 1);
    EXPECT_EQ(scanner::find_prefix_close(&lexer, buffer + 5), buffer + 5);
    EXPECT_EQ(scanner::find_prefix_close(&lexer, buffer + 7), buffer + 8);
}

TEST(ScannerPrefixClose, BracesAfterAFailedSearchOnTheSameLine) {
    const struct {
        const char* source;
        const char* expected;
    } cases[] = {
        {"{a {b} {c} x",
         "LBRACE '{' 1:1/1\nIDENT 'a' 1:2/1\nMODIFIER_PREFIX 'b' 1:4/1\nMODIFIER_PREFIX 'c' 1:8/1\n"
         "IDENT 'x' 1:12/1\nERROR '' 1:13/0 ! \"unclosed '{' opened on line 1 -- a line break inside "
         "brackets continues the statement\"\nEOF '' 1:13/0"},
        {"{a {b \"}\" c} {d\n{e}",
         "LBRACE '{' 1:1/1\nIDENT 'a' 1:2/1\nMODIFIER_PREFIX 'b \"}\" c' 1:4/7\nLBRACE '{' 1:14/1\n"
         "IDENT 'd' 1:15/1\nMODIFIER_PREFIX 'e' 2:1/1\nERROR '' 2:4/0 ! \"unclosed '{' opened on "
         "line 1 -- a line break inside brackets continues the statement\"\nEOF '' 2:4/0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lexer_test::render_tokens(c.source), c.expected) << c.source;
    }
}

// Every `{a` below searches to the end of the one long line and fails. The
// line is walked a bounded number of times in all; walking it once per
// brace would take minutes at this size.
TEST(ScannerPrefixClose, ManyFailedSearchesOnOneLine) {
    constexpr int kBraces = 100000;
    std::string text;
    for (int i = 0; i < kBraces; ++i) text += "{a {b} ";
    Lexer lexer;
    lexer_init(&lexer, text.c_str(), 1);
    int counts[TOKEN_KIND_COUNT] = {};
    Token token;
    while ((token = lexer_next_token(&lexer)).kind != TOKEN_EOF) ++counts[token.kind];
    EXPECT_EQ(counts[TOKEN_LBRACE], kBraces);
    EXPECT_EQ(counts[TOKEN_IDENT], kBraces);
    EXPECT_EQ(counts[TOKEN_MODIFIER_PREFIX], kBraces);
    EXPECT_EQ(counts[TOKEN_ERROR], 1);
}

}  // namespace
