#pragma once

#include <cstddef>

// Message texts written by more than one stage: the parser reports an
// unknown declarative block while reading it, the checker when it meets one
// in a parsed tree.

// Callers format the unknown-block message into a buffer of this size.
constexpr size_t UNKNOWN_BLOCK_MESSAGE_SIZE = 320;

// "unknown declarative block '<word>' (only 'server' exists)", with a hint
// for words that other languages use for subroutines; word may be null.
void format_unknown_block_message(char* buffer, size_t size, const char* word);
