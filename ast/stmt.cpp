#include "ast/stmt.h"

#include <cstring>

#include "ast/region.h"

namespace {

// One zero-filled block per node; the span stays zero until stmt_set_span.
Stmt* stmt_new(StmtKind kind) {
    Stmt* stmt = static_cast<Stmt*>(tree_alloc_zeroed(sizeof(Stmt)));
    stmt->kind = kind;
    return stmt;
}

Stmt* stmt_with_expr(StmtKind kind, Expr* value) {
    Stmt* stmt = stmt_new(kind);
    // Every single-expression kind keeps its expression first in the payload,
    // but each gets its own field name; set the right one.
    switch (kind) {
    case STMT_PRINT: stmt->print.value = value; break;
    case STMT_EXPRESSION: stmt->expression.expr = value; break;
    case STMT_RETURN: stmt->return_stmt.value = value; break;
    case STMT_UNWATCH: stmt->unwatch.target = value; break;
    case STMT_WARNING: stmt->warning.value = value; break;
    case STMT_ERROR: stmt->error.value = value; break;
    default: break;
    }
    return stmt;
}

}  // namespace

Stmt* stmt_assign(Expr* target, ModifierRef modifier, Expr* value) {
    return stmt_assign_op(target, modifier, value, 0);
}

Stmt* stmt_assign_op(Expr* target, ModifierRef modifier, Expr* value, char op) {
    Stmt* stmt = stmt_new(STMT_ASSIGN);
    stmt->assign.target = target;
    stmt->assign.modifier = modifier;
    stmt->assign.value = value;
    stmt->assign.op = op;
    return stmt;
}

Stmt* stmt_print(Expr* value) { return stmt_with_expr(STMT_PRINT, value); }

Stmt* stmt_print_to_error(Expr* value) {
    Stmt* stmt = stmt_with_expr(STMT_PRINT, value);
    stmt->print.to_error = 1;
    return stmt;
}

Stmt* stmt_expression(Expr* expr) { return stmt_with_expr(STMT_EXPRESSION, expr); }

Stmt* stmt_with_lock(Expr* resource, StmtList body) {
    Stmt* stmt = stmt_new(STMT_WITH_LOCK);
    stmt->with_lock.resource = resource;
    stmt->with_lock.body = body;
    return stmt;
}

Stmt* stmt_with_principal(Expr* principal, StmtList body) {
    Stmt* stmt = stmt_new(STMT_WITH_PRINCIPAL);
    stmt->with_principal.principal = principal;
    stmt->with_principal.body = body;
    return stmt;
}

Stmt* stmt_for_each(char* element, char* index, Expr* iterable, StmtList body) {
    Stmt* stmt = stmt_new(STMT_FOR_EACH);
    stmt->for_each.element = element;
    stmt->for_each.index = index;
    stmt->for_each.iterable = iterable;
    stmt->for_each.body = body;
    return stmt;
}

Stmt* stmt_for_range(char* variable, Expr* start, Expr* limit, Expr* step, StmtList body) {
    Stmt* stmt = stmt_new(STMT_FOR_RANGE);
    stmt->for_range.variable = variable;
    stmt->for_range.start = start;
    stmt->for_range.limit = limit;
    stmt->for_range.step = step;
    stmt->for_range.body = body;
    return stmt;
}

Stmt* stmt_function(char* name, ParamList params, StmtList body) {
    Stmt* stmt = stmt_new(STMT_FUNCTION);
    stmt->function.params = params;
    stmt->function.body = body;
    char* dot = name != nullptr ? std::strchr(name, '.') : nullptr;
    if (dot == nullptr) {
        stmt->function.name = name;
        return stmt;
    }
    // cache.get.fresh attaches `get.fresh` to `cache`: cut at the first dot.
    stmt->function.attach_member = tree_copy_text(dot + 1, std::strlen(dot + 1));
    *dot = '\0';
    stmt->function.attach_target = name;
    return stmt;
}

Stmt* stmt_return(Expr* value) { return stmt_with_expr(STMT_RETURN, value); }

Stmt* stmt_label(char* name) {
    Stmt* stmt = stmt_new(STMT_LABEL);
    stmt->label.name = name;
    return stmt;
}

Stmt* stmt_goto(char* label) {
    Stmt* stmt = stmt_new(STMT_GOTO);
    stmt->goto_stmt.label = label;
    return stmt;
}

