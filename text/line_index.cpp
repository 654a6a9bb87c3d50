#include "text/line_index.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "diag/memory.h"
#include "text/utf8.h"

namespace {

int32_t line_number_index(int32_t line) {
    return line > 0 ? line - 1 : 0;
}

int32_t byte_offset_of(int32_t column) {
    return column > 0 ? column - 1 : 0;
}

// Bytes of the sequence at `position`, judged by its lead byte alone:
// continuation bytes are not examined, a byte that leads nothing (a stray
// continuation byte, 0xF8 and above) is one, and so is a sequence that
// would run past the end of the range.
size_t sequence_at(const char* bytes, size_t position, size_t length) {
    unsigned char lead = static_cast<unsigned char>(bytes[position]);
    size_t sequence = 1;
    if ((lead & 0xE0) == 0xC0) {
        sequence = 2;
    } else if ((lead & 0xF0) == 0xE0) {
        sequence = 3;
    } else if ((lead & 0xF8) == 0xF0) {
        sequence = 4;
    }
    return sequence > length - position ? 1 : sequence;
}

// The bytes of the well-formed sequence at `position`, or 1 for a byte that
// starts none.
size_t well_formed_at(const char* bytes, size_t position, size_t length) {
    size_t sequence = utf8_sequence_length(reinterpret_cast<const unsigned char*>(bytes) + position, length - position);
    return sequence == 0 ? 1 : sequence;
}

// Four bytes make a surrogate pair.
int32_t units_of_sequence(size_t sequence) {
    return sequence == 4 ? 2 : 1;
}

bool starts_with_byte_order_mark(const char* text) {
    return text != nullptr && static_cast<unsigned char>(text[0]) == 0xEF &&
           static_cast<unsigned char>(text[1]) == 0xBB && static_cast<unsigned char>(text[2]) == 0xBF;
}

// The lexer starts after a byte-order mark but still calls the next byte
// column 1, while the editor's line 1 contains the mark. Real line-1
// positions are moved past the mark so the range covers the right text.
int32_t byte_offset_in_text(const char* text, int32_t line, int32_t column) {
    int32_t offset = byte_offset_of(column);
    if (line == 1 && column >= 1 && starts_with_byte_order_mark(text) && offset <= INT32_MAX - 3) {
        offset += 3;
    }
    return offset;
}

// Characters covered by at most `offset` bytes from a line start, stopping
// early at the line feed or the end of the text. A carriage return is an
// ordinary byte of its line.
int32_t characters_from(const char* line_start, int32_t offset) {
    size_t taken = 0;
    while (taken < static_cast<size_t>(offset) && line_start[taken] != '\0' &&
           line_start[taken] != '\n') {
        ++taken;
    }
    return utf16_units(line_start, taken);
}

}  // namespace

int32_t utf16_units_well_formed(const char* bytes, size_t length) {
    int32_t units = 0;
    size_t position = 0;
    while (position < length) {
        // Most text is ASCII: eight bytes at a time while none has its top bit.
        uint64_t word = 0;
        if (length - position >= 8 && (std::memcpy(&word, bytes + position, 8), (word & 0x8080808080808080ull) == 0)) {
            units += 8;
            position += 8;
            continue;
        }
        if (static_cast<unsigned char>(bytes[position]) < 0x80) {
            ++units;
            ++position;
            continue;
        }
        size_t sequence = well_formed_at(bytes, position, length);
        units += units_of_sequence(sequence);
        position += sequence;
    }
    return units;
}

int32_t utf16_units(const char* bytes, size_t length) {
    int32_t units = 0;
    size_t position = 0;
    while (position < length) {
        size_t sequence = sequence_at(bytes, position, length);
        units += units_of_sequence(sequence);
        position += sequence;
    }
    return units;
}

ProtocolPosition position_character(const char* text, int32_t line, int32_t column,
                                    PositionEncoding encoding) {
    ProtocolPosition result = {line_number_index(line), byte_offset_in_text(text, line, column)};
    if (encoding == POSITION_ENCODING_UTF8 || result.character == 0 || text == nullptr) {
        return result;
    }
    const char* start = text;
    for (int32_t feeds = 0; feeds < result.line && *start != '\0'; ++start) {
        if (*start == '\n') {
            ++feeds;
        }
    }
    // The loop leaves `start` just past the line's preceding line feed, or
    // at the terminating zero when the text has fewer lines.
    result.character = characters_from(start, result.character);
    return result;
}

