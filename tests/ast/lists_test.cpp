#include <gtest/gtest.h>

#include <vector>

#include "tests/ast/tree_builders.h"

using namespace tree;

namespace {

struct RequiredCase {
    const char* shape;
    std::vector<bool> has_default;  // per entry, in order
    size_t required;
};

TEST(ParamListTest, RequiredCountsOnlyTheLeadingRunWithoutDefaults) {
    const RequiredCase cases[] = {
        {"()", {}, 0},
        {"(a)", {false}, 1},
        {"(a, b)", {false, false}, 2},
        {"(a, b = 1, c)", {false, true, false}, 1},
        {"(a = 1, b)", {true, false}, 0},
        {"(a = 1)", {true}, 0},
        {"(a, b, c = 1, d = 2)", {false, false, true, true}, 2},
    };
    for (const RequiredCase& c : cases) {
        ParamList list = param_list_empty();
        for (size_t i = 0; i < c.has_default.size(); i++) {
            std::string name = "p" + std::to_string(i);
            list = c.has_default[i] ? param_list_append_default(list, s(name.c_str()), num(1))
                                    : param_list_append(list, s(name.c_str()));
        }
        EXPECT_EQ(list.count, c.has_default.size()) << c.shape;
        EXPECT_EQ(list.required, c.required) << c.shape;
        for (size_t i = 0; i < list.count; i++) {
            EXPECT_EQ(list.defaults[i] != nullptr, c.has_default[i]) << c.shape << " entry " << i;
            EXPECT_EQ(list.names[i], "p" + std::to_string(i)) << c.shape;
        }
        param_list_free(list);
    }
}

TEST(ParamListTest, PlainStringListsGrowBothArraysAndStayFullyRequired) {
    // Watch targets and directive values are names with no defaults at all.
    ParamList targets = names({"user.name", "user.mail", "cart"});
    ASSERT_NE(targets.defaults, nullptr);
    for (size_t i = 0; i < targets.count; i++) EXPECT_EQ(targets.defaults[i], nullptr);
    EXPECT_EQ(targets.count, 3u);
    EXPECT_EQ(targets.required, targets.count);
    EXPECT_STREQ(targets.names[1], "user.mail");
    param_list_free(targets);
}

TEST(ListTest, AppendKeepsOrderAndCountsFromEmpty) {
    ExprList list = expr_list_empty();
    EXPECT_EQ(list.items, nullptr);
    EXPECT_EQ(list.count, 0u);
    Expr* first = num(1);
    list = expr_list_append(list, first);
    ASSERT_NE(list.items, nullptr);
    ASSERT_EQ(list.count, 1u);
    EXPECT_EQ(list.items[0], first);
    Expr* second = num(2);
    list = expr_list_append(list, second);
    ASSERT_EQ(list.count, 2u);
    EXPECT_EQ(list.items[0], first);
    EXPECT_EQ(list.items[1], second);
    expr_list_free(list);

    StmtList block = stmt_list_append(stmt_list_empty(), nullptr);  // kept as given
    block = stmt_list_append(block, stmt_label(s("top")));
    ASSERT_EQ(block.count, 2u);
    EXPECT_EQ(block.items[0], nullptr);
    EXPECT_EQ(block.items[1]->kind, STMT_LABEL);
    stmt_list_free(block);
}

TEST(ListTest, FieldAppendDefaultsToCopyWithoutResetValue) {
    RecordFieldList fields = field_list_append(field_list_empty(), s("a"), num(1));
    Expr* reset = num(0);
    fields = field_list_append_policy(fields, s("b"), num(2), FIELD_RESET, reset);
    fields = field_list_append_policy(fields, s("c"), num(3), FIELD_EXCLUDE, nullptr);
    ASSERT_EQ(fields.count, 3u);
    EXPECT_STREQ(fields.items[0].name, "a");
    EXPECT_EQ(fields.items[0].policy, FIELD_COPY);
    EXPECT_EQ(fields.items[0].reset_value, nullptr);
    EXPECT_EQ(fields.items[1].policy, FIELD_RESET);
    EXPECT_EQ(fields.items[1].reset_value, reset);
    EXPECT_EQ(fields.items[2].policy, FIELD_EXCLUDE);
    field_list_free(fields);
}

TEST(ListTest, BranchAndItemListsStoreEntriesInOrder) {
    ConsiderBranchList branches = branch_list_empty();
    branches = branch_list_append(branches, num(1), stmts({stmt_break(nullptr)}));
    branches = branch_list_append(branches, num(2), stmt_list_empty());
    ASSERT_EQ(branches.count, 2u);
    EXPECT_EQ(branches.items[0].match->number.value, 1);
    EXPECT_EQ(branches.items[0].body.count, 1u);
    EXPECT_EQ(branches.items[1].body.count, 0u);
    branch_list_free(branches);

    ServerItemList items = item_list_empty();
    items = item_list_append(items, item_hook(s("start"), stmt_list_empty(), 2, 3));
    items = item_list_append(items, item_directive(s("root"), names({"/srv"}), 4, 3));
    ASSERT_EQ(items.count, 2u);
    EXPECT_EQ(items.items[0]->kind, ITEM_HOOK);
    EXPECT_EQ(items.items[1]->kind, ITEM_DIRECTIVE);
    item_list_free(items);
}

TEST(ListTest, ModifierRefEmptyAndMake) {
    ModifierRef none = modifier_ref_empty();
    EXPECT_EQ(none.qualifier, nullptr);
    EXPECT_EQ(none.name, nullptr);
    EXPECT_EQ(none.args.items, nullptr);
    EXPECT_EQ(none.args.count, 0u);
    EXPECT_EQ(none.next, nullptr);

    ModifierRef made = modifier_ref_make(s("rounded"), exprs({num(2)}));
    EXPECT_EQ(made.qualifier, nullptr);
    EXPECT_STREQ(made.name, "rounded");
    EXPECT_EQ(made.args.count, 1u);
    EXPECT_EQ(made.next, nullptr);
    modifier_ref_free(made);
}

}  // namespace

// Long lists must not be copied on every append: with exact-size blocks a
// list of n entries moves O(n) times whenever the block cannot grow in place
// (always, under the address sanitizer), which makes a long program quadratic.
TEST(ListTest, LongListsMoveOnlyALogarithmicNumberOfTimes) {
    constexpr size_t kEntries = 100000;
    StmtList list = stmt_list_empty();
    Stmt* const* previous = nullptr;
    int moves = 0;
    for (size_t i = 0; i < kEntries; i++) {
        list = stmt_list_append(list, nullptr);
        if (list.items != previous) moves++;
        previous = list.items;
    }
    ASSERT_EQ(list.count, kEntries);
    EXPECT_LE(moves, 40);
    free(list.items);
}
