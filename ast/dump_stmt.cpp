#include <cstdio>

#include "ast/dump_walk.h"

// One line per statement; sub-headings such as "Body" at depth + 1 and what
// stands under them at depth + 2; children without a heading at depth + 1.
// Parameter defaults, the assignment operator, a server's options and end
// word, a handler's parameters and a site's options are not shown.
namespace {

void body(DumpTasks* kids, StmtList list, int d) {
    dump_child_heading(kids, "Body", d + 1);
    dump_child_stmts(kids, list, d + 2);
}

void param_names(DumpTasks* kids, const char* label, const ParamList* params, int d) {
    dump_tasks_push(kids, DUMP_TASK_NAMES, d + 1, params, label);
}

void else_part(DumpTasks* kids, StmtList else_body, int d) {
    if (else_body.count == 0) return;
    dump_child_heading(kids, "Else", d + 1);
    dump_child_stmts(kids, else_body, d + 2);
}

void print_assign(FILE* out, const Stmt* s, int d, DumpTasks* kids) {
    const ModifierRef* mod = &s->assign.modifier;
    std::fputs("Assign", out);
    dump_lens_suffix(out, mod);
    std::fputc('\n', out);
    dump_child_under_heading(kids, "Target", s->assign.target, d);
    if (mod->name != nullptr) dump_child_exprs(kids, mod->args, d + 1);
    dump_child_expr(kids, s->assign.value, d + 1);
}

void print_watch(FILE* out, const Stmt* s, int d, DumpTasks* kids) {
    std::fputs("Watch", out);
    if (s->watch.name != nullptr) std::fprintf(out, " \"%s\"", s->watch.name);
    for (size_t i = 0; i < s->watch.targets.count; i++) {
        std::fprintf(out, " %s", dump_text(s->watch.targets.names[i]));
    }
    std::fputc('\n', out);
    body(kids, s->watch.body, d);
}

void print_use(FILE* out, const Stmt* s) {
    const char* name = dump_text(s->use.name);
    if (s->use.from != nullptr && s->use.alias != nullptr) {
        std::fprintf(out, "Use %s from \"%s\" as %s\n", name, s->use.from, s->use.alias);
    } else if (s->use.alias != nullptr) {
        std::fprintf(out, "Use %s as %s\n", name, s->use.alias);
    } else if (s->use.from != nullptr) {
        std::fprintf(out, "Use %s from \"%s\"\n", name, s->use.from);
    } else {
        std::fprintf(out, "Use %s\n", name);
    }
}

void print_consider(FILE* out, const Stmt* s, int d, DumpTasks* kids) {
    std::fputs("Consider\n", out);
    dump_child_under_heading(kids, "Subject", s->consider.subject, d);
    for (size_t i = 0; i < s->consider.branches.count; i++) {
        const ConsiderBranch* branch = &s->consider.branches.items[i];
        dump_child_under_heading(kids, "Case", branch->match, d);
        body(kids, branch->body, d);
    }
    else_part(kids, s->consider.else_body, d);
}

void print_function(FILE* out, const Stmt* s, int d, DumpTasks* kids) {
    if (s->function.attach_target != nullptr) {
        std::fprintf(out, "Function %s.%s (attach)\n", s->function.attach_target,
                     dump_text(s->function.attach_member));
    } else {
        std::fprintf(out, "Function %s\n", dump_text(s->function.name));
    }
    param_names(kids, "Parameters", &s->function.params, d);
    body(kids, s->function.body, d);
}

void print_for_range(FILE* out, const Stmt* s, int d, DumpTasks* kids) {
    std::fprintf(out, "ForRange %s\n", dump_text(s->for_range.variable));
    dump_child_under_heading(kids, "Start", s->for_range.start, d);
    dump_child_under_heading(kids, "Limit", s->for_range.limit, d);
    if (s->for_range.step != nullptr) dump_child_under_heading(kids, "Step", s->for_range.step, d);
    body(kids, s->for_range.body, d);
}

void print_for_each(FILE* out, const Stmt* s, int d, DumpTasks* kids) {
    if (s->for_each.index != nullptr) {
        std::fprintf(out, "ForEach %s index %s\n", dump_text(s->for_each.element), s->for_each.index);
    } else {
        std::fprintf(out, "ForEach %s\n", dump_text(s->for_each.element));
    }
    dump_child_under_heading(kids, "Iterable", s->for_each.iterable, d);
    body(kids, s->for_each.body, d);
}

void print_optional_label(FILE* out, const char* word, const char* label) {
    std::fprintf(out, "%s%s%s\n", word, label != nullptr ? " " : "", label != nullptr ? label : "");
}

// The statements that hold one expression printed directly below them.
void print_with_value(FILE* out, const char* word, const Expr* value, int d, DumpTasks* kids) {
    std::fprintf(out, "%s\n", word);
    dump_child_expr(kids, value, d + 1);
}

}  // namespace

