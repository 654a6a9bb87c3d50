// The action helpers on their own: lens text, dotted names, duration terms,
// operator hints and lens targets.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "parser/actions.h"

namespace {

std::string str(const char* text) { return text ? text : "(null)"; }

struct LensLink {
    const char* qualifier;
    const char* name;
};

struct LensCase {
    const char* text;
    std::vector<LensLink> links;
};

TEST(DumpHelpers, ParseLensSplitsAndQualifies) {
    const LensCase cases[] = {
        {"scale", {{nullptr, "scale"}}},
        {" scale ", {{nullptr, " scale "}}},
        {"ts.approx", {{"ts", "approx"}}},
        {"ts . approx", {{"ts", "approx"}}},
        {"  q.  n  ", {{"q", "n  "}}},
        {"a.b.c", {{"a", "b.c"}}},
        {".x", {{nullptr, ".x"}}},
        {"x.", {{nullptr, "x."}}},
        {" . ", {{nullptr, " . "}}},
        {"a; b", {{nullptr, "a"}, {nullptr, "b"}}},
        {" a ;  ts.b ;c ", {{nullptr, "a"}, {"ts", "b"}, {nullptr, "c "}}},
        {"a;", {{nullptr, "a"}, {nullptr, ""}}},
        {"\"x;y\"", {{nullptr, "\"x;y\""}}},
        {"\"x\\\";y\";z", {{nullptr, "\"x\\\";y\""}, {nullptr, "z"}}},
        {"f(\"a;b\"); g", {{nullptr, "f(\"a;b\")"}, {nullptr, "g"}}},
        {"\"open\\", {{nullptr, "\"open\\"}}},
    };
    for (const LensCase& c : cases) {
        ModifierRef ref = parse_lens(copy_string(c.text));
        const ModifierRef* link = &ref;
        for (const LensLink& expected : c.links) {
            ASSERT_NE(link, nullptr) << c.text;
            EXPECT_EQ(str(link->qualifier), str(expected.qualifier)) << c.text;
            EXPECT_EQ(str(link->name), str(expected.name)) << c.text;
            EXPECT_EQ(link->args.count, 0u) << c.text;
            link = link->next;
        }
        EXPECT_EQ(link, nullptr) << c.text;
        modifier_ref_free(ref);
    }
}

TEST(DumpHelpers, ParseLensHandlesVeryLongChains) {
    std::string text;
    const size_t parts = 200000;
    for (size_t i = 0; i < parts; ++i) text += i ? ";m" : "m";
    ModifierRef ref = parse_lens(copy_string(text.c_str()));
    size_t count = 0;
    for (const ModifierRef* link = &ref; link; link = link->next) ++count;
    EXPECT_EQ(count, parts);
    modifier_ref_free(ref);
}

TEST(DumpHelpers, SplitQualifiedName) {
    const struct {
        const char* text;
        const char* head;
        const char* tail;
    } cases[] = {{"a.b", "a", "b"}, {"cache.get.fresh", "cache", "get.fresh"}, {"plain", "plain", ""}};
    for (const auto& c : cases) {
        char* head = nullptr;
        char* tail = nullptr;
        split_qualified_name(copy_string(c.text), &head, &tail);
        EXPECT_EQ(str(head), c.head);
        EXPECT_EQ(str(tail), c.tail);
        std::free(head);
        std::free(tail);
    }
}

TEST(DumpHelpers, JoinWithSpaceAndDot) {
    char* spaced = join_with_space(copy_string("approximately"), copy_string("equal"));
    EXPECT_EQ(str(spaced), "approximately equal");
    char* dotted = join_with_dot(copy_string("a.b"), copy_string(""));
    EXPECT_EQ(str(dotted), "a.b.");
    std::free(spaced);
    std::free(dotted);
}

NumberValue number(double value) {
    NumberValue n;
    n.value = value;
    n.integer_value = 0;
    n.is_integer = 0;
    return n;
}

TEST(DumpHelpers, DurationTermsPickTheirCount) {
    const struct {
        const char* unit;
        int32_t Duration::*count;
    } units[] = {
        {"year", &Duration::years},     {"years", &Duration::years},
        {"month", &Duration::months},   {"months", &Duration::months},
        {"week", &Duration::weeks},     {"weeks", &Duration::weeks},
        {"day", &Duration::days},       {"days", &Duration::days},
        {"hour", &Duration::hours},     {"hours", &Duration::hours},
        {"minute", &Duration::minutes}, {"minutes", &Duration::minutes},
        {"second", &Duration::seconds}, {"seconds", &Duration::seconds},
    };
    for (const auto& u : units) {
        char* bad = nullptr;
        Duration d = add_duration_term(duration_zero(), number(3.9), copy_string(u.unit), &bad);
        EXPECT_EQ(bad, nullptr) << u.unit;
        EXPECT_EQ(d.*u.count, 3) << u.unit;
        int32_t total = d.years + d.months + d.weeks + d.days + d.hours + d.minutes + d.seconds;
        EXPECT_EQ(total, 3) << u.unit << " touched another count";
    }
}

TEST(DumpHelpers, DurationTermsTruncateAndHoldAtTheLimits) {
    const struct {
        double first;
        double second;
        int32_t days;
    } cases[] = {
        {1.9, 0, 1},
        {-1.5, 0, -1},
        {2, 3, 5},
        {1e12, 0, INT32_MAX},
        {-1e12, 0, INT32_MIN},
        {2147483647.0, 1, INT32_MAX},
        {-2147483648.0, -1, INT32_MIN},
    };
    for (const auto& c : cases) {
        char* bad = nullptr;
        Duration d = add_duration_term(duration_zero(), number(c.first), copy_string("days"), &bad);
        d = add_duration_term(d, number(c.second), copy_string("day"), &bad);
        EXPECT_EQ(bad, nullptr);
        EXPECT_EQ(d.days, c.days) << c.first << " + " << c.second;
    }
}

TEST(DumpHelpers, UnknownUnitsAreHandedBack) {
    char* bad = nullptr;
    Duration start = duration_zero();
    start.hours = 4;
    Duration d = add_duration_term(start, number(2), copy_string("Day"), &bad);
    EXPECT_EQ(str(bad), "Day");
    EXPECT_EQ(d.hours, 4);
    EXPECT_EQ(d.days, 0);
    // Only the first unknown unit is kept.
    d = add_duration_term(d, number(1), copy_string("fortnight"), &bad);
    EXPECT_EQ(str(bad), "Day");
    std::free(bad);
}

TEST(DumpHelpers, OperatorWordHints) {
    EXPECT_EQ(str(operator_word_hint("mod")), "the remainder is mod(a, b)");
    EXPECT_EQ(str(operator_word_hint("xor")), "bitwise XOR is bxor(a, b)");
    EXPECT_EQ(str(operator_word_hint("div")), "integer division is floor(a / b)");
    EXPECT_EQ(operator_word_hint("MOD"), nullptr);
    EXPECT_EQ(operator_word_hint("modulo"), nullptr);
    EXPECT_EQ(operator_word_hint(""), nullptr);
}

Expr* ident(const char* name) { return expr_identifier(copy_string(name)); }

TEST(DumpHelpers, ModifierTargets) {
    struct Case {
        const char* name;
        Expr* expr;
        int32_t expected;
    };
    Case cases[] = {
        {"identifier", ident("a"), 1},
        {"field of identifier", expr_field_access(ident("a"), copy_string("b")), 1},
        {"index of field", expr_index(expr_field_access(ident("a"), copy_string("b")),
                                      expr_number(1, 1, 1)),
         1},
        {"field of a call", expr_field_access(expr_call(copy_string("f"), expr_list_empty()),
                                              copy_string("b")),
         0},
        {"index of a number", expr_index(expr_number(1, 1, 1), ident("i")), 0},
        {"call", expr_call(copy_string("f"), expr_list_empty()), 0},
        {"string", expr_string(copy_string("s")), 0},
        {"null", nullptr, 0},
    };
    for (Case& c : cases) {
        EXPECT_EQ(is_modifier_target(c.expr), c.expected) << c.name;
        expr_free(c.expr);
    }

    Expr* deep = ident("root");
    for (int i = 0; i < 200000; ++i) {
        deep = (i % 2) ? expr_field_access(deep, copy_string("f"))
                       : expr_index(deep, expr_number(0, 0, 1));
    }
    EXPECT_EQ(is_modifier_target(deep), 1);
    expr_free(deep);
}

TEST(DumpHelpers, NegatingTheSmallestIntegerDropsIt) {
    NumberValue n;
    n.value = -9223372036854775808.0;
    n.integer_value = INT64_MIN;
    n.is_integer = 1;
    NumberValue negated = negate_number(n);
    EXPECT_EQ(negated.value, 9223372036854775808.0);
    EXPECT_EQ(negated.integer_value, 0);
    EXPECT_EQ(negated.is_integer, 0);
}

}  // namespace
