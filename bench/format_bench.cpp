// The formatter on the realistic program against the front end's analysis
// of the same text, in the same iterations: as generated, and with every
// line's indentation doubled plus one (so every line takes an edit), at
// three sizes to show the cost grows with the text and no faster.

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "ast/free.h"
#include "ast/lists.h"
#include "bench/realistic_source.h"
#include "check/analysis.h"
#include "diag/diagnostic.h"
#include "ide/format.h"

namespace {

// Indentation k becomes 2k + 1: a `consider` and its branches stay in one
// column, so the text means what it meant.
std::string misindented(const std::string& text) {
    std::string out;
    out.reserve(text.size() * 5 / 4);
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        size_t blanks = text.find_first_not_of(' ', at) - at;
        if (blanks > end - at) blanks = end - at;
        out.append(2 * blanks + 1, ' ');
        out.append(text, at + blanks, end - at - blanks);
        at = end;
    }
    return out;
}

const std::string& text_of(int64_t kilobytes, bool misindent) {
    static std::string texts[2][3];
    int size_index = kilobytes == 256 ? 0 : kilobytes == 512 ? 1 : 2;
    std::string& text = texts[misindent][size_index];
    if (text.empty()) {
        text = realistic_tovel_source(static_cast<size_t>(kilobytes) << 10);
        if (misindent) text = misindented(text);
    }
    return text;
}

void analyse(const std::string& text) {
    DiagnosticList list;
    diag_list_init(&list);
    StmtList program{nullptr, 0};
    benchmark::DoNotOptimize(analyze_document(text.c_str(), "bench.tov", &list, &program));
    stmt_list_free(program);
    diag_list_free(&list);
}

size_t format(const std::string& text) {
    std::string formatted;
    FormatResult result = format_source(text.c_str(), static_cast<uint32_t>(text.size()), {}, &formatted);
    benchmark::DoNotOptimize(formatted.data());
    return result.status == FORMAT_DONE ? result.edits.size() : static_cast<size_t>(-1);
}

double milliseconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Each iteration analyses the text, then formats it, so the two share
// whatever the machine is doing: the ratio is what the target is about.
// The time reported is the formatting's.
void BM_Format(benchmark::State& state) {
    const std::string& text = text_of(state.range(0), state.range(1) != 0);
    double analysis_ms = 0;
    double format_ms = 0;
    size_t edits = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        analyse(text);
        analysis_ms += milliseconds_since(start);
        start = std::chrono::steady_clock::now();
        edits = format(text);
        double took = milliseconds_since(start);
        format_ms += took;
        state.SetIterationTime(took / 1000);
    }
    if (edits == static_cast<size_t>(-1)) state.SkipWithError("the text was not formatted");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["edits"] = static_cast<double>(edits);
    state.counters["analysis_ms"] = analysis_ms / static_cast<double>(state.iterations());
    state.counters["format_over_analysis"] = format_ms / analysis_ms;
}

// Arguments: kilobytes of text, and whether its indentation is spoiled.
BENCHMARK(BM_Format)
    ->Args({1024, 0})
    ->Args({256, 1})
    ->Args({512, 1})
    ->Args({1024, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
