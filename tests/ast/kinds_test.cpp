#include <gtest/gtest.h>

#include <string>

#include "tests/ast/tree_builders.h"

using namespace tree;

// The kind numbers are part of the tree's contract (other subsystems store
// and compare them), and each kind prints under a fixed label. These tables
// tie the constructor, the number and the label together.
namespace {

std::string first_word(const std::string& line) {
    size_t end = line.find_first_of(" \n");
    return line.substr(0, end);
}

struct StmtKindCase {
    int32_t value;
    Stmt* (*build)();
    const char* label;
};

Stmt* warning_stmt() {
    // No syntax builds a warning statement; it shares the error statement's shape.
    Stmt* st = stmt_error(num(1));
    st->kind = STMT_WARNING;
    return st;
}

TEST(KindTableTest, StatementKindsHaveTheirNumbersAndLabels) {
    const StmtKindCase cases[] = {
        {0, [] { return stmt_assign(id("x"), modifier_ref_empty(), num(1)); }, "Assign"},
        {1, [] { return stmt_print(num(1)); }, "Print"},
        {1, [] { return stmt_print_to_error(num(1)); }, "PrintToError"},
        {2, [] { return stmt_expression(expr_call(s("f"), expr_list_empty())); }, "ExpressionStatement"},
        {3, [] { return stmt_with_lock(id("f"), stmt_list_empty()); }, "WithLock"},
        {4, [] { return stmt_with_principal(id("p"), stmt_list_empty()); }, "WithPrincipal"},
        {5, [] { return stmt_for_each(s("e"), nullptr, id("l"), stmt_list_empty()); }, "ForEach"},
        {6, [] { return stmt_for_range(s("i"), num(1), num(2), nullptr, stmt_list_empty()); }, "ForRange"},
        {7, [] { return stmt_function(s("f"), param_list_empty(), stmt_list_empty()); }, "Function"},
        {8, [] { return stmt_return(nullptr); }, "Return"},
        {9, [] { return stmt_label(s("l")); }, "Label"},
        {10, [] { return stmt_goto(s("l")); }, "Goto"},
        {11, [] { return stmt_gosub(s("l")); }, "Gosub"},
        {12, [] { return stmt_watch(nullptr, names({"a"}), stmt_list_empty()); }, "Watch"},
        {13, [] { return stmt_unwatch(id("w")); }, "Unwatch"},
        {14, [] { return stmt_without_watchers(stmt_list_empty()); }, "WithoutWatchers"},
        {15, [] { return stmt_on_error_goto(s("l")); }, "OnErrorGoto"},
        {16, [] { return stmt_on_error_goto_next(); }, "OnErrorGotoNext"},
        {17, [] { return stmt_on_warning(WARNING_MODE_PRINT); }, "OnWarning"},
        {18, warning_stmt, "Warning"},
        {19, [] { return stmt_on_error_stop(); }, "OnErrorStop"},
        {20, [] { return stmt_error(num(1)); }, "Error"},
        {21, [] { return stmt_modifier(s("m"), param_list_empty(), s("number"), 0, stmt_list_empty()); }, "Modifier"},
        {22, [] { return stmt_program_block(s("p"), param_list_empty(), stmt_list_empty()); }, "ProgramBlock"},
        {23, [] { return stmt_library(s("l"), stmt_list_empty()); }, "Library"},
        {24, [] { return stmt_use(s("u"), nullptr, nullptr); }, "Use"},
        {25, [] { return stmt_if(id("c"), stmt_list_empty()); }, "If"},
        {26, [] { return stmt_while(id("c"), stmt_list_empty()); }, "While"},
        {27, [] { return stmt_do_loop(stmt_list_empty(), id("c")); }, "DoLoop"},
        {28, [] { return stmt_consider(id("x"), branch_list_empty(), stmt_list_empty()); }, "Consider"},
        {29, [] { return stmt_break(nullptr); }, "Break"},
        {30, [] { return stmt_continue(nullptr); }, "Continue"},
        {31, [] { return stmt_server(s("server"), s("a"), field_list_empty(), item_list_empty(), s("server")); },
         "Server"},
    };
    for (const StmtKindCase& c : cases) {
        Stmt* st = c.build();
        EXPECT_EQ(static_cast<int32_t>(st->kind), c.value) << c.label;
        EXPECT_EQ(first_word(capture([&](FILE* out) { dump_stmt(out, st, 0); })), c.label) << c.value;
        stmt_free(st);
    }
}

struct ExprKindCase {
    int32_t value;
    Expr* (*build)();
    const char* label;
};

TEST(KindTableTest, ExpressionKindsHaveTheirNumbersAndLabels) {
    const ExprKindCase cases[] = {
        {0, [] { return num(1); }, "Number"},
        {1, [] { return expr_string(s("t")); }, "String"},
        {2, [] { return id("x"); }, "Identifier"},
        {3, [] { return expr_boolean(1); }, "Boolean"},
        {4, [] { return expr_nothing(); }, "Nothing"},
        {5, [] { return expr_unknown(); }, "Unknown"},
        {6, [] { return expr_array(expr_list_empty()); }, "Array"},
        {7, [] { return expr_record(field_list_empty()); }, "Record"},
        {8, [] { return expr_duration(Duration{0, 0, 0, 1, 0, 0, 0}); }, "Duration"},
        {9, [] { return expr_index(id("a"), num(0)); }, "Index"},
        {10, [] { return expr_field_access(id("a"), s("b")); }, "FieldAccess"},
        {11, [] { return expr_call(s("f"), expr_list_empty()); }, "Call"},
        {11, [] { return expr_qualified_call(s("q"), s("f"), expr_list_empty()); }, "Call"},
        {11, [] { return expr_method_call(id("o"), s("f"), expr_list_empty()); }, "MethodCall"},
        {12, [] { return expr_binary(s("+"), modifier_ref_empty(), num(1), num(2)); }, "Binary"},
        {13, [] { return expr_unary(s("-"), num(1)); }, "Unary"},
        {14, [] { return expr_new_object(id("p"), nullptr); }, "New"},
        {15, [] { return expr_spawn(s("w"), expr_list_empty()); }, "Spawn"},
        {16, [] { return expr_modifier_apply(modifier_ref_make(s("m"), expr_list_empty()), id("x")); },
         "ModifierApply"},
    };
    for (const ExprKindCase& c : cases) {
        Expr* e = c.build();
        EXPECT_EQ(static_cast<int32_t>(e->kind), c.value) << c.label;
        EXPECT_EQ(first_word(capture([&](FILE* out) { dump_expr(out, e, 0); })), c.label) << c.value;
        expr_free(e);
    }
}

struct ItemKindCase {
    int32_t value;
    ServerItem* (*build)();
    const char* label;
};

TEST(KindTableTest, ServerItemKindsHaveTheirNumbersAndLabels) {
    const ItemKindCase cases[] = {
        {0, [] { return item_directive(s("root"), names({"/srv"}), 1, 1); }, "Directive"},
        {1, [] { return item_handler(s("get"), s("/"), names({"r"}), stmt_list_empty(), s("get"), 1, 1); },
         "Handler"},
        {2, [] { return item_site(s("web"), s("w"), field_list_empty(), item_list_empty(), s("web"), 1, 1); },
         "Site"},
        {3, [] { return item_hook(s("start"), stmt_list_empty(), 1, 1); }, "Hook"},
    };
    for (const ItemKindCase& c : cases) {
        ServerItemList list = item_list_append(item_list_empty(), c.build());
        EXPECT_EQ(static_cast<int32_t>(list.items[0]->kind), c.value) << c.label;
        EXPECT_EQ(first_word(capture([&](FILE* out) { dump_items(out, list, 0); })), c.label) << c.value;
        item_list_free(list);
    }
}

// The on-warning statement prints its mode as a number, so the dump shows
// exactly the value each mode word maps to.
TEST(KindTableTest, WarningModesAndFieldPoliciesHaveTheirNumbers) {
    const struct {
        WarningMode mode;
        const char* dumped;
    } modes[] = {
        {WARNING_MODE_PRINT, "OnWarning 1\n"},
        {WARNING_MODE_IGNORE, "OnWarning 2\n"},
        {WARNING_MODE_GOTO_NEXT, "OnWarning 3\n"},
        {WARNING_MODE_STOP, "OnWarning 4\n"},
    };
    for (const auto& m : modes) {
        Stmt* st = stmt_on_warning(m.mode);
        EXPECT_EQ(capture([&](FILE* out) { dump_stmt(out, st, 0); }), m.dumped);
        stmt_free(st);
    }
    const struct {
        FieldPolicy policy;
        int32_t value;
    } policies[] = {{FIELD_COPY, 0}, {FIELD_LINK, 1}, {FIELD_RESET, 2}, {FIELD_EXCLUDE, 3}};
    for (const auto& p : policies) EXPECT_EQ(static_cast<int32_t>(p.policy), p.value);
}

}  // namespace
