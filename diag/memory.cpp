#include "diag/memory.h"

#include <cstdlib>
#include <cstring>

void* alloc_or_abort(size_t size) {
    // A zero-byte request may legitimately return null; ask for one byte so
    // that null always means exhaustion.
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) std::abort();
    return block;
}

void* realloc_or_abort(void* block, size_t size) {
    void* resized = std::realloc(block, size == 0 ? 1 : size);
    if (resized == nullptr) std::abort();
    return resized;
}

char* copy_text_or_abort(const char* start, size_t length) {
    char* text = static_cast<char*>(alloc_or_abort(length + 1));
    std::memcpy(text, start, length);
    text[length] = '\0';
    return text;
}

char* copy_string_or_abort(const char* text) { return copy_text_or_abort(text, std::strlen(text)); }
