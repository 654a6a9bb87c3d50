#include "ast/dump_walk.h"

#include "ast/dump.h"

void dump_tasks_push(DumpTasks* tasks, DumpTaskKind kind, int depth, const void* node,
                     const char* text) {
    ast_work_push(tasks, DumpTask{kind, depth, node, text});
}

void dump_child_expr(DumpTasks* kids, const Expr* expr, int depth) {
    dump_tasks_push(kids, DUMP_TASK_EXPR, depth, expr, nullptr);
}

void dump_child_exprs(DumpTasks* kids, ExprList list, int depth) {
    for (size_t i = 0; i < list.count; i++) dump_child_expr(kids, list.items[i], depth);
}

void dump_child_stmts(DumpTasks* kids, StmtList list, int depth) {
    for (size_t i = 0; i < list.count; i++) {
        dump_tasks_push(kids, DUMP_TASK_STMT, depth, list.items[i], nullptr);
    }
}

void dump_child_items(DumpTasks* kids, ServerItemList list, int depth) {
    for (size_t i = 0; i < list.count; i++) {
        dump_tasks_push(kids, DUMP_TASK_ITEM, depth, list.items[i], nullptr);
    }
}

void dump_child_heading(DumpTasks* kids, const char* text, int depth) {
    dump_tasks_push(kids, DUMP_TASK_HEADING, depth, nullptr, text);
}

void dump_child_under_heading(DumpTasks* kids, const char* heading, const Expr* expr, int depth) {
    dump_child_heading(kids, heading, depth + 1);
    dump_child_expr(kids, expr, depth + 2);
}

void dump_lens_suffix(FILE* out, const ModifierRef* lens) {
    if (lens->name != nullptr && lens->qualifier != nullptr) {
        std::fprintf(out, " modifier(%s.%s)", lens->qualifier, lens->name);
    } else if (lens->name != nullptr) {
        std::fprintf(out, " modifier(%s)", lens->name);
    }
}

namespace {

const char* policy_suffix(FieldPolicy policy) {
    switch (policy) {
    case FIELD_LINK: return " (link)";
    case FIELD_RESET: return " (reset)";
    case FIELD_EXCLUDE: return " (exclude)";
    default: return "";
    }
}

void print_task(FILE* out, const DumpTask& task, DumpTasks* kids) {
    dump_indent(out, task.depth);
    switch (task.kind) {
    case DUMP_TASK_HEADING: std::fprintf(out, "%s\n", task.text); return;
    case DUMP_TASK_FIELD: {
        const RecordField* field = static_cast<const RecordField*>(task.node);
        std::fprintf(out, "Field %s%s\n", dump_text(field->name), policy_suffix(field->policy));
        return;
    }
    case DUMP_TASK_NAMES: {
        const ParamList* names = static_cast<const ParamList*>(task.node);
        std::fputs(task.text, out);
        for (size_t i = 0; i < names->count; i++) std::fprintf(out, " %s", dump_text(names->names[i]));
        std::fputc('\n', out);
        return;
    }
    default: break;
    }
    if (task.node == nullptr) {
        std::fputs("(null)\n", out);
    } else if (task.kind == DUMP_TASK_EXPR) {
        dump_expr_line(out, static_cast<const Expr*>(task.node), task.depth, kids);
    } else if (task.kind == DUMP_TASK_STMT) {
        dump_stmt_line(out, static_cast<const Stmt*>(task.node), task.depth, kids);
    } else {
        dump_item_line(out, static_cast<const ServerItem*>(task.node), task.depth, kids);
    }
}

}  // namespace

void dump_run(FILE* out, DumpTasks* pending) {
    DumpTasks kids{nullptr, 0, 0};
    while (pending->count > 0) {
        DumpTask task = ast_work_pop(pending);
        print_task(out, task, &kids);
        // Children were listed in print order; stacked in reverse they come
        // off first-to-last.
        for (size_t i = kids.count; i > 0; i--) ast_work_push(pending, kids.items[i - 1]);
        kids.count = 0;
    }
    ast_work_list_release(&kids);
    ast_work_list_release(pending);
}

// Deep lines carry long indentation; write it in blocks rather than two
// spaces at a time.
void dump_indent(FILE* out, int depth) {
    static const char spaces[] = "                                                                ";
    const size_t block = sizeof spaces - 1;
    size_t remaining = depth > 0 ? 2 * static_cast<size_t>(depth) : 0;
    while (remaining > 0) {
        size_t n = remaining < block ? remaining : block;
        std::fwrite(spaces, 1, n, out);
        remaining -= n;
    }
}

void dump_expr(FILE* out, const Expr* expr, int depth) {
    DumpTasks pending{nullptr, 0, 0};
    dump_tasks_push(&pending, DUMP_TASK_EXPR, depth, expr, nullptr);
    dump_run(out, &pending);
}

void dump_stmt(FILE* out, const Stmt* stmt, int depth) {
    DumpTasks pending{nullptr, 0, 0};
    dump_tasks_push(&pending, DUMP_TASK_STMT, depth, stmt, nullptr);
    dump_run(out, &pending);
}

// The items go onto the stack last-first so that they print in order.
void dump_items(FILE* out, ServerItemList list, int depth) {
    DumpTasks pending{nullptr, 0, 0};
    for (size_t i = list.count; i > 0; i--) {
        dump_tasks_push(&pending, DUMP_TASK_ITEM, depth, list.items[i - 1], nullptr);
    }
    dump_run(out, &pending);
}

void dump_program(FILE* out, Program program) {
    std::fputs("Program\n", out);
    DumpTasks pending{nullptr, 0, 0};
    for (size_t i = program.count; i > 0; i--) {
        dump_tasks_push(&pending, DUMP_TASK_STMT, 1, program.items[i - 1], nullptr);
    }
    dump_run(out, &pending);
}