void dump_stmt_line(FILE* out, const Stmt* s, int d, DumpTasks* kids) {
    switch (s->kind) {
    case STMT_ASSIGN: print_assign(out, s, d, kids); break;
    case STMT_PRINT:
        print_with_value(out, s->print.to_error ? "PrintToError" : "Print", s->print.value, d, kids);
        break;
    case STMT_EXPRESSION: print_with_value(out, "ExpressionStatement", s->expression.expr, d, kids); break;
    case STMT_WITH_LOCK:
        std::fputs("WithLock\n", out);
        dump_child_under_heading(kids, "File", s->with_lock.resource, d);
        body(kids, s->with_lock.body, d);
        break;
    case STMT_WITH_PRINCIPAL:
        std::fputs("WithPrincipal\n", out);
        dump_child_under_heading(kids, "Principal", s->with_principal.principal, d);
        body(kids, s->with_principal.body, d);
        break;
    case STMT_FOR_EACH: print_for_each(out, s, d, kids); break;
    case STMT_FOR_RANGE: print_for_range(out, s, d, kids); break;
    case STMT_FUNCTION: print_function(out, s, d, kids); break;
    case STMT_RETURN:
        std::fputs("Return\n", out);
        if (s->return_stmt.value != nullptr) dump_child_expr(kids, s->return_stmt.value, d + 1);
        break;
    case STMT_LABEL: std::fprintf(out, "Label %s\n", dump_text(s->label.name)); break;
    case STMT_GOTO: std::fprintf(out, "Goto %s\n", dump_text(s->goto_stmt.label)); break;
    case STMT_GOSUB: std::fprintf(out, "Gosub %s\n", dump_text(s->gosub.label)); break;
    case STMT_WATCH: print_watch(out, s, d, kids); break;
    case STMT_UNWATCH: print_with_value(out, "Unwatch", s->unwatch.target, d, kids); break;
    case STMT_WITHOUT_WATCHERS:
        std::fputs("WithoutWatchers\n", out);
        body(kids, s->without_watchers.body, d);
        break;
    case STMT_ON_ERROR_GOTO: std::fprintf(out, "OnErrorGoto %s\n", dump_text(s->on_error_goto.label)); break;
    case STMT_ON_ERROR_GOTO_NEXT: std::fputs("OnErrorGotoNext\n", out); break;
    case STMT_ON_WARNING: std::fprintf(out, "OnWarning %d\n", static_cast<int>(s->on_warning.mode)); break;
    case STMT_WARNING: print_with_value(out, "Warning", s->warning.value, d, kids); break;
    case STMT_ON_ERROR_STOP: std::fputs("OnErrorStop\n", out); break;
    case STMT_ERROR: print_with_value(out, "Error", s->error.value, d, kids); break;
    case STMT_MODIFIER:
        std::fprintf(out, "%sModifier %s for %s\n", s->modifier.exported ? "Export " : "",
                     dump_text(s->modifier.name), dump_text(s->modifier.context));
        param_names(kids, "Parameters", &s->modifier.params, d);
        body(kids, s->modifier.body, d);
        break;
    case STMT_PROGRAM_BLOCK:
        std::fprintf(out, "ProgramBlock %s\n", dump_text(s->program_block.name));
        param_names(kids, "Args", &s->program_block.params, d);
        body(kids, s->program_block.body, d);
        break;
    case STMT_LIBRARY:
        std::fprintf(out, "Library %s\n", dump_text(s->library.name));
        body(kids, s->library.body, d);
        break;
    case STMT_USE: print_use(out, s); break;
    case STMT_IF:
        std::fputs("If\n", out);
        dump_child_under_heading(kids, "Condition", s->if_stmt.condition, d);
        body(kids, s->if_stmt.then_body, d);
        else_part(kids, s->if_stmt.else_body, d);
        break;
    case STMT_WHILE:
        std::fputs("While\n", out);
        dump_child_under_heading(kids, "Condition", s->while_stmt.condition, d);
        body(kids, s->while_stmt.body, d);
        break;
    case STMT_DO_LOOP:
        std::fputs("DoLoop until\n", out);
        body(kids, s->do_loop.body, d);
        dump_child_under_heading(kids, "Condition", s->do_loop.condition, d);
        break;
    case STMT_CONSIDER: print_consider(out, s, d, kids); break;
    case STMT_BREAK: print_optional_label(out, "Break", s->break_stmt.label); break;
    case STMT_CONTINUE: print_optional_label(out, "Continue", s->continue_stmt.label); break;
    case STMT_SERVER:
        std::fprintf(out, "Server %s \"%s\"\n", dump_text(s->server.keyword), dump_text(s->server.name));
        dump_child_items(kids, s->server.items, d + 1);
        break;
    default: std::fprintf(out, "UnknownStatement %d\n", static_cast<int>(s->kind)); break;
    }
}

void dump_item_line(FILE* out, const ServerItem* item, int d, DumpTasks* kids) {
    switch (item->kind) {
    case ITEM_DIRECTIVE:
        std::fprintf(out, "Directive %s", dump_text(item->word));
        for (size_t v = 0; v < item->values.count; v++) {
            std::fprintf(out, " \"%s\"", dump_text(item->values.names[v]));
        }
        std::fputc('\n', out);
        break;
    case ITEM_HANDLER:
        std::fprintf(out, "Handler %s \"%s\"\n", dump_text(item->word), dump_text(item->path));
        dump_child_stmts(kids, item->body, d + 1);
        break;
    case ITEM_SITE:
        std::fprintf(out, "Site %s \"%s\"\n", dump_text(item->word), dump_text(item->name));
        dump_child_items(kids, item->items, d + 1);
        break;
    case ITEM_HOOK:
        std::fprintf(out, "Hook %s\n", dump_text(item->word));
        dump_child_stmts(kids, item->body, d + 1);
        break;
    default: std::fprintf(out, "UnknownItem %d\n", static_cast<int>(item->kind)); break;
    }
}
