// The benchmark program: every registered benchmark, then the pipeline
// stages side by side, each against the two byte-scan baselines of the same
// text, and the didChange round trip.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>

#include "bench/pipeline_bench.h"

namespace {

// Prints the usual table as it goes and keeps the pipeline figures for a
// summary at the end.
class PipelineSummary : public benchmark::ConsoleReporter {
public:
    PipelineSummary() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            std::string name = run.benchmark_name();
            if (name.rfind("Pipeline/", 0) == 0) {
                auto rate = run.counters.find("bytes_per_second");
                if (rate != run.counters.end()) rates_[name] = rate->second;
            } else if (name.rfind("RoundTrip/", 0) == 0) {
                round_trip_ms_ = run.GetAdjustedRealTime();
            }
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const char* text : {"realistic", "operator_chain"}) print_text(text);
        if (round_trip_ms_ >= 0) {
            std::printf("\ndidChange -> publishDiagnostics, 5,000 lines, through the binary: %.3f ms\n",
                        round_trip_ms_);
        }
    }

private:
    double rate(const std::string& text, int stage) const {
        auto found = rates_.find("Pipeline/" + text + "/" + std::to_string(stage));
        return found != rates_.end() ? found->second : 0;
    }

    void print_text(const std::string& text) {
        double memchr_rate = rate(text, STAGE_MEMCHR);
        double loop_rate = rate(text, STAGE_BYTE_LOOP);
        if (memchr_rate <= 0 || loop_rate <= 0) return;
        std::printf("\nPipeline over the %s text (MB/s; how many times slower than each baseline)\n",
                    text.c_str());
        std::printf("  %-24s %10s %12s %12s\n", "stage", "MB/s", "x memchr", "x byte loop");
        for (int stage = STAGE_MEMCHR; stage <= STAGE_PUBLISH; ++stage) {
            double r = rate(text, stage);
            if (r <= 0) continue;
            std::printf("  %-24s %10.1f %12.1f %12.1f\n",
                        pipeline_stage_name(static_cast<PipelineStage>(stage)), r / 1e6,
                        memchr_rate / r, loop_rate / r);
        }
        if (text != "realistic") {
            double realistic = rate("realistic", STAGE_PARSE);
            double here = rate(text, STAGE_PARSE);
            if (realistic > 0 && here > 0) {
                std::printf("  parse cost per byte against the realistic text: %.2fx\n",
                            realistic / here);
            }
        }
    }

    std::map<std::string, double> rates_;
    double round_trip_ms_ = -1;
};

}  // namespace

int main(int argc, char** argv) {
    register_pipeline_benchmarks();
    register_round_trip_benchmark();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    PipelineSummary reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
