#pragma once

#include <cstdio>

#include "cli/options.h"

class SarifLog;

// Analyses one zero-terminated text exactly as the server analyses a
// document, with `path` stamped on every diagnostic, and prints the
// diagnostics in list order in the chosen format, followed by the syntax
// tree when asked for and the text parsed. In SARIF the findings go to
// `sarif`, written once every file is checked. Returns true when at least
// one diagnostic is an error.
bool check_source(const char* text, const char* path, const CheckOptions* options, FILE* out,
                  SarifLog* sarif = nullptr);
