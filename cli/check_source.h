#pragma once

#include <cstdio>

#include "cli/options.h"

// Analyses one zero-terminated text exactly as the server analyses a
// document, with `path` stamped on every diagnostic, and prints the
// diagnostics in list order in the chosen format, followed by the syntax
// tree when asked for and the text parsed. Returns true when at least one
// diagnostic is an error.
bool check_source(const char* text, const char* path, const CheckOptions* options, FILE* out);
