#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "tests/e2e/framing.h"
#include "tests/golden_update.h"
#include "tests/test_files.h"
#include "tests/e2e/transcript.h"

// Where the transcripts live, and their names without ".txt", sorted.
std::string transcript_dir();
std::vector<std::string> transcript_names();

// A transcript name as a test name: every byte but letters and digits becomes '_'.
inline std::string transcript_test_name(const testing::TestParamInfo<std::string>& info) {
    return test_name_of(info.param);
}

// The server's whole output must be exactly the expected messages, in order.
inline void expect_transcript_output(const Transcript& transcript, const std::string& output) {
    std::vector<std::string> bodies;
    std::string problem;
    ASSERT_TRUE(split_frames(output, &bodies, &problem)) << problem << "\n" << output;
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
}
