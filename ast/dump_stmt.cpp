#include "ast/dump.h"
#include "ast/server_node.h"

// Statements print recursively: their nesting is bounded by the parser's
// stack, unlike expression chains, which dump_expr walks without recursion.
namespace {

const char* text(const char* s) { return s != nullptr ? s : "(null)"; }

void heading(FILE* out, const char* label, int depth) {
    dump_indent(out, depth);
    std::fprintf(out, "%s\n", label);
}

void block(FILE* out, StmtList list, int depth) {
    for (size_t i = 0; i < list.count; i++) dump_stmt(out, list.items[i], depth);
}

// "Body" at d + 1 and its statements at d + 2.
void body(FILE* out, StmtList list, int d) {
    heading(out, "Body", d + 1);
    block(out, list, d + 2);
}

void labelled_expr(FILE* out, const char* label, const Expr* expr, int d) {
    heading(out, label, d + 1);
    dump_expr(out, expr, d + 2);
}

void param_names(FILE* out, const char* label, ParamList params, int depth) {
    dump_indent(out, depth);
    std::fputs(label, out);
    for (size_t i = 0; i < params.count; i++) std::fprintf(out, " %s", text(params.names[i]));
    std::fputc('\n', out);
}

void print_assign(FILE* out, const Stmt* s, int d) {
    const ModifierRef* mod = &s->assign.modifier;
    if (mod->name != nullptr && mod->qualifier != nullptr) {
        std::fprintf(out, "Assign modifier(%s.%s)\n", mod->qualifier, mod->name);
    } else if (mod->name != nullptr) {
        std::fprintf(out, "Assign modifier(%s)\n", mod->name);
    } else {
        std::fputs("Assign\n", out);
    }
    labelled_expr(out, "Target", s->assign.target, d);
    if (mod->name != nullptr) {
        for (size_t i = 0; i < mod->args.count; i++) dump_expr(out, mod->args.items[i], d + 1);
    }
    dump_expr(out, s->assign.value, d + 1);
}

void print_watch(FILE* out, const Stmt* s, int d) {
    std::fputs("Watch", out);
    if (s->watch.name != nullptr) std::fprintf(out, " \"%s\"", s->watch.name);
    for (size_t i = 0; i < s->watch.targets.count; i++) {
        std::fprintf(out, " %s", text(s->watch.targets.names[i]));
    }
    std::fputc('\n', out);
    body(out, s->watch.body, d);
}

void print_use(FILE* out, const Stmt* s) {
    const char* name = text(s->use.name);
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

void print_else(FILE* out, StmtList else_body, int d) {
    if (else_body.count == 0) return;
    heading(out, "Else", d + 1);
    block(out, else_body, d + 2);
}

void print_consider(FILE* out, const Stmt* s, int d) {
    std::fputs("Consider\n", out);
    labelled_expr(out, "Subject", s->consider.subject, d);
    for (size_t i = 0; i < s->consider.branches.count; i++) {
        const ConsiderBranch* branch = &s->consider.branches.items[i];
        labelled_expr(out, "Case", branch->match, d);
        body(out, branch->body, d);
    }
    print_else(out, s->consider.else_body, d);
}

void print_function(FILE* out, const Stmt* s, int d) {
    if (s->function.attach_target != nullptr) {
        std::fprintf(out, "Function %s.%s (attach)\n", s->function.attach_target,
                     text(s->function.attach_member));
    } else {
        std::fprintf(out, "Function %s\n", text(s->function.name));
    }
    param_names(out, "Parameters", s->function.params, d + 1);
    body(out, s->function.body, d);
}

void print_for_range(FILE* out, const Stmt* s, int d) {
    std::fprintf(out, "ForRange %s\n", text(s->for_range.variable));
    labelled_expr(out, "Start", s->for_range.start, d);
    labelled_expr(out, "Limit", s->for_range.limit, d);
    if (s->for_range.step != nullptr) labelled_expr(out, "Step", s->for_range.step, d);
    body(out, s->for_range.body, d);
}

void print_for_each(FILE* out, const Stmt* s, int d) {
    if (s->for_each.index != nullptr) {
        std::fprintf(out, "ForEach %s index %s\n", text(s->for_each.element), s->for_each.index);
    } else {
        std::fprintf(out, "ForEach %s\n", text(s->for_each.element));
    }
    labelled_expr(out, "Iterable", s->for_each.iterable, d);
    body(out, s->for_each.body, d);
}

void print_optional_label(FILE* out, const char* word, const char* label) {
    std::fprintf(out, "%s%s%s\n", word, label != nullptr ? " " : "", label != nullptr ? label : "");
}

}  // namespace

void dump_stmt(FILE* out, const Stmt* s, int d) {
    dump_indent(out, d);
    if (s == nullptr) {
        std::fputs("(null)\n", out);
        return;
    }
    switch (s->kind) {
    case STMT_ASSIGN: print_assign(out, s, d); break;
    case STMT_PRINT:
        std::fputs(s->print.to_error ? "PrintToError\n" : "Print\n", out);
        dump_expr(out, s->print.value, d + 1);
        break;
    case STMT_EXPRESSION:
        std::fputs("ExpressionStatement\n", out);
        dump_expr(out, s->expression.expr, d + 1);
        break;
    case STMT_WITH_LOCK:
        std::fputs("WithLock\n", out);
        labelled_expr(out, "File", s->with_lock.resource, d);
        body(out, s->with_lock.body, d);
        break;
    case STMT_WITH_PRINCIPAL:
        std::fputs("WithPrincipal\n", out);
        labelled_expr(out, "Principal", s->with_principal.principal, d);
        body(out, s->with_principal.body, d);
        break;
    case STMT_FOR_EACH: print_for_each(out, s, d); break;
    case STMT_FOR_RANGE: print_for_range(out, s, d); break;
    case STMT_FUNCTION: print_function(out, s, d); break;
    case STMT_RETURN:
        std::fputs("Return\n", out);
        if (s->return_stmt.value != nullptr) dump_expr(out, s->return_stmt.value, d + 1);
        break;
    case STMT_LABEL: std::fprintf(out, "Label %s\n", text(s->label.name)); break;
    case STMT_GOTO: std::fprintf(out, "Goto %s\n", text(s->goto_stmt.label)); break;
    case STMT_GOSUB: std::fprintf(out, "Gosub %s\n", text(s->gosub.label)); break;
    case STMT_WATCH: print_watch(out, s, d); break;
    case STMT_UNWATCH:
        std::fputs("Unwatch\n", out);
        dump_expr(out, s->unwatch.target, d + 1);
        break;
    case STMT_WITHOUT_WATCHERS:
        std::fputs("WithoutWatchers\n", out);
        body(out, s->without_watchers.body, d);
        break;
    case STMT_ON_ERROR_GOTO: std::fprintf(out, "OnErrorGoto %s\n", text(s->on_error_goto.label)); break;
    case STMT_ON_ERROR_GOTO_NEXT: std::fputs("OnErrorGotoNext\n", out); break;
    case STMT_ON_WARNING: std::fprintf(out, "OnWarning %d\n", static_cast<int>(s->on_warning.mode)); break;
    case STMT_WARNING:
        std::fputs("Warning\n", out);
        dump_expr(out, s->warning.value, d + 1);
        break;
    case STMT_ON_ERROR_STOP: std::fputs("OnErrorStop\n", out); break;
    case STMT_ERROR:
        std::fputs("Error\n", out);
        dump_expr(out, s->error.value, d + 1);
        break;
    case STMT_MODIFIER:
        std::fprintf(out, "%sModifier %s for %s\n", s->modifier.exported ? "Export " : "",
                     text(s->modifier.name), text(s->modifier.context));
        param_names(out, "Parameters", s->modifier.params, d + 1);
        body(out, s->modifier.body, d);
        break;
    case STMT_PROGRAM_BLOCK:
        std::fprintf(out, "ProgramBlock %s\n", text(s->program_block.name));
        param_names(out, "Args", s->program_block.params, d + 1);
        body(out, s->program_block.body, d);
        break;
    case STMT_LIBRARY:
        std::fprintf(out, "Library %s\n", text(s->library.name));
        body(out, s->library.body, d);
        break;
    case STMT_USE: print_use(out, s); break;
    case STMT_IF:
        std::fputs("If\n", out);
        labelled_expr(out, "Condition", s->if_stmt.condition, d);
        body(out, s->if_stmt.then_body, d);
        print_else(out, s->if_stmt.else_body, d);
        break;
    case STMT_WHILE:
        std::fputs("While\n", out);
        labelled_expr(out, "Condition", s->while_stmt.condition, d);
        body(out, s->while_stmt.body, d);
        break;
    case STMT_DO_LOOP:
        std::fputs("DoLoop until\n", out);
        body(out, s->do_loop.body, d);
        labelled_expr(out, "Condition", s->do_loop.condition, d);
        break;
    case STMT_CONSIDER: print_consider(out, s, d); break;
    case STMT_BREAK: print_optional_label(out, "Break", s->break_stmt.label); break;
    case STMT_CONTINUE: print_optional_label(out, "Continue", s->continue_stmt.label); break;
    case STMT_SERVER:
        std::fprintf(out, "Server %s \"%s\"\n", text(s->server.keyword), text(s->server.name));
        dump_items(out, s->server.items, d + 1);
        break;
    default: std::fprintf(out, "UnknownStatement %d\n", static_cast<int>(s->kind)); break;
    }
}

void dump_items(FILE* out, ServerItemList list, int d) {
    for (size_t i = 0; i < list.count; i++) {
        const ServerItem* item = list.items[i];
        dump_indent(out, d);
        switch (item->kind) {
        case ITEM_DIRECTIVE:
            std::fprintf(out, "Directive %s", text(item->word));
            for (size_t v = 0; v < item->values.count; v++) {
                std::fprintf(out, " \"%s\"", text(item->values.names[v]));
            }
            std::fputc('\n', out);
            break;
        case ITEM_HANDLER:
            std::fprintf(out, "Handler %s \"%s\"\n", text(item->word), text(item->path));
            block(out, item->body, d + 1);
            break;
        case ITEM_SITE:
            std::fprintf(out, "Site %s \"%s\"\n", text(item->word), text(item->name));
            dump_items(out, item->items, d + 1);
            break;
        case ITEM_HOOK:
            std::fprintf(out, "Hook %s\n", text(item->word));
            block(out, item->body, d + 1);
            break;
        default: std::fprintf(out, "UnknownItem %d\n", static_cast<int>(item->kind)); break;
        }
    }
}

void dump_program(FILE* out, Program program) {
    std::fputs("Program\n", out);
    block(out, program, 1);
}
