// Reparsing with an earlier tree gives exactly the tree a parse from
// scratch gives: over chains of edits to every example, each reparse taking
// over from the previous one's result, so that the checkpoints a reparse
// passes on are tested too.
#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "syntax/syntax_tree.h"
#include "tests/test_files.h"
#include "tests/typing_mistakes.h"

namespace fs = std::filesystem;

namespace {

std::string random_edit(const std::string& text, std::mt19937* random) {
    static const char* const kPieces[] = {"\n", "end if\n", "(", ")", "\"", "x = 1\n", "function f()\n", "  ",
                                          "'", "{", "}", "end function\n", "server s()\n", "get \"/a\" (r)\n"};
    size_t at = (*random)() % (text.size() + 1);
    switch ((*random)() % 3) {
    case 0: return text.substr(0, at) + kPieces[(*random)() % std::size(kPieces)] + text.substr(at);
    case 1: return text.substr(0, at) + text.substr(std::min(text.size(), at + 1 + (*random)() % 8));
    default: {
        // Undo-like: a whole line comes back or goes.
        size_t line = text.find('\n', at);
        return line == std::string::npos ? text + "\n" : text.substr(0, at) + text.substr(line + 1);
    }
    }
}

class SyntaxReuse : public testing::TestWithParam<uint32_t> {};  // the checkpoints' spacing

TEST_P(SyntaxReuse, ReparseEqualsParseOverChainsOfEdits) {
    SyntaxOptions options;
    options.checkpoint_spacing = GetParam();
    std::vector<fs::path> files;
    for (const char* dir : {"examples", "tests/parser/golden"}) {
        for (const auto& entry : fs::recursive_directory_iterator(fs::path(TOVEL_SOURCE_DIR) / dir)) {
            if (entry.is_regular_file() && entry.path().extension() == ".tov") files.push_back(entry.path());
        }
    }
    std::mt19937 random(20261210);
    size_t reparses = 0;
    size_t parsed = 0;  // bytes
    size_t reused = 0;
    for (const fs::path& file : files) {
        std::string text = read_file_bytes(file);
        // A long text, so that there are checkpoints to take over from.
        std::string base;
        while (base.size() < 4000) base += text + "\n";
        std::deque<std::string> versions{base};  // each tree reads its own version's text
        auto trees = std::make_unique<SyntaxTree[]>(2);
        syntax_parse(&trees[0], versions[0].c_str(), static_cast<uint32_t>(versions[0].size()), options);
        for (int step = 1; step <= 12; ++step) {
            versions.push_back(random_edit(versions.back(), &random));
            const std::string& now = versions.back();
            SyntaxTree& before = trees[(step - 1) % 2];
            SyntaxTree& after = trees[step % 2];
            syntax_reparse(&after, now.c_str(), static_cast<uint32_t>(now.size()), before, options);
            SyntaxTree fresh;
            syntax_parse(&fresh, now.c_str(), static_cast<uint32_t>(now.size()));
            ASSERT_EQ(syntax_tree_dump(after), syntax_tree_dump(fresh)) << file << " step " << step;
            ASSERT_EQ(after.errors, fresh.errors) << file << " step " << step;
            ASSERT_EQ(after.by_layout, fresh.by_layout);
            ++reparses;
            parsed += now.size();
            reused += after.reused;
        }
    }
    std::printf("reparse with checkpoints %u bytes apart: %zu of %zu bytes taken over in %zu reparses\n", GetParam(),
                reused, parsed, reparses);
    EXPECT_GT(reparses, 100u);
    // Most of the text is taken over: an edit touches a line or two, but
    // a text that gains or loses its last mistake changes parses.
    EXPECT_GT(reused * 2, parsed) << reused << " of " << parsed << " bytes";
}

INSTANTIATE_TEST_SUITE_P(Spacing, SyntaxReuse, testing::Values(256u, 1u));

}  // namespace
