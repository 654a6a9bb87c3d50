#include <cerrno>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/parser/bridge_harness.h"

namespace {

struct NumberCase {
    const char* text;
    double value;
    int64_t integer_value;
    int32_t is_integer;
};

TEST(BridgeValues, NumberTriples) {
    const std::string seventy_digits = "1" + std::string(69, '0');
    const NumberCase cases[] = {
        {"12", 12.0, 12, 1},
        {"007", 7.0, 7, 1},
        {"0", 0.0, 0, 1},
        {"1.5", 1.5, 0, 0},
        {"1e3", 1000.0, 0, 0},
        {"1.5e-3", 0.0015, 0, 0},
        {"0x1F", 31.0, 31, 1},
        {"0XfF", 255.0, 255, 1},
        {"0x7FFFFFFFFFFFFFFF", 9223372036854775807.0, INT64_MAX, 1},
        {"0x8000000000000000", 9223372036854775808.0, 0, 0},
        {"9223372036854775807", 9223372036854775807.0, INT64_MAX, 1},
        {"9223372036854775808", 9223372036854775808.0, 0, 0},
        // Only the first 63 digits are read: 1 followed by 62 zeros.
        {seventy_digits.c_str(), 1e62, 0, 0},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(c.text);
        BridgeHarness bridge(c.text);
        BridgeHarness::Delivered d = bridge.next();
        ASSERT_EQ(d.code, TOK_NUMBER);
        EXPECT_EQ(d.number.value, c.value);
        EXPECT_EQ(d.number.integer_value, c.integer_value);
        EXPECT_EQ(d.number.is_integer, c.is_integer);
        EXPECT_EQ(bridge.next().code, 0);
        EXPECT_EQ(bridge.diagnostic_count(), 0u);
    }
}

TEST(BridgeValues, SixtyThreeDigitIntegerPrefixOfALongerNumeral) {
    // Digits past the 63rd are ignored, even when dropping them turns a
    // huge numeral into a small integer.
    std::string numeral = std::string(62, '0') + "42" + std::string(10, '9');
    BridgeHarness bridge(numeral.c_str());
    BridgeHarness::Delivered d = bridge.next();
    ASSERT_EQ(d.code, TOK_NUMBER);
    EXPECT_EQ(d.number.is_integer, 1);
    EXPECT_EQ(d.number.integer_value, 4);
    EXPECT_EQ(d.number.value, 4.0);
}

// A range error left over from earlier library calls must not cost a
// numeral its integer value.
TEST(BridgeValues, StaleErrnoDoesNotSpoilAnInteger) {
    for (const char* text : {"12", "0x1F"}) {
        SCOPED_TRACE(text);
        NumberValue number{-1.0, -1, -1};
        errno = ERANGE;
        convert_number_token(text, static_cast<int32_t>(strlen(text)), &number);
        EXPECT_EQ(number.is_integer, 1);
        EXPECT_EQ(number.integer_value, text[1] == 'x' ? 31 : 12);
    }
}

struct TextCase {
    const char* source;
    int code;
    const char* text;
};

TEST(BridgeValues, TextsAreCopiedOrDecoded) {
    const TextCase cases[] = {
        {"counter", TOK_IDENT, "counter"},
        {"math.sqrt(2)", TOK_QUALIFIED_IDENT, "math.sqrt"},
        {"{scale more}", TOK_MODIFIER_PREFIX, "scale more"},
        {"\"a\\tb\"", TOK_STRING, "a\tb"},
        {"\"\"", TOK_STRING, ""},
        {"\"two\nlines\"", TOK_STRING, "two\nlines"},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.source);
        BridgeHarness bridge(c.source);
        BridgeHarness::Delivered d = bridge.next();
        EXPECT_EQ(d.code, c.code);
        EXPECT_TRUE(d.wrote_text);
        EXPECT_EQ(d.text, c.text);
    }
}

TEST(BridgeValues, LensTextIsCopied) {
    BridgeHarness bridge("x[{ > 2 }]");
    EXPECT_EQ(bridge.next().code, TOK_IDENT);
    EXPECT_EQ(bridge.next().code, TOK_LBRACKET);
    EXPECT_EQ(bridge.next().code, TOK_LBRACE);
    lexer_begin_lens(&bridge.lexer());
    BridgeHarness::Delivered lens = bridge.next();
    EXPECT_EQ(lens.code, TOK_LENS_CONTENT);
    EXPECT_EQ(lens.text, " > 2 ");
    expect_span(lens.location, 1, 4, 1, 9);
    EXPECT_EQ(bridge.next().code, TOK_RBRACE);
}

