// Whole parses that end in one diagnostic: the message as the user sees it,
// its kind and its span, and that no program is handed out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/parser/parse_outcome.h"

namespace {

struct FailureCase {
    const char* name;
    std::string text;
    int32_t result;
    DiagnosticKind kind;
    std::string message;
    SourceSpan span;
};

const std::string KEYWORD_39(39, 'k');
const std::string KEYWORD_40(40, 'k');

// Texts a data file cannot hold (no final line break, generated names); the
// rest of the table is tests/diagnostics/parser/failures.tov.
const FailureCase FAILURES[] = {
    {"missing final line break", "print 1", 1, TV_DIAG_PARSE_ERROR,
     "syntax error, unexpected end of file, expecting NEWLINE", {1, 8, 1, 8}},
    {"39-byte block keyword", KEYWORD_39 + " w()\nprint 1\nend k\n", 1, TV_DIAG_PARSE_ERROR,
     "unknown declarative block '" + KEYWORD_39 + "' (only 'server' exists)", {1, 1, 1, 40}},
};

TEST(ParseDiagnostics, OneDiagnosticPerFailedParse) {
    for (const FailureCase& c : FAILURES) {
        SCOPED_TRACE(c.name);
        ParseOutcome outcome = parse_text(c.text);
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_FALSE(outcome.program_handed_out);
        ASSERT_EQ(outcome.diagnostics.size(), 1u);
        const SeenDiagnostic& d = outcome.diagnostics[0];
        EXPECT_EQ(d.severity, SEVERITY_ERROR);
        EXPECT_EQ(d.kind, c.kind);
        EXPECT_EQ(d.message, c.message);
        EXPECT_EQ(d.span.start_line, c.span.start_line);
        EXPECT_EQ(d.span.start_column, c.span.start_column);
        EXPECT_EQ(d.span.end_line, c.span.end_line);
        EXPECT_EQ(d.span.end_column, c.span.end_column);
    }
}

TEST(ParseDiagnostics, LongBlockKeywordKeepsTheOrdinaryMessage) {
    ParseOutcome outcome = parse_text(KEYWORD_40 + " w()\nprint 1\nend k\n");
    EXPECT_EQ(outcome.result, 1);
    ASSERT_EQ(outcome.diagnostics.size(), 1u);
    EXPECT_EQ(outcome.diagnostics[0].message.rfind("syntax error, unexpected PRINT", 0), 0u)
        << outcome.diagnostics[0].message;
    EXPECT_EQ(outcome.diagnostics[0].span.start_line, 2);
}

struct SuccessCase {
    const char* name;
    const char* text;
    size_t statements;
};

TEST(ParseDiagnostics, AcceptedTextsHandOutTheProgram) {
    const SuccessCase cases[] = {
        {"empty text", "", 0},
        {"only line breaks", "\n\n\n", 0},
        {"keywords as names", "end = 1\nnext = 1\nx = a.end\n", 3},
        {"duration in print", "print 5 seconds\n", 1},
        {"dangling else closed twice", "if a then\nif b then x = 1\nelse\ny = 2\nend if\nend if\n",
         1},
        {"closed unknown block parses", "widget w()\nend widget\n", 1},
        {"server block", "server s()\nend server\n", 1},
        {"let as a call", "let(x)\n", 1},
        {"string warning does not fail", "print \"a\\qb\"\n", 1},
    };
    for (const SuccessCase& c : cases) {
        SCOPED_TRACE(c.name);
        ParseOutcome outcome = parse_text(c.text);
        EXPECT_EQ(outcome.result, 0);
        EXPECT_TRUE(outcome.program_handed_out || c.statements == 0);
        EXPECT_EQ(outcome.error_count(), 0u);
        EXPECT_EQ(outcome.statement_count, c.statements);
    }
}

TEST(ParseDiagnostics, StringWarningIsKeptAlongsideTheProgram) {
    ParseOutcome outcome = parse_text("print \"a\\qb\"\n");
    EXPECT_EQ(outcome.result, 0);
    ASSERT_EQ(outcome.diagnostics.size(), 1u);
    EXPECT_EQ(outcome.diagnostics[0].severity, SEVERITY_WARNING);
    EXPECT_EQ(outcome.diagnostics[0].kind, TV_DIAG_STRING_LITERAL);
}

// Every rejection again, deep inside other constructs, so that the stack
// holds many partly built values when the parse unwinds. The messages may
// change with the surroundings; what must not change is one error, no
// program, and (in the sanitizer build) nothing leaked.
TEST(ParseDiagnostics, RejectionsInsideOtherConstructsUnwindCleanly) {
    struct Wrapper {
        const char* before;
        const char* after;
    } wrappers[] = {
        {"x = [1, 2]\ny = {a: 1}\n", ""},
        {"function f(a, b = 1)\n  z = {k(reset 0): [1, 2]}\n", "\nend function\n"},
        {"while x < {scale} 3\n  if a then\n    y = 1\n  else\n", "\n  end if\nend while\n"},
        {"consider x\nif 1 then\n  print 1\n", "\nend consider\n"},
        {"server s(port: 1)\n  get \"/x\"(id)\n    w = id\n", "\n  end get\nend server\n"},
        {"watch a.b, c\n  for each k, v in m\n", "\n  next\nend watch\n"},
        {"export modifier near to(t = 2) for number\n  do\n", "\n  until a\nend modifier\n"},
    };
    const char* const extra_inner[] = {
        "x = [1, {a: f(1, 2 fortnight)}]\n",
        "x = f(a.b(1), {c(reset): 1})\n",
        "y = g([1, 2], {k(copy 3): 4})\n",
        "if a {approx} = b then x = new p with {a(share): 1}\n",
        "for each k, k in x\nnext\n",
        "for i = 1 to 3 step 2\n  q = [i, {r: i}]\nnext j\n",
        "load m at \"p\" as q\n",
    };
    std::vector<std::string> inner;
    for (const FailureCase& c : FAILURES) {
        inner.push_back(c.text);
    }
    for (const char* text : extra_inner) {
        inner.push_back(text);
    }
    // A few inner texts become whole statements once a line break follows
    // them (a missing final line break, say); those must simply parse.
    size_t total = 0;
    size_t rejected = 0;
    for (const Wrapper& w : wrappers) {
        for (const std::string& text : inner) {
            std::string whole = std::string(w.before) + text + w.after;
            SCOPED_TRACE(whole);
            ParseOutcome outcome = parse_text(whole);
            ++total;
            if (outcome.result == 0) {
                EXPECT_TRUE(outcome.program_handed_out);
                EXPECT_EQ(outcome.error_count(), 0u);
                continue;
            }
            ++rejected;
            EXPECT_FALSE(outcome.program_handed_out);
            EXPECT_EQ(outcome.error_count(), 1u);
        }
    }
    EXPECT_GE(rejected * 10, total * 9);
}

}  // namespace
