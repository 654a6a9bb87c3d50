// Tree memory in a region: where blocks come from, how lists grow there,
// and that the tree's free operations leave region memory to the region
// while still freeing heap trees (the sanitizer build is the oracle for
// the frees: a wrong free of region memory or a leaked heap node fails it).

#include <gtest/gtest.h>

#include <cstring>

#include "ast/ast.h"

namespace {

// A region that is released when the test ends, whatever happens.
struct TestRegion {
    AstRegion region;
    TestRegion() { ast_region_init(&region); }
    ~TestRegion() { ast_region_release(&region); }
};

TEST(AstRegion, AllocationsComeFromTheInnermostScope) {
    TestRegion outer;
    TestRegion inner;
    void* heap = tree_alloc(16);
    EXPECT_FALSE(ast_region_owns(heap));
    EXPECT_EQ(ast_region_current(), nullptr);
    {
        AstRegionScope outer_scope(&outer.region);
        void* a = tree_alloc(16);
        EXPECT_TRUE(ast_region_owns(a));
        {
            AstRegionScope inner_scope(&inner.region);
            EXPECT_EQ(ast_region_current(), &inner.region);
            tree_alloc(24);
        }
        EXPECT_EQ(ast_region_current(), &outer.region);
        EXPECT_EQ(outer.region.used, 16u);
        EXPECT_EQ(inner.region.used, 24u);
    }
    EXPECT_EQ(ast_region_current(), nullptr);
    tree_free(heap);
}

TEST(AstRegion, BlocksAreAlignedZeroedAndCopied) {
    TestRegion r;
    AstRegionScope scope(&r.region);
    char* text = tree_copy_text("abc", 3);
    auto* node = static_cast<unsigned char*>(tree_alloc_zeroed(40));
    EXPECT_STREQ(text, "abc");
    EXPECT_EQ(reinterpret_cast<uintptr_t>(node) % 8, 0u);
    for (int i = 0; i < 40; ++i) EXPECT_EQ(node[i], 0) << i;
    // A request larger than any block so far gets a block of its own.
    auto* big = static_cast<char*>(tree_alloc(1 << 20));
    std::memset(big, 'x', 1 << 20);
    EXPECT_TRUE(ast_region_owns(big + (1 << 20) - 1));
}

TEST(AstRegion, TheNewestBlockGrowsInPlace) {
    TestRegion r;
    AstRegionScope scope(&r.region);
    auto* first = static_cast<char*>(tree_alloc(8));
    std::memcpy(first, "1234567", 8);
    auto* grown = static_cast<char*>(tree_resize(first, 8, 64));
    EXPECT_EQ(grown, first);
    tree_alloc(8);  // no longer the newest
    auto* moved = static_cast<char*>(tree_resize(grown, 64, 128));
    EXPECT_NE(moved, grown);
    EXPECT_STREQ(moved, "1234567");
}

TEST(AstRegion, ResetKeepsOneBlockAndStartsOver) {
    TestRegion r;
    {
        AstRegionScope scope(&r.region);
        for (int i = 0; i < 10000; ++i) tree_alloc(100);
    }
    EXPECT_GT(ast_region_block_count(&r.region), 1u);
    ast_region_reset(&r.region);
    EXPECT_EQ(r.region.used, 0u);
    EXPECT_EQ(ast_region_block_count(&r.region), 1u);
    AstRegionScope scope(&r.region);
    EXPECT_TRUE(ast_region_owns(tree_alloc(100)));
}

// Appending one at a time must not copy quadratically. A bump allocator
// never takes memory back, so quadratic copying would show as quadratic
// memory: n appends of 8-byte entries stay within a few times 8n bytes.
TEST(AstRegion, ListsGrowGeometrically) {
    TestRegion r;
    AstRegionScope scope(&r.region);
    constexpr size_t kCount = 100000;
    Expr* shared = expr_nothing();
    StmtList statements = stmt_list_empty();
    ExprList exprs = expr_list_empty();
    ParamList params = param_list_empty();
    size_t before = r.region.used;
    for (size_t i = 0; i < kCount; ++i) {
        exprs = expr_list_append(exprs, shared);
        statements = stmt_list_append(statements, nullptr);
    }
    size_t used = r.region.used - before;
    EXPECT_LE(used, 2 * 4 * kCount * sizeof(void*));
    for (size_t i = 0; i < 1000; ++i) params = param_list_append(params, tree_copy_text("p", 1));
    ASSERT_EQ(exprs.count, kCount);
    ASSERT_EQ(params.count, 1000u);
    for (size_t i = 0; i < kCount; ++i) ASSERT_EQ(exprs.items[i], shared) << i;
    EXPECT_STREQ(params.names[999], "p");
    EXPECT_EQ(params.required, 1000u);
}

// Freeing a region tree does nothing (memory stays readable until the
// region is reset); inside the same scope a heap tree is still freed.
TEST(AstRegion, FreeOperationsLeaveRegionTreesToTheRegion) {
    Stmt* heap_tree = stmt_print(expr_binary(tree_copy_text("+", 1), modifier_ref_empty(),
                                             expr_identifier(tree_copy_text("a", 1)),
                                             expr_number(1, 1, 1)));
    EXPECT_FALSE(ast_region_owns(heap_tree));
    TestRegion r;
    AstRegionScope scope(&r.region);
    Expr* region_expr = expr_identifier(tree_copy_text("kept", 4));
    StmtList region_list = stmt_list_append(stmt_list_empty(), stmt_print(region_expr));
    ModifierRef ref = modifier_ref_make(tree_copy_text("approx", 6), expr_list_empty());
    stmt_list_free(region_list);
    expr_free(region_expr);
    modifier_ref_free(ref);
    tree_free(ref.name);
    EXPECT_STREQ(region_expr->identifier.name, "kept");
    EXPECT_STREQ(ref.name, "approx");
    stmt_free(heap_tree);
}

}  // namespace
