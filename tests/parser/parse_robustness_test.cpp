// Inputs chosen to stress the driver rather than the grammar: deep nesting
// up to and beyond the stack limit, very long expressions, and mutated
// programs that must always end in either a tree or exactly one error.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "bench/realistic_source.h"
#include "tests/parser/parse_outcome.h"

namespace {

std::string repeat(const std::string& piece, size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (size_t i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

TEST(ParseRobustness, NestingWithinTheStackLimitParses) {
    struct Case {
        const char* name;
        std::string text;
    } cases[] = {
        {"parentheses", "x = " + repeat("(", 3000) + "1" + repeat(")", 3000) + "\n"},
        {"not chain", "x = " + repeat("not ", 4000) + "a\n"},
        {"unary minus chain", "x = " + repeat("- ", 4000) + "1\n"},
        {"arrays", "x = " + repeat("[", 3000) + repeat("]", 3000) + "\n"},
        {"block ifs", repeat("if a then\n", 1500) + repeat("end if\n", 1500)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParseOutcome outcome = parse_text(c.text);
        EXPECT_EQ(outcome.result, 0);
        EXPECT_TRUE(outcome.program_handed_out);
        EXPECT_EQ(outcome.statement_count, 1u);
        EXPECT_TRUE(outcome.diagnostics.empty());
    }
}

TEST(ParseRobustness, NestingBeyondTheStackLimitExhaustsMemory) {
    struct Case {
        const char* name;
        std::string text;
    } cases[] = {
        {"parentheses", "x = " + repeat("(", 10001) + "1" + repeat(")", 10001) + "\n"},
        {"not chain", "x = " + repeat("not ", 12000) + "a\n"},
        {"block ifs", repeat("if a then\n", 2500) + repeat("end if\n", 2500)},
        {"unclosed parentheses", "x = " + repeat("(", 20000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParseOutcome outcome = parse_text(c.text);
        EXPECT_EQ(outcome.result, 2);
        EXPECT_FALSE(outcome.program_handed_out);
        ASSERT_EQ(outcome.diagnostics.size(), 1u);
        EXPECT_EQ(outcome.diagnostics[0].message, "memory exhausted");
        EXPECT_EQ(outcome.diagnostics[0].kind, TV_DIAG_PARSE_ERROR);
        EXPECT_GE(outcome.diagnostics[0].span.start_line, 1);
    }
}

TEST(ParseRobustness, MegabyteLeftDeepExpressionParsesAndFrees) {
    std::string text = "x = 1" + repeat(" + 1", 262144) + "\n";
    ASSERT_GE(text.size(), 1u << 20);
    ParseOutcome outcome = parse_text(text);
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.statement_count, 1u);
    EXPECT_TRUE(outcome.diagnostics.empty());

    // The same expression cut short fails after building most of the tree.
    std::string cut = "x = 1" + repeat(" + 1", 262144) + " +\n";
    ParseOutcome failed = parse_text(cut);
    EXPECT_EQ(failed.result, 1);
    EXPECT_EQ(failed.diagnostics.size(), 1u);
}

// A program touching most statement forms; mutations of it reach error
// states all over the grammar.
const char* const SAMPLE_LINES[] = {
    "' a sample program",
    "library tools",
    "function area(w, h = 2)",
    "  return w * h",
    "end function",
    "end library",
    "use json from \"lib/json.tv\"",
    "load \"util.tv\"",
    "load net as n",
    "x = 1",
    "y = x + 2 * (3 - 1)",
    "total {approx} = 5",
    "items = [1, 2,",
    "  3]",
    "rec = {name: \"a\", count(reset 0): 5, tag(link): t, n = 2}",
    "print to error \"oops\"",
    "if x > 1 and not y = 2 then",
    "  print x",
    "else if x < 0 then",
    "  print -x",
    "else",
    "  print 0",
    "end if",
    "if a then b = 1",
    "else c = 2",
    "for i = 1 to 10 step 2",
    "  continue",
    "next i",
    "for each k, v in rec",
    "  print k",
    "end for",
    "while x < 10",
    "  x += 1",
    "end while",
    "do",
    "  x -= 1",
    "until x = 0",
    "consider x",
    "if 1 then",
    "  print \"one\"",
    "else",
    "  print \"other\"",
    "end consider",
    "watch a.b, c",
    "  print a",
    "end watch",
    "unwatch a",
    "without watchers",
    "  a.b = 2",
    "end without",
    "with lock(x)",
    "  obj.run(1)",
    "end with",
    "on error goto handler",
    "on warning ignore",
    "handler:",
    "gosub handler",
    "wait = 2 days 3 hours",
    "p = new base.proto with {a: 1}",
    "s = spawn worker(1, 2)",
    "export modifier roughly equal(tol) for number",
    "  return a.b.c(1)",
    "end modifier",
    "program main(argc)",
    "  error \"bad\"",
    "end program",
    "server api(port: 8080)",
    "  header \"x\", \"y\"",
    "  get \"/items/{id}\"(id)",
    "    return id",
    "  end get",
    "  web main(host: \"h\")",
    "  end web",
    "  on start",
    "    print 1",
    "  end on",
    "end server",
    "z = a excluding b intersecting c",
    "q = x {ts.approx} = 3",
};

const char* const FRAGMENTS[] = {
    "(", ")", "[", "]", "{", "}", ",", ".", ":", "=", "+=", "<", "!>=", "\n", " ", "end",
    "next", "if", "then", "else", "for", "each", "to", "in", "on", "warning", "error", "goto",
    "sub", "let", "rem", "dim", "5", "1.5", "days", "fortnight", "mod", "\"s\"", "\"\\q\"",
    "\"\\u{D800}\"", "{x}", "a.b(", "server", "widget w()", "reset", "copy", ";", "$", "&",
    "\xff", "\"unterminated",
};

std::string sample_program() {
    std::string text;
    for (const char* line : SAMPLE_LINES) {
        text += line;
        text += '\n';
    }
    return text;
}

std::string mutate(const std::string& base, std::mt19937& rng) {
    std::string text = base;
    const int edits = 1 + static_cast<int>(rng() % 3);
    for (int e = 0; e < edits; ++e) {
        size_t at = text.empty() ? 0 : rng() % text.size();
        switch (rng() % 5) {
        case 0:  // delete a short run
            text.erase(at, 1 + rng() % 8);
            break;
        case 1:  // insert a fragment
            text.insert(at, FRAGMENTS[rng() % (sizeof FRAGMENTS / sizeof FRAGMENTS[0])]);
            break;
        case 2:  // overwrite one byte
            if (!text.empty()) {
                text[at] = static_cast<char>(1 + rng() % 255);
            }
            break;
        case 3:  // cut the text
            text.resize(at);
            break;
        default: {  // duplicate a stretch elsewhere
            size_t from = text.empty() ? 0 : rng() % text.size();
            text.insert(at, text.substr(from, 1 + rng() % 40));
            break;
        }
        }
    }
    return text;
}

TEST(ParseRobustness, SampleProgramParses) {
    ParseOutcome outcome = parse_text(sample_program());
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.error_count(), 0u);
    for (const SeenDiagnostic& d : outcome.diagnostics) {
        ADD_FAILURE() << d.message << " at " << d.span.start_line << ":" << d.span.start_column;
    }
}

// Either a tree handed out without errors (true), or result 1 with nothing
// handed out and exactly one error (false).
bool expect_tree_or_one_error(const ParseOutcome& outcome) {
    if (outcome.result == 0) {
        EXPECT_TRUE(outcome.program_handed_out);
        EXPECT_EQ(outcome.error_count(), 0u);
        return true;
    }
    EXPECT_EQ(outcome.result, 1);
    EXPECT_FALSE(outcome.program_handed_out);
    EXPECT_EQ(outcome.error_count(), 1u);
    return false;
}

TEST(ParseRobustness, MutatedProgramsEndInATreeOrOneError) {
    const std::string base = sample_program();
    std::mt19937 rng(20261209);
    int accepted = 0;
    int rejected = 0;
    for (int i = 0; i < 3000; ++i) {
        std::string text = mutate(base, rng);
        ParseOutcome outcome = parse_text(text);
        SCOPED_TRACE(text);
        if (expect_tree_or_one_error(outcome)) {
            ++accepted;
        } else {
            ++rejected;
        }
        if (HasFailure()) {
            break;
        }
    }
    // Both outcomes must be exercised for the check to mean anything.
    EXPECT_GT(accepted, 100);
    EXPECT_GT(rejected, 100);
}

// Windows of whole lines cut from the realistic benchmark program, mutated:
// most start or end inside a block, which reaches rejection paths with deep
// stacks of partly built values.
TEST(ParseRobustness, MutatedWindowsOfTheRealisticProgram) {
    const std::string source = realistic_tovel_source(32 * 1024);
    ParseOutcome whole = parse_text(source);
    ASSERT_EQ(whole.result, 0);
    ASSERT_EQ(whole.error_count(), 0u);

    std::vector<size_t> line_starts = {0};
    for (size_t i = 0; i + 1 < source.size(); ++i) {
        if (source[i] == '\n') {
            line_starts.push_back(i + 1);
        }
    }
    std::mt19937 rng(7);
    int rejected = 0;
    for (int i = 0; i < 1500; ++i) {
        size_t first = rng() % line_starts.size();
        size_t last = std::min(line_starts.size() - 1, first + 1 + rng() % 60);
        std::string window = source.substr(line_starts[first],
                                           line_starts[last] - line_starts[first]);
        std::string text = (i % 4 == 0) ? window : mutate(window, rng);
        ParseOutcome outcome = parse_text(text);
        SCOPED_TRACE(text);
        if (!expect_tree_or_one_error(outcome)) {
            ++rejected;
        }
        if (HasFailure()) {
            break;
        }
    }
    EXPECT_GT(rejected, 100);
}

}  // namespace
