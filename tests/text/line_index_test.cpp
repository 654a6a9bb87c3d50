#include <gtest/gtest.h>

#include <string>

#include "text/line_index.h"
#include "text/utf8.h"

namespace {

TEST(Utf16Units, CountsByLeadByte) {
    struct Case {
        std::string bytes;
        int32_t units;
    };
    const Case cases[] = {
        {"", 0},
        {"abc", 3},
        {"\xc3\xa9", 1},                  // é
        {"\xe2\x82\xac", 1},              // euro sign
        {"\xf0\x9f\x98\x80", 2},          // emoji: a surrogate pair
        {"a\xc3\xa9\xf0\x9f\x98\x80z", 5},
        {"\xc3", 1},                      // cut two-byte sequence counts one
        {"\xf0\x9f\x98", 3},              // cut four-byte: three single bytes
        {"\x80\x80", 2},                  // stray continuation bytes
        {"\xf8\xff", 2},                  // bytes that lead nothing
        {"\xc3x", 1},                     // continuation not examined
        {std::string("a\0b", 3), 3},      // length decides, not a zero byte
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utf16_units(c.bytes.data(), c.bytes.size()), c.units) << c.bytes;
    }
}

struct PositionCase {
    const char* text;
    int32_t line;
    int32_t column;
    PositionEncoding encoding;
    int32_t expected_line;
    int32_t expected_character;
};

constexpr PositionEncoding U16 = POSITION_ENCODING_UTF16;
constexpr PositionEncoding U8 = POSITION_ENCODING_UTF8;

const PositionCase kPositionCases[] = {
    // Plain ASCII: same in both encodings.
    {"a\nb\nabcdefgh\n", 3, 5, U16, 2, 4},
    {"a\nb\nabcdefgh\n", 3, 5, U8, 2, 4},
    // é then x: byte column 4 is 2 characters in, 3 bytes in.
    {"l1\n\xc3\xa9xy\n", 2, 4, U16, 1, 2},
    {"l1\n\xc3\xa9xy\n", 2, 4, U8, 1, 3},
    // An emoji before the position counts 2 units or 4 bytes.
    {"\xf0\x9f\x98\x80=1\n", 1, 5, U16, 0, 2},
    {"\xf0\x9f\x98\x80=1\n", 1, 5, U8, 0, 4},
    // Column 1, line or column 0 or negative.
    {"\xc3\xa9\xc3\xa9\n", 1, 1, U16, 0, 0},
    {"abc", 0, 3, U16, 0, 2},
    {"abc", -4, -1, U16, 0, 0},
    {"abc", 1, 0, U8, 0, 0},
    // Past the end of its line: cut in UTF-16, kept in UTF-8.
    {"ab\ncdef\n", 1, 40, U16, 0, 2},
    {"ab\ncdef\n", 1, 40, U8, 0, 39},
    {"ab", 1, 9, U16, 0, 2},
    // A carriage return is a character of its line.
    {"ab\r\ncd\r\n", 1, 4, U16, 0, 3},
    {"ab\r\ncd\r\n", 2, 3, U16, 1, 2},
    // Lines past the end keep their number and are empty.
    {"ab\n", 7, 5, U16, 6, 0},
    {"ab\n", 2, 5, U16, 1, 0},
    {"", 1, 5, U16, 0, 0},
    // Line-1 columns start after a byte-order mark; the mark itself is one
    // unit (three bytes) of the editor's line.
    {"\xef\xbb\xbfx = 1", 1, 5, U16, 0, 5},
    {"\xef\xbb\xbfx = 1", 1, 5, U8, 0, 7},
    {"\xef\xbb\xbfx = 1", 1, 1, U16, 0, 1},
    {"\xef\xbb\xbfx = 1", 1, 1, U8, 0, 3},
    {"\xef\xbb\xbfx = 1", 1, 0, U16, 0, 0},
    {"\xef\xbb\xbfx\n\xc3\xa9y", 2, 3, U16, 1, 1},
    {"\xef\xbb", 1, 2, U16, 0, 1},
    // Empty lines in between.
    {"\n\n\n\xc3\xa9z", 4, 4, U16, 3, 2},
};

