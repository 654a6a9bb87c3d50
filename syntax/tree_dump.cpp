// The tree as text, for `tovel-check --tree` and for tests: one node per
// line, two spaces per level, walked with an explicit stack.
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "syntax/syntax_tree.h"

namespace {

void append_quoted(std::string* out, const char* bytes, uint32_t length) {
    *out += '"';
    for (uint32_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '"' || c == '\\') {
            *out += '\\';
            *out += static_cast<char>(c);
        } else if (c == '\n') {
            *out += "\\n";
        } else if (c == '\r') {
            *out += "\\r";
        } else if (c == '\t') {
            *out += "\\t";
        } else if (c < 0x20 || c == 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", c);
            *out += escape;
        } else {
            *out += static_cast<char>(c);
        }
    }
    *out += '"';
}

// Indentation stops growing at this depth, so that a deeply nested text
// does not make a dump quadratic in its size: deeper lines say their depth.
constexpr size_t kMaxIndent = 100;

void append_line(std::string* out, size_t depth, const char* what, TextRange range) {
    out->append((depth < kMaxIndent ? depth : kMaxIndent) * 2, ' ');
    if (depth > kMaxIndent) {
        char level[32];
        std::snprintf(level, sizeof level, "[depth %zu] ", depth);
        *out += level;
    }
    *out += what;
    char where[48];
    std::snprintf(where, sizeof where, " %u..%u", range.start, range.end);
    *out += where;
}

void append_node(std::string* out, const SyntaxTree& tree, const SyntaxNode& node, size_t depth) {
    if ((node.flags & SYNTAX_TOKEN) && node.trivia_start < node.range.start) {
        append_line(out, depth, "trivia", {node.trivia_start, node.range.start});
        *out += ' ';
        append_quoted(out, tree.text + node.trivia_start, node.range.start - node.trivia_start);
        *out += '\n';
    }
    std::string name = (node.flags & SYNTAX_ERROR) ? "ERROR" : syntax_symbol_name(node.symbol);
    if (node.flags & SYNTAX_MISSING) name = "MISSING " + name;
    if (node.flags & SYNTAX_CUT) name = "CUT " + name;
    append_line(out, depth, name.c_str(), node.range);
    if ((node.flags & SYNTAX_TOKEN) && !(node.flags & SYNTAX_MISSING)) {
        *out += ' ';
        append_quoted(out, tree.text + node.range.start, node.range.end - node.range.start);
    }
    *out += '\n';
}

}  // namespace

std::string syntax_tree_dump(const SyntaxTree& tree) {
    std::string out;
    if (tree.nodes.empty()) return out;
    std::vector<std::pair<uint32_t, size_t>> pending{{tree.root, 0}};
    while (!pending.empty()) {
        auto [index, depth] = pending.back();
        pending.pop_back();
        const SyntaxNode& node = tree.nodes[index];
        append_node(&out, tree, node, depth);
        size_t first = pending.size();
        for (uint32_t child = node.first_child; child != kNoSyntaxNode; child = tree.nodes[child].next_sibling) {
            pending.push_back({child, depth + 1});
        }
        std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(first), pending.end());
    }
    return out;
}
