#pragma once

#include <cstdint>

// A stretch of a document's text as byte offsets from its first byte (a
// byte-order mark included): `start` is the first byte, `end` one past the
// last. Everything above the lexer measures text this way; only the edges
// convert to the lexer's lines and columns or to protocol positions.
struct TextRange {
    uint32_t start;
    uint32_t end;

    uint32_t length() const { return end - start; }
    bool empty() const { return start == end; }
    // Shares a byte with `other`, or touches it: an empty range at either
    // end of a range, or two ranges that meet, count as touching.
    bool touches(TextRange other) const { return start <= other.end && other.start <= end; }
};
