#include "ast/alloc.h"

#include <cstdlib>

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
