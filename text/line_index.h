#pragma once

#include <cstddef>
#include <cstdint>

#include "text/text_range.h"

// Three ways to name a place in a document, and the one index that converts
// between them:
// - byte offsets (TextRange), what the editor features work in;
// - the lexer's 1-based lines and byte columns, where line 1 counts its
//   columns after a byte-order mark (the front end's spans);
// - protocol positions: 0-based lines and characters in the negotiated
//   encoding, where a byte-order mark is the first character of line 1.
// The byte-order-mark rule lives in line_index_offset and its inverse,
// nowhere else.

// How protocol positions count characters within a line.
enum PositionEncoding : int32_t {
    POSITION_ENCODING_UTF16 = 0,  // UTF-16 code units, the protocol's default
    POSITION_ENCODING_UTF8 = 1,   // bytes, when the editor offers it
};

struct ProtocolPosition {
    int32_t line;
    int32_t character;
};

// UTF-16 code units of a UTF-8 byte range. The lead byte alone decides the
// sequence length, so invalid UTF-8 never fails, it just gets a plausible
// count; a sequence cut off by the end of the range counts as one byte.
int32_t utf16_units(const char* bytes, size_t length);

// UTF-16 code units of a UTF-8 byte range as an editor decodes it: a
// well-formed sequence is one character (two units above U+FFFF), and every
// other byte is one character of its own (U+FFFD). A prefix that ends
// between two characters counts exactly the characters before it, so the
// positions of such offsets never go backwards. The byte-offset conversions
// below count this way; on valid UTF-8 it agrees with utf16_units.
int32_t utf16_units_well_formed(const char* bytes, size_t length);

// The same count with the common case inline: most tokens and the gaps
// between them are short runs of ASCII, one unit per byte.
inline int32_t utf16_units_short(const char* bytes, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(bytes[i]) >= 0x80) return utf16_units_well_formed(bytes, length);
    }
    return static_cast<int32_t>(length);
}

// ---- Reference form ------------------------------------------------------
// The definition the indexed conversion below is held to, not what
// publication runs: it walks from the start of the text for every position,
// which is quadratic over a document full of findings. Tests compare the two.

// Converts one position by walking the text from its start to the line.
// Zero or negative lines and columns become 0; in UTF-16 a column past the
// end of its line is cut to the line's end, in UTF-8 it is kept. On line 1
// of a text that starts with a byte-order mark, columns count from after
// the mark (as the lexer does) and are moved past it.
ProtocolPosition position_character(const char* text, int32_t line, int32_t column,
                                    PositionEncoding encoding);

// ---- What publication runs ------------------------------------------------

// Where each line starts, built once per publication so that converting
// many positions costs one pass over the text instead of one per position.
// Long lines also get, when first needed, the UTF-16 count of every prefix,
// so many positions on one long line stay cheap.
struct LineIndex {
    const char* text;
    size_t* starts;        // byte offset of the first byte of line i + 1
    size_t count;
    size_t length;         // bytes of text before its terminating zero
    int32_t** line_units;  // per long line: [k] = utf16_units of its first k bytes
    uint64_t* ascii_lines; // bit i set: line i + 1 is all ASCII, one unit per byte
};

inline bool line_index_line_is_ascii(const LineIndex* index, size_t line) {
    return (index->ascii_lines[line / 64] >> (line % 64)) & 1u;
}

// Lines up to this many bytes are simply walked for every position.
constexpr size_t kWalkedLineBytes = 256;

void line_index_build(LineIndex* index, const char* text);
void line_index_free(LineIndex* index);

// Same result as position_character on the indexed text.
ProtocolPosition position_in_index(LineIndex* index, int32_t line, int32_t column,
                                   PositionEncoding encoding);

struct ProtocolRange {
    ProtocolPosition start;
    ProtocolPosition end;
};

// The range from `start` to `end`, never ending before it starts: UTF-16
// counts judge a byte sequence by its lead byte alone, so on text that is
// not UTF-8 a sequence cut off at a range's start but whole at its end can
// count more units at the start. Such an end is held at the start.
ProtocolRange ordered_range(ProtocolPosition start, ProtocolPosition end);

// ---- Byte offsets ---------------------------------------------------------

// The offset of the lexer's (line, column). Line 1 of a text that starts
// with a byte-order mark counts its columns after the mark. A line past the
// last, or a column past its line's end, is held at the end of the text or
// of the line (its line feed excluded).
uint32_t line_index_offset(const LineIndex* index, int32_t line, int32_t column);

// The 0-based line holding `offset` (offsets past the text are on the last).
uint32_t line_index_line_of(const LineIndex* index, uint32_t offset);

// The bytes of 0-based line `line`, its line feed excluded (a carriage
// return before it included); an empty range at the end for a line past the
// last.
TextRange line_index_line(const LineIndex* index, uint32_t line);

// The protocol position of a byte offset; offsets past the text stand at
// its end. Characters are counted as utf16_units_well_formed counts them,
// so a later offset never has an earlier position; on text that is valid
// UTF-8 this agrees with position_in_index. Walks the line: for many
// positions in order use a PositionWalk.
ProtocolPosition line_index_position(LineIndex* index, uint32_t offset, PositionEncoding encoding);

// Converts many offsets, in non-decreasing order, walking the text once.
struct PositionWalk {
    const LineIndex* index;
    PositionEncoding encoding;
    uint32_t line;     // of `offset`
    uint32_t offset;   // where the walk stands
    int32_t character; // of `offset` in its line
};

PositionWalk position_walk_start(const LineIndex* index, PositionEncoding encoding);
// The position of `offset`, which must not be before the last one asked.
ProtocolPosition position_walk_to(PositionWalk* walk, uint32_t offset);
ProtocolRange line_index_range(LineIndex* index, TextRange range, PositionEncoding encoding);

// The byte offset of a protocol position. A character past the end of its
// line stands at the line's end, one inside a multi-byte sequence at the
// sequence's start. False for a negative position or a line past the
// text's last.
bool line_index_offset_at(const LineIndex* index, ProtocolPosition position, PositionEncoding encoding,
                          uint32_t* offset);

// As line_index_offset_at, but never refusing: a line past the last, or a
// negative position, is held at the end or the start of the text; a
// character past its line's end stops before the line's carriage return
// too, so an edit there never splits a CRLF line break.
uint32_t line_index_clamped_offset(const LineIndex* index, ProtocolPosition position,
                                   PositionEncoding encoding);