namespace {

bool all_ascii(const char* bytes, size_t length) {
    size_t i = 0;
    uint64_t high = 0;
    for (; i + 8 <= length; i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        high |= word;
    }
    for (; i < length; ++i) high |= static_cast<unsigned char>(bytes[i]);
    return (high & 0x8080808080808080ull) == 0;
}

// Most lines are ASCII, where a column in any encoding is a byte count.
void mark_ascii_lines(LineIndex* index) {
    size_t words = (index->count + 63) / 64;
    index->ascii_lines = static_cast<uint64_t*>(alloc_or_abort(words * sizeof(uint64_t)));
    std::memset(index->ascii_lines, 0, words * sizeof(uint64_t));
    for (size_t line = 0; line < index->count; ++line) {
        size_t start = index->starts[line];
        size_t end = line + 1 < index->count ? index->starts[line + 1] : index->length;
        if (all_ascii(index->text + start, end - start)) index->ascii_lines[line / 64] |= uint64_t{1} << (line % 64);
    }
}

}  // namespace

void line_index_build(LineIndex* index, const char* text) {
    index->text = text;
    index->line_units = nullptr;
    index->length = text != nullptr ? strlen(text) : 0;
    // memchr finds line feeds many bytes at a time; a text is walked twice,
    // once to size the table and once to fill it.
    size_t lines = 1;
    const char* end = text + index->length;
    for (const char* p = text; p != nullptr && p < end; ++lines) {
        p = static_cast<const char*>(memchr(p, '\n', static_cast<size_t>(end - p)));
        if (p == nullptr) break;
        ++p;
    }
    index->starts = static_cast<size_t*>(alloc_or_abort(lines * sizeof(size_t)));
    index->starts[0] = 0;
    index->count = 1;
    for (const char* p = text; p != nullptr && p < end;) {
        p = static_cast<const char*>(memchr(p, '\n', static_cast<size_t>(end - p)));
        if (p == nullptr) break;
        ++p;
        index->starts[index->count++] = static_cast<size_t>(p - text);
    }
    mark_ascii_lines(index);
}

void line_index_free(LineIndex* index) {
    if (index->line_units != nullptr) {
        for (size_t i = 0; i < index->count; ++i) {
            free(index->line_units[i]);
        }
        free(index->line_units);
        index->line_units = nullptr;
    }
    free(index->starts);
    free(index->ascii_lines);
    index->ascii_lines = nullptr;
    index->starts = nullptr;
    index->count = 0;
}

namespace {

// The UTF-16 count of every prefix of one line: units[k] is
// utf16_units(line, k). A prefix that ends inside a sequence walks like the
// whole line up to the sequence's start, then counts the cut bytes afresh.
int32_t* build_line_units(const char* line, size_t length) {
    int32_t* units = static_cast<int32_t*>(alloc_or_abort((length + 1) * sizeof(int32_t)));
    int32_t count = 0;
    size_t position = 0;
    while (position < length) {
        size_t sequence = sequence_at(line, position, length);
        units[position] = count;
        for (size_t cut = 1; cut < sequence; ++cut) {
            units[position + cut] = count + utf16_units(line + position, cut);
        }
        count += units_of_sequence(sequence);
        position += sequence;
    }
    units[length] = count;
    return units;
}

int32_t characters_in_long_line(LineIndex* index, size_t line, const char* start, size_t length,
                                size_t offset) {
    if (index->line_units == nullptr) {
        index->line_units = static_cast<int32_t**>(alloc_or_abort(index->count * sizeof(int32_t*)));
        for (size_t i = 0; i < index->count; ++i) {
            index->line_units[i] = nullptr;
        }
    }
    if (index->line_units[line] == nullptr) {
        index->line_units[line] = build_line_units(start, length);
    }
    return index->line_units[line][offset];
}

}  // namespace

ProtocolPosition position_in_index(LineIndex* index, int32_t line, int32_t column,
                                   PositionEncoding encoding) {
    ProtocolPosition result = {line_number_index(line), byte_offset_in_text(index->text, line, column)};
    if (encoding == POSITION_ENCODING_UTF8 || result.character == 0 || index->text == nullptr) {
        return result;
    }
    size_t line_index = static_cast<size_t>(result.line);
    if (line_index >= index->count) {
        return {result.line, 0};  // past the last line: an empty line
    }
    size_t start = index->starts[line_index];
    size_t end = line_index + 1 < index->count ? index->starts[line_index + 1] - 1 : index->length;
    size_t line_length = end - start;
    size_t offset = static_cast<size_t>(result.character);
    if (offset > line_length) {
        offset = line_length;
    }
    result.character = line_length <= kWalkedLineBytes
                           ? utf16_units(index->text + start, offset)
                           : characters_in_long_line(index, line_index, index->text + start,
                                                     line_length, offset);
    return result;
}

namespace {

size_t line_end_of(const LineIndex* index, size_t line) {
    return line + 1 < index->count ? index->starts[line + 1] - 1 : index->length;
}

// Characters of the first `offset` bytes of line `line`, in the encoding.
int32_t characters_before(LineIndex* index, size_t line, size_t offset, PositionEncoding encoding) {
    if (encoding == POSITION_ENCODING_UTF8 || line_index_line_is_ascii(index, line)) return static_cast<int32_t>(offset);
    return utf16_units_well_formed(index->text + index->starts[line], offset);
}

// Bytes of the line's first `characters` characters, never past `length`
// and never inside a sequence.
size_t bytes_of_characters(const char* bytes, size_t length, int32_t characters, PositionEncoding encoding) {
    if (encoding == POSITION_ENCODING_UTF8) {
        size_t wanted = static_cast<size_t>(characters);
        return wanted < length ? wanted : length;
    }
    size_t offset = 0;
    int32_t units = 0;
    while (offset < length) {
        size_t sequence = well_formed_at(bytes, offset, length);
        int32_t next = units + units_of_sequence(sequence);
        if (next > characters) break;
        units = next;
        offset += sequence;
    }
    return offset;
}

}  // namespace

