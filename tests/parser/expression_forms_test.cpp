// Expression actions seen through whole parses: which call form a dotted
// name becomes, how far a duration count can go, and the messages of the
// rejected expression constructs with their placement.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "tests/parser/dump_support.h"

namespace {

std::string str(const char* text) { return text ? text : "(null)"; }

const Expr* call_statement(const ParsedProgram& parsed) {
    const Stmt* stmt = parsed.at(0);
    return stmt && stmt->kind == STMT_EXPRESSION ? stmt->expression.expr : nullptr;
}

struct CallCase {
    const char* source;
    bool statement;          // the call stands alone on its line
    const char* qualifier;   // null when the call has none
    const char* name;
    bool has_receiver;
    int32_t line;
    int32_t column;
};

TEST(ExpressionForms, DottedNamesBecomeTheRightCall) {
    const CallCase cases[] = {
        // The lexer hands `obj.run` over as one qualified name when `(`
        // follows, so this is a qualified call, not a method call, and as a
        // statement it carries no position.
        {"obj.run(1)\n", true, "obj", "run", false, 0, 0},
        {"x = obj.run(1)\n", false, "obj", "run", false, 1, 5},
        // With a blank before the dot the name before it still qualifies.
        {"x = obj .run(1)\n", false, "obj", "run", false, 1, 9},
        // As a statement the blank turns it into a method call on obj.
        {"obj .run(1)\n", true, nullptr, "run", true, 1, 5},
        // A second dot after a blank is a postfix method call.
        {"x = a.b .c(1)\n", false, nullptr, "c", true, 1, 9},
        {"x = a.b.c(1)\n", false, nullptr, "c", true, 1, 6},
        // `error.` spelled in full, however short the member.
        {"error.x()\n", true, nullptr, "error.x", false, 0, 0},
        {"error.raise_now(1)\n", true, nullptr, "error.raise_now", false, 0, 0},
        {"x = watchers()\n", false, nullptr, "watchers", false, 1, 5},
    };
    for (const CallCase& c : cases) {
        ParsedProgram parsed(c.source);
        ASSERT_TRUE(parsed.ok) << c.source << parsed.why;
        const Expr* call = c.statement ? call_statement(parsed) : parsed.assigned(0);
        ASSERT_NE(call, nullptr) << c.source;
        ASSERT_EQ(call->kind, EXPR_CALL) << c.source;
        EXPECT_EQ(str(call->call.qualifier), str(c.qualifier)) << c.source;
        EXPECT_EQ(str(call->call.name), str(c.name)) << c.source;
        EXPECT_EQ(call->call.receiver != nullptr, c.has_receiver) << c.source;
        EXPECT_EQ(call->line, c.line) << c.source;
        EXPECT_EQ(call->column, c.column) << c.source;
    }
}

TEST(ExpressionForms, DurationCountsStayWithinTheirRange) {
    const struct {
        const char* source;
        int32_t days;
        int32_t hours;
    } cases[] = {
        {"x = 99999999999 days 5 hours\n", INT32_MAX, 5},
        {"x = 2147483647 days 2147483647 days\n", INT32_MAX, 0},
        {"x = 1e400 days\n", INT32_MAX, 0},
        {"x = 3days 0.99 hours\n", 3, 0},
    };
    for (const auto& c : cases) {
        ParsedProgram parsed(c.source);
        ASSERT_TRUE(parsed.ok) << c.source << parsed.why;
        const Expr* value = parsed.assigned(0);
        ASSERT_NE(value, nullptr);
        ASSERT_EQ(value->kind, EXPR_DURATION) << c.source;
        EXPECT_EQ(value->duration.duration.days, c.days) << c.source;
        EXPECT_EQ(value->duration.duration.hours, c.hours) << c.source;
    }
}

const char* const UNIT_LIST =
    " -- the units are year, month, week, day, hour, minute and second, singular or plural";

TEST(ExpressionForms, RejectedExpressionsReportOnceWhereTheyWentWrong) {
    const std::string long_unit(300, 'q');
    const struct {
        std::string source;
        std::string diagnostic;  // "line:column-line:column message"
    } cases[] = {
        // The unit of a later term is the one named and marked.
        {"x = 1 day 2 fortnight\n",
         "1:13-1:22 unknown duration unit 'fortnight'" + std::string(UNIT_LIST)},
        {"x = 10 Mod 3\n", "1:8-1:11 'Mod' is not an operator in Tovel; the remainder is mod(a, b)"},
        {"print 2 xor\n", "1:9-1:12 'xor' is not an operator in Tovel; bitwise XOR is bxor(a, b)"},
        // The message is cut to its buffer, never overrun.
        {"x = 1 " + long_unit + "\n",
         "1:7-1:307 " + ("unknown duration unit '" + long_unit).substr(0, 255)},
        // A policy rejection inside a handler of an unknown block names the
        // block instead.
        {"widget w()\n  get \"/\" ()\n    x = {a(share): 1}\n  end get\nend widget\n",
         "1:1-1:7 unknown declarative block 'widget' (only 'server' exists)"},
        // A value after a policy other than reset is released with it.
        {"x = {a(link [1, {b: \"s\"}]): 1}\n", "1:26-1:27 only the reset policy takes a value"},
        {"x = {a: 1,\n  b(reset): 2}\n", "2:10-2:11 reset policy requires a value, e.g. (reset 0)"},
    };
    for (const auto& c : cases) {
        DumpOutcome outcome = parse_and_dump(c.source);
        EXPECT_EQ(outcome.result, 1) << c.source;
        EXPECT_EQ(outcome.dump, "") << c.source;
        EXPECT_EQ(outcome.diagnostics, c.diagnostic + "\n") << c.source;
    }
}

}  // namespace
