// Scanner throughput over a realistic program of about 1 MB.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/realistic_source.h"
#include "lexer/lexer.h"

namespace {

const std::string& lexer_bench_source() {
    static const std::string source = realistic_tovel_source(1 << 20);
    return source;
}

void BM_LexRealisticSource(benchmark::State& state) {
    const std::string& source = lexer_bench_source();
    size_t tokens = 0;
    for (auto _ : state) {
        Lexer lexer;
        lexer_init(&lexer, source.c_str(), 1);
        tokens = 0;
        Token token;
        do {
            token = lexer_next_token(&lexer);
            if (token.kind == TOKEN_ERROR) {
                state.SkipWithError("the benchmark program has a lexical error");
                return;
            }
            ++tokens;
        } while (token.kind != TOKEN_EOF);
        benchmark::DoNotOptimize(tokens);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(source.size()));
    state.counters["tokens"] = static_cast<double>(tokens);
}
BENCHMARK(BM_LexRealisticSource)->Unit(benchmark::kMillisecond);

void BM_KeywordLookup(benchmark::State& state) {
    static const char* const words[] = {"print", "total_1", "consider", "end", "If",
                                        "intersecting", "x", "account", "RETURN", "watchers"};
    size_t hits = 0;
    for (auto _ : state) {
        for (const char* word : words) {
            hits += keyword_lookup(word, std::char_traits<char>::length(word)) != TOKEN_IDENT;
        }
    }
    benchmark::DoNotOptimize(hits);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 10);
}
BENCHMARK(BM_KeywordLookup);

}  // namespace
