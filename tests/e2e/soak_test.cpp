// One server process through a long session: didChange cycles of a 100 KB
// document alternating between a clean and a broken version, then
// open/close cycles of 100 documents. Resident memory after warm-up must
// stay flat and the time per cycle must not grow. `make test` runs a short
// form; TOVEL_SOAK=full runs 10,000 and 1,000 cycles.
//
// Under the sanitizers memory is held back on purpose (freed blocks wait in
// quarantine), so there the test only checks that the session completes.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/realistic_source.h"
#include "tests/e2e/framing.h"
#include "tests/e2e/lsp_process.h"

namespace {

constexpr int kTimeoutMs = 60000;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryIsMeaningful = false;
#else
constexpr bool kMemoryIsMeaningful = true;
#endif

bool full_soak() {
    const char* soak = std::getenv("TOVEL_SOAK");
    return soak != nullptr && std::string(soak) == "full";
}

long resident_kb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

std::string notification(const std::string& method, const std::string& params) {
    return frame("{\"jsonrpc\":\"2.0\",\"method\":\"" + method + "\",\"params\":" + params + "}");
}

std::string open_message(const std::string& uri, const std::string& text) {
    return notification("textDocument/didOpen", "{\"textDocument\":{\"uri\":\"" + uri +
                                                    "\",\"languageId\":\"tovel\",\"version\":1,\"text\":" +
                                                    json_string(text) + "}}");
}

std::string change_message(const std::string& uri, const std::string& text, int version) {
    return notification("textDocument/didChange", "{\"textDocument\":{\"uri\":\"" + uri + "\",\"version\":" +
                                                      std::to_string(version) + "},\"contentChanges\":[{\"text\":" +
                                                      json_string(text) + "}]}");
}

std::string close_message(const std::string& uri) {
    return notification("textDocument/didClose", "{\"textDocument\":{\"uri\":\"" + uri + "\"}}");
}

// Sends `message` and reads the `answer` bytes it must produce.
bool exchange(ChildProcess* server, const std::string& message, size_t answer) {
    std::string output;
    std::string error;
    return child_write(server, message, &output, &error, kTimeoutMs) &&
           child_read_at_least(server, answer, &output, &error, kTimeoutMs) && output.size() == answer;
}

// How many bytes the server answers `message` with, read until it is quiet.
size_t measure(ChildProcess* server, const std::string& message) {
    std::string output;
    std::string error;
    child_write(server, message, &output, &error, kTimeoutMs);
    child_read_idle(server, &output, &error, 500);
    return output.size();
}

// Mean seconds per cycle over each quarter of a phase.
struct Phase {
    std::vector<double> seconds;
    double quarter_mean(int quarter) const {
        size_t from = seconds.size() * static_cast<size_t>(quarter) / 4;
        size_t to = seconds.size() * static_cast<size_t>(quarter + 1) / 4;
        double sum = 0;
        for (size_t i = from; i < to; ++i) sum += seconds[i];
        return to > from ? sum / static_cast<double>(to - from) : 0;
    }
};

void expect_steady(const char* what, const Phase& phase, long warm_kb, long final_kb) {
    std::printf("soak %s: %zu cycles, %.3f ms then %.3f ms per cycle (2nd and 4th quarter), "
                "resident %ld kB after warm-up, %ld kB at the end\n",
                what, phase.seconds.size(), phase.quarter_mean(1) * 1e3, phase.quarter_mean(3) * 1e3, warm_kb,
                final_kb);
    // The second quarter is past warm-up; the last may be slower by noise,
    // not by growth.
    EXPECT_LE(phase.quarter_mean(3), 2.0 * phase.quarter_mean(1) + 0.0005) << what << ": cycles got slower";
    if (kMemoryIsMeaningful) {
        EXPECT_LE(final_kb, warm_kb + std::max(2048L, warm_kb / 10))
            << what << ": resident memory grew from " << warm_kb << " kB to " << final_kb << " kB";
    }
}

TEST(Soak, LongSessionKeepsMemoryAndTimeFlat) {
    const int change_cycles = full_soak() ? 10000 : 400;
    const int open_close_cycles = full_soak() ? 1000 : 40;
    const std::string clean = realistic_tovel_source(100 * 1024);
    std::string broken = clean;
    broken.insert(broken.size() / 2, "\ndim broken\n");  // a parse that stops half-way
    const std::string uri = "file:///soak/document.tov";

    ChildProcess server;
    ASSERT_TRUE(child_start(&server, TOVEL_LSP_PATH));
    ASSERT_GT(measure(&server, frame("{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"initialize\",\"params\":"
                                     "{\"capabilities\":{}}}") +
                                   open_message(uri, clean)),
              0u);

    // didChange: learn each version's answer once, then cycle.
    const size_t answers[2] = {measure(&server, change_message(uri, broken, 2)),
                               measure(&server, change_message(uri, clean, 3))};
    ASSERT_GT(answers[0], answers[1]) << "the broken version must publish a finding";
    Phase changes;
    long warm_kb = -1;
    for (int cycle = 0; cycle < change_cycles; ++cycle) {
        bool is_broken = cycle % 2 == 0;
        auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(exchange(&server, change_message(uri, is_broken ? broken : clean, cycle + 4),
                             answers[is_broken ? 0 : 1]))
            << "cycle " << cycle;
        changes.seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (cycle == change_cycles / 10) warm_kb = resident_kb(server.pid);
    }
    expect_steady("didChange", changes, warm_kb, resident_kb(server.pid));

    // Open and close 100 small documents per cycle.
    std::string batch;
    for (int d = 0; d < 100; ++d) {
        batch += open_message("file:///soak/" + std::to_string(d) + ".tov",
                              "x = " + std::to_string(d) + "\nprint x\n' note " + std::string(200, 'n') + "\n");
    }
    for (int d = 0; d < 100; ++d) batch += close_message("file:///soak/" + std::to_string(d) + ".tov");
    const size_t batch_answer = measure(&server, batch);
    ASSERT_GT(batch_answer, 0u);
    Phase documents;
    warm_kb = -1;
    for (int cycle = 0; cycle < open_close_cycles; ++cycle) {
        auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(exchange(&server, batch, batch_answer)) << "cycle " << cycle;
        documents.seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (cycle == open_close_cycles / 10) warm_kb = resident_kb(server.pid);
    }
    expect_steady("open/close", documents, warm_kb, resident_kb(server.pid));

    std::string output;
    std::string error;
    child_write(&server, frame("{\"jsonrpc\":\"2.0\",\"id\":2,\"method\":\"shutdown\"}") +
                             frame("{\"jsonrpc\":\"2.0\",\"method\":\"exit\"}"),
                &output, &error, kTimeoutMs);
    ChildExit exit = child_finish(&server, &output, &error, kTimeoutMs);
    EXPECT_FALSE(exit.signaled);
    EXPECT_EQ(exit.status, 0);
    EXPECT_EQ(error, "");
}

}  // namespace
