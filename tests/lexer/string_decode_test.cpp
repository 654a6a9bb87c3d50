#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "diag/diagnostic.h"
#include "lexer/string_literal.h"

namespace {

// A context with its own diagnostic list, released at the end of a test.
struct DecodeFixture {
    DiagnosticList list{};
    StringReport context{};

    DecodeFixture() {
        diag_list_init(&list);
        context.list = &list;
        context.path = "file:///a.tov";
    }
    ~DecodeFixture() { diag_list_free(&list); }

    // Decodes `literal` (quotes included) at line 3, column 5.
    std::string decode(const std::string& literal, int32_t* ok) {
        char* value = decode_string_literal(&context, literal.data(),
                                            static_cast<int32_t>(literal.size()), 3, 5, ok);
        std::string result = value ? std::string(value) : std::string("<null>");
        if (*ok) EXPECT_NE(value, nullptr);
        else EXPECT_EQ(value, nullptr);
        free(value);
        return result;
    }
};

constexpr const char* kRange = "invalid unicode escape: codepoint must be between 0 and 0x10FFFF";
constexpr const char* kSurrogate =
    "invalid unicode escape: surrogate codepoints (0xD800..0xDFFF) are not valid";
constexpr const char* kZero =
    "invalid unicode escape: \\u{0} is not allowed in a literal; use chr(0)";

struct DecodeCase {
    const char* literal;
    const char* value;  // null: the literal is rejected
    const char* error;  // message of the rejection
};

const DecodeCase kDecodeCases[] = {
    {"\"\"", "", nullptr},
    {"\"", "", nullptr},
    {"\"plain text\"", "plain text", nullptr},
    {"\"a\\tb\"", "a\tb", nullptr},
    {"\"\\n\\\\\"", "\n\\", nullptr},
    {"\"say \\\"hi\\\"\"", "say \"hi\"", nullptr},
    {"\"it's\"", "it's", nullptr},
    {"\"raw\ttab\r\"", "raw\ttab\r", nullptr},
    {"\"\\u{41}\"", "A", nullptr},
    {"\"\\u{e9}\"", "\xC3\xA9", nullptr},
    {"\"\\u{7F}\\u{80}\"", "\x7F\xC2\x80", nullptr},
    {"\"\\u{7ff}\\u{800}\"", "\xDF\xBF\xE0\xA0\x80", nullptr},
    {"\"\\u{20AC}\"", "\xE2\x82\xAC", nullptr},
    {"\"\\u{FFFF}\\u{10000}\"", "\xEF\xBF\xBF\xF0\x90\x80\x80", nullptr},
    {"\"\\u{1F600}\"", "\xF0\x9F\x98\x80", nullptr},
    {"\"\\u{10FFFF}\"", "\xF4\x8F\xBF\xBF", nullptr},
    {"\"\\u{000041}\"", "A", nullptr},
    {"\"x\\u{41}y\\u{42}z\"", "xAyBz", nullptr},
    {"\"\\u{110000}\"", nullptr, kRange},
    {"\"\\u{0000041}\"", nullptr, kRange},
    {"\"\\u{FFFFFFFFFFFFFFFFFFFF41}\"", nullptr, kRange},
    {"\"\\u{D800}\"", nullptr, kSurrogate},
    {"\"\\u{dfff}\"", nullptr, kSurrogate},
    {"\"\\u{D7FF}\"", "\xED\x9F\xBF", nullptr},
    {"\"\\u{E000}\"", "\xEE\x80\x80", nullptr},
    {"\"\\u{0}\"", nullptr, kZero},
    {"\"\\u{000}\"", nullptr, kZero},
    // Only direct callers can hand over these; the scanner rejects them.
    {"\"abc\\\"", nullptr, "unterminated escape sequence"},
    {"\"\\u{4G}\"", nullptr, kRange},
    // The byte after `u` is taken for the `{` the scanner insists on.
    {"\"\\u41}\"", "\x01", nullptr},
    {"\"\\u{41\"", "A", nullptr},
    {"\"\\u{\"", nullptr, kZero},
    {"\"\\u\"", nullptr, kZero},
};

TEST(StringDecode, ValuesAndErrors) {
    for (const DecodeCase& c : kDecodeCases) {
        SCOPED_TRACE(c.literal);
        DecodeFixture fx;
        int32_t ok = -1;
        std::string value = fx.decode(c.literal, &ok);
        if (c.value) {
            EXPECT_EQ(ok, 1);
            EXPECT_EQ(value, c.value);
            EXPECT_EQ(diag_list_count(&fx.list), 0u);
            continue;
        }
        EXPECT_EQ(ok, 0);
        ASSERT_EQ(diag_list_count(&fx.list), 1u);
        const Diagnostic* d = diag_list_at(&fx.list, 0);
        EXPECT_EQ(d->severity, SEVERITY_ERROR);
        EXPECT_EQ(d->kind, TV_DIAG_STRING_LITERAL);
        EXPECT_EQ(d->subcode, 0);
        EXPECT_STREQ(d->path, "file:///a.tov");
        EXPECT_STREQ(d->message, c.error);
        int32_t length = static_cast<int32_t>(strlen(c.literal));
        EXPECT_EQ(d->span.start_line, 3);
        EXPECT_EQ(d->span.start_column, 5);
        EXPECT_EQ(d->span.end_line, 3);
        EXPECT_EQ(d->span.end_column, 5 + length);
    }
}

TEST(StringDecode, OnlyTheFirstErrorIsReported) {
    DecodeFixture fx;
    int32_t ok = -1;
    fx.decode("\"\\u{D800}\\u{0}\"", &ok);
    EXPECT_EQ(ok, 0);
    ASSERT_EQ(diag_list_count(&fx.list), 1u);
    EXPECT_STREQ(diag_list_at(&fx.list, 0)->message, kSurrogate);
}

TEST(StringDecode, UnknownEscapesWarnOverTheWholeLiteral) {
    struct Case {
        const char* literal;
        const char* value;
        const char* warnings[2];
    };
    const Case cases[] = {
        {"\"\\q\"", "\\q",
         {"unknown escape \\q kept as the two characters; write \\\\q to say so", nullptr}},
        {"\"\\q\\r\"", "\\q\\r",
         {"unknown escape \\q kept as the two characters; write \\\\q to say so",
          "unknown escape \\r kept as the two characters; write \\\\r to say so"}},
        {"\"50\\%\"", "50\\%",
         {"unknown escape \\% kept as the two characters; write \\\\% to say so", nullptr}},
        // Only n, t, the quote and the backslash are escapes; no NUL or
        // capital U escape exists.
        {"\"\\0\"", "\\0",
         {"unknown escape \\0 kept as the two characters; write \\\\0 to say so", nullptr}},
        {"\"\\U{41}\"", "\\U{41}",
         {"unknown escape \\U kept as the two characters; write \\\\U to say so", nullptr}},
        // A backslash at the end of a line with CR LF line ends escapes the CR.
        {"\"a\\\r\nb\"", "a\\\r\nb",
         {"unknown escape \\\r kept as the two characters; write \\\\\r to say so", nullptr}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.literal);
        DecodeFixture fx;
        int32_t ok = -1;
        EXPECT_EQ(fx.decode(c.literal, &ok), c.value);
        EXPECT_EQ(ok, 1);
        size_t expected = c.warnings[1] ? 2u : 1u;
        ASSERT_EQ(diag_list_count(&fx.list), expected);
        SourceSpan first = diag_list_at(&fx.list, 0)->span;
        for (size_t i = 0; i < expected; ++i) {
            const Diagnostic* d = diag_list_at(&fx.list, i);
            EXPECT_EQ(d->severity, SEVERITY_WARNING);
            EXPECT_EQ(d->kind, TV_DIAG_STRING_LITERAL);
            EXPECT_STREQ(d->path, "file:///a.tov");
            EXPECT_STREQ(d->message, c.warnings[i]);
            EXPECT_EQ(d->span.start_line, first.start_line);
            EXPECT_EQ(d->span.end_column, first.end_column);
        }
        EXPECT_EQ(first.start_line, 3);
        EXPECT_EQ(first.start_column, 5);
    }
}

TEST(StringDecode, WarningsStayWhenALaterEscapeFails) {
    DecodeFixture fx;
    int32_t ok = -1;
    fx.decode("\"\\q\\u{0}\"", &ok);
    EXPECT_EQ(ok, 0);
    ASSERT_EQ(diag_list_count(&fx.list), 2u);
    EXPECT_EQ(diag_list_at(&fx.list, 0)->severity, SEVERITY_WARNING);
    EXPECT_EQ(diag_list_at(&fx.list, 1)->severity, SEVERITY_ERROR);
    EXPECT_STREQ(diag_list_at(&fx.list, 1)->message, kZero);
}

TEST(StringDecode, RangeOfALiteralOverTwoLinesEndsOnTheSecond) {
    DecodeFixture fx;
    int32_t ok = -1;
    // Opening quote at 3:5; the second line holds `tail\q"`, 7 bytes.
    EXPECT_EQ(fx.decode("\"head\ntail\\q\"", &ok), "head\ntail\\q");
    ASSERT_EQ(diag_list_count(&fx.list), 1u);
    SourceSpan span = diag_list_at(&fx.list, 0)->span;
    EXPECT_EQ(span.start_line, 3);
    EXPECT_EQ(span.start_column, 5);
    EXPECT_EQ(span.end_line, 4);
    EXPECT_EQ(span.end_column, 8);
}

// Each warning carries the range of the whole literal. The range is walked
// once per literal, so a literal packed with unknown escapes decodes in one
// pass; walking it again for every warning would take minutes here.
TEST(StringDecode, ManyUnknownEscapesShareOneRange) {
    constexpr int32_t kEscapes = 200000;
    std::string literal = "\"";
    for (int32_t i = 0; i < kEscapes; ++i) literal += i == kEscapes / 2 ? "\n\\q" : "\\q";
    literal += "\"";
    DecodeFixture fx;
    int32_t ok = -1;
    std::string value = fx.decode(literal, &ok);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(value, literal.substr(1, literal.size() - 2));
    ASSERT_EQ(diag_list_count(&fx.list), static_cast<size_t>(kEscapes));
    // The line feed splits the literal: the second line holds the second
    // half of the escapes (2 bytes each) and the closing quote.
    const int32_t last_line_bytes = 2 * (kEscapes - kEscapes / 2) + 1;
    for (size_t i = 0; i < diag_list_count(&fx.list); ++i) {
        const Diagnostic* d = diag_list_at(&fx.list, i);
        ASSERT_EQ(d->severity, SEVERITY_WARNING) << i;
        ASSERT_STREQ(d->message,
                     "unknown escape \\q kept as the two characters; write \\\\q to say so")
            << i;
        ASSERT_EQ(d->span.start_line, 3) << i;
        ASSERT_EQ(d->span.start_column, 5) << i;
        ASSERT_EQ(d->span.end_line, 4) << i;
        ASSERT_EQ(d->span.end_column, 1 + last_line_bytes) << i;
    }
}

TEST(StringDecode, WithoutAListDiagnosticsGoToStandardError) {
    StringReport context{};
    context.path = "p.tov";
    int32_t ok = -1;
    testing::internal::CaptureStderr();
    char* value = decode_string_literal(&context, "\"\\q\"", 4, 2, 7, &ok);
    char* rejected = decode_string_literal(&context, "\"\\u{0}\"", 7, 4, 1, &ok);
    std::string written = testing::internal::GetCapturedStderr();
    ASSERT_NE(value, nullptr);
    EXPECT_STREQ(value, "\\q");
    free(value);
    EXPECT_EQ(rejected, nullptr);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(written,
              "warning at p.tov:2:7: unknown escape \\q kept as the two characters; write \\\\q to "
              "say so\n"
              "runtime error at p.tov:4:1: invalid unicode escape: \\u{0} is not allowed in a "
              "literal; use chr(0)\n");
}

TEST(StringDecode, TokenDiagnosticRanges) {
    struct Case {
        const char* text;
        SourceSpan expected;
    };
    const Case cases[] = {
        {"", {2, 9, 2, 9}},
        {";", {2, 9, 2, 10}},
        {"\"ab\ncd\"", {2, 9, 3, 4}},
        {"\"a\n\n\"", {2, 9, 4, 2}},
        {"\"x\n", {2, 9, 3, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        DecodeFixture fx;
        int32_t length = static_cast<int32_t>(strlen(c.text));
        add_token_error(&fx.context, TV_DIAG_LEX_ERROR, 2, 9, c.text, length, "e");
        add_token_warning(&fx.context, TV_DIAG_STRING_LITERAL, 2, 9, c.text, length, "w");
        ASSERT_EQ(diag_list_count(&fx.list), 2u);
        for (size_t i = 0; i < 2; ++i) {
            SourceSpan span = diag_list_at(&fx.list, i)->span;
            EXPECT_EQ(span.start_line, c.expected.start_line);
            EXPECT_EQ(span.start_column, c.expected.start_column);
            EXPECT_EQ(span.end_line, c.expected.end_line);
            EXPECT_EQ(span.end_column, c.expected.end_column);
        }
        EXPECT_EQ(diag_list_at(&fx.list, 0)->severity, SEVERITY_ERROR);
        EXPECT_EQ(diag_list_at(&fx.list, 0)->kind, TV_DIAG_LEX_ERROR);
        EXPECT_EQ(diag_list_at(&fx.list, 1)->severity, SEVERITY_WARNING);
        EXPECT_EQ(diag_list_at(&fx.list, 1)->kind, TV_DIAG_STRING_LITERAL);
    }
}

// Every accepted code point encodes to the shortest well-formed UTF-8 form,
// read back here with an independent decoder.
TEST(StringDecode, EncodeUtf8RoundTripsEveryCodePoint) {
    for (uint32_t v = 1; v <= 0x10FFFF; ++v) {
        if (v >= 0xD800 && v <= 0xDFFF) continue;
        char buffer[4] = {0, 0, 0, 0};
        int32_t length = encode_utf8(v, buffer);
        int32_t expected = v < 0x80 ? 1 : v < 0x800 ? 2 : v < 0x10000 ? 3 : 4;
        ASSERT_EQ(length, expected) << std::hex << v;
        const unsigned char* b = reinterpret_cast<const unsigned char*>(buffer);
        static const unsigned char kLeadMask[] = {0, 0x80, 0xE0, 0xF0, 0xF8};
        static const unsigned char kLeadBits[] = {0, 0x00, 0xC0, 0xE0, 0xF0};
        ASSERT_EQ(b[0] & kLeadMask[length], kLeadBits[length]) << std::hex << v;
        uint32_t back = b[0] & static_cast<unsigned char>(~kLeadMask[length]);
        for (int32_t i = 1; i < length; ++i) {
            ASSERT_EQ(b[i] & 0xC0, 0x80) << std::hex << v;
            back = back << 6 | (b[i] & 0x3F);
        }
        ASSERT_EQ(back, v);
    }
}

TEST(StringDecode, HexDigitValues) {
    const char* digits = "0123456789abcdef";
    for (int32_t i = 0; i < 16; ++i) {
        EXPECT_EQ(hex_digit_value(static_cast<unsigned char>(digits[i])), i);
        EXPECT_EQ(hex_digit_value(static_cast<unsigned char>(toupper(digits[i]))), i);
    }
    for (unsigned char byte : {'g', 'G', '/', ':', '@', '`', ' ', '\0', '\xFF', 'x'}) {
        EXPECT_EQ(hex_digit_value(byte), -1) << static_cast<int>(byte);
    }
}

// Every short literal over the bytes that matter to escapes decodes without
// growing past its buffer, and either succeeds silently apart from warnings
// or fails with exactly one error.
TEST(StringDecode, AnyShortLiteralDecodesSafely) {
    const char alphabet[] = {'\\', 'u', '{', '}', '0', '1', 'D', 'q', '"'};
    constexpr int32_t kAlphabetSize = sizeof alphabet;
    constexpr int32_t kInner = 6;
    int32_t total = 1;
    for (int32_t i = 0; i < kInner; ++i) total *= kAlphabetSize;
    DecodeFixture fx;
    for (int32_t n = 0; n < total; ++n) {
        std::string literal = "\"";
        for (int32_t i = 0, rest = n; i < kInner; ++i, rest /= kAlphabetSize) {
            literal += alphabet[rest % kAlphabetSize];
        }
        literal += '"';
        int32_t ok = -1;
        size_t before = diag_list_count(&fx.list);
        char* value = decode_string_literal(&fx.context, literal.data(),
                                            static_cast<int32_t>(literal.size()), 1, 1, &ok);
        size_t errors = 0;
        for (size_t i = before; i < diag_list_count(&fx.list); ++i) {
            errors += diag_list_at(&fx.list, i)->severity == SEVERITY_ERROR;
        }
        if (ok) {
            ASSERT_NE(value, nullptr) << literal;
            ASSERT_LE(strlen(value), literal.size() - 2) << literal;
            ASSERT_EQ(errors, 0u) << literal;
        } else {
            ASSERT_EQ(value, nullptr) << literal;
            ASSERT_EQ(errors, 1u) << literal;
        }
        free(value);
        if (diag_list_count(&fx.list) > 1000) diag_list_free(&fx.list);
    }
}

}  // namespace
