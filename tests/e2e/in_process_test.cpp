// The recorded transcripts again, with the server run in this process over
// memory streams instead of as a child over pipes: the same bytes and the
// same exit status. This is how a fuzzer or a test drives whole sessions
// cheaply, so it must not differ from the real binary in anything.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "lsp/server_loop.h"
#include "tests/e2e/cli_run.h"
#include "tests/e2e/transcript_check.h"

namespace {

struct SessionOutput {
    std::string bytes;
    int status = -1;
};

SessionOutput run_in_process(const std::string& input) {
    // fmemopen refuses an empty buffer; an empty input is /dev/null.
    FILE* in = input.empty() ? fopen("/dev/null", "rb")
                             : fmemopen(const_cast<char*>(input.data()), input.size(), "rb");
    char* buffer = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&buffer, &size);
    SessionOutput output;
    if (in == nullptr || out == nullptr) {
        ADD_FAILURE() << "cannot open memory streams";
    } else {
        output.status = run_server_on(in, out);
    }
    if (in != nullptr) fclose(in);
    if (out != nullptr) fclose(out);
    output.bytes.assign(buffer != nullptr ? buffer : "", size);
    free(buffer);
    return output;
}

class InProcessTranscript : public testing::TestWithParam<std::string> {};

TEST_P(InProcessTranscript, AnswersAsTheBinaryDoes) {
    std::string text = read_file_bytes(transcript_dir() + "/" + GetParam() + ".txt");
    Transcript transcript;
    std::string problem;
    ASSERT_TRUE(parse_transcript(text, &transcript, &problem)) << problem;
    SessionOutput run = run_in_process(transcript.input);
    expect_transcript_output(transcript, run.bytes);
    EXPECT_EQ(run.status, transcript.exit_status);
}

INSTANTIATE_TEST_SUITE_P(Transcripts, InProcessTranscript, testing::ValuesIn(transcript_names()),
                         transcript_test_name);

TEST(InProcessSession, TwoSessionsInOneProcessStartAfresh) {
    const std::string session = frame(R"({"jsonrpc":"2.0","id":1,"method":"shutdown"})") +
                                frame(R"({"jsonrpc":"2.0","method":"exit"})");
    EXPECT_EQ(run_in_process(session).status, 0);
    // A new session has not seen the first one's shutdown.
    EXPECT_EQ(run_in_process(frame(R"({"jsonrpc":"2.0","method":"exit"})")).status, 1);
}

TEST(RewriteTranscript, ReplacesExpectationsKeepsTheRest) {
    const std::string text =
        "# a comment\n--> {\"a\":1}\n<-- {\"old\":\n   1}\n--> {\"b\":2}\n<-- {\"gone\":2}\nexit 1\n";
    EXPECT_EQ(rewrite_transcript(text, {"{\"new\":1}"}, 0),
              "# a comment\n--> {\"a\":1}\n<-- {\"new\":1}\n--> {\"b\":2}\nexit 0\n");
    EXPECT_EQ(rewrite_transcript("--> {}\n<-- {\"x\":1}\nexit 0\n", {"{\"x\":1}", "{\"y\":2}"}, 0),
              "--> {}\n<-- {\"x\":1}\n<-- {\"y\":2}\nexit 0\n");
}

}  // namespace
