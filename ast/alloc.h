#pragma once

#include <cstddef>

// Every block of the syntax tree comes from these. Running out of memory
// ends the process on the spot: nothing upstream has a sensible way to carry
// on with half a tree, so no caller ever sees a failed allocation.
void* alloc_or_abort(size_t size);

// Resizes `block` (a null block allocates), aborting when the allocator fails.
void* realloc_or_abort(void* block, size_t size);

// A new NUL-terminated string holding the `length` bytes at `start`.
char* copy_text_or_abort(const char* start, size_t length);
