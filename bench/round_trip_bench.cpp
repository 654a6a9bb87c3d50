// What an editor waits for after each keystroke: a didChange of a 5,000-line
// document written to the real tovel-lsp, until its publishDiagnostics has
// been read back, through pipes as an editor talks to it. The keystroke
// round adds what an editor with every feature asks right after: semantic
// tokens, the outline, the folds and the code actions of one line, until all
// four answers have arrived too. Both rounds analyse the text once; the
// requests answer from that analysis.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "bench/pipeline_bench.h"
#include "bench/bench_text.h"
#include "bench/realistic_source.h"
#include "tests/e2e/framing.h"
#include "tests/e2e/lsp_process.h"

namespace {

constexpr int kTimeoutMs = 10000;
constexpr char kUri[] = "file:///bench/round_trip.tov";

std::string did_change(const std::string& text, int version) {
    return frame(std::string("{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/didChange\",\"params\":"
                             "{\"textDocument\":{\"uri\":\"") +
                 kUri + "\",\"version\":" + std::to_string(version) +
                 "},\"contentChanges\":[{\"text\":" + json_string(text) + "}]}}");
}

// Writes `message` and reads until `expected` more bytes have arrived.
bool exchange(ChildProcess* server, const std::string& message, size_t expected,
              std::string* output, std::string* error) {
    output->clear();
    return child_write(server, message, output, error, kTimeoutMs) &&
           child_read_at_least(server, expected, output, error, kTimeoutMs);
}

std::string document_request(int id, const char* method, const std::string& extra) {
    return frame("{\"jsonrpc\":\"2.0\",\"id\":" + std::to_string(id) + ",\"method\":\"textDocument/" + method +
                 "\",\"params\":{\"textDocument\":{\"uri\":\"" + kUri + "\"}" + extra + "}}");
}

// The requests of an editor with every feature after a keystroke on line 100.
std::string feature_requests() {
    return document_request(10, "semanticTokens/full", "") + document_request(11, "documentSymbol", "") +
           document_request(12, "foldingRange", "") +
           document_request(13, "codeAction",
                            ",\"range\":{\"start\":{\"line\":100,\"character\":0},\"end\":{\"line\":100,"
                            "\"character\":0}},\"context\":{\"diagnostics\":[]}");
}

void BM_RoundTrip(benchmark::State& state, bool with_features) {
    const std::string& clean = bench_text(TEXT_5000_LINES);
    static const std::string edited_text = clean + "edited = 1\n";
    // TOVEL_LSP names another build of the server to compare with.
    const char* program = std::getenv("TOVEL_LSP");
    ChildProcess server;
    if (!child_start(&server, program != nullptr ? program : TOVEL_LSP_PATH)) {
        state.SkipWithError("cannot start tovel-lsp");
        return;
    }
    std::string output;
    std::string error;
    child_write(&server,
                frame(std::string("{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"initialize\",\"params\":"
                                  "{\"capabilities\":") +
                      (with_features ? "{\"textDocument\":{\"semanticTokens\":{},\"documentSymbol\":{},"
                                       "\"foldingRange\":{},\"codeAction\":{}}}}}"
                                     : "{}}}")) +
                    frame("{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/didOpen\",\"params\":"
                          "{\"textDocument\":{\"uri\":\"" + std::string(kUri) +
                          "\",\"languageId\":\"tovel\",\"version\":1,\"text\":" +
                          json_string(clean) + "}}}"),
                &output, &error, kTimeoutMs);
    child_read_idle(&server, &output, &error, 300);
    // Both versions are clean, so every answer is the same empty publication.
    const std::string requests = with_features ? feature_requests() : "";
    const std::string changes[2] = {did_change(edited_text, 2) + requests, did_change(clean, 3) + requests};
    // The two versions answer with different bytes: learn both sizes once.
    size_t answers[2] = {0, 0};
    for (int version = 0; version < 2; ++version) {
        output.clear();
        exchange(&server, changes[version], 1, &output, &error);
        child_read_idle(&server, &output, &error, 300);
        answers[version] = output.size();
        if (output.find("publishDiagnostics") == std::string::npos) {
            state.SkipWithError("tovel-lsp did not publish after didChange");
            child_finish(&server, &output, &error, kTimeoutMs);
            return;
        }
    }
    size_t round = 1;
    for (auto _ : state) {
        ++round;
        if (!exchange(&server, changes[round % 2], answers[round % 2], &output, &error)) {
            state.SkipWithError("tovel-lsp stopped answering");
            break;
        }
    }
    child_finish(&server, &output, &error, kTimeoutMs);
    state.counters["lines"] = static_cast<double>(count_lines(clean));
    state.counters["document_bytes"] = static_cast<double>(clean.size());
}

}  // namespace

void register_round_trip_benchmark() {
    benchmark::RegisterBenchmark("RoundTrip/didChange_5000_lines", BM_RoundTrip, false)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("RoundTrip/keystroke_5000_lines", BM_RoundTrip, true)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}
