// What the server does for one didOpen or didChange: analyse the text, turn
// every finding into a protocol diagnostic with positions in the client's
// encoding, print the notification and write it to standard output. Output
// goes to /dev/null while a benchmark runs, so the JSON is really built and
// written but the console stays readable.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "ast/ast.h"
#include "bench/bench_text.h"
#include "bench/redirected_stdout.h"
#include "check/analysis.h"
#include "diag/diagnostic.h"
#include "lsp/publish.h"
#include "lsp/server_state.h"

namespace {

constexpr char kUri[] = "file:///bench/document.tv";

size_t count_findings(const std::string& text) {
    DiagnosticList list;
    diag_list_init(&list);
    StmtList program{nullptr, 0};
    analyze_document(text.c_str(), kUri, &list, &program);
    stmt_list_free(program);
    size_t findings = diag_list_count(&list);
    diag_list_free(&list);
    return findings;
}

// Bytes of one framed notification, measured once into a file that lives
// in memory (the largest is tens of megabytes).
long published_bytes(ServerState* server, const std::string& text) {
    int scratch = memfd_create("publication", 0);
    if (scratch < 0) {
        return -1;
    }
    {
        RedirectedStdout redirect(scratch);
        analyze_and_publish(server, kUri, text.c_str());
    }
    struct stat info;
    long bytes = fstat(scratch, &info) == 0 ? static_cast<long>(info.st_size) : -1;
    close(scratch);
    return bytes;
}

void BM_AnalyzeAndPublish(benchmark::State& state, BenchText which, PositionEncoding encoding) {
    const std::string& text = bench_text(which);
    ServerState server;
    server_state_init(&server);
    server.position_encoding = encoding;
    long output_bytes = published_bytes(&server, text);
    int null_device = open("/dev/null", O_WRONLY);
    if (null_device < 0) {
        state.SkipWithError("cannot open /dev/null");
        server_state_destroy(&server);
        return;
    }
    {
        RedirectedStdout redirect(null_device);
        for (auto _ : state) {
            analyze_and_publish(&server, kUri, text.c_str());
        }
    }
    close(null_device);
    server_state_destroy(&server);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["findings"] = static_cast<double>(count_findings(text));
    state.counters["published_bytes"] = static_cast<double>(output_bytes);
}

#define PUBLISH_CASE(name, which)                                                               \
    BENCHMARK_CAPTURE(BM_AnalyzeAndPublish, name##_utf16, which, POSITION_ENCODING_UTF16)        \
        ->Unit(benchmark::kMillisecond);                                                        \
    BENCHMARK_CAPTURE(BM_AnalyzeAndPublish, name##_utf8, which, POSITION_ENCODING_UTF8)          \
        ->Unit(benchmark::kMillisecond)

PUBLISH_CASE(realistic, TEXT_REALISTIC);
PUBLISH_CASE(many_routes, TEXT_MANY_ROUTES);
PUBLISH_CASE(many_findings, TEXT_MANY_FINDINGS);
PUBLISH_CASE(one_line, TEXT_ONE_LINE);
PUBLISH_CASE(multibyte_lines, TEXT_MULTIBYTE_LINES);
PUBLISH_CASE(multibyte_one_line, TEXT_MULTIBYTE_ONE_LINE);

}  // namespace
