#include "syntax/tree_reuse.h"

#include <algorithm>
#include <vector>

void syntax_take_head(SyntaxTree* tree, const SyntaxTree& before, size_t index) {
    const SyntaxCheckpoint& at = before.checkpoints[index];
    // Room for the whole new tree at the earlier one's density, so that
    // the head is copied once and never moved again.
    double per_byte = before.length > 0 ? static_cast<double>(before.nodes.size()) / before.length : 0.5;
    tree->nodes.reserve(static_cast<size_t>(per_byte * tree->length * 1.05) + 64);
    tree->nodes.assign(before.nodes.begin(), before.nodes.begin() + at.nodes);
    // Later statements were linked to the list and to its last child since.
    tree->nodes[at.list_index] = at.list;
    if (at.list.last_child != kNoSyntaxNode) tree->nodes[at.list.last_child].next_sibling = kNoSyntaxNode;
    tree->errors = at.errors;
    tree->reused = at.offset;
    tree->checkpoints.assign(before.checkpoints.begin(), before.checkpoints.begin() + static_cast<std::ptrdiff_t>(index) + 1);
}

namespace {

// Node numbers and offsets of the earlier tree's tail in the new tree.
struct TailMap {
    uint32_t old_base;    // first node made after the checkpoint, in the earlier tree
    uint32_t new_base;    // where those nodes start in the new one
    uint32_t list;
    uint32_t from;        // the checkpoint's offset in the earlier text
    int64_t shift;

    bool valid(uint32_t node) const { return node == kNoSyntaxNode || node >= old_base || node == list; }
    uint32_t node(uint32_t n) const {
        return n == kNoSyntaxNode || n == list || n < old_base ? n : n - old_base + new_base;
    }
    uint32_t offset(uint32_t at) const { return at < from ? at : static_cast<uint32_t>(at + shift); }
};

bool tail_is_closed(const SyntaxTree& before, const TailMap& map) {
    for (size_t i = map.old_base; i < before.nodes.size(); ++i) {
        const SyntaxNode& n = before.nodes[i];
        if (!map.valid(n.first_child) || !map.valid(n.last_child) || !map.valid(n.next_sibling)) return false;
    }
    return map.valid(before.root);
}

// The new list as a from-scratch parse would have it at a later
// checkpoint: its own children up to the splice, then the earlier tree's.
SyntaxNode list_then(const SyntaxNode& old_then, const SyntaxNode& list_here, uint32_t first_after,
                     const TailMap& map, const SyntaxTree& tree) {
    SyntaxNode l = old_then;
    bool grown = old_then.last_child != kNoSyntaxNode && old_then.last_child >= map.old_base;
    l.last_child = grown ? map.node(old_then.last_child) : list_here.last_child;
    l.first_child = list_here.first_child != kNoSyntaxNode ? list_here.first_child
                    : grown                                  ? map.node(first_after)
                                                             : kNoSyntaxNode;
    l.range.start = l.first_child != kNoSyntaxNode ? tree.nodes[l.first_child].range.start : list_here.range.start;
    l.range.end = grown ? map.offset(old_then.range.end) : list_here.range.end;
    return l;
}

}  // namespace

bool syntax_take_tail(SyntaxTree* tree, const SyntaxTree& before, size_t index, const SyntaxSplice& here) {
    const SyntaxCheckpoint& at = before.checkpoints[index];
    uint32_t list = here.list;
    TailMap map{at.nodes, static_cast<uint32_t>(tree->nodes.size()), list, at.offset, here.shift};
    if (!tail_is_closed(before, map)) return false;
    const SyntaxNode& old_list = before.nodes[list];
    uint32_t first_after = at.list.last_child == kNoSyntaxNode ? old_list.first_child
                                                               : before.nodes[at.list.last_child].next_sibling;
    const SyntaxNode list_here = tree->nodes[list];  // the new list as it stands here
    uint32_t errors_here = tree->errors;
    tree->nodes.reserve(tree->nodes.size() + before.nodes.size() - at.nodes);
    for (size_t i = at.nodes; i < before.nodes.size(); ++i) {
        SyntaxNode n = before.nodes[i];
        n.range = {map.offset(n.range.start), map.offset(n.range.end)};
        n.trivia_start = map.offset(n.trivia_start);
        n.first_child = map.node(n.first_child);
        n.last_child = map.node(n.last_child);
        n.next_sibling = map.node(n.next_sibling);
        tree->nodes.push_back(n);
    }
    // The statements after the checkpoint follow the list's own.
    SyntaxNode& new_list = tree->nodes[list];
    if (first_after != kNoSyntaxNode) {
        uint32_t first = map.node(first_after);
        if (new_list.last_child == kNoSyntaxNode) {
            new_list.first_child = first;
            new_list.range.start = tree->nodes[first].range.start;
        } else {
            tree->nodes[new_list.last_child].next_sibling = first;
        }
        new_list.last_child = map.node(old_list.last_child);
        new_list.range.end = map.offset(old_list.range.end);
    }
    // The root, made at the end, holds the list beside the end of input
    // (or an ERROR node holding what was left open does).
    new_list.next_sibling = map.node(old_list.next_sibling);
    tree->root = map.node(before.root);
    for (size_t i = map.new_base; i < tree->nodes.size(); ++i) {
        SyntaxNode& n = tree->nodes[i];
        if (i == tree->root) continue;  // it covers the whole text whatever its children
        if (n.first_child == list) n.range.start = tree->nodes[list].range.start;
        if (n.last_child == list) n.range.end = tree->nodes[list].range.end;
    }
    tree->errors = errors_here + (before.errors - at.errors);
    tree->reused += static_cast<uint32_t>(before.length - at.offset);
    // The later checkpoints hold there too, moved the same way.
    for (size_t i = index + 1; i < before.checkpoints.size(); ++i) {
        SyntaxCheckpoint c = before.checkpoints[i];
        c.offset = map.offset(c.offset);
        c.horizon = std::max(map.offset(c.horizon), here.horizon);
        c.line += here.line_shift;
        c.nodes = c.nodes - map.old_base + map.new_base;
        c.errors = c.errors - at.errors + errors_here;
        c.last_end = map.offset(c.last_end);
        // No statement began since the splice: it is the new parse's own.
        c.statement_start = c.statement_start < at.offset ? here.statement_start : map.offset(c.statement_start);
        c.list_index = list;
        c.list = list_then(c.list, list_here, first_after, map, *tree);
        tree->checkpoints.push_back(c);
    }
    return true;
}
