// The analysis of one document: parse, then check server blocks when the
// parse was clean. Every finding lands in the caller's list.
#pragma once

#include <cstdint>

#include "ast/lists.h"

struct DiagnosticList;

// analyze_document_from_line with first line 1.
int32_t analyze_document(const char* text, const char* path, DiagnosticList* list,
                         StmtList* program_out);

// Returns the parser's non-zero result when the text did not parse cleanly
// (the checker then does not run), else 1 when the checker found something
// and 0 when it found nothing. `program_out` must start empty; it receives
// the program only when the parse succeeds, and the caller frees it either way.
int32_t analyze_document_from_line(const char* text, const char* path, int32_t first_line,
                                   DiagnosticList* list, StmtList* program_out);

// Runs the server-block checker over a parsed program; returns the number
// of diagnostics it added.
int32_t check_program(StmtList program, const char* path, DiagnosticList* list);
