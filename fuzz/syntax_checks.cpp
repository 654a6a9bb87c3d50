// The tolerant parse's properties on any bytes.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/front_end_trace.h"
#include "fuzz/fuzz_checks.h"
#include "syntax/syntax_tree.h"

namespace {

// The leaves in text order, walked with an explicit stack.
std::vector<const SyntaxNode*> leaves_of(const SyntaxTree& tree) {
    std::vector<const SyntaxNode*> leaves;
    std::vector<uint32_t> pending{tree.root};
    while (!pending.empty()) {
        const SyntaxNode& node = tree.nodes[pending.back()];
        pending.pop_back();
        if (node.flags & SYNTAX_TOKEN) {
            leaves.push_back(&node);
            continue;
        }
        size_t first = pending.size();
        for (uint32_t child = node.first_child; child != kNoSyntaxNode; child = tree.nodes[child].next_sibling) {
            pending.push_back(child);
        }
        std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(first), pending.end());
    }
    return leaves;
}

// Every byte in exactly one leaf, in order; inserted tokens take none.
std::string check_lossless(const SyntaxTree& tree) {
    uint32_t at = 0;
    const SyntaxNode* last = nullptr;
    for (const SyntaxNode* leaf : leaves_of(tree)) {
        if (leaf->flags & SYNTAX_MISSING) {
            if (!leaf->range.empty() || leaf->range.start < at) return "an inserted token has bytes or stands back";
            continue;
        }
        if (leaf->trivia_start != at || leaf->range.start < leaf->trivia_start || leaf->range.end < leaf->range.start) {
            return "leaves leave a gap or overlap at byte " + std::to_string(at);
        }
        at = leaf->range.end;
        last = leaf;
    }
    if (at != tree.length) return "the leaves end at byte " + std::to_string(at) + " of " + std::to_string(tree.length);
    if (last == nullptr || last->token != TOKEN_EOF) return "the last leaf is not the end of input";
    return "";
}

}  // namespace

// An edit made at a place the text itself picks: a line taken out, or a
// stretch of the text copied in elsewhere.
std::string edited(const std::string& text) {
    if (text.empty()) return "x\n";
    size_t hash = std::hash<std::string>{}(text);
    size_t at = hash % text.size();
    size_t line_end = text.find('\n', at);
    if (hash & 1) return text.substr(0, at) + (line_end == std::string::npos ? "" : text.substr(line_end + 1));
    size_t from = (hash >> 8) % text.size();
    return text.substr(0, at) + text.substr(from, (hash >> 24) % 40) + text.substr(at);
}

// A reparse from the tree of one version gives exactly a fresh parse of
// the other, in both directions of the edit.
// Checkpoints close together, so that short inputs have some.
std::string check_reparse(const std::string& text) {
    SyntaxOptions dense;
    dense.checkpoint_spacing = 1;
    SyntaxTree tree;
    syntax_parse(&tree, text.c_str(), static_cast<uint32_t>(text.size()), dense);
    std::string other = edited(text);
    SyntaxTree fresh;
    syntax_parse(&fresh, other.c_str(), static_cast<uint32_t>(other.size()));
    SyntaxTree reparsed;
    syntax_reparse(&reparsed, other.c_str(), static_cast<uint32_t>(other.size()), tree, dense);
    if (syntax_tree_dump(reparsed) != syntax_tree_dump(fresh) || reparsed.errors != fresh.errors) {
        return "a reparse from the earlier tree differs from a fresh parse";
    }
    SyntaxTree back;
    syntax_reparse(&back, text.c_str(), static_cast<uint32_t>(text.size()), reparsed, dense);
    SyntaxTree plain;
    syntax_parse(&plain, text.c_str(), static_cast<uint32_t>(text.size()));
    if (syntax_tree_dump(back) != syntax_tree_dump(plain) || back.errors != plain.errors) {
        return "a reparse back to the first text differs from a fresh parse";
    }
    return "";
}

std::string check_syntax_tree(const uint8_t* data, size_t size) {
    // A document ends at its first NUL, as every reader of it does.
    std::string text(reinterpret_cast<const char*>(data), size);
    text.resize(std::strlen(text.c_str()));
    SyntaxTree tree;
    SyntaxOptions options;
    options.keep_reductions = true;
    syntax_parse(&tree, text.c_str(), static_cast<uint32_t>(text.size()), options);
    std::string problem = check_lossless(tree);
    if (!problem.empty()) return problem;
    problem = check_reparse(text);
    if (!problem.empty()) return problem;
    std::vector<int32_t> front_end;
    if (front_end_reductions(text.c_str(), &front_end)) {
        if (tree.errors != 0) return "a text the front end accepts has ERROR or MISSING nodes";
        if (tree.reductions != front_end) return "the tolerant parse reduces otherwise than the front end";
    }
    return "";
}
