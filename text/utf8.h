#pragma once

#include <cstddef>
#include <string>

// Protocol messages are UTF-8 JSON. Front-end messages can quote single
// bytes of the source (a backslash before the first byte of é, a stray
// byte), which on their own are not UTF-8; every such byte is replaced by
// U+FFFD before it reaches the editor. Valid text passes unchanged.
std::string valid_utf8(const char* text);

// Length of the well-formed UTF-8 sequence at `bytes` (at most `available`
// bytes long), or 0 when the bytes there do not start one.
size_t utf8_sequence_length(const unsigned char* bytes, size_t available);

// Appends `text` as a JSON string, quotes included, made valid UTF-8 as
// valid_utf8 does and escaped byte for byte as cJSON prints strings
// (json_append_escaped).
void append_json_string(std::string* out, const char* text);