// Tokens without a value leave the value record alone.
TEST(BridgeValues, TokenCodesAndUntouchedValues) {
    struct Case {
        const char* source;
        std::vector<int> codes;
    };
    const Case cases[] = {
        {"unknown error nothing", {TOK_UNKNOWN_VALUE, TOK_ERROR_VALUE, TOK_NOTHING, 0}},
        {"a.b", {TOK_IDENT, TOK_DOT, TOK_IDENT, 0}},
        {"x += 1\n", {TOK_IDENT, TOK_PLUS_EQ, TOK_NUMBER, TOK_NEWLINE, 0}},
        {"if a !>= b then", {TOK_IF, TOK_IDENT, TOK_OP_NGE, TOK_IDENT, TOK_THEN, 0}},
        {"dim r as {k: [1, 2]}",
         {TOK_DIM, TOK_IDENT, TOK_AS, TOK_LBRACE, TOK_IDENT, TOK_COLON, TOK_LBRACKET,
          TOK_NUMBER, TOK_COMMA, TOK_NUMBER, TOK_RBRACKET, TOK_RBRACE, 0}},
        {"for each v in xs", {TOK_FOR, TOK_EACH, TOK_IDENT, TOK_IN, TOK_IDENT, 0}},
        {"consider x\nif 1\nelse\nend consider",
         {TOK_CONSIDER, TOK_IDENT, TOK_NEWLINE, TOK_CONSIDER_IF, TOK_NUMBER, TOK_NEWLINE,
          TOK_CONSIDER_ELSE, TOK_NEWLINE, TOK_END_CONSIDER, 0}},
        {"", {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        BridgeHarness bridge(c.source);
        for (size_t i = 0; i < c.codes.size(); ++i) {
            BridgeHarness::Delivered d = bridge.next();
            EXPECT_EQ(d.code, c.codes[i]) << "token " << i;
            bool carries_text = d.code == TOK_IDENT || d.code == TOK_STRING ||
                                d.code == TOK_QUALIFIED_IDENT || d.code == TOK_LENS_CONTENT ||
                                d.code == TOK_MODIFIER_PREFIX;
            if (d.code != TOK_NUMBER) {
                EXPECT_EQ(d.wrote_text, carries_text) << "token " << i;
            }
        }
        EXPECT_EQ(bridge.context().failed, 0);
        EXPECT_EQ(bridge.diagnostic_count(), 0u);
    }
}

TEST(BridgeValues, Locations) {
    struct Case {
        const char* source;
        int skip;  // tokens before the one checked
        int code;
        SourceSpan location;
    };
    const Case cases[] = {
        {"x {scale}= 1", 1, TOK_MODIFIER_PREFIX, {1, 3, 1, 8}},
        {"x {scale}= 1", 2, TOK_OP_EQ, {1, 10, 1, 11}},
        {"  while", 0, TOK_WHILE, {1, 3, 1, 8}},
        {"a\n  bc", 1, TOK_NEWLINE, {1, 2, 1, 3}},
        {"a\n  bc", 2, TOK_IDENT, {2, 3, 2, 5}},
        // A string over two lines keeps its first line as the last.
        {"\"ab\ncd\" x", 0, TOK_STRING, {1, 1, 1, 8}},
        {"\"ab\ncd\" x", 1, TOK_IDENT, {2, 5, 2, 6}},
        {"f(1,\n  2)", 4, TOK_NUMBER, {2, 3, 2, 4}},
        {"x", 1, 0, {1, 2, 1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " #" + std::to_string(c.skip));
        BridgeHarness bridge(c.source);
        for (int i = 0; i < c.skip; ++i) bridge.next();
        BridgeHarness::Delivered d = bridge.next();
        EXPECT_EQ(d.code, c.code);
        expect_span(d.location, c.location.start_line, c.location.start_column,
                    c.location.end_line, c.location.end_column);
        expect_span(bridge.context().token_location, c.location.start_line,
                    c.location.start_column, c.location.end_line, c.location.end_column);
    }
}

}  // namespace
