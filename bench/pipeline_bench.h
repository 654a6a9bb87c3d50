// Stage-by-stage throughput over one text, against two baselines that only
// touch the bytes.
#ifndef TOVEL_BENCH_PIPELINE_BENCH_H
#define TOVEL_BENCH_PIPELINE_BENCH_H

enum PipelineStage : int {
    STAGE_MEMCHR,     // line breaks found with memchr
    STAGE_BYTE_LOOP,  // one class-table lookup per byte
    STAGE_LEX,
    STAGE_PARSE,      // lex, parse, build the tree, drop it
    STAGE_ANALYSIS,   // the same plus the server-block checks
    STAGE_PUBLISH,    // the analysis plus the notification written out
};

const char* pipeline_stage_name(PipelineStage stage);

// Registers Pipeline/<text>/<stage> for the realistic text and the operator chain.
void register_pipeline_benchmarks();

// Registers the didChange round trip through the real server binary.
void register_round_trip_benchmark();

#endif
