// A realistic, syntactically valid Tovel program of a requested size, shared
// by the benchmarks. The text is deterministic: the same size request
// always gives the same program.
#ifndef TOVEL_BENCH_REALISTIC_SOURCE_H
#define TOVEL_BENCH_REALISTIC_SOURCE_H

#include <cstddef>
#include <string>

// At least `min_bytes` bytes of Tovel source made of whole statements. It
// uses every statement form (assignments, print, if chains, consider, loops,
// functions, modifiers, records with policies, durations, lenses, watches,
// error handlers, labels, use/load, with blocks, server blocks with sites,
// routes, options and hooks), with comments and strings. Server blocks are
// free of checker findings: distinct names, hosts and routes.
std::string realistic_tovel_source(size_t min_bytes);

// Line breaks in a text.
size_t count_lines(const std::string& text);

// The same program grown until it has at least `lines` lines.
std::string realistic_source_of_lines(size_t lines);

#endif
