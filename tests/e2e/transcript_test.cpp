#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <string>
#include <vector>

#include "tests/e2e/cli_run.h"
#include "tests/e2e/framing.h"
#include "tests/e2e/lsp_process.h"
#include "tests/e2e/transcript_check.h"

namespace {

constexpr int kTimeoutMs = 30000;

class TranscriptTest : public testing::TestWithParam<std::string> {};

TEST_P(TranscriptTest, ServerAnswersAsRecorded) {
    std::string text = read_file_bytes(transcript_dir() + "/" + GetParam() + ".txt");
    ASSERT_FALSE(text.empty());
    Transcript transcript;
    std::string problem;
    ASSERT_TRUE(parse_transcript(text, &transcript, &problem)) << problem;

    RunResult run = run_with_input(TOVEL_LSP_PATH, transcript.input, kTimeoutMs);
    ASSERT_FALSE(run.exit.timed_out) << "server did not finish";
    ASSERT_FALSE(run.exit.signaled) << "server died from signal " << run.exit.status;
    EXPECT_EQ(run.error, "") << "server wrote to standard error";

    if (update_goldens_requested()) {
        std::vector<std::string> bodies;
        ASSERT_TRUE(split_frames(run.output, &bodies, &problem)) << problem;
        write_file_bytes(transcript_dir() + "/" + GetParam() + ".txt",
                         rewrite_transcript(text, bodies, run.exit.status));
        return;
    }
    expect_transcript_output(transcript, run.output);
    EXPECT_EQ(run.exit.status, transcript.exit_status);
}

INSTANTIATE_TEST_SUITE_P(Transcripts, TranscriptTest, testing::ValuesIn(transcript_names()),
                         transcript_test_name);

}  // namespace
