// Generated expression lines, some of them damaged by one byte: every text
// ends in a tree without errors or in exactly one error and no tree. The
// generator leans on the constructs whose actions can reject (durations,
// field policies) and on lenses and dotted names, so that under the
// sanitizer build every path that abandons half-built values is walked.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/parser/parse_outcome.h"

namespace {

class ExpressionGenerator {
public:
    explicit ExpressionGenerator(unsigned seed) : random_(seed) {}

    std::string line() {
        switch (pick(5)) {
        case 0: return "x = " + expression(0) + "\n";
        case 1: return "a.b[1] {m} += " + expression(0) + "\n";
        case 2: return "print " + expression(0) + "\n";
        case 3: return "function f(a = -1, b = \"s\", c)\n  return " + expression(0) + "\nend function\n";
        default: return "if " + expression(0) + " then obj.run(" + expression(0) + ")\n";
        }
    }

    // Drops or repeats one byte somewhere in the text.
    std::string damaged(std::string text) {
        if (text.empty()) return text;
        size_t at = pick(text.size());
        if (pick(2)) {
            text.erase(at, 1);
        } else {
            text.insert(at, 1, text[pick(text.size())]);
        }
        return text;
    }

    size_t pick(size_t n) { return random_() % n; }

private:
    std::string leaf() {
        static const char* const leaves[] = {
            "a", "1", "2.5", "\"s\"", "true", "nothing", "error", "end", "watchers()",
            "-9223372036854775808", "3 days 4 hours", "1 fortnight", "2 mod", "1e400 days",
        };
        return leaves[pick(sizeof leaves / sizeof *leaves)];
    }

    std::string operand(int depth) {
        if (depth > 4) return leaf();
        static const char* const policies[] = {"copy", "link", "exclude", "reset", "share"};
        switch (pick(16)) {
        case 0: return "(" + expression(depth + 1) + ")";
        case 1: return "[" + expression(depth + 1) + ",\n " + expression(depth + 1) + "]";
        case 2: return "{k: " + expression(depth + 1) + ", \"q\" = " + expression(depth + 1) + "}";
        case 3: return "{c(reset " + expression(depth + 1) + "): 1}";
        case 4: return std::string("{c(") + policies[pick(5)] + (pick(3) ? "" : " 1") + "): 2}";
        case 5: return "a.b(" + expression(depth + 1) + ")";
        case 6: return "a .b(" + expression(depth + 1) + ")";
        case 7: return "a.b.c(" + expression(depth + 1) + ").d[" + expression(depth + 1) + "]";
        case 8: return "new p.q with {a: " + expression(depth + 1) + "}";
        case 9: return "spawn w(" + expression(depth + 1) + ")";
        case 10: return "{scale} " + operand(depth + 1);
        case 11: return "-" + operand(depth + 1);
        default: return leaf();
        }
    }

    std::string expression(int depth) {
        static const char* const operators[] = {
            " + ", " - ", " * ", " / ", " and ", " or ", " excluding ", " intersecting ", " = ",
            " {approx; ts.x} < ", " {w(1) } != ",
        };
        std::string text = operand(depth);
        for (size_t n = pick(3); n > 0; --n) {
            text += operators[pick(sizeof operators / sizeof *operators)] + operand(depth + 1);
        }
        return pick(5) ? text : "not " + text;
    }

    std::mt19937 random_;
};

TEST(GeneratedExpressions, EveryTextEndsInATreeOrOneError) {
    ExpressionGenerator generator(20261209);
    size_t accepted = 0;
    size_t rejected = 0;
    for (int round = 0; round < 6000; ++round) {
        std::string text;
        for (size_t lines = 1 + generator.pick(3); lines > 0; --lines) text += generator.line();
        if (generator.pick(4) == 0) text = generator.damaged(text);

        ParseOutcome outcome = parse_text(text);
        if (outcome.result == 0) {
            ++accepted;
            ASSERT_TRUE(outcome.program_handed_out) << text;
            ASSERT_EQ(outcome.error_count(), 0u) << text;
        } else {
            ++rejected;
            ASSERT_EQ(outcome.result, 1) << text;
            ASSERT_FALSE(outcome.program_handed_out) << text;
            ASSERT_EQ(outcome.error_count(), 1u) << text;
        }
    }
    // Both outcomes must have been exercised for the run to mean anything.
    EXPECT_GT(accepted, 100u);
    EXPECT_GT(rejected, 100u);
}

}  // namespace
