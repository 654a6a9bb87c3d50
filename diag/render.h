#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "diag/diagnostic.h"

// One line of text for people: "parse error at prog:3:7: oops".
void diag_render_text(FILE* stream, const Diagnostic* diagnostic);
// One line of JSON with every field of the record, subcode and path included.
void diag_render_json(FILE* stream, const Diagnostic* diagnostic);
// A zero-terminated byte string as a JSON string literal, escaped as
// json_append_escaped escapes.
void json_write_string(FILE* stream, const char* text);
// Appends `length` bytes as the inside of a JSON string literal (no quotes),
// escaped as cJSON prints strings: the short escapes for the quote, the
// backslash, \b \f \n \r \t, \u00xx in lowercase hex for the other bytes
// below 32 (a zero byte too). Bytes from 32 up (UTF-8 sequences, invalid or
// not) pass through unchanged.
void json_append_escaped(std::string* out, const char* bytes, size_t length);
