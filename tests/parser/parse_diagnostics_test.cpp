// Whole parses that end in one diagnostic: the message as the user sees it,
// its kind and its span, and that no program is handed out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/parser/parse_outcome.h"

namespace {

const char* const LET_HINT = "`let` is not a Tovel statement; assign directly (x = 1)";
const char* const REM_HINT =
    "`rem` is not a Tovel comment; a comment starts with ' and runs to the end of the line";
const char* const SUB_BLOCK =
    "unknown declarative block 'sub' (only 'server' exists) -- Tovel has no such statement; a "
    "subroutine is a `function`";
const char* const WIDGET_BLOCK = "unknown declarative block 'widget' (only 'server' exists)";
const char* const UNIT_LIST =
    " -- the units are year, month, week, day, hour, minute and second, singular or plural";

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

const FailureCase FAILURES[] = {
    // Expected-token lists and token names.
    {"missing final line break", "print 1", 1, TV_DIAG_PARSE_ERROR,
     "syntax error, unexpected end of file, expecting NEWLINE", {1, 8, 1, 8}},
    {"duration alone on a line", "5 seconds\n", 1, TV_DIAG_PARSE_ERROR,
     "syntax error, unexpected NUMBER, expecting end of file", {1, 1, 1, 2}},
    {"two values", "x = 1 2\n", 1, TV_DIAG_PARSE_ERROR,
     "syntax error, unexpected NUMBER, expecting NEWLINE", {1, 7, 1, 8}},
    {"chained comparison", "x = a < b < c\n", 1, TV_DIAG_PARSE_ERROR,
     "syntax error, unexpected OP_LT, expecting NEWLINE", {1, 11, 1, 12}},
    {"many expected tokens are not listed", "x = \n", 1, TV_DIAG_PARSE_ERROR,
     "syntax error, unexpected NEWLINE", {1, 5, 1, 6}},
    {"dangling else takes the inner if", "if a then\nif b then x = 1\nelse\ny = 2\nend if\n", 1,
     TV_DIAG_PARSE_ERROR, "syntax error, unexpected end of file", {6, 1, 6, 1}},

    // Line hints.
    {"let", "let x = 1\n", 1, TV_DIAG_PARSE_ERROR, LET_HINT, {1, 7, 1, 8}},
    {"LET", "LET x = 1\n", 1, TV_DIAG_PARSE_ERROR, LET_HINT, {1, 7, 1, 8}},
    {"let as a call", "let(x) = 1\n", 1, TV_DIAG_PARSE_ERROR,
     "syntax error, unexpected OP_EQ, expecting NEWLINE", {1, 8, 1, 9}},
    {"rem with words", "rem this is a note\n", 1, TV_DIAG_PARSE_ERROR, REM_HINT,
     {1, 10, 1, 12}},
    {"rem with one word fails at the line break", "rem hello\n", 1, TV_DIAG_PARSE_ERROR,
     "syntax error, unexpected NEWLINE, expecting LPAREN", {1, 10, 1, 11}},

    // Reserved words.
    {"keyword before =", "to = 1\n", 1, TV_DIAG_PARSE_ERROR,
     "syntax error, unexpected TO, expecting end of file -- 'to' is a reserved word and cannot "
     "be used as a name",
     {1, 1, 1, 3}},

    // Declarative blocks other than server.
    {"sub header", "sub greet()\nprint 1\nend sub\n", 1, TV_DIAG_PARSE_ERROR, SUB_BLOCK,
     {1, 1, 1, 4}},
    {"unknown block", "widget w()\nprint 1\nend widget\n", 1, TV_DIAG_PARSE_ERROR,
     WIDGET_BLOCK, {1, 1, 1, 7}},
    {"unknown block with options", "  widget w(a: 1)\n  x = 1\nend widget\n", 1,
     TV_DIAG_PARSE_ERROR, WIDGET_BLOCK, {1, 3, 1, 9}},
    {"closed block clears the keyword", "widget w()\nend widget\nx = 1 2\n", 1,
     TV_DIAG_PARSE_ERROR, "syntax error, unexpected NUMBER, expecting NEWLINE", {3, 7, 3, 8}},
    {"39-byte block keyword", KEYWORD_39 + " w()\nprint 1\nend k\n", 1, TV_DIAG_PARSE_ERROR,
     "unknown declarative block '" + KEYWORD_39 + "' (only 'server' exists)", {1, 1, 1, 40}},

    // Statement rejections.
    {"dim", "dim a\n", 1, TV_DIAG_PARSE_ERROR,
     "`dim` is not a Tovel statement; assign to create a variable (x = 0)", {1, 1, 1, 4}},
    {"next names another variable", "for i = 1 to 3\nprint i\nnext j\n", 1, TV_DIAG_PARSE_ERROR,
     "next j does not close this loop: it iterates i (write `next i`, `next`, or `end for`)",
     {3, 1, 3, 1}},
    {"for each with one name twice", "for each x, x in xs\nnext\n", 1, TV_DIAG_PARSE_ERROR,
     "`for each x, x` names the element and the index the same thing; the index would "
     "overwrite the element",
     {1, 13, 1, 13}},
    {"unknown channel", "on notice stop\n", 1, TV_DIAG_PARSE_ERROR,
     "unknown diagnostic channel 'notice'; `on` takes `error` or `warning`", {1, 4, 1, 4}},
    {"unknown channel with goto", "on notice goto handler\n", 1, TV_DIAG_PARSE_ERROR,
     "unknown diagnostic channel 'notice'; `on` takes `error` or `warning`", {1, 4, 1, 4}},
    {"unknown warning mode", "on warning skip\n", 1, TV_DIAG_PARSE_ERROR,
     "unknown warning mode 'skip'; expected print, ignore, stop, or goto next", {1, 12, 1, 12}},
    {"warning goto label", "on warning goto handler\n", 1, TV_DIAG_PARSE_ERROR,
     "on warning has no goto-label form: a warning does not abandon its statement, so there is "
     "nothing to jump away from (use goto next, stop, ignore or print)",
     {1, 12, 1, 12}},

    // Expressions and literals.
    {"mod", "x = 10 mod 3\n", 1, TV_DIAG_PARSE_ERROR,
     "'mod' is not an operator in Tovel; the remainder is mod(a, b)", {1, 8, 1, 11}},
    {"MOD", "x = 10 MOD 3\n", 1, TV_DIAG_PARSE_ERROR,
     "'MOD' is not an operator in Tovel; the remainder is mod(a, b)", {1, 8, 1, 11}},
    {"unknown unit", "x = 1 fortnight\n", 1, TV_DIAG_PARSE_ERROR,
     std::string("unknown duration unit 'fortnight'") + UNIT_LIST, {1, 7, 1, 16}},
    {"units are case-sensitive", "x = 1 Day\n", 1, TV_DIAG_PARSE_ERROR,
     std::string("unknown duration unit 'Day'") + UNIT_LIST, {1, 7, 1, 10}},
    {"reset without value", "x = {count(reset): 5}\n", 1, TV_DIAG_PARSE_ERROR,
     "reset policy requires a value, e.g. (reset 0)", {1, 17, 1, 18}},
    {"unknown policy", "x = {count(share): 5}\n", 1, TV_DIAG_PARSE_ERROR,
     "unknown field policy (expected copy, link, reset, or exclude)", {1, 17, 1, 18}},
    {"value after another policy", "x = {count(copy 1): 5}\n", 1, TV_DIAG_PARSE_ERROR,
     "only the reset policy takes a value", {1, 18, 1, 19}},

    // Declarations.
    {"with file", "with file(x)\nprint 1\nend with\n", 1, TV_DIAG_PARSE_ERROR,
     "expected lock or principal in a with block", {3, 9, 3, 10}},
    {"with Lock", "with Lock(x)\nend with\n", 1, TV_DIAG_PARSE_ERROR,
     "expected lock or principal in a with block", {2, 9, 2, 10}},
    {"use at", "use json at \"lib/json.tv\"\n", 1, TV_DIAG_PARSE_ERROR,
     "expected from in use statement", {1, 13, 1, 26}},
    {"load at with alias", "load json at \"lib/json.tv\" as j\n", 1, TV_DIAG_PARSE_ERROR,
     "expected from in load statement", {1, 31, 1, 32}},
    {"load at", "load json at \"lib/json.tv\"\n", 1, TV_DIAG_PARSE_ERROR,
     "expected from in load statement", {1, 27, 1, 28}},

    // Lexical errors end the input and silence the parser.
    {"unclosed bracket", "x = (1 +\n", 1, TV_DIAG_LEX_DETAIL,
     "unclosed '(' opened on line 1 -- a line break inside brackets continues the statement",
     {2, 1, 2, 1}},
    {"stray byte after a complete program", "x = 1\n;\n", 1, TV_DIAG_LEX_ERROR,
     "unexpected token", {2, 1, 2, 2}},
    {"stray byte inside a statement", "x = 1 ; 2\n", 1, TV_DIAG_LEX_ERROR, "unexpected token",
     {1, 7, 1, 8}},
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
