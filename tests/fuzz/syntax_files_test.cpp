// The tolerant parse against the front end on every Tovel file of the
// repository: where the front end accepts a file, the same reductions in
// the same order and a tree without ERROR or MISSING; every file's tree
// gives its bytes back.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/front_end_trace.h"
#include "fuzz/fuzz_checks.h"
#include "tests/test_files.h"

namespace fs = std::filesystem;

TEST(SyntaxFiles, SameReductionsAsTheFrontEndWhereItAccepts) {
    size_t files = 0;
    size_t accepted = 0;
    for (const char* folder : {"examples", "tests"}) {
        for (const auto& entry : fs::recursive_directory_iterator(fs::path(TOVEL_SOURCE_DIR) / folder)) {
            if (!entry.is_regular_file() || entry.path().extension() != ".tov") continue;
            std::string bytes = read_file_bytes(entry.path());
            ++files;
            std::vector<int32_t> reductions;
            accepted += front_end_reductions(bytes.c_str(), &reductions) ? 1 : 0;
            EXPECT_EQ(check_syntax_tree(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), "")
                << entry.path();
        }
    }
    // The comparison must not be empty: most of these files are programs.
    EXPECT_GE(files, 40u);
    EXPECT_GE(accepted, 20u) << "of " << files;
}
