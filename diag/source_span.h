#pragma once

#include <cstdint>

// Where a construct stands in the source text. Lines and columns are 1-based
// and columns count bytes; the end column is one past the construct's last
// byte. Only publication converts spans to the protocol's 0-based positions.
struct SourceSpan {
    int32_t start_line;
    int32_t start_column;
    int32_t end_line;
    int32_t end_column;
};
