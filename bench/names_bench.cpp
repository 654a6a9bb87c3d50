// The name index on a 5,000-line document against the front end's analysis
// of the same text, and references and rename of a name used on every
// function of a 5,000-line program, through the server's dispatch.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include <cjson/cJSON.h>

#include "ast/region.h"
#include "bench/bench_text.h"
#include "ide/analysis.h"
#include "ide/names.h"
#include "lsp/dispatch.h"
#include "lsp/json_holder.h"
#include "lsp/server_state.h"
#include "lsp/transport.h"
#include "syntax/syntax_tree.h"

namespace {

constexpr char kUri[] = "file:///bench/names.tov";

void BM_FrontEndAnalysis(benchmark::State& state) {
    const std::string& text = bench_text(TEXT_5000_LINES);
    AstRegion region;
    ast_region_init(&region);
    for (auto _ : state) {
        Analysis* analysis = analysis_create(text.c_str(), "bench.tov", &region);
        analysis_destroy(analysis);
    }
    ast_region_release(&region);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// From the tree every feature shares.
void BM_NameIndex(benchmark::State& state) {
    const std::string& text = bench_text(TEXT_5000_LINES);
    SyntaxTree tree;
    syntax_parse(&tree, text.c_str(), static_cast<uint32_t>(text.size()));
    for (auto _ : state) {
        NameIndex index;
        name_index_build(&index, tree);
        benchmark::DoNotOptimize(index.uses.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    NameIndex index;
    name_index_build(&index, tree);
    state.counters["nodes"] = static_cast<double>(tree.nodes.size());
    state.counters["uses"] = static_cast<double>(index.uses.size());
}

// `total` is read and written in every one of 1,000 functions: 5,001 lines.
const std::string& everywhere_text() {
    static const std::string text = [] {
        std::string out = "total = 0\n";
        for (int f = 0; f < 1000; ++f) {
            out += "function add" + std::to_string(f) + "(a)\n  total += a\n  return total\nend function\n\n";
        }
        return out;
    }();
    return text;
}

void BM_NameRequest(benchmark::State& state, std::string request) {
    FILE* quiet = fopen("/dev/null", "w");
    transport_use_streams(stdin, quiet);
    ServerState server;
    server_state_init(&server);
    server.features.references = true;
    server.features.rename = true;
    document_store_put(&server.documents, kUri, everywhere_text().c_str());
    JsonHolder message(cJSON_Parse(request.c_str()));
    int exit_code = 0;
    dispatch_message(&server, message.get(), &exit_code);  // the analysis and index, built once
    for (auto _ : state) dispatch_message(&server, message.get(), &exit_code);
    server_state_destroy(&server);
    transport_use_streams(stdin, stdout);
    fclose(quiet);
}

std::string name_request(const char* method, const char* extra) {
    return std::string("{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"textDocument/") + method +
           "\",\"params\":{\"textDocument\":{\"uri\":\"" + kUri + "\"},\"position\":{\"line\":0,\"character\":1}" + extra + "}}";
}

BENCHMARK(BM_FrontEndAnalysis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NameIndex)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NameRequest, references, name_request("references", ",\"context\":{\"includeDeclaration\":true}"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NameRequest, rename, name_request("rename", ",\"newName\":\"sum\""))->Unit(benchmark::kMillisecond);

}  // namespace
