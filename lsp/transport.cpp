#include "lsp/transport.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "diag/ascii.h"
#include "lsp/json_holder.h"

namespace {

FILE* input_stream = stdin;
FILE* output_stream = stdout;

constexpr char kLengthHeader[] = "content-length:";
constexpr size_t kLengthHeaderSize = sizeof kLengthHeader - 1;

// No length seen yet in this header block.
constexpr int32_t kNoLength = -1;
// A length whose digits do not fit: the block is as unusable as one without
// any length, and a later Content-Length line may still replace it.
constexpr int32_t kUnusableLength = -2;

bool is_length_header(const char* line) {
    for (size_t i = 0; i < kLengthHeaderSize; ++i) {
        if (ascii_lower(line[i]) != kLengthHeader[i]) {
            return false;  // also stops at the terminating zero of a short line
        }
    }
    return true;
}

// Decimal value after the header name: leading blanks skipped, optional
// sign, digits up to the first non-digit, 0 without digits.
int32_t parse_length_value(const char* text) {
    while (is_ascii_space(*text)) {
        ++text;
    }
    bool negative = false;
    if (*text == '+' || *text == '-') {
        negative = *text == '-';
        ++text;
    }
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > INT32_MAX) {
            return kUnusableLength;
        }
    }
    return negative ? static_cast<int32_t>(-value) : static_cast<int32_t>(value);
}

}  // namespace

void transport_use_streams(FILE* in, FILE* out) {
    input_stream = in;
    output_stream = out;
}

bool read_header_line(char* buffer, size_t capacity) {
    size_t stored = 0;
    bool read_any = false;
    for (;;) {
        int c = getc(input_stream);
        if (c == EOF) {
            break;
        }
        read_any = true;
        if (c == '\n') {
            break;
        }
        if (c == '\r') {
            continue;
        }
        if (stored + 1 < capacity) {
            buffer[stored++] = static_cast<char>(c);
        }
    }
    if (capacity > 0) {
        buffer[stored] = '\0';
    }
    return read_any;
}

char* read_message() {
    char line[kHeaderLineCapacity];
    int32_t length = kNoLength;
    for (;;) {
        if (!read_header_line(line, sizeof line)) {
            return nullptr;
        }
        if (line[0] == '\0') {
            break;
        }
        if (is_length_header(line)) {
            length = parse_length_value(line + kLengthHeaderSize);
        }
    }
    if (length < 0) {
        return nullptr;
    }
    // A body too large to allocate is unusable framing, not a reason to die.
    size_t size = static_cast<size_t>(length);
    MessageBody body(static_cast<char*>(malloc(size + 1)));
    if (!body) {
        return nullptr;
    }
    if (fread(body.get(), 1, size, input_stream) != size) {
        return nullptr;
    }
    body.get()[size] = '\0';
    return body.release();
}

void send_message(const cJSON* json) {
    PrintedJson text(cJSON_PrintUnformatted(json));
    if (!text) {
        return;
    }
    send_body(text.get(), strlen(text.get()));
}

void send_body(const char* body, size_t length) {
    std::string_view piece(body, length);
    send_body_pieces(&piece, 1);
}

void send_body_pieces(const std::string_view* pieces, size_t count) {
    size_t length = 0;
    for (size_t i = 0; i < count; ++i) length += pieces[i].size();
    fprintf(output_stream, "Content-Length: %zu\r\n\r\n", length);
    for (size_t i = 0; i < count; ++i) fwrite(pieces[i].data(), 1, pieces[i].size(), output_stream);
    fflush(output_stream);
}
