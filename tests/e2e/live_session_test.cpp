#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/framing.h"
#include "tests/e2e/lsp_process.h"

// An editor keeps the server's input open for the whole session and waits
// for each answer before it goes on. So every answer must be on the wire as
// soon as its message is complete, whatever pieces the message came in, and
// nothing may be written for a message that is still incomplete.
namespace {

constexpr int kTimeoutMs = 30000;
constexpr int kQuietMs = 150;

const std::string kInitialize = "{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"initialize\"}";
const std::string kInitializeAnswer =
    "{\"jsonrpc\":\"2.0\",\"id\":1,\"result\":{\"capabilities\":{\"textDocumentSync\":1,"
    "\"positionEncoding\":\"utf-16\"}}}";
const std::string kShutdown = "{\"jsonrpc\":\"2.0\",\"id\":2,\"method\":\"shutdown\"}";
const std::string kShutdownAnswer = "{\"jsonrpc\":\"2.0\",\"id\":2,\"result\":null}";
const std::string kExit = "{\"jsonrpc\":\"2.0\",\"method\":\"exit\"}";

struct Step {
    const char* what;
    std::vector<std::string> pieces;  // written one after the other
    std::string answer;               // the whole framed output expected
};

std::vector<std::string> split_at(const std::string& bytes, std::vector<size_t> cuts) {
    std::vector<std::string> pieces;
    size_t from = 0;
    for (size_t cut : cuts) {
        pieces.push_back(bytes.substr(from, cut - from));
        from = cut;
    }
    pieces.push_back(bytes.substr(from));
    return pieces;
}

TEST(LiveSession, EachAnswerArrivesOnceItsMessageIsComplete) {
    const std::string open =
        "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/didOpen\",\"params\":{\"textDocument\":"
        "{\"uri\":\"file:///w/a.tov\",\"text\":\"x = 1 <> 2\\n\"}}}";
    const std::string published =
        "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/publishDiagnostics\",\"params\":{\"uri\":"
        "\"file:///w/a.tov\",\"diagnostics\":[{\"range\":{\"start\":{\"line\":0,\"character\":6},"
        "\"end\":{\"line\":0,\"character\":8}},\"severity\":1,\"code\":\"TV_DIAG_LEX_DETAIL\","
        "\"source\":\"tovel\",\"message\":\"'<>' is not an operator; not-equal is != -- a != b\"}]}}";
    const std::string shutdown = frame(kShutdown);
    const Step steps[] = {
        {"whole initialize", {frame(kInitialize)}, frame(kInitializeAnswer)},
        {"whole didOpen", {frame(open)}, frame(published)},
        {"header, then body in two pieces",
         split_at(shutdown, {shutdown.size() - kShutdown.size(), shutdown.size() - 10}),
         frame(kShutdownAnswer)},
        {"header line cut before its line feed, then a bad body",
         split_at(frame("{"), {14, 18}),
         frame("{\"jsonrpc\":\"2.0\",\"id\":null,\"error\":{\"code\":-32700,\"message\":\"Parse error\"}}")},
    };

    ChildProcess child;
    ASSERT_TRUE(child_start(&child, TOVEL_LSP_PATH));
    std::string output, error;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        output.clear();
        for (size_t i = 0; i < step.pieces.size(); ++i) {
            ASSERT_TRUE(child_write(&child, step.pieces[i], &output, &error, kTimeoutMs));
            if (i + 1 < step.pieces.size()) {
                child_read_idle(&child, &output, &error, kQuietMs);
                EXPECT_EQ(output, "") << "answered before the message was complete";
            }
        }
        EXPECT_TRUE(child_read_at_least(&child, step.answer.size(), &output, &error, kTimeoutMs))
            << "no complete answer while the input stays open: " << output;
        child_read_idle(&child, &output, &error, kQuietMs);
        EXPECT_EQ(output, step.answer);
    }
    output.clear();
    ASSERT_TRUE(child_write(&child, frame(kExit), &output, &error, kTimeoutMs));
    ChildExit result = child_finish(&child, &output, &error, kTimeoutMs);
    ASSERT_FALSE(result.timed_out);
    EXPECT_FALSE(result.signaled);
    EXPECT_EQ(result.status, 0);  // the shutdown step came first
    EXPECT_EQ(output, "");
    EXPECT_EQ(error, "");
}

// Editors commonly start a server with an option such as --stdio; the
// server takes no options and must not let any of them change its work.
TEST(LiveSession, CommandLineArgumentsAreIgnored) {
    const char* arguments[] = {"--stdio", "--help", "--version", "-", "file.tov"};
    const std::string input = frame(kInitialize) + frame(kShutdown) + frame(kExit);
    const std::string expected = frame(kInitializeAnswer) + frame(kShutdownAnswer);
    for (const char* argument : arguments) {
        SCOPED_TRACE(argument);
        ChildProcess child;
        ASSERT_TRUE(child_start(&child, TOVEL_LSP_PATH, argument));
        std::string output, error;
        EXPECT_TRUE(child_write(&child, input, &output, &error, kTimeoutMs));
        ChildExit result = child_finish(&child, &output, &error, kTimeoutMs);
        ASSERT_FALSE(result.timed_out);
        EXPECT_FALSE(result.signaled);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(output, expected);
        EXPECT_EQ(error, "");
    }
}

}  // namespace
