// Bound on "one message per earlier equal declaration" findings.
#pragma once

#include <cstdint>

// Rules such as "duplicate route" or "declared twice" report one message per
// earlier equal declaration, so k copies of one declaration would draw
// k(k-1)/2 messages: a one-megabyte document of copied routes would ask for
// over a billion diagnostics and exhaust memory. Each declaration draws at
// most this many such messages, naming the oldest earlier declarations first;
// every declaration that repeats another still draws at least one.
constexpr int32_t CHECK_REPEAT_REPORT_LIMIT = 8;