Stmt* stmt_gosub(char* label) {
    Stmt* stmt = stmt_new(STMT_GOSUB);
    stmt->gosub.label = label;
    return stmt;
}

Stmt* stmt_watch(char* name, ParamList targets, StmtList body) {
    Stmt* stmt = stmt_new(STMT_WATCH);
    stmt->watch.name = name;
    stmt->watch.targets = targets;
    stmt->watch.body = body;
    return stmt;
}

Stmt* stmt_unwatch(Expr* target) { return stmt_with_expr(STMT_UNWATCH, target); }

Stmt* stmt_without_watchers(StmtList body) {
    Stmt* stmt = stmt_new(STMT_WITHOUT_WATCHERS);
    stmt->without_watchers.body = body;
    return stmt;
}

Stmt* stmt_on_error_goto(char* label) {
    Stmt* stmt = stmt_new(STMT_ON_ERROR_GOTO);
    stmt->on_error_goto.label = label;
    return stmt;
}

Stmt* stmt_on_error_goto_next(void) { return stmt_new(STMT_ON_ERROR_GOTO_NEXT); }

Stmt* stmt_on_error_stop(void) { return stmt_new(STMT_ON_ERROR_STOP); }

Stmt* stmt_on_warning(WarningMode mode) {
    Stmt* stmt = stmt_new(STMT_ON_WARNING);
    stmt->on_warning.mode = mode;
    return stmt;
}

Stmt* stmt_error(Expr* value) { return stmt_with_expr(STMT_ERROR, value); }

Stmt* stmt_modifier(char* name, ParamList params, char* context, int32_t exported, StmtList body) {
    Stmt* stmt = stmt_new(STMT_MODIFIER);
    stmt->modifier.name = name;
    stmt->modifier.params = params;
    stmt->modifier.context = context;
    stmt->modifier.exported = exported;
    stmt->modifier.body = body;
    return stmt;
}

Stmt* stmt_program_block(char* name, ParamList params, StmtList body) {
    Stmt* stmt = stmt_new(STMT_PROGRAM_BLOCK);
    stmt->program_block.name = name;
    stmt->program_block.params = params;
    stmt->program_block.body = body;
    return stmt;
}

Stmt* stmt_library(char* name, StmtList body) {
    Stmt* stmt = stmt_new(STMT_LIBRARY);
    stmt->library.name = name;
    stmt->library.body = body;
    return stmt;
}

Stmt* stmt_use(char* name, char* from, char* alias) {
    Stmt* stmt = stmt_new(STMT_USE);
    stmt->use.name = name;
    stmt->use.from = from;
    stmt->use.alias = alias;
    return stmt;
}

Stmt* stmt_if(Expr* condition, StmtList then_body) {
    Stmt* stmt = stmt_new(STMT_IF);
    stmt->if_stmt.condition = condition;
    stmt->if_stmt.then_body = then_body;
    return stmt;
}

Stmt* stmt_while(Expr* condition, StmtList body) {
    Stmt* stmt = stmt_new(STMT_WHILE);
    stmt->while_stmt.condition = condition;
    stmt->while_stmt.body = body;
    return stmt;
}

Stmt* stmt_do_loop(StmtList body, Expr* condition) {
    Stmt* stmt = stmt_new(STMT_DO_LOOP);
    stmt->do_loop.body = body;
    stmt->do_loop.condition = condition;
    return stmt;
}

Stmt* stmt_consider(Expr* subject, ConsiderBranchList branches, StmtList else_body) {
    Stmt* stmt = stmt_new(STMT_CONSIDER);
    stmt->consider.subject = subject;
    stmt->consider.branches = branches;
    stmt->consider.else_body = else_body;
    return stmt;
}

Stmt* stmt_break(char* label) {
    Stmt* stmt = stmt_new(STMT_BREAK);
    stmt->break_stmt.label = label;
    return stmt;
}

Stmt* stmt_continue(char* label) {
    Stmt* stmt = stmt_new(STMT_CONTINUE);
    stmt->continue_stmt.label = label;
    return stmt;
}

Stmt* stmt_set_span(Stmt* stmt, int32_t start_line, int32_t start_column, int32_t end_line,
                    int32_t end_column) {
    stmt->span = SourceSpan{start_line, start_column, end_line, end_column};
    return stmt;
}

ModifierSignature modifier_signature_make(char* name, ParamList params) {
    return ModifierSignature{name, params};
}
