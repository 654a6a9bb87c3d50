// Parse-to-dump goldens: every tests/parser/golden/NAME.tov must parse
// cleanly and dump exactly as NAME.dump. Adding a case needs no code.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/golden_update.h"
#include "tests/test_files.h"
#include "tests/parser/dump_support.h"

namespace fs = std::filesystem;

namespace {

fs::path golden_dir() { return fs::path(TOVEL_SOURCE_DIR) / "tests" / "parser" / "golden"; }

std::vector<std::string> golden_names() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(golden_dir(), error)) {
        if (entry.path().extension() == ".tov") names.push_back(entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class DumpGolden : public ::testing::TestWithParam<std::string> {};

TEST_P(DumpGolden, ParsesAndDumpsAsRecorded) {
    const std::string name = GetParam();
    std::string source;
    std::string expected;
    ASSERT_TRUE(read_file_bytes(golden_dir() / (name + ".tov"), &source)) << name;
    DumpOutcome outcome = parse_and_dump(source);
    ASSERT_EQ(outcome.result, 0) << outcome.diagnostics;
    if (update_goldens_requested()) {
        std::ofstream(golden_dir() / (name + ".dump"), std::ios::binary) << outcome.dump;
    }
    ASSERT_TRUE(read_file_bytes(golden_dir() / (name + ".dump"), &expected))
        << "missing " << name << ".dump";
    EXPECT_EQ(outcome.diagnostics, "");
    EXPECT_EQ(outcome.dump, expected) << "golden " << name;
    EXPECT_EQ(parse_and_dump_in_region(source).dump, expected) << "golden " << name << " in a region";
}

INSTANTIATE_TEST_SUITE_P(Goldens, DumpGolden, ::testing::ValuesIn(golden_names()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return test_name_of(info.param);
                         });

// Guards the runner itself: a wrong folder would otherwise pass vacuously.
TEST(DumpGoldenFolder, HoldsTheRecordedCases) {
    EXPECT_GE(golden_names().size(), 20u) << golden_dir();
}

}  // namespace
