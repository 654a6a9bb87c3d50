// Taking over the unchanged parts of an earlier tree: the nodes made
// before one of its checkpoints (the text is the same up to there), or
// after one (the text is the same from there on, shifted by the edit).
#pragma once

#include <cstddef>
#include <cstdint>

#include "syntax/syntax_tree.h"

// Makes `tree` hold what `before` held at its checkpoint `index`: the nodes
// made up to there, the top-level list as it stood, the checkpoints up to it.
void syntax_take_head(SyntaxTree* tree, const SyntaxTree& before, size_t index);

// Where the new parse stands when it meets the earlier tree's checkpoint.
struct SyntaxSplice {
    uint32_t list;             // the top-level list, the same node in both trees
    int64_t shift;             // bytes the text after the edit moved
    int32_t line_shift;        // lines it moved
    uint32_t horizon;          // how far the new parse has read
    uint32_t statement_start;  // where its current statement began
};

// Appends every node `before` made after its checkpoint `index`, moved by
// the edit, to the top-level list of `tree`, and the root, error count and
// later checkpoints with them. False, with `tree` untouched, when a node
// after the checkpoint refers to one before it other than the list.
bool syntax_take_tail(SyntaxTree* tree, const SyntaxTree& before, size_t index, const SyntaxSplice& here);