uint32_t line_index_offset(const LineIndex* index, int32_t line, int32_t column) {
    size_t line_number = static_cast<size_t>(line_number_index(line));
    if (line_number >= index->count) return static_cast<uint32_t>(index->length);
    size_t start = index->starts[line_number];
    size_t end = line_end_of(index, line_number);
    size_t offset = start + static_cast<size_t>(byte_offset_in_text(index->text, line, column));
    return static_cast<uint32_t>(offset < end ? offset : end);
}

uint32_t line_index_line_of(const LineIndex* index, uint32_t offset) {
    size_t low = 0;
    size_t high = index->count;  // the answer is below high
    while (high - low > 1) {
        size_t middle = low + (high - low) / 2;
        if (index->starts[middle] <= offset) {
            low = middle;
        } else {
            high = middle;
        }
    }
    return static_cast<uint32_t>(low);
}

TextRange line_index_line(const LineIndex* index, uint32_t line) {
    if (line >= index->count) return {static_cast<uint32_t>(index->length), static_cast<uint32_t>(index->length)};
    return {static_cast<uint32_t>(index->starts[line]), static_cast<uint32_t>(line_end_of(index, line))};
}

ProtocolPosition line_index_position(LineIndex* index, uint32_t offset, PositionEncoding encoding) {
    size_t at = offset < index->length ? offset : index->length;
    uint32_t line = line_index_line_of(index, static_cast<uint32_t>(at));
    size_t in_line = at - index->starts[line];
    return {static_cast<int32_t>(line), characters_before(index, line, in_line, encoding)};
}

ProtocolRange line_index_range(LineIndex* index, TextRange range, PositionEncoding encoding) {
    return ordered_range(line_index_position(index, range.start, encoding),
                         line_index_position(index, range.end, encoding));
}

bool line_index_offset_at(const LineIndex* index, ProtocolPosition position, PositionEncoding encoding,
                          uint32_t* offset) {
    if (position.line < 0 || position.character < 0 || static_cast<size_t>(position.line) >= index->count) {
        return false;
    }
    size_t line = static_cast<size_t>(position.line);
    size_t start = index->starts[line];
    size_t length = line_end_of(index, line) - start;
    *offset = static_cast<uint32_t>(start + bytes_of_characters(index->text + start, length, position.character, encoding));
    return true;
}

uint32_t line_index_clamped_offset(const LineIndex* index, ProtocolPosition position,
                                   PositionEncoding encoding) {
    if (position.line < 0) return 0;
    if (static_cast<size_t>(position.line) >= index->count) return static_cast<uint32_t>(index->length);
    size_t line = static_cast<size_t>(position.line);
    size_t start = index->starts[line];
    size_t length = line_end_of(index, line) - start;
    if (length > 0 && index->text[start + length - 1] == '\r') --length;
    int32_t characters = position.character < 0 ? 0 : position.character;
    return static_cast<uint32_t>(start + bytes_of_characters(index->text + start, length, characters, encoding));
}

ProtocolRange ordered_range(ProtocolPosition start, ProtocolPosition end) {
    if (end.line == start.line && end.character < start.character) end = start;
    return {start, end};
}

PositionWalk position_walk_start(const LineIndex* index, PositionEncoding encoding) {
    return PositionWalk{index, encoding, 0, 0, 0};
}

ProtocolPosition position_walk_to(PositionWalk* walk, uint32_t offset) {
    const LineIndex* index = walk->index;
    if (offset > index->length) offset = static_cast<uint32_t>(index->length);
    if (offset < walk->offset) {  // backwards: start again on the offset's line
        walk->line = line_index_line_of(index, offset);
        walk->offset = static_cast<uint32_t>(index->starts[walk->line]);
        walk->character = 0;
    }
    while (walk->line + 1 < index->count && index->starts[walk->line + 1] <= offset) {
        walk->line += 1;
        walk->offset = static_cast<uint32_t>(index->starts[walk->line]);
        walk->character = 0;
    }
    uint32_t line = walk->line;
    if (walk->encoding == POSITION_ENCODING_UTF8 || line_index_line_is_ascii(index, line)) {
        walk->character += static_cast<int32_t>(offset - walk->offset);
    } else {
        walk->character += utf16_units_short(index->text + walk->offset, offset - walk->offset);
    }
    walk->offset = offset;
    return {static_cast<int32_t>(line), walk->character};
}
