// Runs every case of every .tov file under tests/diagnostics/ and compares
// the findings with the file's expectations; with TOVEL_UPDATE=1 it writes
// the findings into the files instead.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/diagnostics/diagnostic_cases.h"
#include "tests/golden_update.h"
#include "tests/test_files.h"

namespace fs = std::filesystem;

namespace {

fs::path cases_dir() { return fs::path(TOVEL_SOURCE_DIR) / "tests" / "diagnostics"; }

std::vector<std::string> case_files() {
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(cases_dir(), error)) {
        if (entry.path().extension() == ".tov") {
            files.push_back(fs::relative(entry.path(), cases_dir()).string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

class DiagnosticsFile : public testing::TestWithParam<std::string> {};

TEST_P(DiagnosticsFile, FindingsAsWrittenBesideTheCode) {
    const fs::path path = cases_dir() / GetParam();
    const std::string file = read_file_bytes(path);
    std::vector<DiagnosticCase> cases;
    std::string problem;
    ASSERT_TRUE(parse_diagnostic_cases(file, &cases, &problem)) << GetParam() << ": " << problem;
    ASSERT_FALSE(cases.empty()) << GetParam() << " holds no case";
    std::vector<std::vector<std::string>> findings;
    for (const DiagnosticCase& c : cases) findings.push_back(analyze_and_render(c.text));
    if (update_goldens_requested()) {
        std::ofstream(path, std::ios::binary) << rewrite_diagnostic_cases(file, findings);
        return;
    }
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(findings[i], cases[i].expected)
            << GetParam() << ":" << cases[i].first_line << ": case '" << cases[i].name << "'";
    }
}

std::string file_test_name(const testing::TestParamInfo<std::string>& info) {
    return test_name_of(info.param);
}

INSTANTIATE_TEST_SUITE_P(Files, DiagnosticsFile, testing::ValuesIn(case_files()), file_test_name);

// The format itself: cases, the text that is analysed, and the rewrite.
TEST(DiagnosticCases, SplitsCasesAndKeepsExpectationsOutOfTheText) {
    const std::string file =
        "' about this file\n' case: first\nif a\n' expect: one\n\n' case: second\nx = 1\n\n";
    std::vector<DiagnosticCase> cases;
    std::string problem;
    ASSERT_TRUE(parse_diagnostic_cases(file, &cases, &problem)) << problem;
    ASSERT_EQ(cases.size(), 2u);
    EXPECT_EQ(cases[0].name, "first");
    EXPECT_EQ(cases[0].text, "if a\n");
    EXPECT_EQ(cases[0].expected, std::vector<std::string>{"one"});
    EXPECT_EQ(cases[1].text, "x = 1\n");
    EXPECT_TRUE(cases[1].expected.empty());
    EXPECT_EQ(rewrite_diagnostic_cases(file, {{"1"}, {"2", "3"}}),
              "' about this file\n' case: first\nif a\n' expect: 1\n\n' case: second\nx = 1\n"
              "' expect: 2\n' expect: 3\n\n");
}

TEST(DiagnosticCases, RejectsCodeAfterExpectations) {
    std::vector<DiagnosticCase> cases;
    std::string problem;
    EXPECT_FALSE(parse_diagnostic_cases("' case: a\nx\n' expect: e\ny = 1\n", &cases, &problem));
    EXPECT_NE(problem.find("line 4"), std::string::npos) << problem;
    cases.clear();
    EXPECT_FALSE(parse_diagnostic_cases("x = 1\n", &cases, &problem));
}

TEST(DiagnosticCases, RendersKindSeverityAndRange) {
    EXPECT_EQ(analyze_and_render("if a\n"),
              std::vector<std::string>{"1:5-1:6 parse_error: syntax error, unexpected NEWLINE, expecting THEN"});
    std::vector<std::string> warning = analyze_and_render("x = \"\\q\"\n");
    ASSERT_EQ(warning.size(), 1u);
    EXPECT_EQ(warning[0].rfind("1:5-1:9 string_literal warning: unknown escape \\q", 0), 0u) << warning[0];
    EXPECT_TRUE(analyze_and_render("x = 1\n").empty());
}

}  // namespace
