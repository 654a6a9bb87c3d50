#pragma once

#include <cstddef>
#include <cstdio>

#include "ast/expr.h"
#include "ast/lists.h"
#include "ast/server_node.h"
#include "ast/stmt.h"
#include "ast/work_list.h"

// Internal to the dump. Every printed line is one task: a node, a heading,
// a record field or a parameter-name line, each with its depth. The walker
// pops a task, prints its line, and the node printers list the node's
// children in print order; the walker then schedules them. Nesting costs
// heap, never C stack, so a deep nest of blocks or operators prints as
// safely as a flat one.

enum DumpTaskKind : int32_t {
    DUMP_TASK_EXPR,     // node: Expr, null prints "(null)"
    DUMP_TASK_STMT,     // node: Stmt, null prints "(null)"
    DUMP_TASK_ITEM,     // node: ServerItem
    DUMP_TASK_HEADING,  // text: the heading
    DUMP_TASK_FIELD,    // node: RecordField
    DUMP_TASK_NAMES,    // text: the label, node: ParamList whose names follow it
};

struct DumpTask {
    DumpTaskKind kind;
    int depth;
    const void* node;
    const char* text;
};

using DumpTasks = AstWorkList<DumpTask>;

void dump_tasks_push(DumpTasks* tasks, DumpTaskKind kind, int depth, const void* node,
                     const char* text);

// Children, appended in the order they are to be printed.
void dump_child_expr(DumpTasks* kids, const Expr* expr, int depth);
void dump_child_exprs(DumpTasks* kids, ExprList list, int depth);
void dump_child_stmts(DumpTasks* kids, StmtList list, int depth);
void dump_child_items(DumpTasks* kids, ServerItemList list, int depth);
void dump_child_heading(DumpTasks* kids, const char* text, int depth);
// A heading at depth + 1 with the expression under it at depth + 2.
void dump_child_under_heading(DumpTasks* kids, const char* heading, const Expr* expr, int depth);

// " modifier(name)" or " modifier(qualifier.name)" for a lens that names a
// modifier; nothing otherwise. Only the first reference is shown.
void dump_lens_suffix(FILE* out, const ModifierRef* lens);

// Node printers: each writes the node's own line (the indentation is already
// out) and lists its children.
void dump_expr_line(FILE* out, const Expr* e, int d, DumpTasks* kids);
void dump_stmt_line(FILE* out, const Stmt* s, int d, DumpTasks* kids);
void dump_item_line(FILE* out, const ServerItem* item, int d, DumpTasks* kids);

// Prints every task of `pending` (a stack: the last one first) and all that
// they bring with them, then releases the array.
void dump_run(FILE* out, DumpTasks* pending);

// Spelling of an optional string in a dump line.
inline const char* dump_text(const char* s) { return s != nullptr ? s : "(null)"; }
