// Whole parses that fail, compared by the one line the user sees: where the
// report stands and its exact text. The rows pin the expected-token lists in
// each of their shapes (one to four names, none when more would qualify),
// the places where a default reduction moves the error to a later state, and
// the reporter's rewrites on real token streams.

#include <gtest/gtest.h>

#include <string>

#include "tests/parser/dump_support.h"

namespace {

const std::string RESERVED_FOR = " -- 'for' is a reserved word and cannot be used as a name";
const std::string RESERVED_PRINT = " -- 'print' is a reserved word and cannot be used as a name";
const std::string LET_HINT = "`let` is not a Tovel statement; assign directly (x = 1)";

struct MessageCase {
    const char* name;
    std::string source;
    int result;
    std::string diagnostic;  // "line:column-line:column message"
};

std::string repeat(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

const MessageCase CASES[] = {
    // Expected-token lists, names in terminal order.
    {"one expected name", "if a\n", 1, "1:5-1:6 syntax error, unexpected NEWLINE, expecting THEN"},
    {"print to needs error", "print to 1\n", 1,
     "1:10-1:11 syntax error, unexpected NUMBER, expecting ERROR_VALUE"},
    {"two expected names", "use\n", 1,
     "1:4-1:5 syntax error, unexpected NEWLINE, expecting IDENT or STRING"},
    {"on error needs goto or stop", "on error\n", 1,
     "1:9-1:10 syntax error, unexpected NEWLINE, expecting GOTO or STOP"},
    {"three expected names", "for i\n", 1,
     "1:6-1:7 syntax error, unexpected NEWLINE, expecting IN or OP_EQ or COMMA"},
    {"four expected names", "watch\n", 1,
     "1:6-1:7 syntax error, unexpected NEWLINE, expecting IDENT or END or NEXT or LPAREN"},
    {"more than four are not listed", "x = 1 +\n", 1, "1:8-1:9 syntax error, unexpected NEWLINE"},
    {"consider branch token by its name", "consider a\nprint 1\nend consider\n", 1,
     "2:1-2:6 syntax error, unexpected PRINT, expecting CONSIDER_IF"},

    // A default reduction runs before the error is seen.
    {"statement list closed before spawn", "spawn f()\n", 1,
     "1:1-1:6 syntax error, unexpected SPAWN, expecting end of file"},
    {"parameter list closed before the second name", "function f(a b)\nend function\n", 1,
     "1:14-1:15 syntax error, unexpected IDENT, expecting RPAREN"},
    {"end read as a name at the top level", "end if\n", 1, "1:5-1:7 syntax error, unexpected IF"},
    {"end without its keyword in a loop", "while a\n  x = 1\nend\n", 1,
     "3:4-3:5 syntax error, unexpected NEWLINE"},

    // A branch of `consider` takes every statement but a server block; one
    // nested in an if inside the branch is accepted (the checker rejects it).
    {"server header directly in a consider branch",
     "consider q\nif 1 then\n  server s()\n  end server\nend consider\n", 1,
     "3:10-3:11 syntax error, unexpected IDENT"},

    // The reserved-word remark on real token streams.
    {"keyword where a name is expected", "function print()\nend function\n", 1,
     "1:10-1:15 syntax error, unexpected PRINT, expecting IDENT or QUALIFIED_IDENT" +
         RESERVED_PRINT},
    {"keyword before the offending =", "for = 1\n", 1,
     "1:5-1:6 syntax error, unexpected OP_EQ, expecting IDENT or EACH" + RESERVED_FOR},
    {"a server block keeps the syntax error", "server s()\nprint 1\nend server\n", 1,
     "2:1-2:6 syntax error, unexpected PRINT, expecting IDENT or END or ON or NEWLINE" +
         RESERVED_PRINT},

    {"keyword followed by = after a complete value", "x = 5 next = 2\n", 1,
     "1:7-1:11 syntax error, unexpected NEXT, expecting NEWLINE -- 'next' is a reserved word "
     "and cannot be used as a name"},

    // Actions report through the same reporter, so the line hints apply to
    // their messages too.
    {"rem line rewrites an unknown unit", "rem = 5 fortnight\n", 1,
     "1:9-1:18 `rem` is not a Tovel comment; a comment starts with ' and runs to the end of "
     "the line"},

    // The line hint replaces the unknown-block text but keeps its place.
    {"let line inside an unknown block", "widget w()\nlet x = 1\nend widget\n", 1,
     "1:1-1:7 " + LET_HINT},

    // The stack limit: the report stands on the token whose shift filled it.
    {"nested not", "x = " + repeat("not ", 10000) + "a\n", 2,
     "1:39985-1:39988 memory exhausted"},
    {"nested minus", "x = " + repeat("-", 12000) + "a\n", 2, "1:10000-1:10001 memory exhausted"},
};

TEST(SyntaxMessages, FailedParseReportsOneLine) {
    for (const MessageCase& c : CASES) {
        DumpOutcome outcome = parse_and_dump(c.source);
        EXPECT_EQ(outcome.result, c.result) << c.name;
        EXPECT_EQ(outcome.dump, "") << c.name;
        EXPECT_EQ(outcome.diagnostics, c.diagnostic + "\n") << c.name;
    }
}

}  // namespace
