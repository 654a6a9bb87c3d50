// Memory of the kept analyses: an editor with 20 documents of 1 MB open,
// each asked for its semantic tokens and its outline, must not make the
// server hold more than five times the texts at its peak. The analyses are
// kept between requests only within a budget; the ones used least recently
// are dropped and rebuilt on their next need.
//
// Under the sanitizers memory is held back on purpose, so there the test
// only checks that every answer arrives.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/realistic_source.h"
#include "tests/e2e/framing.h"
#include "tests/e2e/lsp_process.h"

namespace {

constexpr int kTimeoutMs = 120000;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryIsMeaningful = false;
#else
constexpr bool kMemoryIsMeaningful = true;
#endif

long peak_resident_kb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

std::string message(const std::string& body) { return frame("{\"jsonrpc\":\"2.0\"," + body + "}"); }

TEST(Memory, TwentyOpenMegabyteDocumentsStayWithinFiveTimesTheirTexts) {
    const int documents = 20;
    const std::string program = realistic_tovel_source(1 << 20);
    ChildProcess server;
    ASSERT_TRUE(child_start(&server, TOVEL_LSP_PATH));
    std::string output;
    std::string error;
    ASSERT_TRUE(child_write(&server,
                            message("\"id\":1,\"method\":\"initialize\",\"params\":{\"capabilities\":{\"textDocument\":"
                                    "{\"documentSymbol\":{},\"semanticTokens\":{}}}}"),
                            &output, &error, kTimeoutMs));
    size_t texts = 0;
    for (int d = 0; d < documents; ++d) {
        std::string uri = "file:///memory/" + std::to_string(d) + ".tov";
        std::string text = program + "' document " + std::to_string(d) + "\n";
        texts += text.size();
        std::string document = "{\"textDocument\":{\"uri\":\"" + uri + "\"}}";
        std::string requests =
            message("\"method\":\"textDocument/didOpen\",\"params\":{\"textDocument\":{\"uri\":\"" + uri +
                    "\",\"languageId\":\"tovel\",\"version\":1,\"text\":" + json_string(text) + "}}") +
            message("\"id\":" + std::to_string(100 + d) + ",\"method\":\"textDocument/semanticTokens/full\",\"params\":" +
                    document) +
            message("\"id\":" + std::to_string(200 + d) + ",\"method\":\"textDocument/documentSymbol\",\"params\":" +
                    document);
        output.clear();
        ASSERT_TRUE(child_write(&server, requests, &output, &error, kTimeoutMs)) << d;
        std::string answer = "\"id\":" + std::to_string(200 + d) + ",";
        while (output.find(answer) == std::string::npos) {
            size_t before = output.size();
            ASSERT_TRUE(child_read_at_least(&server, before + 1, &output, &error, kTimeoutMs)) << d;
        }
    }
    long peak_kb = peak_resident_kb(server.pid);
    std::printf("memory: %d documents, %zu kB of text, peak resident %ld kB (%.2f times the texts)\n", documents,
                texts / 1024, peak_kb, static_cast<double>(peak_kb) * 1024.0 / static_cast<double>(texts));
    if (kMemoryIsMeaningful) {
        EXPECT_LT(static_cast<double>(peak_kb) * 1024.0, 5.0 * static_cast<double>(texts));
    }
    child_write(&server, message("\"id\":2,\"method\":\"shutdown\"") + message("\"method\":\"exit\""), &output, &error,
                kTimeoutMs);
    ChildExit exit = child_finish(&server, &output, &error, kTimeoutMs);
    EXPECT_EQ(exit.status, 0);
    EXPECT_EQ(error, "");
}

}  // namespace
