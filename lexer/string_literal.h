#pragma once

#include <cstddef>
#include <cstdint>

#include "diag/diagnostic.h"

// Where string decoding reports: the analysis's list (null: one line on
// standard error per finding), the path stamped on each finding, and the
// first byte of the whole text, which locates the mistakes a quick fix can
// repair (null: they are not located).
struct StringReport {
    DiagnosticList* list;
    const char* path;
    const char* source;
};

// Turns a string literal as written (quotes included) into its UTF-8 value.
// A null report sends errors and warnings to standard error without a path. Returns a new
// NUL-terminated string owned by the caller, or null on error, in which case
// one error diagnostic has been added and *ok is 0. Warnings about unknown
// escapes are added without failing. line/column are the literal's position.
char* decode_string_literal(const StringReport* report, const char* text, int32_t length, int32_t line,
                            int32_t column, int32_t* ok);

// Writes the UTF-8 form of a code point (at most 0x10FFFF) and returns its
// length, 1 to 4.
int32_t encode_utf8(uint32_t code_point, char buffer[4]);

// How decoding takes one escape as written, its backslash included: a
// simple escape (`\n`, `\t`, `\"`, `\\`) or a `\u{...}` of an allowed code
// point is known; any other escaped character is unknown (kept as written,
// with a warning); a `\u` escape the decoder rejects is invalid.
enum EscapeKind : int32_t {
    ESCAPE_KNOWN,
    ESCAPE_UNKNOWN,
    ESCAPE_INVALID,
};

EscapeKind escape_kind(const char* escape, size_t length);

// 0..15 for a hexadecimal digit of either case, -1 for any other byte.
int32_t hex_digit_value(unsigned char byte);

// Add an error or a warning whose range covers the whole token text, also
// when it runs over several lines, starting at (line, column).
void add_token_error(const StringReport* report, DiagnosticKind kind, int32_t line, int32_t column,
                     const char* text, int32_t length, const char* message);
void add_token_warning(const StringReport* report, DiagnosticKind kind, int32_t line, int32_t column,
                       const char* text, int32_t length, const char* message);
