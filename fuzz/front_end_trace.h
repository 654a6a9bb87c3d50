// The front end's own parse, traced: the rules it reduces, in order. A
// private copy of the generated parser is compiled with bison's trace on,
// its trace printer catching the reductions; the library's parser stays as
// it is. For checking that the tolerant parse walks the tables the same way.
#pragma once

#include <cstdint>
#include <vector>

// True when the front end accepts `text` (no syntax, lexical or string
// error); *reductions then holds its rule numbers as bison's trace prints them.
bool front_end_reductions(const char* text, std::vector<int32_t>* reductions);
