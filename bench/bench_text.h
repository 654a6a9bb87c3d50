// The texts the benchmarks run over, each built once per process on first
// use and shared by every benchmark that reads it.
#ifndef TOVEL_BENCH_BENCH_TEXT_H
#define TOVEL_BENCH_BENCH_TEXT_H

#include <cstdint>
#include <string>

// The checker benchmarks take the first five as their argument.
enum BenchText : int32_t {
    TEXT_REALISTIC,
    TEXT_MANY_ROUTES,
    TEXT_MANY_FINDINGS,
    TEXT_REPEATED_ROUTE,
    TEXT_REPEATED_DECLARATIONS,
    TEXT_ONE_LINE,
    TEXT_MULTIBYTE_LINES,
    TEXT_MULTIBYTE_ONE_LINE,
    TEXT_OPERATOR_CHAIN,
    TEXT_5000_LINES,  // the realistic program cut to whole statements of at least 5,000 lines
};

const std::string& bench_text(BenchText which);

#endif
