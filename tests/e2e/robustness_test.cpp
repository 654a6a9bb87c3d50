#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/e2e/cli_run.h"
#include "tests/e2e/framing.h"
#include "tests/e2e/lsp_process.h"

// Damaged versions of a real program must each get exactly one publication,
// with the server never crashing, hanging or writing to standard error.
namespace {

constexpr int kTimeoutMs = 60000;
constexpr int kDocuments = 40;

// A few edits with bytes that matter to the front end: brackets, quotes,
// escapes, line breaks, keywords and bytes that are not UTF-8.
std::string damage(std::string text, std::mt19937* random) {
    static const char* const kPieces[] = {"(", ")", "[", "]", "{", "}", "\"", "\\", "\n", "\r\n",
                                          " end ", " if ", "next", "consider", "server x()",
                                          "web", "\xc3", "\xff", "\xf0\x9f\x98\x80", "'", ":",
                                          "<>", "{round", "2 days", "\t", "=", ","};
    std::uniform_int_distribution<int> edits(1, 6);
    int count = edits(*random);
    for (int i = 0; i < count && !text.empty(); ++i) {
        size_t at = std::uniform_int_distribution<size_t>(0, text.size() - 1)(*random);
        size_t piece = std::uniform_int_distribution<size_t>(0, std::size(kPieces) - 1)(*random);
        switch ((*random)() % 3) {
        case 0: text.insert(at, kPieces[piece]); break;
        case 1: text.erase(at, std::uniform_int_distribution<size_t>(1, 40)(*random)); break;
        default: text.replace(at, 1, kPieces[piece]); break;
        }
    }
    return text;
}

TEST(Robustness, DamagedProgramsEachGetOnePublication) {
    std::string program = read_file_bytes(std::string(TOVEL_SOURCE_DIR) + "/examples/inventory_service.tov");
    ASSERT_FALSE(program.empty());
    std::mt19937 random(20261209);
    std::string input;
    for (int i = 0; i < kDocuments; ++i) {
        std::string text = damage(program, &random);
        input += frame("{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/didOpen\",\"params\":{\"textDocument\":"
                       "{\"uri\":\"file:///d" + std::to_string(i) + ".tov\",\"text\":" + json_string(text) +
                       "}}}");
    }
    RunResult run = run_with_input(TOVEL_LSP_PATH, input, kTimeoutMs);
    ASSERT_FALSE(run.exit.timed_out);
    ASSERT_FALSE(run.exit.signaled) << "signal " << run.exit.status;
    EXPECT_EQ(run.exit.status, 0);
    EXPECT_EQ(run.error, "");
    std::vector<std::string> bodies;
    std::string problem;
    ASSERT_TRUE(split_frames(run.output, &bodies, &problem)) << problem;
    ASSERT_EQ(bodies.size(), static_cast<size_t>(kDocuments));
    int with_findings = 0;
    for (int i = 0; i < kDocuments; ++i) {
        with_findings += bodies[i].find("\"diagnostics\":[]") == std::string::npos;
        EXPECT_NE(bodies[i].find("\"uri\":\"file:///d" + std::to_string(i) + ".tov\""), std::string::npos)
            << bodies[i];
    }
    EXPECT_GT(with_findings, kDocuments / 2) << "the damage should break most documents";
}

// Whatever arrives on standard input, the server answers only with whole
// frames, writes nothing to standard error and ends with a protocol status.
// Streams are built from real frames, then damaged: cut, spliced with
// random bytes, with lengths that lie.
std::string damaged_stream(std::mt19937* random) {
    static const char* const kBodies[] = {
        "{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"initialize\",\"params\":{\"capabilities\":"
        "{\"general\":{\"positionEncodings\":[\"utf-8\"]}}}}",
        "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/didOpen\",\"params\":{\"textDocument\":"
        "{\"uri\":\"file:///r.tov\",\"text\":\"x = (1 +\\n\\\"\\\\q\\\"\\nserver a()\\nend server\\n\"}}}",
        "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/didChange\",\"params\":{\"textDocument\":"
        "{\"uri\":\"file:///r.tov\"},\"contentChanges\":[{\"text\":\"dim \\u00e9\"}]}}",
        "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/didClose\",\"params\":{\"textDocument\":"
        "{\"uri\":\"file:///r.tov\"}}}",
        "{\"jsonrpc\":\"2.0\",\"id\":[1,{\"a\":null}],\"method\":\"shutdown\"}",
        "{\"jsonrpc\":\"2.0\",\"id\":\"q\",\"method\":\"workspace/symbol\"}",
        "[1,2,{\"method\":\"exit\"}]",
        "not json at all",
    };
    std::string stream;
    int frames = std::uniform_int_distribution<int>(1, 8)(*random);
    for (int i = 0; i < frames; ++i) {
        stream += frame(kBodies[(*random)() % std::size(kBodies)]);
    }
    int damages = std::uniform_int_distribution<int>(0, 4)(*random);
    for (int i = 0; i < damages && !stream.empty(); ++i) {
        size_t at = std::uniform_int_distribution<size_t>(0, stream.size() - 1)(*random);
        switch ((*random)() % 4) {
        case 0: stream.resize(at); break;
        case 1: stream.insert(at, 1, static_cast<char>((*random)() & 0xff)); break;
        case 2: stream[at] = static_cast<char>((*random)() & 0xff); break;
        default: stream.insert(at, "Content-Length: " + std::to_string((*random)() % 4000) + "\r\n"); break;
        }
    }
    return stream;
}

TEST(Robustness, AnyInputBytesGetOnlyFramesAndAProtocolStatus) {
    std::mt19937 random(7321);
    int answered = 0;
    for (int i = 0; i < 60; ++i) {
        std::string input = damaged_stream(&random);
        if (i % 5 == 4) {
            // Every few runs, plain noise without any framing at all.
            input.resize(std::uniform_int_distribution<size_t>(0, 3000)(random));
            for (char& c : input) c = static_cast<char>(random() & 0xff);
        }
        RunResult run = run_with_input(TOVEL_LSP_PATH, input, kTimeoutMs);
        ASSERT_FALSE(run.exit.timed_out) << "run " << i;
        ASSERT_FALSE(run.exit.signaled) << "run " << i << ": signal " << run.exit.status;
        EXPECT_TRUE(run.exit.status == 0 || run.exit.status == 1) << "run " << i;
        EXPECT_EQ(run.error, "") << "run " << i;
        std::vector<std::string> bodies;
        std::string problem;
        EXPECT_TRUE(split_frames(run.output, &bodies, &problem)) << "run " << i << ": " << problem;
        answered += !bodies.empty();
    }
    EXPECT_GT(answered, 20) << "most damaged streams should still carry frames the server answers";
}

}  // namespace
