#pragma once

#include <cstdio>

// Reads, parses and dispatches messages until exit, end of input or
// unusable framing; returns the process exit status.
int run_server();

// The same session over other streams, for running the server in-process:
// the transport uses `in` and `out` for the session and standard input and
// output again afterwards.
int run_server_on(FILE* in, FILE* out);
