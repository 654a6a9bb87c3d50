// The unified diff: its exact shape on a small change, and on random texts
// with random line edits that applying it to the old text gives the new one
// (hunk headers counted right, context and changes in place) and that each
// run of changes shows its removed lines first.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "text/unified_diff.h"

namespace {

TEST(UnifiedDiff, ShapeOfOneChange) {
    std::string before = "a\nb\nc\nd\ne\nf\ng\nh\n";
    std::string after = "a\nb\nc\nD\ne\nf\ng\nh";
    EXPECT_EQ(unified_diff(before, after, "x.tov", "x.tov"),
              "--- x.tov\n+++ x.tov\n@@ -1,8 +1,8 @@\n a\n b\n c\n-d\n+D\n e\n f\n g\n-h\n+h\n\\ No newline at end of file\n");
    EXPECT_EQ(unified_diff(before, before, "x", "x"), "");
}

std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

// Applies a diff's hunks to `before`, checking each context and removed line.
bool apply(const std::string& before, const std::string& diff, std::string* after) {
    std::vector<std::string> old_lines = split(before);
    std::vector<std::string> lines = split(diff);
    std::string out;
    size_t at = 0;  // next old line to copy
    for (size_t i = 2; i < lines.size();) {
        unsigned old_start = 0, old_count = 0, new_start = 0, new_count = 0;
        if (std::sscanf(lines[i].c_str(), "@@ -%u,%u +%u,%u @@", &old_start, &old_count, &new_start, &new_count) != 4) return false;
        size_t first = old_count == 0 ? old_start : old_start - 1;
        if (first < at) return false;
        for (; at < first; ++at) out += old_lines[at];
        unsigned seen_old = 0, seen_new = 0;
        for (++i; i < lines.size() && lines[i][0] != '@'; ++i) {
            std::string body = lines[i].substr(1);
            bool last = i + 1 < lines.size() && lines[i + 1].rfind("\\ No newline", 0) == 0;
            if (last) body.pop_back();
            if (lines[i][0] == ' ' || lines[i][0] == '-') {
                if (at >= old_lines.size() || old_lines[at] != body) return false;
                ++at;
                ++seen_old;
            }
            if (lines[i][0] == ' ' || lines[i][0] == '+') {
                out += body;
                ++seen_new;
            }
            if (last) ++i;
        }
        if (seen_old != old_count || seen_new != new_count) return false;
    }
    for (; at < old_lines.size(); ++at) out += old_lines[at];
    *after = out;
    return true;
}

TEST(UnifiedDiff, ApplyingItGivesTheNewText) {
    std::mt19937 random(7);
    for (int round = 0; round < 500; ++round) {
        std::vector<std::string> lines;
        for (int i = 0, n = static_cast<int>(random() % 40); i < n; ++i) lines.push_back("line " + std::to_string(random() % 12) + "\n");
        std::string before;
        for (const std::string& line : lines) before += line;
        if (random() % 3 == 0 && !before.empty()) before.pop_back();  // no final line break
        for (int edits = static_cast<int>(random() % 6); edits > 0; --edits) {
            size_t at = lines.empty() ? 0 : random() % lines.size();
            switch (random() % 3) {
            case 0: lines.insert(lines.begin() + static_cast<long>(at), "new " + std::to_string(random() % 5) + "\n"); break;
            case 1: if (!lines.empty()) lines.erase(lines.begin() + static_cast<long>(at)); break;
            default: if (!lines.empty()) lines[at] = "changed\n"; break;
            }
        }
        std::string after;
        for (const std::string& line : lines) after += line;
        if (random() % 3 == 0 && !after.empty()) after.pop_back();
        std::string diff = unified_diff(before, after, "a", "b");
        std::string applied;
        ASSERT_TRUE(apply(before, diff, &applied)) << diff;
        EXPECT_EQ(applied, after) << diff;
        std::vector<std::string> shown = split(diff);
        for (size_t i = 1; i < shown.size(); ++i) {
            EXPECT_FALSE(shown[i - 1][0] == '+' && shown[i][0] == '-') << "an added line before a removed one:\n" << diff;
        }
    }
}

}  // namespace
