#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/nesting_walk.h"
#include "tests/check/check_fixture.h"

namespace {

using namespace check_test;

Expr* cond() {
    return boolean(true);
}

// A well-formed server statement at `line` (so any finding comes from where
// it stands, not from its contents).
Stmt* good_server(int32_t line, const char* name = "inner") {
    return server(name, options_of({{"port", num(80)}}), {}, line);
}

std::string nested(const char* context) {
    return std::string("a server block cannot be declared inside ") + context;
}

StmtList one(Stmt* stmt) {
    return stmts({stmt});
}

RecordFieldList host_option() {
    return options_of({{"host", str("h")}});
}

Stmt* if_else(StmtList then_body, StmtList else_body, int32_t line) {
    Stmt* stmt = at(stmt_if(cond(), then_body), line);
    stmt->if_stmt.else_body = else_body;
    return stmt;
}

struct NestCase {
    const char* name;
    StmtList program;
    std::vector<Finding> expected;
};

TEST(NestingWalk, ContextPhrases) {
    const std::vector<NestCase> cases = {
        {"function, through an if inside a loop",
         one(at(stmt_function(
                    dup("f"), {},
                    one(at(stmt_while(cond(), one(if_else(one(good_server(4)), {}, 3))), 2))),
                1)),
         {{nested("a function"), 4, 1}}},
        {"modifier",
         one(at(stmt_modifier(dup("m"), {}, dup("x"), 0, one(good_server(2))), 1)),
         {{nested("a modifier"), 2, 1}}},
        {"library",
         one(at(stmt_library(dup("l"), one(good_server(2))), 1)),
         {{nested("a library"), 2, 1}}},
        {"top-level while",
         one(at(stmt_while(cond(), one(good_server(2))), 1)),
         {{nested("a loop"), 2, 1}}},
        {"do loop",
         one(at(stmt_do_loop(one(good_server(2)), cond()), 1)),
         {{nested("a loop"), 2, 1}}},
        {"for each",
         one(at(stmt_for_each(dup("x"), nullptr, ident("xs"), one(good_server(2))), 1)),
         {{nested("a loop"), 2, 1}}},
        {"for range",
         one(at(stmt_for_range(dup("i"), num(1), num(2), nullptr, one(good_server(2))), 1)),
         {{nested("a loop"), 2, 1}}},
        {"watch",
         one(at(stmt_watch(nullptr, {}, one(good_server(2))), 1)),
         {{nested("a watch body"), 2, 1}}},
        {"without watchers",
         one(at(stmt_without_watchers(one(good_server(2))), 1)),
         {{nested("a watch body"), 2, 1}}},
        {"lock",
         one(at(stmt_with_lock(ident("r"), one(good_server(2))), 1)),
         {{nested("a lock body"), 2, 1}}},
        {"principal",
         one(at(stmt_with_principal(ident("p"), one(good_server(2))), 1)),
         {{nested("a principal body"), 2, 1}}},
        {"if then and else",
         one(if_else(one(good_server(2)), one(good_server(4)), 1)),
         {{nested("a branch"), 2, 1}, {nested("a branch"), 4, 1}}},
        {"consider branches, then else",
         one(at(stmt_consider(ident("x"),
                              branch_list_append(branch_list_append(branch_list_empty(), num(1),
                                                                    one(good_server(3))),
                                                 num(2), one(good_server(5))),
                              one(good_server(7))),
                1)),
         {{nested("a branch"), 3, 1}, {nested("a branch"), 5, 1}, {nested("a branch"), 7, 1}}},
        {"the innermost function names the place",
         one(at(stmt_while(cond(),
                           one(at(stmt_library(
                                      dup("l"),
                                      one(at(stmt_with_lock(ident("r"), one(good_server(4))), 3))),
                                  2))),
                1)),
         {{nested("a library"), 4, 1}}},
        {"lock and principal inside a function keep the function",
         one(at(stmt_function(dup("f"), {},
                              stmts({at(stmt_with_lock(ident("r"), one(good_server(3))), 2),
                                     at(stmt_with_principal(ident("p"), one(good_server(5))), 4)})),
                1)),
         {{nested("a function"), 3, 1}, {nested("a function"), 5, 1}}},
        {"a program block inside a loop is not top level",
         one(at(
             stmt_while(cond(), one(at(stmt_program_block(dup("p"), {}, one(good_server(3))), 2))),
             1)),
         {{nested("a loop"), 3, 1}}},
        {"handler and hook bodies, the sites' included",
         one(server("s", {},
                    {handler("get", "/a", 2, 1, nullptr, one(good_server(3))),
                     hook("drain", 5, one(good_server(6))),
                     site("w", host_option(),
                          {handler("get", "/b", 9, 1, nullptr, one(good_server(10)))}, 8)},
                    1)),
         {{nested("a handler"), 3, 1}, {nested("a handler"), 6, 1}, {nested("a handler"), 10, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(check_tree(c.program), c.expected);
    }
}

TEST(NestingWalk, ProgramBlocksAreTopLevel) {
    auto found = check_tree(stmts({
        at(stmt_program_block(
               dup("main"), {},
               stmts({good_server(2, "s"),
                      at(stmt_program_block(dup("inner"), {}, one(good_server(4, "s"))), 3)})),
           1),
        good_server(6, "s"),
    }));
    std::vector<Finding> expected = {{"server 's' declared twice", 4, 1},
                                     {"server 's' declared twice", 6, 1},
                                     {"server 's' declared twice", 6, 1}};
    EXPECT_EQ(found, expected);
}

TEST(NestingWalk, NestedServersAreNeitherExaminedNorRegistered) {
    Stmt* bad_nested = server("s", options_of({{"colour", num(1)}}), {handler("fetch", "x", 3)}, 2);
    auto found = check_tree(
        stmts({at(stmt_function(dup("f"), {}, one(bad_nested)), 1), good_server(5, "s")}));
    std::vector<Finding> expected = {{nested("a function"), 2, 1}};
    EXPECT_EQ(found, expected);
}

TEST(NestingWalk, FindingsFollowSourceOrder) {
    // The server's own findings come before those of its handler bodies, and
    // a body is finished before the next top-level statement.
    auto found = check_tree(stmts({
        server("s", {},
               {handler("get", "/a", 2, 1, nullptr, one(good_server(3))), directive("x", {"y"}, 5)},
               1),
        if_else(one(at(stmt_while(cond(), one(good_server(8))), 7)), one(good_server(10)), 6),
        at(stmt_while(cond(), one(good_server(12))), 11),
    }));
    std::vector<Finding> expected = {
        {"server 's': unknown directive 'x' (root, trust_proxy)", 5, 5},
        {nested("a handler"), 3, 1},
        {nested("a branch"), 8, 1},
        {nested("a branch"), 10, 1},
        {nested("a loop"), 12, 1},
    };
    EXPECT_EQ(found, expected);
}

TEST(NestingWalk, UnknownBlockHandlersAreStillWalked) {
    auto found = check_tree(one(
        server("greet", {}, {handler("get", "/", 2, 1, nullptr, one(good_server(3)))}, 1, "sub")));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[1], (Finding{nested("a handler"), 3, 1}));
}

TEST(NestingWalk, CheckNestedAloneUsesTheGivenPhrase) {
    StmtList body = stmts({at(stmt_while(cond(), one(good_server(2))), 1), good_server(3)});
    DiagnosticList list;
    diag_list_init(&list);
    DiagReporter reporter{&list, "doc.tv", 0};
    check_nested(&reporter, body, "a handler");
    std::vector<Finding> expected = {{nested("a handler"), 2, 1}, {nested("a handler"), 3, 1}};
    EXPECT_EQ(findings_of(&list), expected);
    EXPECT_EQ(reporter.count, 2);
    diag_list_free(&list);
    stmt_list_free(body);
}

// Blocks may nest as deeply as the parser allows; the walk must not use the
// call stack for that depth.
TEST(NestingWalk, VeryDeepNestingDoesNotExhaustTheStack) {
    const int depth = 200000;
    StmtList body = one(good_server(depth + 1));
    for (int level = depth; level >= 1; --level) {
        Stmt* stmt = level % 2 == 0 ? at(stmt_while(cond(), body), level)
                                    : if_else({nullptr, 0}, body, level);
        body = one(stmt);
    }
    auto found = check_tree(body);
    std::vector<Finding> expected = {{nested("a branch"), depth + 1, 1}};
    EXPECT_EQ(found, expected);
}

} // namespace
