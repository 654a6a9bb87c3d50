#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/ast/tree_builders.h"

using namespace tree;

namespace {

// Dumps the expression at `depth`, frees it, and returns the text.
std::string dumped(Expr* e, int depth = 0) {
    std::string text = capture([&](FILE* out) { dump_expr(out, e, depth); });
    expr_free(e);
    return text;
}

struct ExprGolden {
    const char* name;
    std::function<Expr*()> build;
    int depth;
    const char* expected;
};

ModifierRef qualified(const char* qualifier, const char* name, ExprList args) {
    ModifierRef ref = modifier_ref_make(s(name), args);
    ref.qualifier = qualifier != nullptr ? s(qualifier) : nullptr;
    return ref;
}

TEST(DumpExprTest, GoldenOutputPerKind) {
    const ExprGolden cases[] = {
        {"null", [] { return nullptr; }, 2, "    (null)\n"},
        {"integer", [] { return num(42); }, 0, "Number 42\n"},
        {"fraction", [] { return expr_number(0.1 + 0.2, 0, 0); }, 0, "Number 0.3\n"},
        {"six significant digits", [] { return expr_number(1234567.0, 1234567, 1); }, 0,
         "Number 1.23457e+06\n"},
        {"string unescaped", [] { return expr_string(s("a \"q\"\tb")); }, 1, "  String \"a \"q\"\tb\"\n"},
        {"identifier", [] { return id("total"); }, 0, "Identifier total\n"},
        {"true", [] { return expr_boolean(1); }, 0, "Boolean true\n"},
        {"false", [] { return expr_boolean(0); }, 0, "Boolean false\n"},
        {"nothing", [] { return expr_nothing(); }, 0, "Nothing\n"},
        {"unknown", [] { return expr_unknown(); }, 0, "Unknown\n"},
        {"empty array", [] { return expr_array(expr_list_empty()); }, 0, "Array\n"},
        {"array", [] { return expr_array(exprs({num(1), nullptr})); }, 1,
         "  Array\n"
         "    Number 1\n"
         "    (null)\n"},
        {"record field without policy", [] {
             return expr_record(field_list_append(field_list_empty(), s("a"), num(1)));
         }, 0,
         "Record\n"
         "  Field a\n"
         "    Number 1\n"},
        {"record policies", [] {
             RecordFieldList f = field_list_append_policy(field_list_empty(), s("l"), id("x"), FIELD_LINK, nullptr);
             f = field_list_append_policy(f, s("r"), id("y"), FIELD_RESET, num(0));
             f = field_list_append_policy(f, s("bare"), id("z"), FIELD_RESET, nullptr);
             f = field_list_append_policy(f, s("e"), id("w"), FIELD_EXCLUDE, nullptr);
             return expr_record(f);
         }, 1,
         "  Record\n"
         "    Field l (link)\n"
         "      Identifier x\n"
         "    Field r (reset)\n"
         "      ResetValue\n"
         "        Number 0\n"
         "      Identifier y\n"
         "    Field bare (reset)\n"
         "      Identifier z\n"
         "    Field e (exclude)\n"
         "      Identifier w\n"},
        {"duration", [] { return expr_duration(Duration{1, 2, 3, 4, 5, 6, 7}); }, 0,
         "Duration years=1 months=2 weeks=3 days=4 hours=5 minutes=6 seconds=7\n"},
        {"index", [] { return expr_index(id("list"), num(0)); }, 0,
         "Index\n"
         "  Array\n"
         "    Identifier list\n"
         "  Subscript\n"
         "    Number 0\n"},
        {"field access", [] { return expr_field_access(id("user"), s("name")); }, 0,
         "FieldAccess name\n"
         "  Identifier user\n"},
        {"plain call", [] { return expr_call(s("f"), exprs({num(1), num(2)})); }, 0,
         "Call f\n"
         "  Number 1\n"
         "  Number 2\n"},
        {"qualified call", [] { return expr_qualified_call(s("lib"), s("f"), expr_list_empty()); }, 0,
         "Call lib.f\n"},
        {"method call", [] { return expr_method_call(id("obj"), s("go"), exprs({num(1)})); }, 0,
         "MethodCall .go\n"
         "  Identifier obj\n"
         "  Number 1\n"},
        {"binary", [] { return expr_binary(s("+"), modifier_ref_empty(), num(1), num(2)); }, 0,
         "Binary +\n"
         "  Number 1\n"
         "  Number 2\n"},
        {"binary with qualified lens", [] {
             return expr_binary(s(">="), qualified("units", "metres", exprs({num(3)})), id("a"), id("b"));
         }, 0,
         "Binary >= modifier(units.metres)\n"
         "  Number 3\n"
         "  Identifier a\n"
         "  Identifier b\n"},
        {"binary with lens chain shows only the first", [] {
             return expr_binary(s("="), modifier_chain(3, nullptr), id("a"), id("b"));
         }, 0,
         "Binary = modifier(m1)\n"
         "  Number 1\n"
         "  Identifier a\n"
         "  Identifier b\n"},
        {"binary with qualifier but no name", [] {
             ModifierRef odd = modifier_ref_empty();
             odd.qualifier = s("q");
             return expr_binary(s("<"), odd, num(1), num(2));
         }, 0,
         "Binary <\n"
         "  Number 1\n"
         "  Number 2\n"},
        {"unary", [] { return expr_unary(s("not"), expr_boolean(1)); }, 0,
         "Unary not\n"
         "  Boolean true\n"},
        {"new without with", [] { return expr_new_object(id("base"), nullptr); }, 0,
         "New\n"
         "  Prototype\n"
         "    Identifier base\n"},
        {"new with record", [] {
             return expr_new_object(id("base"), expr_record(field_list_append(field_list_empty(), s("a"), num(1))));
         }, 1,
         "  New\n"
         "    Prototype\n"
         "      Identifier base\n"
         "    With\n"
         "      Record\n"
         "        Field a\n"
         "          Number 1\n"},
        {"spawn", [] { return expr_spawn(s("worker"), exprs({expr_string(s("job"))})); }, 0,
         "Spawn worker\n"
         "  String \"job\"\n"},
        {"modifier apply", [] {
             return expr_modifier_apply(qualified("fmt", "upper", expr_list_empty()), id("name"));
         }, 0,
         "ModifierApply upper\n"
         "  Identifier name\n"},
    };
    for (const ExprGolden& c : cases) {
        EXPECT_EQ(dumped(c.build(), c.depth), c.expected) << c.name;
    }
}

TEST(DumpExprTest, LongOperatorChainPrintsEveryLevel) {
    const int depth = 3000;
    Expr* chain = num(0);
    for (int i = 1; i <= depth; i++) chain = expr_binary(s("+"), modifier_ref_empty(), chain, num(i));
    std::string text = dumped(chain);

    // Lines 0..depth-1 are the left spine, "Binary +" at indentation k; then
    // the innermost operands 0 and 1 at the bottom; after that each right
    // operand follows its left subtree, climbing back up to "Number depth".
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        ASSERT_NE(end, std::string::npos);
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    ASSERT_EQ(lines.size(), static_cast<size_t>(2 * depth + 1));
    for (int k = 0; k < depth; k++) {
        ASSERT_EQ(lines[k], std::string(2 * k, ' ') + "Binary +") << "spine line " << k;
    }
    EXPECT_EQ(lines[depth], std::string(2 * depth, ' ') + "Number 0");
    for (int i = 1; i <= depth; i++) {
        ASSERT_EQ(lines[depth + i], std::string(2 * (depth - i + 1), ' ') + "Number " + std::to_string(i));
    }
}

}  // namespace
