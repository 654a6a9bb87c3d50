// Throughput of document analysis (parse plus server-block checks) on a
// realistic text and on texts built to stress the checker, and of the
// checker alone on the same parsed trees.

#include <benchmark/benchmark.h>

#include <string>

#include "ast/ast.h"
#include "bench/pathological_source.h"
#include "bench/realistic_source.h"
#include "check/analysis.h"
#include "diag/diagnostic.h"
#include "parser/parse.h"

namespace {

constexpr size_t kTextBytes = 1 << 20;

// 30,000 copies of one route: every copy repeats all earlier ones, the case
// where the number of repeat messages per handler is bounded.
std::string repeated_route_source() {
    std::string text = "server api()\n";
    for (int i = 0; i < 30000; ++i) {
        text += "    get \"/same\"(req)\n    end get\n";
    }
    text += "end server\n";
    return text;
}

// Declarations repeated many times over: 10,000 servers of one name, one
// server with 10,000 sites claiming one host and one name, and 10,000 copies
// of one option. Each copy draws a bounded number of repeat messages.
std::string repeated_declarations_source() {
    std::string text;
    for (int i = 0; i < 10000; ++i) {
        text += "server api()\nend server\n";
    }
    text += "server sites()\n";
    for (int i = 0; i < 10000; ++i) {
        text += "    web docs(host: \"docs.example\")\n    end web\n";
    }
    text += "end server\nserver options(port: 1";
    for (int i = 0; i < 10000; ++i) {
        text += ", port: 1";
    }
    text += ")\nend server\n";
    return text;
}

const std::string& text_for(int which) {
    static const std::string realistic = realistic_tovel_source(kTextBytes);
    static const std::string routes = many_routes_source();
    static const std::string findings = many_findings_source();
    static const std::string repeated = repeated_route_source();
    static const std::string declarations = repeated_declarations_source();
    switch (which) {
    case 0:
        return realistic;
    case 1:
        return routes;
    case 2:
        return findings;
    case 3:
        return repeated;
    default:
        return declarations;
    }
}

void BM_AnalyzeDocument(benchmark::State& state) {
    const std::string& text = text_for(static_cast<int>(state.range(0)));
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
    const std::string& text = text_for(static_cast<int>(state.range(0)));
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
BENCHMARK(BM_AnalyzeDocument)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckProgram)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

} // namespace
