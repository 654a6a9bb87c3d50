#pragma once

#include <cstddef>
#include <string_view>

#include <cjson/cJSON.h>

#include <cstdio>

// Base-protocol framing: header lines, an empty line, then exactly
// Content-Length bytes of JSON. The transport reads and writes the streams
// it holds, standard input and output unless a session is given others (a
// test or a fuzzer running the server in-process over memory streams).

// Makes the transport read `in` and write `out` until set again.
void transport_use_streams(FILE* in, FILE* out);

// Every header line is read into a buffer of this size; longer lines keep
// their first 8191 bytes.
constexpr size_t kHeaderLineCapacity = 8192;

// Reads one header line without its line feed and without any carriage
// return. False only when input was already at its end.
bool read_header_line(char* buffer, size_t capacity);

// One zero-terminated body (free() it), or null when the server must stop:
// end of input, or a header block that cannot be used.
char* read_message();

// Writes the object as one framed message and flushes. Does not take
// ownership; an object that cannot be serialised is not sent.
void send_message(const cJSON* json);

// Writes `length` bytes of ready JSON text as one framed message and flushes.
void send_body(const char* body, size_t length);

// Writes the pieces, in order, as the body of one framed message and
// flushes: a large answer goes out without being copied into one string.
void send_body_pieces(const std::string_view* pieces, size_t count);
