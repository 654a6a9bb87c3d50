#pragma once

#include <cstdint>

#include "diag/source_span.h"

struct ParseContext;
union ParseValue;
struct NumberValue;

// Hands the parser its next look-ahead: takes a token from the context's
// lexer, records the token facts in the context, fills the location and the
// semantic value (copies of names, decoded strings, number values; the
// parser owns every string it receives) and returns the parser's token
// number. The first lexical or string error becomes one diagnostic, marks
// the parse failed and is reported to the parser as the end of input (0).
int yylex(ParseValue* value, SourceSpan* location, ParseContext* context);

// The parser's token number of a lexer kind (ERROR has none: the bison
// "invalid token" code).
int32_t grammar_token_code(int32_t kind);

// Fills the number triple from a numeral as written: the double value, and
// when the text is a whole decimal or 0x-hexadecimal integer within the
// signed 64-bit range, also the integer value with is_integer 1.
void convert_number_token(const char* text, int32_t length, NumberValue* number);