TEST(PositionConversion, WalkAndIndexAgree) {
    for (const PositionCase& c : kPositionCases) {
        ProtocolPosition walked = position_character(c.text, c.line, c.column, c.encoding);
        EXPECT_EQ(walked.line, c.expected_line) << c.text << " " << c.line << ":" << c.column;
        EXPECT_EQ(walked.character, c.expected_character) << c.text << " " << c.line << ":" << c.column;

        LineIndex index;
        line_index_build(&index, c.text);
        ProtocolPosition indexed = position_in_index(&index, c.line, c.column, c.encoding);
        line_index_free(&index);
        EXPECT_EQ(indexed.line, walked.line) << c.text;
        EXPECT_EQ(indexed.character, walked.character) << c.text;
    }
}

TEST(PositionConversion, NullTextKeepsTheByteOffset) {
    ProtocolPosition position = position_character(nullptr, 3, 8, U16);
    EXPECT_EQ(position.line, 2);
    EXPECT_EQ(position.character, 7);
}

// Every position of a mixed text, converted both ways, must agree: the index
// is only allowed to be faster, never different.
TEST(PositionConversion, IndexMatchesWalkEverywhere) {
    const std::string texts[] = {
        "x\r\n\xc3\xa9t\xf0\x9f\x98\x80\n\n\xe2\x82\xac\xe2\x82\xac end\n\x80\xff\xc3\nlast",
        "\xef\xbb\xbf\xc3\xa9 = 1\r\n\xef\xbb\xbfx\n",
        "",
    };
    for (const std::string& text : texts) {
        LineIndex index;
        line_index_build(&index, text.c_str());
        for (int32_t line = -1; line <= 9; ++line) {
            for (int32_t column = -1; column <= 16; ++column) {
                for (PositionEncoding encoding : {U16, U8}) {
                    ProtocolPosition walked = position_character(text.c_str(), line, column, encoding);
                    ProtocolPosition indexed = position_in_index(&index, line, column, encoding);
                    ASSERT_EQ(indexed.line, walked.line) << line << ":" << column;
                    ASSERT_EQ(indexed.character, walked.character) << line << ":" << column;
                }
            }
        }
        line_index_free(&index);
    }
}

// Lines longer than kWalkedLineBytes go through the per-line boundary table.
// Invalid sequences make the cut-off rules matter: every offset must still
// give what walking the prefix gives.
TEST(PositionConversion, LongLinesMatchTheWalkAtEveryOffset) {
    const std::string pieces[] = {"a", "\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x98\x80",
                                  "\xf0\xc3\xa9", "\xe0" "A", "\x80", "\xff", "\r"};
    std::string line;
    for (size_t i = 0; line.size() < 3 * kWalkedLineBytes; ++i) {
        line += pieces[(i * 7 + i / 3) % (sizeof pieces / sizeof pieces[0])];
    }
    const std::string text = "short\n" + line + "\n" + line + "\xf0\x9f";
    LineIndex index;
    line_index_build(&index, text.c_str());
    for (int32_t line_number : {2, 3}) {
        for (int32_t column = 1; column <= static_cast<int32_t>(line.size()) + 5; ++column) {
            ProtocolPosition walked = position_character(text.c_str(), line_number, column, U16);
            ProtocolPosition indexed = position_in_index(&index, line_number, column, U16);
            ASSERT_EQ(indexed.character, walked.character) << line_number << ":" << column;
        }
    }
    // Going back and forth on one line reuses its table.
    EXPECT_EQ(position_in_index(&index, 2, 2, U16).character, 1);
    EXPECT_EQ(position_in_index(&index, 2, 100000, U16).character,
              position_character(text.c_str(), 2, 100000, U16).character);
    line_index_free(&index);
}

