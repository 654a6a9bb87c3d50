#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

#include "tests/e2e/framing.h"
#include "tests/e2e/lsp_process.h"

// An editor may close the server's output while still writing to it. The
// server's writes then fail, but it must neither die from a signal nor stop
// reading: it handles every message up to exit (or the end of input).
namespace {

constexpr int kTimeoutMs = 30000;

TEST(ClosedOutput, ServerReadsOnToExit) {
    struct Case {
        std::string messages;
        int status;  // 1 proves exit was read after the failed writes
    };
    const std::string initialize = frame("{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"initialize\"}");
    const std::string open = frame(
        "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/didOpen\",\"params\":{\"textDocument\":"
        "{\"uri\":\"file:///a.tov\",\"text\":\"dim a\\n\"}}}");
    const std::string shutdown = frame("{\"jsonrpc\":\"2.0\",\"id\":2,\"method\":\"shutdown\"}");
    const std::string exit = frame("{\"jsonrpc\":\"2.0\",\"method\":\"exit\"}");
    const Case cases[] = {
        {initialize + open + frame("not json") + exit, 1},
        {initialize + open + shutdown + exit, 0},
        {open + open + shutdown, 0},  // input ends without exit
    };
    for (const Case& c : cases) {
        ChildProcess child;
        ASSERT_TRUE(child_start(&child, TOVEL_LSP_PATH));
        close(child.output_fd);
        child.output_fd = -1;
        std::string output, error;
        EXPECT_TRUE(child_write(&child, c.messages, &output, &error, kTimeoutMs));
        ChildExit result = child_finish(&child, &output, &error, kTimeoutMs);
        ASSERT_FALSE(result.timed_out);
        EXPECT_FALSE(result.signaled) << "signal " << result.status;
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(error, "");
    }
}

}  // namespace
