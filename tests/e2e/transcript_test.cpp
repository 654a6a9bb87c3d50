#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <string>
#include <vector>

#include "tests/e2e/cli_run.h"
#include "tests/e2e/framing.h"
#include "tests/e2e/lsp_process.h"
#include "tests/e2e/transcript.h"

namespace {

constexpr int kTimeoutMs = 30000;

std::string transcript_dir() {
    return std::string(TOVEL_SOURCE_DIR) + "/tests/e2e/transcripts";
}

std::vector<std::string> transcript_names() {
    std::vector<std::string> names;
    if (DIR* dir = opendir(transcript_dir().c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0) {
                names.push_back(name.substr(0, name.size() - 4));
            }
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

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

    std::vector<std::string> bodies;
    ASSERT_TRUE(split_frames(run.output, &bodies, &problem)) << problem << "\n" << run.output;
    size_t shared = std::min(bodies.size(), transcript.expected.size());
    for (size_t i = 0; i < shared; ++i) {
        EXPECT_EQ(bodies[i], transcript.expected[i]) << "message " << i + 1;
    }
    for (size_t i = shared; i < bodies.size(); ++i) {
        ADD_FAILURE() << "unexpected message " << i + 1 << ": " << bodies[i];
    }
    for (size_t i = shared; i < transcript.expected.size(); ++i) {
        ADD_FAILURE() << "missing message " << i + 1 << ": " << transcript.expected[i];
    }
    EXPECT_EQ(run.exit.status, transcript.exit_status);
}

std::string test_name(const testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    for (char& c : name) {
        if (!isalnum(static_cast<unsigned char>(c))) {
            c = '_';
        }
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Transcripts, TranscriptTest, testing::ValuesIn(transcript_names()), test_name);

}  // namespace
