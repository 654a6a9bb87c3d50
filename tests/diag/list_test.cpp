#include <gtest/gtest.h>

#include <string>

#include "diag/diagnostic.h"

namespace {

SourceSpan span_at(int32_t line, int32_t column) {
    return SourceSpan{line, column, line, column + 1};
}

TEST(DiagnosticList, GrowsFromEightByDoublingAndKeepsOrder) {
    DiagnosticList list;
    diag_list_init(&list);
    EXPECT_EQ(list.items, nullptr);
    EXPECT_EQ(list.capacity, 0u);

    size_t expected_capacity[] = {8, 8, 8, 8, 8, 8, 8, 8, 16};
    for (int i = 0; i < 9; ++i) {
        std::string message = "m" + std::to_string(i);
        diag_list_push(&list, SEVERITY_ERROR, TV_DIAG_PARSE_ERROR, 0, "p", span_at(i + 1, 1),
                       message.c_str());
        EXPECT_EQ(list.capacity, expected_capacity[i]) << "after push " << i;
    }
    ASSERT_EQ(diag_list_count(&list), 9u);
    for (size_t i = 0; i < 9; ++i) {
        const Diagnostic* record = diag_list_at(&list, i);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(std::string(record->message), "m" + std::to_string(i));
        EXPECT_EQ(record->span.start_line, static_cast<int32_t>(i + 1));
    }
    EXPECT_EQ(diag_list_at(&list, 9), nullptr);

    diag_list_free(&list);
    EXPECT_EQ(list.items, nullptr);
    EXPECT_EQ(diag_list_count(&list), 0u);
    EXPECT_EQ(list.capacity, 0u);
}

TEST(DiagnosticList, CopiesStringsAndStoresNullMessageAsEmpty) {
    DiagnosticList list;
    diag_list_init(&list);
    char path[] = "file:///a.tov";
    char message[] = "first";
    diag_list_push(&list, SEVERITY_WARNING, TV_DIAG_STRING_LITERAL, 7, path, span_at(2, 3), message);
    diag_list_push(&list, SEVERITY_NOTE, TV_DIAG_LEX_ERROR, 0, nullptr, span_at(1, 1), nullptr);
    path[0] = 'X';
    message[0] = 'X';

    const Diagnostic* first = diag_list_at(&list, 0);
    EXPECT_STREQ(first->path, "file:///a.tov");
    EXPECT_STREQ(first->message, "first");
    EXPECT_EQ(first->severity, SEVERITY_WARNING);
    EXPECT_EQ(first->kind, TV_DIAG_STRING_LITERAL);
    EXPECT_EQ(first->subcode, 7);
    EXPECT_EQ(first->span.end_column, 4);

    const Diagnostic* second = diag_list_at(&list, 1);
    EXPECT_EQ(second->path, nullptr);
    ASSERT_NE(second->message, nullptr);
    EXPECT_STREQ(second->message, "");
    diag_list_free(&list);
}

TEST(DiagnosticList, DuplicatesAreKept) {
    DiagnosticList list;
    diag_list_init(&list);
    for (int i = 0; i < 2; ++i) {
        diag_add_error(&list, TV_DIAG_PARSE_ERROR, 0, "p", span_at(1, 1), "same");
    }
    EXPECT_EQ(diag_list_count(&list), 2u);
    EXPECT_EQ(diag_list_at(&list, 1)->severity, SEVERITY_ERROR);
    diag_list_free(&list);
}

TEST(DiagnosticList, AddErrorWithoutListWritesOneTextLineToStderr) {
    testing::internal::CaptureStderr();
    diag_add_error(nullptr, TV_DIAG_PARSE_ERROR, 0, "prog", SourceSpan{3, 7, 3, 9}, "oops");
    diag_add_error(nullptr, TV_DIAG_LEX_ERROR, 0, nullptr, SourceSpan{1, 2, 1, 3}, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "parse error at prog:3:7: oops\nlexer error at 1:2: \n");
}

TEST(DiagnosticList, CurrentListSlot) {
    EXPECT_EQ(diag_current_list(), nullptr);
    EXPECT_EQ(diag_add_runtime_warning(5, "p", span_at(1, 1), "w"), 0);

    DiagnosticList list;
    diag_list_init(&list);
    diag_set_current_list(&list);
    EXPECT_EQ(diag_current_list(), &list);
    EXPECT_EQ(diag_add_runtime_warning(5, "p", span_at(4, 2), "careful"), 1);
    diag_add_error_current(TV_DIAG_LEX_DETAIL, 0, "p", span_at(5, 1), "bad");
    diag_set_current_list(nullptr);

    ASSERT_EQ(diag_list_count(&list), 2u);
    const Diagnostic* warning = diag_list_at(&list, 0);
    EXPECT_EQ(warning->severity, SEVERITY_WARNING);
    EXPECT_EQ(warning->kind, TV_DIAG_RUNTIME_ERROR);
    EXPECT_EQ(warning->subcode, 5);
    const Diagnostic* error = diag_list_at(&list, 1);
    EXPECT_EQ(error->severity, SEVERITY_ERROR);
    EXPECT_EQ(error->kind, TV_DIAG_LEX_DETAIL);
    diag_list_free(&list);
}

TEST(DiagnosticList, ReportfFormatsCapsAndCounts) {
    DiagnosticList list;
    diag_list_init(&list);
    DiagReporter reporter = {&list, "file:///s.tov", 0};

    diag_reportf(&reporter, 4, 9, "option '%s' given %d times", "port", 2);
    std::string long_word(600, 'a');
    long_word[510] = 'Z';  // last byte kept
    diag_reportf(&reporter, 6, 1, "%s", long_word.c_str());

    EXPECT_EQ(reporter.count, 2);
    ASSERT_EQ(diag_list_count(&list), 2u);
    const Diagnostic* first = diag_list_at(&list, 0);
    EXPECT_STREQ(first->message, "option 'port' given 2 times");
    EXPECT_EQ(first->kind, TV_DIAG_SERVER_BLOCK);
    EXPECT_EQ(first->severity, SEVERITY_ERROR);
    EXPECT_EQ(first->subcode, 0);
    EXPECT_STREQ(first->path, "file:///s.tov");
    EXPECT_EQ(first->span.start_line, 4);
    EXPECT_EQ(first->span.start_column, 9);
    EXPECT_EQ(first->span.end_line, 4);
    EXPECT_EQ(first->span.end_column, 9);

    std::string capped = diag_list_at(&list, 1)->message;
    EXPECT_EQ(capped.size(), 511u);
    EXPECT_EQ(capped.back(), 'Z');
    diag_list_free(&list);
}

TEST(DiagnosticNames, KindsSeveritiesAndLabels) {
    struct Case {
        int32_t kind;
        const char* name;
        const char* label;
    };
    const Case cases[] = {
        {0, "TV_DIAG_NONE", "error"},
        {1000, "TV_DIAG_LEX_ERROR", "lexer error"},
        {1001, "TV_DIAG_LEX_DETAIL", "runtime error"},
        {2000, "TV_DIAG_PARSE_ERROR", "parse error"},
        {2001, "TV_DIAG_STRING_LITERAL", "runtime error"},
        {2002, "TV_DIAG_SERVER_BLOCK", "parse error"},
        {3000, "TV_DIAG_RUNTIME_ERROR", "runtime error"},
        {1999, "TV_DIAG_UNKNOWN", "error"},
        {-1, "TV_DIAG_UNKNOWN", "error"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(diag_kind_name(c.kind), c.name) << c.kind;
        EXPECT_STREQ(diag_kind_label(c.kind), c.label) << c.kind;
    }
    EXPECT_STREQ(diag_severity_name(0), "error");
    EXPECT_STREQ(diag_severity_name(1), "warning");
    EXPECT_STREQ(diag_severity_name(2), "note");
    EXPECT_STREQ(diag_severity_name(7), "error");
    EXPECT_STREQ(diag_severity_name(-1), "error");
}

}  // namespace
