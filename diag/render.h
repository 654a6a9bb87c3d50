#pragma once

#include <cstdio>

#include "diag/diagnostic.h"

// One line of text for people: "parse error at prog:3:7: oops".
void diag_render_text(FILE* stream, const Diagnostic* diagnostic);
// One line of JSON with every field of the record, subcode and path included.
void diag_render_json(FILE* stream, const Diagnostic* diagnostic);
// A zero-terminated byte string as a JSON string literal. Bytes from 32 up
// (UTF-8 sequences, invalid or not) pass through unchanged.
void json_write_string(FILE* stream, const char* text);
