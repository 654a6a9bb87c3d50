#include <gtest/gtest.h>

#include <string>

#include "diag/render.h"
#include "tests/diag/capture.h"

namespace {

Diagnostic make(Severity severity, DiagnosticKind kind, const char* path, const char* message) {
    return Diagnostic{severity, kind, 0, const_cast<char*>(path), SourceSpan{3, 7, 4, 2},
                      const_cast<char*>(message), DiagFix{DIAG_FIX_NONE, 0, 0}, DiagSubject{}};
}

TEST(DiagnosticRender, TextLines) {
    struct Case {
        Diagnostic record;
        const char* expected;
    };
    const Case cases[] = {
        {make(SEVERITY_ERROR, TV_DIAG_PARSE_ERROR, "prog", "oops"), "parse error at prog:3:7: oops\n"},
        {make(SEVERITY_ERROR, TV_DIAG_PARSE_ERROR, nullptr, "oops"), "parse error at 3:7: oops\n"},
        {make(SEVERITY_ERROR, TV_DIAG_PARSE_ERROR, "", "oops"), "parse error at 3:7: oops\n"},
        {make(SEVERITY_WARNING, TV_DIAG_STRING_LITERAL, "p", "w"), "warning at p:3:7: w\n"},
        {make(SEVERITY_NOTE, TV_DIAG_PARSE_ERROR, "p", "n"), "note at p:3:7: n\n"},
        {make(SEVERITY_ERROR, TV_DIAG_SERVER_BLOCK, "p", "s"), "parse error at p:3:7: s\n"},
        {make(SEVERITY_ERROR, TV_DIAG_LEX_DETAIL, "p", "d"), "runtime error at p:3:7: d\n"},
        {make(SEVERITY_ERROR, TV_DIAG_LEX_ERROR, "p", "l"), "lexer error at p:3:7: l\n"},
        {make(SEVERITY_ERROR, static_cast<DiagnosticKind>(42), "p", "u"), "error at p:3:7: u\n"},
        {make(SEVERITY_ERROR, TV_DIAG_PARSE_ERROR, "p", nullptr), "parse error at p:3:7: \n"},
    };
    for (const Case& c : cases) {
        std::string text = capture_stream([&](FILE* s) { diag_render_text(s, &c.record); });
        EXPECT_EQ(text, c.expected);
    }
}

TEST(DiagnosticRender, JsonLines) {
    Diagnostic with_path = make(SEVERITY_WARNING, TV_DIAG_STRING_LITERAL, "a\"b", "tab\there\x01");
    with_path.subcode = -3;
    EXPECT_EQ(capture_stream([&](FILE* s) { diag_render_json(s, &with_path); }),
              "{\"severity\":\"warning\",\"code\":\"TV_DIAG_STRING_LITERAL\",\"subcode\":-3,"
              "\"path\":\"a\\\"b\",\"start\":{\"line\":3,\"column\":7},"
              "\"end\":{\"line\":4,\"column\":2},\"message\":\"tab\\there\\u0001\"}\n");

    Diagnostic without_path = make(SEVERITY_ERROR, static_cast<DiagnosticKind>(5), nullptr, nullptr);
    EXPECT_EQ(capture_stream([&](FILE* s) { diag_render_json(s, &without_path); }),
              "{\"severity\":\"error\",\"code\":\"TV_DIAG_UNKNOWN\",\"subcode\":0,"
              "\"path\":null,\"start\":{\"line\":3,\"column\":7},"
              "\"end\":{\"line\":4,\"column\":2},\"message\":\"\"}\n");
}

TEST(DiagnosticRender, JsonStringEscapes) {
    struct Case {
        const char* input;
        const char* expected;
    };
    const Case cases[] = {
        {"", "\"\""},
        {"plain", "\"plain\""},
        {"\b\t\n\f\r", "\"\\b\\t\\n\\f\\r\""},
        {"q\"b\\", "\"q\\\"b\\\\\""},
        {"\x01\x1f\x0b", "\"\\u0001\\u001f\\u000b\""},
        {" \x7f", "\" \x7f\""},
        {"\xc3\xa9\xf0\x9f\x98\x80", "\"\xc3\xa9\xf0\x9f\x98\x80\""},
        {"\xff\x80", "\"\xff\x80\""},
        {"/", "\"/\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(capture_stream([&](FILE* s) { json_write_string(s, c.input); }), c.expected)
            << c.input;
    }
}

}  // namespace
