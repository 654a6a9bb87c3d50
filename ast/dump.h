#pragma once

#include <cstdio>

#include "ast/expr.h"
#include "ast/lists.h"
#include "ast/stmt.h"

// Indented text rendering of a tree, one node per line, two spaces per level.
// A debugging aid: it only reads the tree.

void dump_program(FILE* out, Program program);
void dump_stmt(FILE* out, const Stmt* stmt, int depth);
void dump_expr(FILE* out, const Expr* expr, int depth);
void dump_items(FILE* out, ServerItemList list, int depth);
void dump_indent(FILE* out, int depth);
