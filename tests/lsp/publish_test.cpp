#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "lsp/json_holder.h"
#include "lsp/publish.h"

namespace {

TEST(Publish, SeverityMapping) {
    const int32_t cases[][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 1}, {-1, 1}, {7, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(lsp_severity(c[0]), c[1]) << c[0];
    }
}

TEST(Publish, PositionObjectsKeepMemberOrder) {
    LineIndex index;
    line_index_build(&index, "a\n\xc3\xa9x\n");
    JsonHolder utf16(lsp_position(&index, 2, 4, POSITION_ENCODING_UTF16));
    JsonHolder utf8(lsp_position(&index, 2, 4, POSITION_ENCODING_UTF8));
    line_index_free(&index);
    PrintedJson utf16_text(cJSON_PrintUnformatted(utf16.get()));
    PrintedJson utf8_text(cJSON_PrintUnformatted(utf8.get()));
    EXPECT_STREQ(utf16_text.get(), "{\"line\":1,\"character\":2}");
    EXPECT_STREQ(utf8_text.get(), "{\"line\":1,\"character\":3}");
}

TEST(Publish, NotificationIsFramedWithMembersInOrder) {
    testing::internal::CaptureStdout();
    publish_diagnostics("file:///a%20b.tov", cJSON_CreateArray());
    std::string body = "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/publishDiagnostics\","
                       "\"params\":{\"uri\":\"file:///a%20b.tov\",\"diagnostics\":[]}}";
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
}

}  // namespace

namespace {

// cJSON allocations that fail from a chosen call on, counted so that a
// leaked object shows up as a live allocation after the call.
struct FailingAllocator {
    static inline long calls = 0;
    static inline long fail_from = -1;
    static inline long live = 0;

    static void* allocate(size_t size) {
        if (fail_from >= 0 && calls++ >= fail_from) {
            return nullptr;
        }
        void* memory = malloc(size);
        live += memory != nullptr;
        return memory;
    }
    static void release(void* memory) {
        live -= memory != nullptr;
        free(memory);
    }
};

// Whatever allocation fails while a publication is built, every object that
// was made is freed again: the member is missing, nothing leaks.
TEST(Publish, FailedAllocationsLeakNothing) {
    ServerState state;
    server_state_init(&state);
    cJSON_Hooks hooks = {FailingAllocator::allocate, FailingAllocator::release};
    cJSON_InitHooks(&hooks);
    bool every_allocation_reached = false;
    for (long fail_from = 0; !every_allocation_reached && fail_from < 1000; ++fail_from) {
        FailingAllocator::calls = 0;
        FailingAllocator::fail_from = fail_from;
        FailingAllocator::live = 0;
        testing::internal::CaptureStdout();
        analyze_and_publish(&state, "file:///a.tov", "dim a\nserver s(bogus: 1)\nend server\n");
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(FailingAllocator::live, 0) << "failing from allocation " << fail_from;
        every_allocation_reached = FailingAllocator::calls <= fail_from;
    }
    cJSON_InitHooks(nullptr);
    server_state_destroy(&state);
    EXPECT_TRUE(every_allocation_reached);
}

}  // namespace
