// Parse throughput: lexing, parsing, building the tree and freeing it, over
// a realistic program of about 1 MB.
#include <benchmark/benchmark.h>

#include <string>

#include "ast/ast.h"
#include "bench/bench_text.h"
#include "diag/diagnostic.h"
#include "parser/parse.h"

namespace {

void BM_ParseRealisticSource(benchmark::State& state) {
    const std::string& source = bench_text(TEXT_REALISTIC);
    size_t statements = 0;
    for (auto _ : state) {
        DiagnosticList diagnostics;
        diag_list_init(&diagnostics);
        StmtList program = {nullptr, 0};
        int32_t result = parse_program(source.c_str(), "bench.tv", 1, &diagnostics, &program);
        size_t problems = diag_list_count(&diagnostics);
        diag_list_free(&diagnostics);
        if (result != 0 || problems != 0) {
            state.SkipWithError("the benchmark program does not parse cleanly");
            return;
        }
        statements = program.count;
        stmt_list_free(program);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(source.size()));
    state.counters["statements"] = static_cast<double>(statements);
}
BENCHMARK(BM_ParseRealisticSource)->Unit(benchmark::kMillisecond);

}  // namespace
