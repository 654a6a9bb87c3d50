#pragma once

#include <cstddef>
#include <cstdint>

// The whole content of one input, zero-terminated. Like the server's
// documents, the front end sees the text only up to its first NUL byte;
// `length` still counts every byte read.
struct SourceText {
    char* bytes;  // owned
    size_t length;
};

// The largest input accepted: the front end counts bytes and columns in
// 32-bit numbers, and the server cannot be sent a longer document either.
constexpr size_t kMaxSourceBytes = INT32_MAX;

// Reads the file named `name` ("-" is standard input) whole. On failure
// returns false, leaves `source` empty and writes the reason (such as
// "No such file or directory") to `reason`.
bool read_source(const char* name, SourceText* source, char* reason, size_t reason_size);

void source_free(SourceText* source);

// How an input is named in messages: "<stdin>" for "-", else its name.
inline const char* source_display_name(const char* name) {
    return name[0] == '-' && name[1] == '\0' ? "<stdin>" : name;
}
