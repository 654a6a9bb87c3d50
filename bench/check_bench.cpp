// Throughput of document analysis (parse plus server-block checks) on a
// realistic text and on texts built to stress the checker, and of the
// checker alone on the same parsed trees.

#include <benchmark/benchmark.h>

#include <string>

#include "ast/ast.h"
#include "bench/bench_text.h"
#include "check/analysis.h"
#include "diag/diagnostic.h"
#include "parser/parse.h"

namespace {

void BM_AnalyzeDocument(benchmark::State& state) {
    const std::string& text = bench_text(static_cast<BenchText>(state.range(0)));
    size_t findings = 0;
    for (auto _ : state) {
        DiagnosticList list;
        diag_list_init(&list);
        StmtList program{nullptr, 0};
        int32_t result = analyze_document(text.c_str(), "bench.tv", &list, &program);
        benchmark::DoNotOptimize(result);
        findings = diag_list_count(&list);
        stmt_list_free(program);
        diag_list_free(&list);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["findings"] = static_cast<double>(findings);
}

// The checker alone, over a tree parsed once.
void BM_CheckProgram(benchmark::State& state) {
    const std::string& text = bench_text(static_cast<BenchText>(state.range(0)));
    DiagnosticList parse_list;
    diag_list_init(&parse_list);
    StmtList program{nullptr, 0};
    if (parse_program(text.c_str(), "bench.tv", 1, &parse_list, &program) != 0) {
        state.SkipWithError("the benchmark text does not parse");
        diag_list_free(&parse_list);
        return;
    }
    diag_list_free(&parse_list);
    size_t findings = 0;
    for (auto _ : state) {
        DiagnosticList list;
        diag_list_init(&list);
        int32_t added = check_program(program, "bench.tv", &list);
        benchmark::DoNotOptimize(added);
        findings = diag_list_count(&list);
        diag_list_free(&list);
    }
    stmt_list_free(program);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["findings"] = static_cast<double>(findings);
}

// 0 realistic, 1 many routes, 2 many findings, 3 one route repeated,
// 4 repeated servers, sites and options.
BENCHMARK(BM_AnalyzeDocument)
    ->DenseRange(TEXT_REALISTIC, TEXT_REPEATED_DECLARATIONS)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckProgram)
    ->DenseRange(TEXT_REALISTIC, TEXT_REPEATED_DECLARATIONS)
    ->Unit(benchmark::kMillisecond);

} // namespace
