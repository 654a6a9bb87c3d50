#include <gtest/gtest.h>

#include "tests/ast/tree_builders.h"

using namespace tree;

namespace {

// One expression of every kind, with lenses and modifier prefixes carrying
// chained references so that every link block has to be released.
ExprList every_expression() {
    RecordFieldList fields = field_list_append(field_list_empty(), s("a"), num(1));
    fields = field_list_append_policy(fields, s("b"), id("x"), FIELD_RESET, num(0));
    fields = field_list_append_policy(fields, s("c"), id("y"), FIELD_LINK, nullptr);
    Duration span{0, 0, 0, 2, 3, 0, 0};
    return exprs({
        num(1),
        expr_string(s("text")),
        id("x"),
        expr_boolean(1),
        expr_nothing(),
        expr_unknown(),
        expr_array(exprs({num(1), num(2)})),
        expr_record(fields),
        expr_duration(span),
        expr_index(id("list"), num(0)),
        expr_field_access(id("user"), s("name")),
        expr_call(s("f"), exprs({num(1)})),
        expr_qualified_call(s("lib"), s("f"), exprs({num(1)})),
        expr_method_call(id("obj"), s("m"), exprs({num(1)})),
        expr_binary(s(">"), modifier_chain(3, "units"), id("a"), id("b")),
        expr_unary(s("not"), expr_boolean(0)),
        expr_new_object(id("proto"),
                        expr_record(field_list_append(field_list_empty(), s("z"), num(9)))),
        expr_spawn(s("worker"), exprs({num(1)})),
        expr_modifier_apply(modifier_chain(2, nullptr), id("v")),
        nullptr,
    });
}

ParamList with_defaults() {
    ParamList list = param_list_append(param_list_empty(), s("a"));
    return param_list_append_default(list, s("b"), expr_array(exprs({num(1)})));
}

StmtList every_statement() {
    Stmt* else_if = stmt_if(id("d"), stmts({stmt_print(num(2))}));
    else_if->if_stmt.else_body = stmts({stmt_print(num(3))});
    Stmt* chain = stmt_if(id("c"), stmts({stmt_print(num(1))}));
    chain->if_stmt.else_body = stmts({else_if});
    Stmt* warning = stmt_error(expr_string(s("careful")));
    warning->kind = STMT_WARNING;
    ConsiderBranchList branches = branch_list_append(branch_list_empty(), num(1), stmts({stmt_break(nullptr)}));
    branches = branch_list_append(branches, num(2), stmt_list_empty());
    ServerItemList site_items = item_list_append(item_list_empty(),
        item_handler(s("get"), s("/"), names({"req"}), stmts({stmt_return(num(200))}), s("get"), 4, 5));
    site_items = item_list_append(site_items, item_directive(s("host"), names({"a.test", "b.test"}), 5, 5));
    ServerItemList items = item_list_append(item_list_empty(),
        item_site(s("web"), s("site"), field_list_append(field_list_empty(), s("port"), num(80)),
                  site_items, s("web"), 3, 3));
    items = item_list_append(items, item_hook(s("start"), stmts({stmt_print(num(0))}), 6, 3));
    return stmts({
        stmt_assign(id("x"), modifier_chain(3, "q"), expr_array(every_expression())),
        stmt_assign_op(expr_index(id("x"), num(0)), modifier_ref_empty(), num(1), '+'),
        stmt_print(num(1)),
        stmt_print_to_error(num(1)),
        stmt_expression(expr_call(s("f"), expr_list_empty())),
        stmt_with_lock(expr_string(s("file")), stmts({stmt_print(num(1))})),
        stmt_with_principal(id("p"), stmts({stmt_print(num(1))})),
        stmt_for_each(s("item"), s("i"), id("list"), stmts({stmt_continue(nullptr)})),
        stmt_for_range(s("i"), num(1), num(10), num(2), stmts({stmt_break(s("outer"))})),
        stmt_function(s("f"), with_defaults(), stmts({stmt_return(nullptr)})),
        stmt_function(s("cache.get"), with_defaults(), stmt_list_empty()),
        stmt_label(s("top")),
        stmt_goto(s("top")),
        stmt_gosub(s("sub")),
        stmt_watch(s("w"), names({"user.name"}), stmts({stmt_print(num(1))})),
        stmt_unwatch(id("w")),
        stmt_without_watchers(stmts({stmt_print(num(1))})),
        stmt_on_error_goto(s("handler")),
        stmt_on_error_goto_next(),
        stmt_on_warning(WARNING_MODE_PRINT),
        warning,
        stmt_on_error_stop(),
        stmt_error(expr_string(s("bad"))),
        stmt_modifier(s("round to"), with_defaults(), s("number"), 1, stmts({stmt_return(num(1))})),
        stmt_program_block(s("main"), with_defaults(), stmts({stmt_print(num(1))})),
        stmt_library(s("lib"), stmts({stmt_label(s("l"))})),
        stmt_use(s("lib"), s("lib.tv"), s("l")),
        chain,
        stmt_while(id("c"), stmts({stmt_print(num(1))})),
        stmt_do_loop(stmts({stmt_print(num(1))}), id("c")),
        stmt_consider(id("x"), branches, stmts({stmt_print(num(1))})),
        stmt_break(nullptr),
        stmt_continue(s("loop")),
        stmt_server(s("server"), s("api"), field_list_append(field_list_empty(), s("port"), num(8080)),
                    items, s("server")),
        nullptr,
    });
}

// Every kind released together; a missed or repeated free shows up as a leak
// or a double free in the sanitizer build.
TEST(FreeTest, ReleasesAProgramWithEveryKind) {
    StmtList program = every_statement();
    EXPECT_EQ(program.count, 35u);
    stmt_list_free(program);
}

TEST(FreeTest, NullsAndEmptyListsAreNothing) {
    expr_free(nullptr);
    stmt_free(nullptr);
    stmt_list_free(stmt_list_empty());
    expr_list_free(expr_list_empty());
    field_list_free(field_list_empty());
    param_list_free(param_list_empty());
    branch_list_free(branch_list_empty());
    item_list_free(item_list_empty());
    modifier_ref_free(modifier_ref_empty());
    modifier_signature_free(modifier_signature_make(nullptr, param_list_empty()));
    SUCCEED();
}

TEST(FreeTest, StandaloneParts) {
    modifier_ref_free(modifier_chain(3, "q"));
    modifier_signature_free(modifier_signature_make(s("round"), with_defaults()));
    expr_list_free(every_expression());
    // A stray kind value releases only the node block.
    Expr* stray = expr_nothing();
    stray->kind = static_cast<ExprKind>(99);
    expr_free(stray);
    Stmt* stray_stmt = stmt_on_error_stop();
    stray_stmt->kind = static_cast<StmtKind>(99);
    stmt_free(stray_stmt);
    SUCCEED();
}

TEST(FreeTest, DeepLeftChainIsFreedWithoutDeepRecursion) {
    // x = 1+1+...+1 parses left-deep: each '+' holds the previous chain on its left.
    Expr* chain = num(1);
    for (int i = 0; i < 500000; i++) chain = expr_binary(s("+"), modifier_ref_empty(), chain, num(1));
    run_on_small_stack([](void* e) { expr_free(static_cast<Expr*>(e)); }, chain);
}

TEST(FreeTest, DeepRightChainAndNestedBlocksAreFreedWithoutDeepRecursion) {
    Expr* chain = num(1);
    for (int i = 0; i < 200000; i++) chain = expr_unary(s("-"), chain);
    Stmt* nest = stmt_print(chain);
    for (int i = 0; i < 200000; i++) nest = stmt_while(id("c"), stmts({nest}));
    run_on_small_stack([](void* st) { stmt_free(static_cast<Stmt*>(st)); }, nest);

    ServerItem* site = item_hook(s("start"), stmt_list_empty(), 1, 1);
    for (int i = 0; i < 100000; i++) {
        site = item_site(s("web"), s("w"), field_list_empty(), item_list_append(item_list_empty(), site),
                         s("web"), 1, 1);
    }
    ServerItemList items = item_list_append(item_list_empty(), site);
    run_on_small_stack([](void* list) { item_list_free(*static_cast<ServerItemList*>(list)); }, &items);
}

}  // namespace
