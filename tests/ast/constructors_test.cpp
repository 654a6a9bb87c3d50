#include <gtest/gtest.h>

#include "tests/ast/tree_builders.h"

using namespace tree;

namespace {

TEST(ExprConstructorTest, FreshNodesAreUnpositionedUntilStamped) {
    Expr* e = id("x");
    EXPECT_EQ(e->kind, EXPR_IDENTIFIER);
    EXPECT_EQ(e->line, 0);
    EXPECT_EQ(e->column, 0);
    EXPECT_EQ(expr_set_position(e, 3, 4), e);
    EXPECT_EQ(e->line, 3);
    EXPECT_EQ(e->column, 4);
    EXPECT_EQ(expr_set_position(nullptr, 3, 4), nullptr);
    expr_free(e);
}

TEST(ExprConstructorTest, CallShapesSetExactlyTheirOwnOptionalField) {
    Expr* plain = expr_call(s("f"), expr_list_empty());
    EXPECT_EQ(plain->call.qualifier, nullptr);
    EXPECT_EQ(plain->call.receiver, nullptr);

    Expr* qualified = expr_qualified_call(s("lib"), s("f"), exprs({num(1)}));
    EXPECT_STREQ(qualified->call.qualifier, "lib");
    EXPECT_STREQ(qualified->call.name, "f");
    EXPECT_EQ(qualified->call.receiver, nullptr);
    EXPECT_EQ(qualified->call.args.count, 1u);

    Expr* receiver = id("obj");
    Expr* method = expr_method_call(receiver, s("go"), expr_list_empty());
    EXPECT_EQ(method->call.receiver, receiver);
    EXPECT_EQ(method->call.qualifier, nullptr);
    for (Expr* e : {plain, qualified, method}) {
        EXPECT_EQ(e->kind, EXPR_CALL);
        expr_free(e);
    }
}

TEST(ExprConstructorTest, OrdinaryBinaryCarriesTheEmptyModifier) {
    Expr* left = num(1);
    Expr* right = num(2);
    Expr* e = expr_binary(s("+"), modifier_ref_empty(), left, right);
    EXPECT_EQ(e->kind, EXPR_BINARY);
    EXPECT_STREQ(e->binary.op, "+");
    EXPECT_EQ(e->binary.modifier.name, nullptr);
    EXPECT_EQ(e->binary.modifier.qualifier, nullptr);
    EXPECT_EQ(e->binary.modifier.args.count, 0u);
    EXPECT_EQ(e->binary.modifier.next, nullptr);
    EXPECT_EQ(e->binary.left, left);
    EXPECT_EQ(e->binary.right, right);
    expr_free(e);
}

TEST(ExprConstructorTest, PayloadsLandInTheirKindsFields) {
    Expr* n = expr_number(2.5, 0, 0);
    EXPECT_EQ(n->number.value, 2.5);
    EXPECT_EQ(n->number.is_integer, 0);
    Expr* big = expr_number(9007199254740993.0, 9007199254740993LL, 1);
    EXPECT_EQ(big->number.integer_value, 9007199254740993LL);
    Duration span{1, 2, 3, 4, 5, 6, 7};
    Expr* d = expr_duration(span);
    EXPECT_EQ(d->duration.duration.years, 1);
    EXPECT_EQ(d->duration.duration.seconds, 7);
    Expr* proto = id("base");
    Expr* bare_new = expr_new_object(proto, nullptr);
    EXPECT_EQ(bare_new->new_object.prototype, proto);
    EXPECT_EQ(bare_new->new_object.with, nullptr);
    Expr* apply = expr_modifier_apply(modifier_ref_make(s("upper"), expr_list_empty()), id("x"));
    EXPECT_STREQ(apply->modifier_apply.modifier.name, "upper");
    for (Expr* e : {n, big, d, bare_new, apply}) expr_free(e);
}

struct FunctionNameCase {
    const char* written;
    const char* name;
    const char* target;
    const char* member;
};

TEST(StmtConstructorTest, FunctionSplitsAQualifiedNameAtTheFirstDot) {
    const FunctionNameCase cases[] = {
        {"f", "f", nullptr, nullptr},
        {"a.b", nullptr, "a", "b"},
        {"cache.get.fresh", nullptr, "cache", "get.fresh"},
        {".lead", nullptr, "", "lead"},
        {"tail.", nullptr, "tail", ""},
    };
    for (const FunctionNameCase& c : cases) {
        Stmt* st = stmt_function(s(c.written), names({"x"}), stmt_list_empty());
        EXPECT_EQ(st->kind, STMT_FUNCTION);
        const StmtFunction& f = st->function;
        auto same = [](const char* got, const char* want) {
            return want == nullptr ? got == nullptr : got != nullptr && std::strcmp(got, want) == 0;
        };
        EXPECT_TRUE(same(f.name, c.name)) << c.written;
        EXPECT_TRUE(same(f.attach_target, c.target)) << c.written;
        EXPECT_TRUE(same(f.attach_member, c.member)) << c.written;
        EXPECT_EQ(f.params.count, 1u);
        stmt_free(st);  // the sanitizer build catches a leaked or double-freed name
    }
}

TEST(StmtConstructorTest, DefaultsOfTheConstructors) {
    Stmt* plain = stmt_assign(id("x"), modifier_ref_empty(), num(1));
    EXPECT_EQ(plain->assign.op, 0);
    Stmt* compound = stmt_assign_op(id("x"), modifier_ref_empty(), num(1), '+');
    EXPECT_EQ(compound->assign.op, '+');
    Stmt* print = stmt_print(num(1));
    EXPECT_EQ(print->print.to_error, 0);
    Stmt* to_error = stmt_print_to_error(num(1));
    EXPECT_EQ(to_error->kind, STMT_PRINT);
    EXPECT_EQ(to_error->print.to_error, 1);
    Stmt* branch = stmt_if(id("c"), stmts({stmt_break(nullptr)}));
    EXPECT_EQ(branch->if_stmt.else_body.items, nullptr);
    EXPECT_EQ(branch->if_stmt.else_body.count, 0u);
    EXPECT_EQ(branch->if_stmt.then_body.count, 1u);
    Stmt* ret = stmt_return(nullptr);
    EXPECT_EQ(ret->return_stmt.value, nullptr);
    Stmt* brk = stmt_break(nullptr);
    EXPECT_EQ(brk->break_stmt.label, nullptr);
    Stmt* cont = stmt_continue(s("outer"));
    EXPECT_STREQ(cont->continue_stmt.label, "outer");
    Stmt* warn = stmt_on_warning(WARNING_MODE_GOTO_NEXT);
    EXPECT_EQ(warn->on_warning.mode, 3);
    Stmt* use = stmt_use(s("lib"), nullptr, s("l"));
    EXPECT_EQ(use->use.from, nullptr);
    EXPECT_STREQ(use->use.alias, "l");

    EXPECT_EQ(stmt_set_span(use, 1, 2, 3, 4), use);
    EXPECT_EQ(use->span.start_line, 1);
    EXPECT_EQ(use->span.start_column, 2);
    EXPECT_EQ(use->span.end_line, 3);
    EXPECT_EQ(use->span.end_column, 4);
    for (Stmt* st : {plain, compound, print, to_error, branch, ret, brk, cont, warn, use}) stmt_free(st);
}

TEST(StmtConstructorTest, ModifierSignaturePacksNameAndParams) {
    ModifierSignature sig = modifier_signature_make(s("round to"), names({"places"}));
    EXPECT_STREQ(sig.name, "round to");
    EXPECT_EQ(sig.params.count, 1u);
    modifier_signature_free(sig);
}

TEST(ServerNodeTest, ItemsLeaveEveryUnusedFieldEmpty) {
    ServerItem* hook = item_hook(s("start"), stmts({stmt_break(nullptr)}), 7, 5);
    EXPECT_EQ(hook->kind, ITEM_HOOK);
    EXPECT_STREQ(hook->word, "start");
    EXPECT_EQ(hook->path, nullptr);
    EXPECT_EQ(hook->name, nullptr);
    EXPECT_EQ(hook->end_word, nullptr);
    EXPECT_EQ(hook->values.count, 0u);
    EXPECT_EQ(hook->options.count, 0u);
    EXPECT_EQ(hook->params.count, 0u);
    EXPECT_EQ(hook->items.count, 0u);
    EXPECT_EQ(hook->body.count, 1u);
    EXPECT_EQ(hook->line, 7);
    EXPECT_EQ(hook->column, 5);

    ServerItem* handler = item_handler(s("get"), s("/users/{id}"), names({"req"}), stmt_list_empty(),
                                       s("post"), 9, 3);
    EXPECT_EQ(handler->kind, ITEM_HANDLER);
    EXPECT_STREQ(handler->path, "/users/{id}");
    EXPECT_STREQ(handler->end_word, "post");  // stored as written, even when mismatched
    EXPECT_EQ(handler->name, nullptr);
    EXPECT_EQ(handler->items.count, 0u);

    ServerItem* directive = item_directive(s("root"), names({"/srv/www"}), 3, 3);
    EXPECT_EQ(directive->values.count, 1u);
    EXPECT_EQ(directive->values.required, 1u);
    EXPECT_EQ(directive->values.defaults[0], nullptr);
    EXPECT_EQ(directive->body.count, 0u);

    ServerItem* inner = item_site(s("web"), s("inner"), field_list_empty(), item_list_empty(), s("web"), 5, 5);
    ServerItem* outer = item_site(s("web"), s("outer"), field_list_empty(),
                                  item_list_append(item_list_empty(), inner), s("web"), 4, 3);
    EXPECT_EQ(outer->kind, ITEM_SITE);
    EXPECT_EQ(outer->options.count, 0u);
    ASSERT_EQ(outer->items.count, 1u);
    EXPECT_EQ(outer->items.items[0], inner);
    EXPECT_EQ(outer->path, nullptr);

    ServerItemList items = item_list_empty();
    for (ServerItem* item : {hook, handler, directive, outer}) items = item_list_append(items, item);
    Stmt* server = stmt_server(s("server"), s("api"), field_list_empty(), items, s("server"));
    EXPECT_EQ(server->kind, STMT_SERVER);
    EXPECT_EQ(server->server.options.count, 0u);
    EXPECT_EQ(server->server.items.count, 4u);
    EXPECT_STREQ(server->server.end_word, "server");
    stmt_free(server);
}

}  // namespace
