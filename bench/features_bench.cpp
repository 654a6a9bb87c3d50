// Each editor feature answering for a 5,000-line document, in-process: the
// request is dispatched as the server loop would and the answer written to
// /dev/null through the transport.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include <cjson/cJSON.h>

#include "bench/bench_text.h"
#include "lsp/dispatch.h"
#include "lsp/json_holder.h"
#include "lsp/server_state.h"
#include "lsp/transport.h"

namespace {

constexpr char kUri[] = "file:///bench/features.tov";

std::string position_request(const char* method, int line, int character) {
    return std::string("{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"textDocument/") + method +
           "\",\"params\":{\"textDocument\":{\"uri\":\"" + kUri + "\"},\"position\":{\"line\":" +
           std::to_string(line) + ",\"character\":" + std::to_string(character) + "}}}";
}

void BM_Feature(benchmark::State& state, std::string request) {
    const std::string& text = bench_text(TEXT_5000_LINES);
    FILE* quiet = fopen("/dev/null", "w");
    transport_use_streams(stdin, quiet);
    ServerState server;
    server_state_init(&server);
    server.features = protocol_every_feature();
    document_store_put(&server.documents, kUri, text.c_str());
    JsonHolder message(cJSON_Parse(request.c_str()));
    int exit_code = 0;
    for (auto _ : state) {
        dispatch_message(&server, message.get(), &exit_code);
    }
    server_state_destroy(&server);
    transport_use_streams(stdin, stdout);
    fclose(quiet);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

const std::string kDocumentOnly = std::string("{\"textDocument\":{\"uri\":\"") + kUri + "\"}}";

std::string document_request(const char* method) {
    return std::string("{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"textDocument/") + method +
           "\",\"params\":" + kDocumentOnly + "}";
}

// A line far into the document, on a name of the realistic program.
BENCHMARK_CAPTURE(BM_Feature, documentSymbol, document_request("documentSymbol"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Feature, foldingRange, document_request("foldingRange"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Feature, semanticTokens, document_request("semanticTokens/full"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Feature, definition, position_request("definition", 4000, 4))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Feature, hover, position_request("hover", 4000, 4))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Feature, completion, position_request("completion", 4000, 4))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Feature, codeAction,
                  std::string("{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"textDocument/codeAction\",\"params\":"
                              "{\"textDocument\":{\"uri\":\"") + kUri +
                      "\"},\"range\":{\"start\":{\"line\":0,\"character\":0},\"end\":{\"line\":0,\"character\":1}},"
                      "\"context\":{\"diagnostics\":[{\"range\":{\"start\":{\"line\":4000,\"character\":2},\"end\":"
                      "{\"line\":4000,\"character\":4}},\"message\":\"'<>' is not an operator; not-equal is != -- a != b\"}]}}}")
    ->Unit(benchmark::kMillisecond);

}  // namespace
