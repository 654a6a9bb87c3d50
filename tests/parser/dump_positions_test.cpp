// Where the parser places expressions and statements. The dump does not show
// positions, so these are checked on the tree itself.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/parser/dump_support.h"

namespace {

using Pick = std::function<const Expr*(const ParsedProgram&)>;

struct PlacedCase {
    const char* name;
    const char* source;
    Pick pick;
    ExprKind kind;
    int32_t line;
    int32_t column;
};

const Expr* value0(const ParsedProgram& p) { return p.assigned(0); }
const Expr* target0(const ParsedProgram& p) {
    return p.at(0) && p.at(0)->kind == STMT_ASSIGN ? p.at(0)->assign.target : nullptr;
}
const Expr* call0(const ParsedProgram& p) {
    return p.at(0) && p.at(0)->kind == STMT_EXPRESSION ? p.at(0)->expression.expr : nullptr;
}
const Expr* default0(const ParsedProgram& p) {
    return p.at(0) ? p.at(0)->function.params.defaults[0] : nullptr;
}
const Expr* receiver(const Expr* e) {
    return e && e->kind == EXPR_CALL ? e->call.receiver : nullptr;
}
const Expr* object(const Expr* e) {
    return e && e->kind == EXPR_FIELD_ACCESS ? e->field_access.object : nullptr;
}
const Expr* index_target(const Expr* e) { return e && e->kind == EXPR_INDEX ? e->index.target : nullptr; }

const PlacedCase kPlaced[] = {
    {"binary at its operator", "x = a + b\n", value0, EXPR_BINARY, 1, 7},
    {"binary on a later line", "\n  x = a or b\n", value0, EXPR_BINARY, 2, 9},
    {"comparison with lens at the operator", "x = a {approx} = b\n", value0, EXPR_BINARY, 1, 16},
    {"parentheses keep the inner position", "x = (a + b)\n", value0, EXPR_BINARY, 1, 8},
    {"not at the keyword", "x = not a\n", value0, EXPR_UNARY, 1, 5},
    {"minus at the sign", "x = -a\n", value0, EXPR_UNARY, 1, 5},
    {"modifier prefix at its brace", "x = {scale} y\n", value0, EXPR_MODIFIER_APPLY, 1, 5},
    {"new at the keyword", "x = new a with {b: 1}\n", value0, EXPR_NEW, 1, 5},
    {"spawn at the keyword", "x = spawn w()\n", value0, EXPR_SPAWN, 1, 5},
    {"index at the bracket", "x = a[1]\n", value0, EXPR_INDEX, 1, 6},
    {"postfix field at its dot", "x = a[1].b\n", value0, EXPR_FIELD_ACCESS, 1, 9},
    {"postfix method at its dot", "x = a[1].m(2)\n", value0, EXPR_CALL, 1, 9},
    {"postfix qualified method at its dot", "x = a[1].b.c(2)\n", value0, EXPR_CALL, 1, 9},
    {"field inside postfix qualified method", "x = a[1].b.c(2)\n",
     [](const ParsedProgram& p) { return receiver(p.assigned(0)); }, EXPR_FIELD_ACCESS, 1, 9},
    {"call through a suffix at the name", "x = a(1)\n", value0, EXPR_CALL, 1, 5},
    {"field through a suffix at the dot", "x = a.b\n", value0, EXPR_FIELD_ACCESS, 1, 6},
    {"name under a field suffix", "x = a.b\n",
     [](const ParsedProgram& p) { return object(p.assigned(0)); }, EXPR_IDENTIFIER, 1, 5},
    {"qualified call through a suffix at the dot", "x = a .b(1)\n", value0, EXPR_CALL, 1, 7},
    {"method suffix at the first dot", "x = a.b.c(1)\n", value0, EXPR_CALL, 1, 6},
    {"field under a method suffix", "x = a.b.c(1)\n",
     [](const ParsedProgram& p) { return receiver(p.assigned(0)); }, EXPR_FIELD_ACCESS, 1, 6},
    {"name under a method suffix", "x = a.b.c(1)\n",
     [](const ParsedProgram& p) { return object(receiver(p.assigned(0))); }, EXPR_IDENTIFIER, 1, 5},
    {"second dot is a postfix field", "x = a.b.c\n", value0, EXPR_FIELD_ACCESS, 1, 8},
    {"qualified identifier call at its token", "x = a.b(1)\n", value0, EXPR_CALL, 1, 5},
    {"duration at its first number", "x = 2 days 3 hours\n", value0, EXPR_DURATION, 1, 5},
    {"array at its bracket", "x = [1]\n", value0, EXPR_ARRAY, 1, 5},
    {"record at its brace", "x = {a: 1}\n", value0, EXPR_RECORD, 1, 5},
    {"error as a value", "x = error\n", value0, EXPR_IDENTIFIER, 1, 5},
    {"watchers call", "x = watchers()\n", value0, EXPR_CALL, 1, 5},
    {"string literal", "x = \"s\"\n", value0, EXPR_STRING, 1, 5},
    {"assignment target index", "a.b[1] = 2\n", target0, EXPR_INDEX, 1, 4},
    {"assignment target field", "a.b[1] = 2\n",
     [](const ParsedProgram& p) { return index_target(target0(p)); }, EXPR_FIELD_ACCESS, 1, 2},
    {"assignment target name", "end = 2\n", target0, EXPR_IDENTIFIER, 1, 1},
    {"plain call statement is not placed", "f(1)\n", call0, EXPR_CALL, 0, 0},
    {"qualified call statement is not placed", "math.sqrt(2)\n", call0, EXPR_CALL, 0, 0},
    {"error call statement is not placed", "error.raise(1)\n", call0, EXPR_CALL, 0, 0},
    {"method call statement at its dot", "obj .run(1)\n", call0, EXPR_CALL, 1, 5},
    {"qualified method call statement at its dot", "a.b.c(1)\n", call0, EXPR_CALL, 1, 2},
    {"field under a qualified method call statement", "a.b.c(1)\n",
     [](const ParsedProgram& p) { return receiver(call0(p)); }, EXPR_FIELD_ACCESS, 1, 2},
    {"negative default at its sign", "function f(a = -2)\nend function\n",
     default0, EXPR_NUMBER, 1, 16},
    {"signed default at its sign", "function f(a = +2)\nend function\n",
     default0, EXPR_NUMBER, 1, 16},
};

TEST(DumpPositions, ExpressionsStandAtTheirLocatingToken) {
    for (const PlacedCase& c : kPlaced) {
        ParsedProgram parsed(c.source);
        ASSERT_TRUE(parsed.ok) << c.name << "\n" << parsed.why;
        const Expr* e = c.pick(parsed);
        ASSERT_NE(e, nullptr) << c.name;
        EXPECT_EQ(e->kind, c.kind) << c.name;
        EXPECT_EQ(e->line, c.line) << c.name;
        EXPECT_EQ(e->column, c.column) << c.name;
    }
}

struct SpanCase {
    const char* name;
    const char* source;
    std::function<const Stmt*(const ParsedProgram&)> pick;
    SourceSpan span;
};

const Stmt* first(const ParsedProgram& p) { return p.at(0); }
const Stmt* first_else(const ParsedProgram& p) {
    const Stmt* s = p.at(0);
    return s && s->kind == STMT_IF && s->if_stmt.else_body.count ? s->if_stmt.else_body.items[0]
                                                                 : nullptr;
}
const Stmt* first_body(const ParsedProgram& p) {
    const Stmt* s = p.at(0);
    if (!s) return nullptr;
    const StmtList* body = nullptr;
    if (s->kind == STMT_WHILE) body = &s->while_stmt.body;
    if (s->kind == STMT_IF) body = &s->if_stmt.then_body;
    if (s->kind == STMT_CONSIDER && s->consider.branches.count) body = &s->consider.branches.items[0].body;
    return body && body->count ? body->items[0] : nullptr;
}

const SpanCase kSpans[] = {
    {"simple statement ends before its line break", "x = 1\n", first, {1, 1, 1, 6}},
    {"second statement", "x = 1\n  print 22\n",
     [](const ParsedProgram& p) { return p.at(1); }, {2, 3, 2, 11}},
    {"block ends after its closing line break", "while a\n  x = 1\nend while\n", first,
     {1, 1, 3, 11}},
    {"statement inside a block", "while a\n  x = 1\nend while\n", first_body, {2, 3, 2, 8}},
    {"inline if runs to its line break", "if a then x = 1\n", first, {1, 1, 1, 17}},
    {"statement after then", "if a then x = 1\n", first_body, {1, 11, 1, 16}},
    {"else if spans only its if word", "if a then\n  x = 1\nelse if b then\n  y = 2\nend if\n",
     first_else, {3, 6, 3, 8}},
    {"whole else-if chain", "if a then\n  x = 1\nelse if b then\n  y = 2\nend if\n", first,
     {1, 1, 5, 8}},
    {"inline else if spans only its if word", "if a then x = 1\nelse if b then y = 2\n",
     first_else, {2, 6, 2, 8}},
    {"consider branch statement", "consider a\nif 1 then\n  print 1\nend consider\n", first_body,
     {3, 3, 3, 10}},
    {"server block", "server s()\nend server\n", first, {1, 1, 2, 12}},
};

TEST(DumpPositions, StatementsSpanTheirSyntax) {
    for (const SpanCase& c : kSpans) {
        ParsedProgram parsed(c.source);
        ASSERT_TRUE(parsed.ok) << c.name << "\n" << parsed.why;
        const Stmt* s = c.pick(parsed);
        ASSERT_NE(s, nullptr) << c.name;
        EXPECT_EQ(s->span.start_line, c.span.start_line) << c.name;
        EXPECT_EQ(s->span.start_column, c.span.start_column) << c.name;
        EXPECT_EQ(s->span.end_line, c.span.end_line) << c.name;
        EXPECT_EQ(s->span.end_column, c.span.end_column) << c.name;
    }
}

TEST(DumpPositions, ServerItemsStandAtTheirFirstToken) {
    ParsedProgram parsed(
        "server s()\n"
        "  root \"a\"\n"
        "   get \"/\" ()\n"
        "   end get\n"
        "  web w()\n"
        "    on start\n"
        "    end on\n"
        "  end web\n"
        "end server\n");
    ASSERT_TRUE(parsed.ok) << parsed.why;
    const ServerItemList& items = parsed.at(0)->server.items;
    ASSERT_EQ(items.count, 3u);
    EXPECT_EQ(items.items[0]->line, 2);
    EXPECT_EQ(items.items[0]->column, 3);
    EXPECT_EQ(items.items[1]->line, 3);
    EXPECT_EQ(items.items[1]->column, 4);
    EXPECT_EQ(items.items[2]->line, 5);
    EXPECT_EQ(items.items[2]->column, 3);
    ASSERT_EQ(items.items[2]->items.count, 1u);
    EXPECT_EQ(items.items[2]->items.items[0]->line, 6);
    EXPECT_EQ(items.items[2]->items.items[0]->column, 5);
}

}  // namespace
