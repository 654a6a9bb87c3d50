// Texts built to stress one part of the server at a time, shared by the
// benchmarks. Like the realistic text they are deterministic.
#ifndef TOVEL_BENCH_PATHOLOGICAL_SOURCE_H
#define TOVEL_BENCH_PATHOLOGICAL_SOURCE_H

#include <cstddef>
#include <string>

// One server block holding 30,000 distinct routes, each with a small body.
std::string many_routes_source();

// One finding per handler, 30,000 of them, of several kinds: malformed paths,
// unknown verbs, and routes that cannot be told apart from their neighbour.
std::string many_findings_source();

// 30,000 copies of one route: every copy repeats all earlier ones, the case
// where the number of repeat messages per handler is bounded.
std::string repeated_route_source();

// Declarations repeated many times over: 10,000 servers of one name, one
// server with 10,000 sites claiming one host and one name, and 10,000 copies
// of one option. Each copy draws a bounded number of repeat messages.
std::string repeated_declarations_source();

// At least `min_bytes` bytes on a single line: one list of strings, each
// with an unknown escape, so every finding sits on that line.
std::string findings_on_one_line_source(size_t min_bytes);

// At least `min_bytes` bytes of short lines, each with accented letters and
// emoji before a string that draws a finding: every position of a finding
// counts characters that are two or four bytes long.
std::string multibyte_lines_source(size_t min_bytes);

// The single long line again, with accented letters and emoji inside every
// string ahead of its unknown escape.
std::string multibyte_one_line_source(size_t min_bytes);

// One assignment whose value is a chain of `terms` additions and
// multiplications on one line: the deepest left-leaning tree a text of its
// size can make.
std::string operator_chain_source(size_t terms);

#endif
