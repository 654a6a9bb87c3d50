// Names built word by word, and their release when a parse is abandoned
// half way through one.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "parser/actions.h"
#include "tests/parser/dump_support.h"

namespace {

TEST(ActionHelpers, GrowingNamesJoinTheirParts) {
    const struct {
        char separator;
        std::vector<const char*> parts;
        const char* joined;
    } cases[] = {
        {' ', {"approximately"}, "approximately"},
        {' ', {"approximately", "equal", "to"}, "approximately equal to"},
        {'.', {"a", "b", "c"}, "a.b.c"},
        {'.', {"", "", ""}, ".."},
    };
    for (const auto& c : cases) {
        GrowingText name = growing_text_start(copy_string(c.parts[0]));
        for (size_t i = 1; i < c.parts.size(); ++i) {
            name = growing_text_append(name, c.separator, copy_string(c.parts[i]));
        }
        EXPECT_STREQ(name.text, c.joined);
        EXPECT_EQ(name.length, std::string(c.joined).size());
        EXPECT_GT(name.capacity, name.length);
        std::free(name.text);
    }
}

TEST(ActionHelpers, ManyPartsMakeOneLongName) {
    const size_t parts = 100000;
    GrowingText name = growing_text_start(copy_string("w"));
    for (size_t i = 1; i < parts; ++i) name = growing_text_append(name, '.', copy_string("w"));
    ASSERT_EQ(name.length, 2 * parts - 1);
    for (size_t i = 0; i < name.length; ++i) {
        ASSERT_EQ(name.text[i], i % 2 ? '.' : 'w') << i;
    }
    EXPECT_EQ(name.text[name.length], '\0');
    std::free(name.text);
}

TEST(ActionHelpers, LongNamesInFailedParsesAreReleased) {
    // The syntax errors strike while the modifier name or the watched path is
    // still on the parser's stack, with spare room in its buffer; the
    // sanitizer build sees a leak or a bad free if the wrong part is released.
    std::string modifier = "modifier";
    std::string watched = "watch a";
    for (int i = 0; i < 2000; ++i) {
        modifier += " w";
        watched += ".b";
    }
    for (const std::string& source : {modifier + " (+\n", watched + ". +\n"}) {
        DumpOutcome outcome = parse_and_dump(source);
        EXPECT_EQ(outcome.result, 1);
        EXPECT_NE(outcome.diagnostics.find("syntax error, unexpected PLUS"), std::string::npos)
            << outcome.diagnostics;
    }
}

}  // namespace
