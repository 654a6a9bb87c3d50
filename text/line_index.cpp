#include "lsp/position.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "diag/memory.h"

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

void line_index_build(LineIndex* index, const char* text) {
    index->text = text;
    index->line_units = nullptr;
    index->length = text != nullptr ? strlen(text) : 0;
    size_t lines = 1;
    for (size_t i = 0; i < index->length; ++i) {
        lines += text[i] == '\n';
    }
    index->starts = static_cast<size_t*>(alloc_or_abort(lines * sizeof(size_t)));
    index->starts[0] = 0;
    index->count = 1;
    for (size_t i = 0; i < index->length; ++i) {
        if (text[i] == '\n') {
            index->starts[index->count++] = i + 1;
        }
    }
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

bool source_position_in_index(const LineIndex* index, ProtocolPosition position,
                              PositionEncoding encoding, int32_t* line, int32_t* column) {
    if (position.line < 0 || position.character < 0 ||
        static_cast<size_t>(position.line) >= index->count) {
        return false;
    }
    size_t line_index = static_cast<size_t>(position.line);
    size_t start = index->starts[line_index];
    size_t end = line_index + 1 < index->count ? index->starts[line_index + 1] - 1 : index->length;
    size_t length = end - start;
    const char* bytes = index->text + start;
    size_t offset = 0;
    if (encoding == POSITION_ENCODING_UTF8) {
        offset = static_cast<size_t>(position.character) < length ? static_cast<size_t>(position.character) : length;
    } else {
        int32_t units = 0;
        while (offset < length) {
            size_t sequence = sequence_at(bytes, offset, length);
            int32_t next = units + units_of_sequence(sequence);
            if (next > position.character) break;
            units = next;
            offset += sequence;
        }
    }
    // The lexer counts line 1 from after a byte-order mark.
    if (line_index == 0 && starts_with_byte_order_mark(index->text)) {
        offset = offset >= 3 ? offset - 3 : 0;
    }
    *line = position.line + 1;
    *column = static_cast<int32_t>(offset) + 1;
    return true;
}

ProtocolRange ordered_range(ProtocolPosition start, ProtocolPosition end) {
    if (end.line == start.line && end.character < start.character) end = start;
    return {start, end};
}
