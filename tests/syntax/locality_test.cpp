// Locality: a mistake typed into a correct file leaves the declarations
// around it as they were. Each kind of mistake is made at every place it
// fits in the examples; a place counts as kept when every declaration of
// the correct file outside the broken construct is found again, with the
// same nesting, in the tree of the broken text.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "syntax/syntax_tree.h"
#include "tests/test_files.h"

namespace fs = std::filesystem;

namespace {

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

struct Line {
    size_t start, end;  // end excludes the line feed
};

std::vector<Line> lines_of(const std::string& text) {
    std::vector<Line> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back({start, end});
        start = end + 1;
    }
    return lines;
}

// A mistake made on one line: the new text, or empty when it does not fit there.
using Mistake = std::function<std::string(const std::string&, Line)>;

std::string erase_last(const std::string& text, Line line, char c) {
    size_t at = text.rfind(c, line.end);
    if (at == std::string::npos || at < line.start) return "";
    return text.substr(0, at) + text.substr(at + 1);
}

size_t first_word(const std::string& text, Line line) {
    size_t at = line.start;
    while (at < line.end && text[at] == ' ') ++at;
    return at < line.end && std::isalpha(static_cast<unsigned char>(text[at])) ? at : std::string::npos;
}

const std::vector<std::pair<const char*, Mistake>> kMistakes = {
    {"unclosed (", [](const std::string& t, Line l) { return erase_last(t, l, ')'); }},
    {"unclosed [", [](const std::string& t, Line l) { return erase_last(t, l, ']'); }},
    {"unclosed string", [](const std::string& t, Line l) { return erase_last(t, l, '"'); }},
    {"deleted closing line",
     [](const std::string& t, Line l) {
         size_t at = first_word(t, l);
         if (at == std::string::npos) return std::string();
         std::string word = t.substr(at, 4);
         if (word != "end " && word != "next" && t.compare(at, 5, "until") != 0) return std::string();
         return t.substr(0, l.start) + t.substr(l.end + 1);
     }},
    {"stray end while",
     [](const std::string& t, Line l) { return t.substr(0, l.end + 1) + "end while\n" + t.substr(l.end + 1); }},
    {"misspelled first word",
     [](const std::string& t, Line l) {
         size_t at = first_word(t, l);
         if (at == std::string::npos) return std::string();
         return t.substr(0, at) + t[at] + t.substr(at);
     }},
};

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
        for (const auto& [name, make] : kMistakes) {
            size_t mistake_places = 0;
            size_t mistake_kept = 0;
            for (const Line& line : lines) {
                std::string broken = make(text, line);
                if (broken.empty()) continue;
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
            std::printf("locality: %-22s %s: %zu of %zu places keep every other declaration\n", name,
                        file.filename().c_str(), mistake_kept, mistake_places);
            places += mistake_places;
            kept += mistake_kept;
        }
    }
    std::printf("locality: %zu of %zu places in all\n", kept, places);
    ASSERT_GT(places, 100u);
    // What the recovery keeps today; a change that keeps less is a regression.
    EXPECT_GE(kept * 100, places * 93) << kept << " of " << places;
}

}  // namespace
