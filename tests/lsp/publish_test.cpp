#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ast/free.h"
#include "check/analysis.h"
#include "diag/diagnostic.h"
#include "ide/editor_positions.h"
#include "lsp/json_holder.h"
#include "lsp/publish.h"
#include "text/utf8.h"

namespace {

TEST(Publish, SeverityMapping) {
    const int32_t cases[][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 1}, {-1, 1}, {7, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(editor_severity(c[0]), c[1]) << c[0];
    }
}

// The array as a cJSON tree would print it: the reference the directly
// written text must match byte for byte.
std::string array_printed_by_cjson(const DiagnosticList* list, const char* text,
                                   PositionEncoding encoding) {
    LineIndex index;
    line_index_build(&index, text);
    JsonHolder array(cJSON_CreateArray());
    for (size_t i = 0; i < diag_list_count(list); ++i) {
        const Diagnostic* record = diag_list_at(list, i);
        cJSON* item = cJSON_CreateObject();
        cJSON* range = cJSON_AddObjectToObject(item, "range");
        ProtocolRange converted = span_editor_range(&index, record->span, encoding);
        const std::pair<const char*, ProtocolPosition> ends[] = {{"start", converted.start}, {"end", converted.end}};
        for (const auto& [name, position] : ends) {
            cJSON* object = cJSON_AddObjectToObject(range, name);
            cJSON_AddNumberToObject(object, "line", position.line);
            cJSON_AddNumberToObject(object, "character", position.character);
        }
        cJSON_AddNumberToObject(item, "severity", editor_severity(record->severity));
        cJSON_AddStringToObject(item, "code", diag_kind_name(record->kind));
        cJSON_AddStringToObject(item, "source", "tovel");
        cJSON_AddStringToObject(item, "message", valid_utf8(record->message).c_str());
        cJSON_AddItemToArray(array.get(), item);
    }
    line_index_free(&index);
    PrintedJson printed(cJSON_PrintUnformatted(array.get()));
    return printed.get();
}

std::string every_byte_but_zero() {
    std::string bytes;
    for (int byte = 1; byte < 256; ++byte) {
        bytes += static_cast<char>(byte);
    }
    return bytes;
}

TEST(Publish, DiagnosticsArrayMatchesTheTreeCjsonPrints) {
    const char* text = "a\n\xc3\xa9x \xf0\x9f\x98\x80 y\r\n\xef\xbb\xbf\n";
    struct Case {
        Severity severity;
        DiagnosticKind kind;
        SourceSpan span;
        std::string message;
    };
    const Case cases[] = {
        {SEVERITY_ERROR, TV_DIAG_PARSE_ERROR, {2, 4, 2, 9}, "plain"},
        {SEVERITY_WARNING, TV_DIAG_STRING_LITERAL, {2, 3, 2, 200}, "in \"quotes\" and \\q"},
        {SEVERITY_NOTE, TV_DIAG_SERVER_BLOCK, {0, -3, 40, 7}, "tab\tline\nreturn\rfeed\f\b"},
        {static_cast<Severity>(7), static_cast<DiagnosticKind>(42), {1, 1, 1, 1}, ""},
        {SEVERITY_ERROR, TV_DIAG_LEX_ERROR, {3, 2, 3, 4}, every_byte_but_zero()},
        {SEVERITY_ERROR, TV_DIAG_RUNTIME_ERROR, {1, 3, 2, 12}, "\xc3\xa9 \xf0\x9f\x98\x80 \xed\xa0\x80 \xc3"},
    };
    DiagnosticList list;
    diag_list_init(&list);
    for (const Case& c : cases) {
        diag_list_push(&list, c.severity, c.kind, 0, "file:///a.tov", c.span, c.message.c_str());
    }
    for (PositionEncoding encoding : {POSITION_ENCODING_UTF16, POSITION_ENCODING_UTF8}) {
        EXPECT_EQ(protocol_diagnostics_json(&list, text, encoding),
                  array_printed_by_cjson(&list, text, encoding))
            << "encoding " << encoding;
    }
    diag_list_free(&list);
    DiagnosticList empty;
    diag_list_init(&empty);
    EXPECT_EQ(protocol_diagnostics_json(&empty, text, POSITION_ENCODING_UTF16), "[]");
}

// The whole notification for a text with findings after multi-byte
// characters, against the same notification built as a cJSON tree.
TEST(Publish, AnalysedDocumentIsPublishedAsTheTreeWouldPrint) {
    const char* uri = "file:///caf\xc3\xa9.tov";
    const char* text = "x = [\"\xc3\xa9\xf0\x9f\x98\x80\\q\", \"\\z\"]\n"
                       "server s(bogus: 1)\n  get \"/a/\"(req)\n  end get\nend server\n";
    for (PositionEncoding encoding : {POSITION_ENCODING_UTF16, POSITION_ENCODING_UTF8}) {
        ServerState state;
        server_state_init(&state);
        state.position_encoding = encoding;
        testing::internal::CaptureStdout();
        analyze_and_publish(&state, uri, text);
        std::string published = testing::internal::GetCapturedStdout();
        server_state_destroy(&state);

        DiagnosticList list;
        diag_list_init(&list);
        StmtList program = {nullptr, 0};
        analyze_document(text, uri, &list, &program);
        stmt_list_free(program);
        EXPECT_GE(diag_list_count(&list), 2u);
        JsonHolder notification(cJSON_CreateObject());
        cJSON_AddStringToObject(notification.get(), "jsonrpc", "2.0");
        cJSON_AddStringToObject(notification.get(), "method", "textDocument/publishDiagnostics");
        cJSON* params = cJSON_AddObjectToObject(notification.get(), "params");
        cJSON_AddStringToObject(params, "uri", uri);
        cJSON_AddItemToObject(params, "diagnostics",
                              cJSON_Parse(array_printed_by_cjson(&list, text, encoding).c_str()));
        diag_list_free(&list);
        PrintedJson body(cJSON_PrintUnformatted(notification.get()));
        std::string expected = body.get();
        EXPECT_EQ(published, "Content-Length: " + std::to_string(expected.size()) + "\r\n\r\n" + expected)
            << "encoding " << encoding;
    }
}

TEST(Publish, NotificationIsFramedWithMembersInOrder) {
    testing::internal::CaptureStdout();
    publish_diagnostics("file:///a%20b.tov", "[]");
    std::string body = "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/publishDiagnostics\","
                       "\"params\":{\"uri\":\"file:///a%20b.tov\",\"diagnostics\":[]}}";
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
}

// The notification is written as text; whatever bytes the editor put in the
// uri, they come back escaped exactly as the cJSON tree would print them.
TEST(Publish, UriIsEscapedAsTheTreeWouldPrint) {
    const char* const uris[] = {
        "file:///plain.tov",
        "file:///q\"b\\s.tov",
        "file:///\t\n\r\b\f\x01\x1f\x7f.tov",
        "file:///caf\xc3\xa9 \xf0\x9f\x98\x80.tov",
        "file:///\xff\xc3\xed\xa0\x80.tov",
        "",
    };
    for (const char* uri : uris) {
        JsonHolder notification(cJSON_CreateObject());
        cJSON_AddStringToObject(notification.get(), "jsonrpc", "2.0");
        cJSON_AddStringToObject(notification.get(), "method", "textDocument/publishDiagnostics");
        cJSON* params = cJSON_AddObjectToObject(notification.get(), "params");
        cJSON_AddStringToObject(params, "uri", uri);
        cJSON_AddItemToObject(params, "diagnostics", cJSON_CreateArray());
        PrintedJson body(cJSON_PrintUnformatted(notification.get()));
        std::string expected = body.get();
        testing::internal::CaptureStdout();
        publish_diagnostics(uri, "[]");
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "Content-Length: " + std::to_string(expected.size()) + "\r\n\r\n" + expected)
            << uri;
    }
}

}  // namespace