// Every source position at the start of a character survives the trip to
// the protocol and back, in both encodings, on lines with multi-byte
// characters and after a byte-order mark.
TEST(SourcePosition, InvertsTheProtocolPosition) {
    const std::string texts[] = {
        "x = \"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\" + y\nlet z\n",
        "\xEF\xBB\xBFprint \"\xf0\x9f\x98\x80\"\nnext\n",
        "a\r\nb\n\n\xc3\xa9",
    };
    for (const std::string& text : texts) {
        LineIndex index;
        line_index_build(&index, text.c_str());
        int32_t line = 1;
        int32_t column = 1;
        bool mark = text.rfind("\xEF\xBB\xBF", 0) == 0;
        for (size_t i = mark ? 3 : 0; i <= text.size(); ++i) {
            bool starts_character = i == text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
            if (starts_character) {
                uint32_t offset = static_cast<uint32_t>(i);
                EXPECT_EQ(line_index_offset(&index, line, column), offset) << i;
                for (PositionEncoding encoding : {POSITION_ENCODING_UTF16, POSITION_ENCODING_UTF8}) {
                    ProtocolPosition protocol = position_in_index(&index, line, column, encoding);
                    ProtocolPosition direct = line_index_position(&index, offset, encoding);
                    EXPECT_EQ(direct.line, protocol.line) << i;
                    EXPECT_EQ(direct.character, protocol.character) << i;
                    uint32_t back = 0;
                    ASSERT_TRUE(line_index_offset_at(&index, protocol, encoding, &back));
                    EXPECT_EQ(back, offset) << i << " in " << (encoding == POSITION_ENCODING_UTF8 ? "utf-8" : "utf-16");
                }
            }
            if (i < text.size() && text[i] == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        line_index_free(&index);
    }
}

TEST(SourcePosition, ClampsAndRefuses) {
    const char* text = "ab\xf0\x9f\x98\x80\r\ncd";
    LineIndex index;
    line_index_build(&index, text);
    uint32_t offset = 0;
    // Inside the surrogate pair: the emoji's first byte. Past the end: the line's end.
    ASSERT_TRUE(line_index_offset_at(&index, {0, 3}, POSITION_ENCODING_UTF16, &offset));
    EXPECT_EQ(offset, 2u);
    ASSERT_TRUE(line_index_offset_at(&index, {0, 99}, POSITION_ENCODING_UTF16, &offset));
    EXPECT_EQ(offset, 7u);
    ASSERT_TRUE(line_index_offset_at(&index, {1, 99}, POSITION_ENCODING_UTF8, &offset));
    EXPECT_EQ(offset, 10u);
    EXPECT_FALSE(line_index_offset_at(&index, {2, 0}, POSITION_ENCODING_UTF8, &offset));
    EXPECT_FALSE(line_index_offset_at(&index, {-1, 0}, POSITION_ENCODING_UTF8, &offset));
    // Edits are never refused: they stop before a CRLF break and at the text's ends.
    EXPECT_EQ(line_index_clamped_offset(&index, {0, 99}, POSITION_ENCODING_UTF16), 6u);
    EXPECT_EQ(line_index_clamped_offset(&index, {7, 0}, POSITION_ENCODING_UTF16), 10u);
    EXPECT_EQ(line_index_clamped_offset(&index, {-1, 5}, POSITION_ENCODING_UTF8), 0u);
    EXPECT_EQ(line_index_line_of(&index, 7), 0u);
    EXPECT_EQ(line_index_line_of(&index, 8), 1u);
    line_index_free(&index);
}


// Counting as an editor decodes: on random bytes (mostly ASCII, with
// multi-byte, cut and stray sequences) every prefix that ends between two
// decoded characters counts exactly the units of the characters before it,
// so positions of such offsets never go backwards.
TEST(Utf16UnitsWellFormed, AgreesWithAPlainDecodeAndNeverGoesBack) {
    const std::string pieces[] = {"a", "bc", "0123456789", "\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x98\x80",
                                  "\xc3", "\x80", "\xff", "\xed\xa0\x80", "\xf0\x9f"};
    uint32_t state = 12345;
    for (int round = 0; round < 400; ++round) {
        std::string text;
        int count = static_cast<int>((state = state * 1103515245u + 12345u) >> 16) % 40;
        for (int i = 0; i < count; ++i) {
            text += pieces[((state = state * 1103515245u + 12345u) >> 16) % (sizeof pieces / sizeof pieces[0])];
        }
        int32_t reference = 0;
        for (size_t at = 0; at <= text.size();) {
            EXPECT_EQ(utf16_units_well_formed(text.data(), at), reference) << text << " at " << at;
            if (at == text.size()) break;
            size_t sequence = utf8_sequence_length(reinterpret_cast<const unsigned char*>(text.data()) + at,
                                                   text.size() - at);
            reference += sequence == 4 ? 2 : 1;
            at += sequence == 0 ? 1 : sequence;
        }
    }
}

}  // namespace
