#include <gtest/gtest.h>

#include "tests/e2e/framing.h"
#include "tests/e2e/transcript.h"

// The harness's own checks: if these let bad output through, every
// transcript would pass vacuously.
namespace {

TEST(Framing, AcceptsOnlyExactFrames) {
    struct Case {
        std::string output;
        bool ok;
        size_t count;
    };
    const Case cases[] = {
        {"", true, 0},
        {"Content-Length: 2\r\n\r\n{}", true, 1},
        {"Content-Length: 2\r\n\r\n{}Content-Length: 0\r\n\r\n", true, 2},
        {"Content-Length: 3\r\n\r\n{}", false, 0},
        {"Content-Length: 2\r\n\r\n{}x", false, 1},
        {"Content-Length: 2\n\n{}", false, 0},
        {"content-length: 2\r\n\r\n{}", false, 0},
        {"Content-Length: \r\n\r\n", false, 0},
        {"Content-Type: x\r\nContent-Length: 2\r\n\r\n{}", false, 0},
        {"log line\nContent-Length: 2\r\n\r\n{}", false, 0},
    };
    for (const Case& c : cases) {
        std::vector<std::string> bodies;
        std::string problem;
        EXPECT_EQ(split_frames(c.output, &bodies, &problem), c.ok) << c.output;
        EXPECT_EQ(bodies.size(), c.count) << c.output;
    }
}

TEST(Transcript, ParsesDirectivesAndContinuations) {
    Transcript t;
    std::string problem;
    ASSERT_TRUE(parse_transcript("# c\n\n--> {\"a\":\n    1}\nraw x\\r\\n\\x41\nrepeat 3 ab\n"
                                 "<-- {\"b\":2}\nexit 1\n",
                                 &t, &problem))
        << problem;
    EXPECT_EQ(t.input, "Content-Length: 7\r\n\r\n{\"a\":1}x\r\nAababab");
    ASSERT_EQ(t.expected.size(), 1u);
    EXPECT_EQ(t.expected[0], "{\"b\":2}");
    EXPECT_EQ(t.exit_status, 1);
}

TEST(Transcript, RejectsBrokenFiles) {
    const char* broken[] = {
        "--> {}\n",             // no exit line
        "send {}\nexit 0\n",    // unknown directive
        "raw \\q\nexit 0\n",    // bad escape
        "raw \\x4\nexit 0\n",   // short hex escape
        "repeat x a\nexit 0\n", // bad count
    };
    for (const char* text : broken) {
        Transcript t;
        std::string problem;
        EXPECT_FALSE(parse_transcript(text, &t, &problem)) << text;
        EXPECT_FALSE(problem.empty());
    }
}

}  // namespace