namespace {

// On text that is not UTF-8 the lead-byte rule can count a cut-off
// sequence as more UTF-16 units at a range's end than at its start
// (`\xf2` before `}`: one unit for the start, two for the end). Such a
// range is published as empty at its start instead of ending before it.
TEST(Publish, RangeNeverEndsBeforeItStarts) {
    const char* text = "x {scal\xf2} {wtHi {first; secon";
    DiagnosticList list;
    diag_list_init(&list);
    StmtList program{nullptr, 0};
    analyze_document(text, "f.tov", &list, &program);
    stmt_list_free(program);
    ASSERT_EQ(diag_list_count(&list), 1u);
    LineIndex index;
    line_index_build(&index, text);
    const SourceSpan& span = diag_list_at(&list, 0)->span;
    ProtocolPosition start = position_in_index(&index, span.start_line, span.start_column, POSITION_ENCODING_UTF16);
    ProtocolPosition end = position_in_index(&index, span.end_line, span.end_column, POSITION_ENCODING_UTF16);
    ASSERT_LT(end.character, start.character) << "the case no longer shows the inversion";
    ProtocolRange range = span_editor_range(&index, span, POSITION_ENCODING_UTF16);
    EXPECT_EQ(range.start.character, start.character);
    EXPECT_EQ(range.end.character, start.character);
    // In UTF-8 nothing needs mending.
    range = span_editor_range(&index, span, POSITION_ENCODING_UTF8);
    EXPECT_EQ(range.end.character, range.start.character + 1);
    line_index_free(&index);
    diag_list_free(&list);
}

}  // namespace
