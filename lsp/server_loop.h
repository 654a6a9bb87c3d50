#pragma once

// Reads, parses and dispatches messages until exit, end of input or
// unusable framing; returns the process exit status.
int run_server();
