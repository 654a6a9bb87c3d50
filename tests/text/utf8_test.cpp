#include <gtest/gtest.h>

#include <string>

#include "text/utf8.h"

namespace {

TEST(ValidUtf8, KeepsValidTextAndReplacesEveryBadByte) {
    const std::string r = "\xEF\xBF\xBD";
    struct Case {
        std::string input;
        std::string expected;
    };
    const Case cases[] = {
        {"", ""},
        {"plain ascii", "plain ascii"},
        {"\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"\xEF\xBB\xBF", "\xEF\xBB\xBF"},
        {"escape \\\xC3 kept", "escape \\" + r + " kept"},  // first byte of é alone
        {"\x80", r},                                         // stray continuation
        {"\xFF\xFE", r + r},
        {"\xC0\xAF", r + r},                                 // overlong slash
        {"\xE0\x80\xAF", r + r + r},                         // overlong three-byte form
        {"\xED\xA0\x80", r + r + r},                         // surrogate half
        {"\xF4\x90\x80\x80", r + r + r + r},                 // past U+10FFFF
        {"\xF0\x9F\x98", r + r + r},                         // cut at the end
        {"\xE2\x82x", r + r + "x"},
        {"\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},            // U+10FFFF itself
    };
    for (const Case& c : cases) {
        EXPECT_EQ(valid_utf8(c.input.c_str()), c.expected) << c.input;
    }
}

// Expected texts are the JSON string literals as written on the wire.
TEST(AppendJsonString, EscapesAndReplacesLikeTheProtocolPrinter) {
    const std::string r = "\xEF\xBF\xBD";
    struct Case {
        std::string input;
        std::string expected;
    };
    const Case cases[] = {
        {"", "\"\""},
        {"plain", "\"plain\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"a\\q", "\"a\\\\q\""},
        {"\b\f\n\r\t", "\"\\b\\f\\n\\r\\t\""},
        {"\x01\x1f", "\"\\u0001\\u001f\""},
        {"\x7f/", "\"\x7f/\""},                    // DEL and slash stay
        {"\xC3\xA9\xF0\x9F\x98\x80", "\"\xC3\xA9\xF0\x9F\x98\x80\""},
        {"\\\xC3\"", "\"\\\\" + r + "\\\"\""},  // cut sequence before a quote
        {"x\xFF\n\xED\xA0\x80", "\"x" + r + "\\n" + r + r + r + "\""},
    };
    for (const Case& c : cases) {
        std::string out = "prefix:";
        append_json_string(&out, c.input.c_str());
        EXPECT_EQ(out, "prefix:" + c.expected) << c.input;
    }
}

}  // namespace
