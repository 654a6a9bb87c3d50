// The front end stage by stage over the same text, from a plain scan of the
// bytes to the whole publication, so that each stage's cost can be read
// against what merely touching every byte costs on this machine. main.cpp
// prints the stages side by side when the run ends.

#include "bench/pipeline_bench.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <string>

#include "ast/ast.h"
#include "bench/bench_text.h"
#include "bench/redirected_stdout.h"
#include "check/analysis.h"
#include "diag/diagnostic.h"
#include "lexer/lexer.h"
#include "lsp/publish.h"
#include "lsp/server_state.h"
#include "parser/parse.h"

namespace {

// Line breaks found with memchr: the fastest way to look at every byte.
size_t count_lines_memchr(const std::string& text) {
    size_t lines = 0;
    const char* at = text.data();
    const char* end = at + text.size();
    while ((at = static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(end - at)))) != nullptr) {
        ++lines;
        ++at;
    }
    return lines;
}

// One table lookup per byte, as a scanner classifies bytes: the floor of any
// byte-at-a-time lexer.
constexpr std::array<unsigned char, 256> kClasses = [] {
    std::array<unsigned char, 256> classes{};
    for (int c = 0; c < 256; ++c) {
        bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
        classes[c] = letter ? 1 : (c >= '0' && c <= '9') ? 2 : c == '\n' ? 3 : 0;
    }
    return classes;
}();

size_t classify_bytes(const std::string& text) {
    size_t sum = 0;
    for (unsigned char byte : text) {
        sum += kClasses[byte];
        benchmark::DoNotOptimize(sum);
    }
    return sum;
}

size_t lex_all(const std::string& text) {
    Lexer lexer;
    lexer_init(&lexer, text.c_str(), 1);
    size_t tokens = 0;
    for (Token token = lexer_next_token(&lexer); token.kind != TOKEN_EOF;
         token = lexer_next_token(&lexer)) {
        ++tokens;
    }
    return tokens;
}

// Lex, parse and build the tree in a region, then drop it: what an analysis
// spends before the checker.
size_t parse_in_region(const std::string& text, AstRegion* region) {
    DiagnosticList list;
    diag_list_init(&list);
    {
        AstRegionScope scope(region);
        StmtList program{nullptr, 0};
        parse_program(text.c_str(), "bench.tov", 1, &list, &program);
    }
    ast_region_reset(region);
    size_t findings = diag_list_count(&list);
    diag_list_free(&list);
    return findings;
}

size_t analyze_in_region(const std::string& text, AstRegion* region) {
    DiagnosticList list;
    diag_list_init(&list);
    {
        AstRegionScope scope(region);
        StmtList program{nullptr, 0};
        analyze_document(text.c_str(), "bench.tov", &list, &program);
    }
    ast_region_reset(region);
    size_t findings = diag_list_count(&list);
    diag_list_free(&list);
    return findings;
}

void BM_Stage(benchmark::State& state, BenchText which, PipelineStage stage) {
    const std::string& text = bench_text(which);
    AstRegion region;
    ast_region_init(&region);
    ServerState server;
    server_state_init(&server);
    int null_device = open("/dev/null", O_WRONLY);
    size_t result = 0;
    for (auto _ : state) {
        switch (stage) {
        case STAGE_MEMCHR: result = count_lines_memchr(text); break;
        case STAGE_BYTE_LOOP: result = classify_bytes(text); break;
        case STAGE_LEX: result = lex_all(text); break;
        case STAGE_PARSE: result = parse_in_region(text, &region); break;
        case STAGE_ANALYSIS: result = analyze_in_region(text, &region); break;
        case STAGE_PUBLISH: {
            RedirectedStdout quiet(null_device);
            analyze_and_publish(&server, "file:///bench.tov", text.c_str());
            break;
        }
        }
        benchmark::DoNotOptimize(result);
    }
    close(null_device);
    server_state_destroy(&server);
    ast_region_release(&region);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

}  // namespace

const char* pipeline_stage_name(PipelineStage stage) {
    static const char* const kNames[] = {"memchr line scan", "byte loop", "lexer",
                                         "lex + parse + tree", "analysis",
                                         "analysis + publication"};
    return kNames[stage];
}

void register_pipeline_benchmarks() {
    struct Text {
        const char* name;
        BenchText which;
    };
    const Text texts[] = {{"realistic", TEXT_REALISTIC}, {"operator_chain", TEXT_OPERATOR_CHAIN}};
    for (const Text& text : texts) {
        for (int stage = STAGE_MEMCHR; stage <= STAGE_PUBLISH; ++stage) {
            std::string name = std::string("Pipeline/") + text.name + "/" + std::to_string(stage);
            benchmark::RegisterBenchmark(name.c_str(), BM_Stage, text.which,
                                         static_cast<PipelineStage>(stage))
                ->Unit(benchmark::kMillisecond);
        }
    }
}
