#pragma once

#include <cstddef>
#include <cstdint>

#include "diag/diagnostic.h"
#include "diag/messages.h"
#include "diag/source_span.h"

// Every message of the parser, from the generated driver and from the
// semantic actions, goes through here: the reporter rewrites it with hints
// (a pending declarative block, `let`/`rem` lines, a keyword used as a name)
// and turns it into one parse-error diagnostic.

struct ParseContext;


// The driver's own reports (syntax errors, "memory exhausted").
void yyerror(SourceSpan* location, ParseContext* context, const char* message);

// Rewrites the message with the reporter's hints and adds it as a parse
// error; does nothing once the parse has failed.
void report_parse_error(ParseContext* context, int32_t start_line, int32_t start_column,
                        int32_t end_line, int32_t end_column, const char* message);

// report_parse_error at the last token the bridge delivered.
void report_at_token(ParseContext* context, const char* message);

// Adds one error with the given kind and span as it is: no hints, and not
// suppressed by an earlier failure.
void add_parse_error(ParseContext* context, DiagnosticKind kind, int32_t start_line,
                     int32_t start_column, int32_t end_line, int32_t end_column,
                     const char* message);

// True when word is not empty and names a keyword in any letter case.
int32_t is_reserved_word(const char* word);
