#include "text/utf8.h"

#include <cstring>
#include <string>

#include "diag/render.h"

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";

bool is_continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// How many bytes from `bytes` are whole well-formed UTF-8 sequences (ASCII
// included), up to the first byte that starts none.
size_t well_formed_run(const unsigned char* bytes, size_t length) {
    size_t run = 0;
    while (run < length) {
        size_t sequence = utf8_sequence_length(bytes + run, length - run);
        if (sequence == 0) {
            break;
        }
        run += sequence;
    }
    return run;
}

}  // namespace

size_t utf8_sequence_length(const unsigned char* bytes, size_t available) {
    unsigned char lead = bytes[0];
    if (lead < 0x80) {
        return 1;
    }
    size_t length;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // no overlong forms
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (available < length || bytes[1] < low || bytes[1] > high) {
        return 0;
    }
    for (size_t i = 2; i < length; ++i) {
        if (!is_continuation(bytes[i])) {
            return 0;
        }
    }
    return length;
}

std::string valid_utf8(const char* text) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t length = strlen(text);
    std::string result;
    result.reserve(length);
    size_t position = 0;
    while (position < length) {
        size_t sequence = utf8_sequence_length(bytes + position, length - position);
        if (sequence == 0) {
            result += kReplacement;
            position += 1;
        } else {
            result.append(text + position, sequence);
            position += sequence;
        }
    }
    return result;
}

// Escaped in runs of well-formed text between the bytes that are replaced.
void append_json_string(std::string* out, const char* text) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t length = strlen(text);
    *out += '"';
    size_t position = 0;
    for (;;) {
        size_t run = well_formed_run(bytes + position, length - position);
        json_append_escaped(out, text + position, run);
        position += run;
        if (position == length) {
            break;
        }
        *out += kReplacement;
        position += 1;
    }
    *out += '"';
}
