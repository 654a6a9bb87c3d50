// Locality: a mistake typed into a correct file leaves the declarations
// around it as they were. Each kind of mistake is made at every place it
// fits in the examples; a place counts as kept when every declaration of
// the correct file outside the broken construct is found again, with the
// same nesting, in the tree of the broken text.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "syntax/syntax_tree.h"
#include "tests/test_files.h"
#include "tests/typing_mistakes.h"

namespace fs = std::filesystem;

namespace {

using namespace typing_mistakes;

struct Declaration {
    std::string path;  // "program inventory/function restock"
    TextRange range;
};

bool declares(const std::string& symbol) {
    return symbol == "function_statement" || symbol == "program_statement" || symbol == "library_statement" ||
           symbol == "modifier_statement" || symbol == "server_statement" || symbol == "server_item";
}

std::string leaf_text(const SyntaxTree& tree, uint32_t node) {
    while (node != kNoSyntaxNode && !(tree.nodes[node].flags & SYNTAX_TOKEN)) node = tree.nodes[node].first_child;
    if (node == kNoSyntaxNode) return "";
    const SyntaxNode& leaf = tree.nodes[node];
    return std::string(tree.text + leaf.range.start, leaf.range.length());
}

// Every declaration with the declarations around it, walked with a stack.
std::vector<Declaration> declarations(const SyntaxTree& tree) {
    std::vector<Declaration> found;
    std::vector<std::pair<uint32_t, std::string>> pending{{tree.root, ""}};
    while (!pending.empty()) {
        auto [index, path] = pending.back();
        pending.pop_back();
        const SyntaxNode& node = tree.nodes[index];
        if (node.flags & SYNTAX_TOKEN) continue;
        std::string inner = path;
        if (declares(syntax_symbol_name(node.symbol)) && node.first_child != kNoSyntaxNode) {
            uint32_t first = node.first_child;
            uint32_t second = tree.nodes[first].next_sibling;
            inner = path + "/" + leaf_text(tree, first) + " " + (second != kNoSyntaxNode ? leaf_text(tree, second) : "");
            found.push_back({inner, node.range});
        }
        for (uint32_t child = node.first_child; child != kNoSyntaxNode; child = tree.nodes[child].next_sibling) {
            pending.push_back({child, inner});
        }
    }
    return found;
}

TEST(SyntaxLocality, DeclarationsOutsideTheMistakeStay) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(TOVEL_SOURCE_DIR) / "examples")) {
        if (entry.is_regular_file() && entry.path().extension() == ".tov") files.push_back(entry.path());
    }
    size_t places = 0;
    size_t kept = 0;
    for (const fs::path& file : files) {
        std::string text = read_file_bytes(file);
        SyntaxTree correct;
        syntax_parse(&correct, text.c_str(), static_cast<uint32_t>(text.size()));
        if (correct.errors != 0) continue;  // the mistakes/ examples are broken already
        std::vector<Declaration> expected = declarations(correct);
        std::vector<Line> lines = lines_of(text);
        for (const Named& mistake : kAll) {
            size_t mistake_places = 0;
            size_t mistake_kept = 0;
            for (const Line& line : lines) {
                Edit edit = make(mistake.kind, text, line);
                if (!edit.fits) continue;
                std::string broken = edit.apply(text);
                SyntaxTree tree;
                syntax_parse(&tree, broken.c_str(), static_cast<uint32_t>(broken.size()));
                std::set<std::string> found;
                for (const Declaration& d : declarations(tree)) found.insert(d.path);
                // The construct the mistake breaks: the innermost declaration holding the line.
                const Declaration* broken_one = nullptr;
                for (const Declaration& d : expected) {
                    if (d.range.start <= line.start && line.start < d.range.end) broken_one = &d;
                }
                bool all = true;
                for (const Declaration& d : expected) {
                    bool inside_broken = broken_one != nullptr && d.path.rfind(broken_one->path, 0) == 0;
                    if (!inside_broken && found.count(d.path) == 0) all = false;
                }
                ++mistake_places;
                mistake_kept += all ? 1 : 0;
            }
            std::printf("locality: %-22s %s: %zu of %zu places keep every other declaration\n", mistake.name,
                        file.filename().c_str(), mistake_kept, mistake_places);
            places += mistake_places;
            kept += mistake_kept;
        }
    }
    std::printf("locality: %zu of %zu places in all\n", kept, places);
    ASSERT_GT(places, 100u);
    // What the recovery keeps today; a change that keeps less is a regression.
    EXPECT_GE(kept * 100, places * 99) << kept << " of " << places;
}

}  // namespace
