#include <gtest/gtest.h>

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
