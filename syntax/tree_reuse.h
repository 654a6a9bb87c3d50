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

// Appends every node `before` made after its checkpoint `index`, moved by
// `shift` bytes, to the top-level `list` of `tree` (the same node in both),
// and the root, error count and later checkpoints with them (`line_shift`
// lines further down, having read at least to `horizon`). False, with
// `tree` untouched, when a node after the checkpoint refers to one before
// it other than the list.
bool syntax_take_tail(SyntaxTree* tree, const SyntaxTree& before, size_t index, uint32_t list, int64_t shift,
                      int32_t line_shift, uint32_t horizon);
