// Tree fields that the dump leaves out: assignment operators, parameter
// defaults, numbers after a sign, lens chains, block options and closing
// words, use/load parts.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "tests/parser/dump_support.h"

namespace {

std::string str(const char* text) { return text ? text : "(null)"; }

TEST(DumpFields, AssignmentOperators) {
    const struct {
        const char* source;
        char op;
        const char* modifier;
    } cases[] = {
        {"x = 1\n", 0, nullptr},        {"x += 1\n", '+', nullptr},     {"x -= 1\n", '-', nullptr},
        {"x *= 1\n", '*', nullptr},     {"x /= 1\n", '/', nullptr},     {"x {s} = 1\n", 0, "s"},
        {"x {s} *= 1\n", '*', "s"},     {"x {f(2)} -= 1\n", '-', "f(2)"},
    };
    for (const auto& c : cases) {
        ParsedProgram parsed(c.source);
        ASSERT_TRUE(parsed.ok) << c.source << parsed.why;
        const Stmt* s = parsed.at(0);
        ASSERT_EQ(s->kind, STMT_ASSIGN) << c.source;
        EXPECT_EQ(s->assign.op, c.op) << c.source;
        EXPECT_EQ(str(s->assign.modifier.name), str(c.modifier)) << c.source;
        EXPECT_EQ(s->assign.modifier.qualifier, nullptr) << c.source;
    }
}

TEST(DumpFields, ParameterDefaultsAndRequiredCount) {
    ParsedProgram parsed(
        "function f(a, b = 1, c, d = \"s\", e = nothing, g = unknown, h = false)\nend function\n");
    ASSERT_TRUE(parsed.ok) << parsed.why;
    const ParamList& params = parsed.at(0)->function.params;
    ASSERT_EQ(params.count, 7u);
    EXPECT_EQ(params.required, 1u);
    const ExprKind kinds[] = {EXPR_NUMBER, EXPR_NUMBER, EXPR_NUMBER, EXPR_STRING,
                              EXPR_NOTHING, EXPR_UNKNOWN, EXPR_BOOLEAN};
    const bool has_default[] = {false, true, false, true, true, true, true};
    for (size_t i = 0; i < params.count; ++i) {
        if (!has_default[i]) {
            EXPECT_EQ(params.defaults[i], nullptr) << i;
            continue;
        }
        ASSERT_NE(params.defaults[i], nullptr) << i;
        EXPECT_EQ(params.defaults[i]->kind, kinds[i]) << i;
    }
    EXPECT_EQ(params.defaults[6]->boolean.value, 0);
}

TEST(DumpFields, SignedNumberDefaults) {
    const struct {
        const char* value_text;
        double value;
        int64_t integer_value;
        int32_t is_integer;
    } cases[] = {
        {"-2", -2.0, -2, 1},
        {"+2", 2.0, 2, 1},
        {"-1.5", -1.5, 0, 0},
        {"-9223372036854775807", -9223372036854775807.0, -INT64_MAX, 1},
        // Too large for an integer before the sign is applied: stays a double.
        {"-9223372036854775808", -9223372036854775808.0, 0, 0},
    };
    for (const auto& c : cases) {
        std::string source = std::string("function f(a = ") + c.value_text + ")\nend function\n";
        ParsedProgram parsed(source);
        ASSERT_TRUE(parsed.ok) << source << parsed.why;
        const Expr* d = parsed.at(0)->function.params.defaults[0];
        ASSERT_EQ(d->kind, EXPR_NUMBER) << c.value_text;
        EXPECT_EQ(d->number.value, c.value) << c.value_text;
        EXPECT_EQ(d->number.integer_value, c.integer_value) << c.value_text;
        EXPECT_EQ(d->number.is_integer, c.is_integer) << c.value_text;
    }
}

// The dump shows only the first reference of a lens; the chain is here.
TEST(DumpFields, LensChainsAndQualifiers) {
    ParsedProgram parsed("x = a {p; q.r ; s} = b\n");
    ASSERT_TRUE(parsed.ok) << parsed.why;
    const ModifierRef* ref = &parsed.assigned(0)->binary.modifier;
    const char* expected[][2] = {{nullptr, "p"}, {"q", "r"}, {nullptr, "s"}};
    for (const auto& link : expected) {
        ASSERT_NE(ref, nullptr);
        EXPECT_EQ(str(ref->qualifier), str(link[0]));
        EXPECT_EQ(str(ref->name), str(link[1]));
        EXPECT_EQ(ref->args.count, 0u);
        ref = ref->next;
    }
    EXPECT_EQ(ref, nullptr);
}

TEST(DumpFields, ServerBlockOptionsAndClosingWords) {
    ParsedProgram parsed(
        "server api(port: 80, host = \"h\")\n"
        "  get \"/a\" (id, page = 1)\n"
        "  end got\n"
        "  web main(host: \"x\")\n"
        "  end webb\n"
        "  on start\n"
        "  end on\n"
        "end srv\n");
    ASSERT_TRUE(parsed.ok) << parsed.why;
    const StmtServer& server = parsed.at(0)->server;
    EXPECT_EQ(str(server.keyword), "server");
    EXPECT_EQ(str(server.name), "api");
    EXPECT_EQ(str(server.end_word), "srv");
    ASSERT_EQ(server.options.count, 2u);
    EXPECT_EQ(str(server.options.items[0].name), "port");
    EXPECT_EQ(str(server.options.items[1].name), "host");
    EXPECT_EQ(server.options.items[1].value->kind, EXPR_STRING);
    ASSERT_EQ(server.items.count, 3u);

    const ServerItem* handler = server.items.items[0];
    EXPECT_EQ(handler->kind, ITEM_HANDLER);
    EXPECT_EQ(str(handler->word), "get");
    EXPECT_EQ(str(handler->path), "/a");
    EXPECT_EQ(str(handler->end_word), "got");
    EXPECT_EQ(handler->params.count, 2u);
    EXPECT_EQ(handler->params.required, 1u);

    const ServerItem* site = server.items.items[1];
    EXPECT_EQ(site->kind, ITEM_SITE);
    EXPECT_EQ(str(site->name), "main");
    EXPECT_EQ(str(site->end_word), "webb");
    ASSERT_EQ(site->options.count, 1u);
    EXPECT_EQ(str(site->options.items[0].name), "host");

    const ServerItem* hook = server.items.items[2];
    EXPECT_EQ(hook->kind, ITEM_HOOK);
    EXPECT_EQ(str(hook->word), "start");
    EXPECT_EQ(hook->end_word, nullptr);
    EXPECT_EQ(hook->path, nullptr);
}

TEST(DumpFields, UseAndLoadParts) {
    const struct {
        const char* source;
        const char* name;
        const char* from;
        const char* alias;
    } cases[] = {
        {"use json\n", "json", nullptr, nullptr},
        {"load \"a b.tov\"\n", "a b.tov", nullptr, nullptr},
        {"load json as j\n", "json", nullptr, "j"},
        {"use json from \"p\"\n", "json", "p", nullptr},
        {"load json from \"p\" as j\n", "json", "p", "j"},
    };
    for (const auto& c : cases) {
        ParsedProgram parsed(c.source);
        ASSERT_TRUE(parsed.ok) << c.source << parsed.why;
        const StmtUse& use = parsed.at(0)->use;
        EXPECT_EQ(str(use.name), str(c.name)) << c.source;
        EXPECT_EQ(str(use.from), str(c.from)) << c.source;
        EXPECT_EQ(str(use.alias), str(c.alias)) << c.source;
    }
}

TEST(DumpFields, WatchTargetsAndModifierHeads) {
    ParsedProgram parsed(
        "watch a.b, c\nend watch\n"
        "export modifier near to(t, u = 1) for number\nend modifier\n");
    ASSERT_TRUE(parsed.ok) << parsed.why;
    const ParamList& targets = parsed.at(0)->watch.targets;
    ASSERT_EQ(targets.count, 2u);
    EXPECT_EQ(targets.required, 2u);
    EXPECT_EQ(targets.defaults[0], nullptr);
    EXPECT_EQ(targets.defaults[1], nullptr);
    const StmtModifier& modifier = parsed.at(1)->modifier;
    EXPECT_EQ(str(modifier.name), "near to");
    EXPECT_EQ(str(modifier.context), "number");
    EXPECT_EQ(modifier.exported, 1);
    EXPECT_EQ(modifier.params.count, 2u);
    EXPECT_EQ(modifier.params.required, 1u);
}

TEST(DumpFields, NumbersAndDurationsKeepTheirValues) {
    ParsedProgram parsed("x = 0x1F\nx = 2.5e3\nx = -1.5 days\nx = 1e12 days 1e12 days\n");
    ASSERT_TRUE(parsed.ok) << parsed.why;
    EXPECT_EQ(parsed.assigned(0)->number.integer_value, 31);
    EXPECT_EQ(parsed.assigned(0)->number.is_integer, 1);
    EXPECT_EQ(parsed.assigned(1)->number.value, 2500.0);
    // `-1.5 days` is a minus applied to the duration of 1 day.
    ASSERT_EQ(parsed.assigned(2)->kind, EXPR_UNARY);
    EXPECT_EQ(parsed.assigned(2)->unary.operand->duration.duration.days, 1);
    // Counts beyond 32 bits are held at the limit rather than wrapped.
    EXPECT_EQ(parsed.assigned(3)->duration.duration.days, INT32_MAX);
}

}  // namespace

namespace {

// Names built from many parts must not cost time quadratic in their length.
TEST(DumpFields, LongModifierNamesAndWatchPathsAreBuiltWhole) {
    const size_t parts = 100000;
    std::string modifier = "modifier w";
    std::string watch = "watch w";
    for (size_t i = 1; i < parts; ++i) {
        modifier += " w";
        watch += ".w";
    }
    ParsedProgram parsed(modifier + " for x\nend modifier\n" + watch + "\nend watch\n");
    ASSERT_TRUE(parsed.ok) << parsed.why;
    const char* name = parsed.at(0)->modifier.name;
    ASSERT_EQ(std::strlen(name), 2 * parts - 1);
    EXPECT_EQ(std::string(name, 5), "w w w");
    ASSERT_EQ(parsed.at(1)->watch.targets.count, 1u);
    const char* path = parsed.at(1)->watch.targets.names[0];
    ASSERT_EQ(std::strlen(path), 2 * parts - 1);
    EXPECT_EQ(std::string(path + 2 * parts - 6), "w.w.w");
}

}  // namespace
