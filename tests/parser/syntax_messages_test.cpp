// The parser's stack limit: a text nested deeper than the driver's stack
// fails with "memory exhausted", reported on the token whose shift filled
// it. The rest of the syntax-message table is data, in
// tests/diagnostics/parser/syntax_messages.tov.

#include <gtest/gtest.h>

#include <string>

#include "tests/parser/dump_support.h"

namespace {

struct MessageCase {
    const char* name;
    std::string source;
    int result;
    std::string diagnostic;  // "line:column-line:column message"
};

std::string repeat(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

const MessageCase CASES[] = {
    {"nested not", "x = " + repeat("not ", 10000) + "a\n", 2,
     "1:39985-1:39988 memory exhausted"},
    {"nested minus", "x = " + repeat("-", 12000) + "a\n", 2, "1:10000-1:10001 memory exhausted"},
};

TEST(SyntaxMessages, FailedParseReportsOneLine) {
    for (const MessageCase& c : CASES) {
        DumpOutcome outcome = parse_and_dump(c.source);
        EXPECT_EQ(outcome.result, c.result) << c.name;
        EXPECT_EQ(outcome.dump, "") << c.name;
        EXPECT_EQ(outcome.diagnostics, c.diagnostic + "\n") << c.name;
    }
}

}  // namespace
