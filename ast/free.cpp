#include "ast/free.h"

#include <cstdlib>

#include "ast/region.h"
#include "ast/work_list.h"

// Destruction never recurses: a left-deep chain of a million operators or a
// deep nest of blocks would overflow the C stack. Instead every owned child
// node is pushed onto one of three work lists and released in a loop; strings
// and list arrays are freed as soon as their entries have been taken over.
//
// A tree built in a region goes back with its region, all at once: the
// public operations see that from the block they are handed and return.
// Whatever they walk is therefore heap memory from top to bottom.
namespace {

struct Reclaimer {
    AstWorkList<Expr*> exprs;
    AstWorkList<Stmt*> stmts;
    AstWorkList<ServerItem*> items;
};

void take_expr(Reclaimer* r, Expr* expr) {
    if (expr != nullptr) ast_work_push(&r->exprs, expr);
}

void take_stmt(Reclaimer* r, Stmt* stmt) {
    if (stmt != nullptr) ast_work_push(&r->stmts, stmt);
}

void take_expr_list(Reclaimer* r, ExprList list) {
    for (size_t i = 0; i < list.count; i++) take_expr(r, list.items[i]);
    std::free(list.items);
}

void take_stmt_list(Reclaimer* r, StmtList list) {
    for (size_t i = 0; i < list.count; i++) take_stmt(r, list.items[i]);
    std::free(list.items);
}

void take_field_list(Reclaimer* r, RecordFieldList list) {
    for (size_t i = 0; i < list.count; i++) {
        std::free(list.items[i].name);
        take_expr(r, list.items[i].value);
        take_expr(r, list.items[i].reset_value);
    }
    std::free(list.items);
}

void take_param_list(Reclaimer* r, ParamList list) {
    for (size_t i = 0; i < list.count; i++) {
        if (list.names != nullptr) std::free(list.names[i]);
        if (list.defaults != nullptr) take_expr(r, list.defaults[i]);
    }
    std::free(list.names);
    std::free(list.defaults);
}

void take_branch_list(Reclaimer* r, ConsiderBranchList list) {
    for (size_t i = 0; i < list.count; i++) {
        take_expr(r, list.items[i].match);
        take_stmt_list(r, list.items[i].body);
    }
    std::free(list.items);
}

void take_item(Reclaimer* r, ServerItem* item) {
    if (item != nullptr) ast_work_push(&r->items, item);
}

void take_item_list(Reclaimer* r, ServerItemList list) {
    for (size_t i = 0; i < list.count; i++) take_item(r, list.items[i]);
    std::free(list.items);
}

// The first reference lives inside its node; only the chained links are
// blocks of their own. Each link's `next` is read before the link goes.
void take_modifier(Reclaimer* r, ModifierRef ref) {
    for (ModifierRef* link = &ref; link != nullptr;) {
        ModifierRef* next = link->next;
        std::free(link->qualifier);
        std::free(link->name);
        take_expr_list(r, link->args);
        if (link != &ref) std::free(link);
        link = next;
    }
}

void release_expr(Reclaimer* r, Expr* expr) {
    switch (expr->kind) {
    case EXPR_STRING: std::free(expr->string.text); break;
    case EXPR_IDENTIFIER: std::free(expr->identifier.name); break;
    case EXPR_ARRAY: take_expr_list(r, expr->array.elements); break;
    case EXPR_RECORD: take_field_list(r, expr->record.fields); break;
    case EXPR_INDEX:
        take_expr(r, expr->index.target);
        take_expr(r, expr->index.index);
        break;
    case EXPR_FIELD_ACCESS:
        take_expr(r, expr->field_access.object);
        std::free(expr->field_access.field);
        break;
    case EXPR_CALL:
        std::free(expr->call.qualifier);
        std::free(expr->call.name);
        take_expr(r, expr->call.receiver);
        take_expr_list(r, expr->call.args);
        break;
    case EXPR_BINARY:
        std::free(expr->binary.op);
        take_modifier(r, expr->binary.modifier);
        take_expr(r, expr->binary.left);
        take_expr(r, expr->binary.right);
        break;
    case EXPR_UNARY:
        std::free(expr->unary.op);
        take_expr(r, expr->unary.operand);
        break;
    case EXPR_NEW:
        take_expr(r, expr->new_object.prototype);
        take_expr(r, expr->new_object.with);
        break;
    case EXPR_SPAWN:
        std::free(expr->spawn.name);
        take_expr_list(r, expr->spawn.args);
        break;
    case EXPR_MODIFIER_APPLY:
        take_modifier(r, expr->modifier_apply.modifier);
        take_expr(r, expr->modifier_apply.operand);
        break;
    default: break;  // numbers, booleans, nothing, unknown, durations, stray kinds
    }
    std::free(expr);
}

void release_stmt(Reclaimer* r, Stmt* stmt) {
    switch (stmt->kind) {
    case STMT_ASSIGN:
        take_expr(r, stmt->assign.target);
        take_modifier(r, stmt->assign.modifier);
        take_expr(r, stmt->assign.value);
        break;
    case STMT_PRINT: take_expr(r, stmt->print.value); break;
    case STMT_EXPRESSION: take_expr(r, stmt->expression.expr); break;
    case STMT_RETURN: take_expr(r, stmt->return_stmt.value); break;
    case STMT_UNWATCH: take_expr(r, stmt->unwatch.target); break;
    case STMT_WARNING: take_expr(r, stmt->warning.value); break;
    case STMT_ERROR: take_expr(r, stmt->error.value); break;
    case STMT_WITH_LOCK:
        take_expr(r, stmt->with_lock.resource);
        take_stmt_list(r, stmt->with_lock.body);
        break;
    case STMT_WITH_PRINCIPAL:
        take_expr(r, stmt->with_principal.principal);
        take_stmt_list(r, stmt->with_principal.body);
        break;
    case STMT_FOR_EACH:
        std::free(stmt->for_each.element);
        std::free(stmt->for_each.index);
        take_expr(r, stmt->for_each.iterable);
        take_stmt_list(r, stmt->for_each.body);
        break;
    case STMT_FOR_RANGE:
        std::free(stmt->for_range.variable);
        take_expr(r, stmt->for_range.start);
        take_expr(r, stmt->for_range.limit);
        take_expr(r, stmt->for_range.step);
        take_stmt_list(r, stmt->for_range.body);
        break;
    case STMT_FUNCTION:
        std::free(stmt->function.name);
        std::free(stmt->function.attach_target);
        std::free(stmt->function.attach_member);
        take_param_list(r, stmt->function.params);
        take_stmt_list(r, stmt->function.body);
        break;
    case STMT_LABEL: std::free(stmt->label.name); break;
    case STMT_GOTO: std::free(stmt->goto_stmt.label); break;
    case STMT_GOSUB: std::free(stmt->gosub.label); break;
    case STMT_ON_ERROR_GOTO: std::free(stmt->on_error_goto.label); break;
    case STMT_BREAK: std::free(stmt->break_stmt.label); break;
    case STMT_CONTINUE: std::free(stmt->continue_stmt.label); break;
    case STMT_WATCH:
        std::free(stmt->watch.name);
        take_param_list(r, stmt->watch.targets);
        take_stmt_list(r, stmt->watch.body);
        break;
    case STMT_WITHOUT_WATCHERS: take_stmt_list(r, stmt->without_watchers.body); break;
    case STMT_MODIFIER:
        std::free(stmt->modifier.name);
        take_param_list(r, stmt->modifier.params);
        std::free(stmt->modifier.context);
        take_stmt_list(r, stmt->modifier.body);
        break;
    case STMT_PROGRAM_BLOCK:
        std::free(stmt->program_block.name);
        take_param_list(r, stmt->program_block.params);
        take_stmt_list(r, stmt->program_block.body);
        break;
    case STMT_LIBRARY:
        std::free(stmt->library.name);
        take_stmt_list(r, stmt->library.body);
        break;
    case STMT_USE:
        std::free(stmt->use.name);
        std::free(stmt->use.from);
        std::free(stmt->use.alias);
        break;
    case STMT_IF:
        take_expr(r, stmt->if_stmt.condition);
        take_stmt_list(r, stmt->if_stmt.then_body);
        take_stmt_list(r, stmt->if_stmt.else_body);
        break;
    case STMT_WHILE:
        take_expr(r, stmt->while_stmt.condition);
        take_stmt_list(r, stmt->while_stmt.body);
        break;
    case STMT_DO_LOOP:
        take_stmt_list(r, stmt->do_loop.body);
        take_expr(r, stmt->do_loop.condition);
        break;
    case STMT_CONSIDER:
        take_expr(r, stmt->consider.subject);
        take_branch_list(r, stmt->consider.branches);
        take_stmt_list(r, stmt->consider.else_body);
        break;
    case STMT_SERVER:
        std::free(stmt->server.keyword);
        std::free(stmt->server.name);
        std::free(stmt->server.end_word);
        take_field_list(r, stmt->server.options);
        take_item_list(r, stmt->server.items);
        break;
    default: break;  // on-error next/stop, on-warning, stray kinds
    }
    std::free(stmt);
}

void release_item(Reclaimer* r, ServerItem* item) {
    std::free(item->word);
    std::free(item->path);
    std::free(item->name);
    std::free(item->end_word);
    take_param_list(r, item->values);
    take_field_list(r, item->options);
    take_param_list(r, item->params);
    take_stmt_list(r, item->body);
    take_item_list(r, item->items);
    std::free(item);
}

// Releases everything pending, then the work lists themselves.
void drain(Reclaimer* r) {
    for (;;) {
        if (r->exprs.count > 0) {
            release_expr(r, ast_work_pop(&r->exprs));
        } else if (r->stmts.count > 0) {
            release_stmt(r, ast_work_pop(&r->stmts));
        } else if (r->items.count > 0) {
            release_item(r, ast_work_pop(&r->items));
        } else {
            break;
        }
    }
    ast_work_list_release(&r->exprs);
    ast_work_list_release(&r->stmts);
    ast_work_list_release(&r->items);
}

// Releases `value` through its take_* function and everything it brings,
// unless `block`, the value's first block, tells that a region owns it.
template <typename T>
void reclaim(void (*take)(Reclaimer*, T), T value, const void* block) {
    // An empty value owns nothing; a region's value goes back with its region.
    if (block == nullptr || ast_region_owns(block)) return;
    Reclaimer r{};
    take(&r, value);
    drain(&r);
}

}  // namespace

void expr_free(Expr* expr) { reclaim(take_expr, expr, expr); }

void stmt_free(Stmt* stmt) { reclaim(take_stmt, stmt, stmt); }

void stmt_list_free(StmtList list) { reclaim(take_stmt_list, list, list.items); }

void expr_list_free(ExprList list) { reclaim(take_expr_list, list, list.items); }

void field_list_free(RecordFieldList list) { reclaim(take_field_list, list, list.items); }

void param_list_free(ParamList list) { reclaim(take_param_list, list, list.names); }

void branch_list_free(ConsiderBranchList list) { reclaim(take_branch_list, list, list.items); }

void item_free(ServerItem* item) { reclaim(take_item, item, item); }

void item_list_free(ServerItemList list) { reclaim(take_item_list, list, list.items); }

// A reference sits inside its node; any block it owns tells where it was built.
void modifier_ref_free(ModifierRef ref) {
    const void* block = ref.name;
    if (block == nullptr) block = ref.qualifier;
    if (block == nullptr) block = ref.args.items;
    if (block == nullptr) block = ref.next;
    reclaim(take_modifier, ref, block);
}

void modifier_signature_free(ModifierSignature sig) {
    tree_free(sig.name);
    param_list_free(sig.params);
}
