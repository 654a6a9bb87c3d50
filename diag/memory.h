#pragma once

#include <cstddef>

// The ground floor's allocation: every layer above allocates through these.
// Running out of memory ends the process on the spot: nothing upstream has a
// sensible way to carry on with half a tree or half a list, so no caller
// ever sees a failed allocation.
void* alloc_or_abort(size_t size);

// Resizes `block` (a null block allocates), aborting when the allocator fails.
void* realloc_or_abort(void* block, size_t size);

// A new NUL-terminated string holding the `length` bytes at `start`.
char* copy_text_or_abort(const char* start, size_t length);

// A new copy of a NUL-terminated string.
char* copy_string_or_abort(const char* text);

// The text itself, or "" for a missing one: for printing optional names.
constexpr const char* text_or_empty(const char* text) { return text != nullptr ? text : ""; }
