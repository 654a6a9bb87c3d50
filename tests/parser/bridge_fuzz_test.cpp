#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "tests/parser/bridge_harness.h"

namespace {

// Source-like noise: words, numbers, strings with escapes, brackets, line
// breaks and some arbitrary bytes (never NUL, which ends the text).
std::string random_source(std::mt19937& random) {
    static const char* const kPieces[] = {
        "x",   "print", " ",   "\n",      "\"",   "\\",   "\\u{", "}",   "{",   "(",
        ")",   "[",     "]",   "12",      "0x1F", "1.5e", "9",    "=",   "!>=", ",",
        ":",   ".",     "end", "consider", "if",  "else", "'",    ";",   "\\q", "D800",
        "\r\n", "abc",  "_",   "\t",      "%",    "$",    "<>",   "#",   "e9",  "10FFFF",
        "\"a\\tb\"", "\"\\u{41}\"", "\"\"", "\"x\ny\"", "\"50\\%\"", "\"\\u{1F600}\"",
        "\"it's\"", "\"\\u{D800}\"", " + ", " x ", "\n",
    };
    constexpr size_t kPieceCount = sizeof kPieces / sizeof kPieces[0];
    std::uniform_int_distribution<size_t> pick(0, kPieceCount);  // kPieceCount: a random byte
    std::uniform_int_distribution<int> byte(1, 255);
    std::uniform_int_distribution<int> count(0, 24);
    std::string source;
    for (int n = count(random); n > 0; --n) {
        size_t which = pick(random);
        if (which == kPieceCount) source += static_cast<char>(byte(random));
        else source += kPieces[which];
    }
    return source;
}

// Whatever the text, the bridge ends with 0, reports at most one error and
// that as its last diagnostic, and marks the parse failed exactly then.
TEST(BridgeFuzz, AnyTextEndsWithAtMostOneError) {
    std::mt19937 random(1209);
    int with_strings = 0, failed = 0, clean = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string source = random_source(random);
        // An exact heap copy, so a read past the terminator is noticed.
        char* text = static_cast<char*>(malloc(source.size() + 1));
        memcpy(text, source.c_str(), source.size() + 1);
        {
            BridgeHarness bridge(text);
            size_t delivered = 0;
            int code = -1;
            bool saw_string = false;
            while (code != 0 && delivered <= source.size() + 1) {
                BridgeHarness::Delivered d = bridge.next();
                code = d.code;
                ++delivered;
                saw_string |= code == TOK_STRING;
                ASSERT_TRUE(code == 0 || (code >= 258 && code <= 344 && code != 342 && code != 343))
                    << code << " in " << source;
                ASSERT_GE(d.location.start_line, 1);
                ASSERT_GE(d.location.start_column, 1);
                ASSERT_EQ(d.location.end_line, d.location.start_line);
            }
            ASSERT_EQ(code, 0) << "no end of input for: " << source;
            size_t errors = 0;
            for (size_t i = 0; i < bridge.diagnostic_count(); ++i) {
                if (bridge.diagnostic(i)->severity == SEVERITY_ERROR) {
                    ++errors;
                    ASSERT_EQ(i + 1, bridge.diagnostic_count()) << source;
                }
            }
            ASSERT_LE(errors, 1u) << source;
            ASSERT_EQ(bridge.context().failed, errors == 1 ? 1 : 0) << source;
            with_strings += saw_string;
            failed += errors == 1;
            clean += bridge.diagnostic_count() == 0;
        }
        free(text);
    }
    // The noise must reach decoded strings, failures and clean runs alike.
    EXPECT_GT(with_strings, 2000);
    EXPECT_GT(failed, 2000);
    EXPECT_GT(clean, 1000);
}

}  // namespace
