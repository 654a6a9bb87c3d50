// The fuzzers' properties on the inputs kept under tests/fuzz/<target>/
// (one file per finding, and a few made by hand) and on the seed corpora
// made from the repository at build time, in the normal suite.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "tests/test_files.h"

namespace fs = std::filesystem;

namespace {

using Check = std::string (*)(const uint8_t*, size_t);

std::vector<fs::path> files_in(const fs::path& dir) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dir, error)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

void check_all(const fs::path& dir, Check check, size_t at_least) {
    std::vector<fs::path> files = files_in(dir);
    EXPECT_GE(files.size(), at_least) << dir;
    for (const fs::path& file : files) {
        std::string bytes = read_file_bytes(file);
        EXPECT_EQ(check(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), "") << file;
    }
}

const fs::path kRegressions = fs::path(TOVEL_SOURCE_DIR) / "tests" / "fuzz";
const fs::path kSeeds = TOVEL_SEEDS_DIR;

TEST(FuzzRegressions, Documents) { check_all(kRegressions / "document", check_document, 1); }
TEST(FuzzRegressions, Sessions) { check_all(kRegressions / "session", check_session, 1); }
TEST(FuzzRegressions, CliFiles) { check_all(kRegressions / "cli_file", check_cli_file, 1); }
TEST(FuzzRegressions, IncrementalSync) { check_all(kRegressions / "sync", check_incremental_sync, 1); }
TEST(FuzzRegressions, SyntaxTrees) { check_all(kRegressions / "syntax", check_syntax_tree, 1); }
TEST(FuzzRegressions, Formatting) { check_all(kRegressions / "format", check_format, 1); }

TEST(FuzzSeeds, DocumentsHoldEveryProperty) { check_all(kSeeds / "documents", check_document, 20); }
TEST(FuzzSeeds, SessionsHoldEveryProperty) { check_all(kSeeds / "sessions", check_session, 20); }
TEST(FuzzSeeds, FilesHoldEveryProperty) { check_all(kSeeds / "documents", check_cli_file, 20); }
TEST(FuzzSeeds, EditsHoldEveryProperty) { check_all(kSeeds / "documents", check_incremental_sync, 20); }
TEST(FuzzSeeds, TreesHoldEveryProperty) { check_all(kSeeds / "documents", check_syntax_tree, 20); }
TEST(FuzzSeeds, LayoutsHoldEveryProperty) { check_all(kSeeds / "documents", check_format, 20); }

// Formatting every example and every golden source keeps its tree and its
// findings, and formatting the result changes nothing.
TEST(FormatProperties, ExamplesAndGoldenSources) {
    const fs::path root(TOVEL_SOURCE_DIR);
    size_t texts = 0;
    for (const char* dir : {"examples", "tests/diagnostics", "tests/ide/fixtures", "tests/ide/format"}) {
        std::error_code error;
        for (const auto& entry : fs::recursive_directory_iterator(root / dir, error)) {
            if (entry.path().extension() != ".tov") continue;
            std::string bytes = read_file_bytes(entry.path());
            EXPECT_EQ(check_format(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), "") << entry.path();
            ++texts;
        }
    }
    EXPECT_GE(texts, 20u);
}

// The properties themselves must be able to fail.
TEST(FuzzChecks, NoticeBrokenOutput) {
    const std::string unframed = "not a message";
    // A session whose input is not framed gets no answer at all: that holds.
    EXPECT_EQ(check_session(reinterpret_cast<const uint8_t*>(unframed.data()), unframed.size()), "");
    const std::string empty;
    EXPECT_EQ(check_document(reinterpret_cast<const uint8_t*>(empty.data()), 0), "");
    EXPECT_EQ(check_cli_file(reinterpret_cast<const uint8_t*>(empty.data()), 0), "");
}

}  // namespace
