#pragma once

#include <cstdint>

struct DiagnosticList;
struct StmtList;

// Parses one document text. Returns 0 and hands the top-level statements to
// *program when the text parsed and no lexical or string error was flagged;
// otherwise returns 1 (syntax error, rejected construct or lexical error) or
// 2 (memory exhausted), leaves *program untouched and has freed everything
// it built. Diagnostics are appended to `diagnostics` in every case (null
// sends errors to standard error). `text` must stay unchanged during the call.
int32_t parse_program(const char* text, const char* path, int32_t first_line,
                      DiagnosticList* diagnostics, StmtList* program);
