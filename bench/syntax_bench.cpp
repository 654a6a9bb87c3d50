// The tolerant parse and its tree against the front end's lex + parse +
// tree on the same text, in the same run; and a text with a mistake on
// every line, which must cost about as much per byte.
#include <benchmark/benchmark.h>

#include <string>

#include "ast/lists.h"
#include "ast/region.h"
#include "bench/bench_text.h"
#include "diag/diagnostic.h"
#include "parser/parse.h"
#include "syntax/syntax_tree.h"

namespace {

void BM_FrontEndParse(benchmark::State& state) {
    const std::string& text = bench_text(TEXT_REALISTIC);
    AstRegion region;
    ast_region_init(&region);
    for (auto _ : state) {
        DiagnosticList list;
        diag_list_init(&list);
        {
            AstRegionScope scope(&region);
            StmtList program{nullptr, 0};
            benchmark::DoNotOptimize(parse_program(text.c_str(), "bench.tov", 1, &list, &program));
        }
        ast_region_reset(&region);
        diag_list_free(&list);
    }
    ast_region_release(&region);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// One tree parsed into again and again, as the front end's region is
// reused: both measure parsing, not the first touch of fresh memory.
void tolerant(benchmark::State& state, const std::string& text) {
    SyntaxTree tree;
    for (auto _ : state) {
        syntax_parse(&tree, text.c_str(), static_cast<uint32_t>(text.size()));
        benchmark::DoNotOptimize(tree.nodes.size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_TolerantParse(benchmark::State& state) { tolerant(state, bench_text(TEXT_REALISTIC)); }

// Every line gets a stray `)` before its end.
void BM_TolerantParseMistakeEveryLine(benchmark::State& state) {
    static const std::string broken = [] {
        std::string out;
        for (char c : bench_text(TEXT_REALISTIC)) {
            if (c == '\n') out += " )";
            out += c;
        }
        return out;
    }();
    tolerant(state, broken);
}

// A keystroke in the middle of the text: a word typed into a line, then
// taken out again, each version reparsed from the tree of the one before.
// With argument 1 the typed line is unfinished, so every other version
// has a mistake and the reparse switches between its two parses.
void BM_TolerantReparse(benchmark::State& state) {
    const std::string& text = bench_text(TEXT_REALISTIC);
    size_t middle = text.find('\n', text.size() / 2) + 1;
    std::string typed = text.substr(0, middle) + (state.range(0) ? "x = \n" : "x = 1\n") + text.substr(middle);
    const std::string* versions[2] = {&text, &typed};
    SyntaxTree trees[2];
    syntax_parse(&trees[0], text.c_str(), static_cast<uint32_t>(text.size()));
    size_t now = 0;
    for (auto _ : state) {
        size_t next = 1 - now;
        const std::string& version = *versions[next];
        syntax_reparse(&trees[next], version.c_str(), static_cast<uint32_t>(version.size()), trees[now]);
        benchmark::DoNotOptimize(trees[next].nodes.size());
        now = next;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

}  // namespace

BENCHMARK(BM_FrontEndParse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TolerantParse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TolerantParseMistakeEveryLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TolerantReparse)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
