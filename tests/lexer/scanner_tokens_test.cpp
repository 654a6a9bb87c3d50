// Table-driven scanner tests: source text in, rendered token stream out.
#include <gtest/gtest.h>

#include <string>

#include "lexer/lexer.h"
#include "tests/lexer/lexer_render.h"

namespace {

using lexer_test::render_tokens;

struct Case {
    const char* name;
    std::string source;
    const char* expected;
};

void run_cases(const Case* cases, size_t count, lexer_test::RenderOptions options = {}) {
    for (size_t i = 0; i < count; ++i) {
        EXPECT_EQ(render_tokens(cases[i].source, options), cases[i].expected)
            << "case: " << cases[i].name;
    }
}

const std::string kUnclosed =
    " -- a line break inside brackets continues the statement\"";

TEST(ScannerTokens, PositionsAndLineBreaks) {
    const Case cases[] = {
        {"empty text", "", "EOF '' 1:1/0"},
        {"byte-order mark only", "\xEF\xBB\xBF", "EOF '' 1:1/0"},
        {"byte-order mark keeps column 1", "\xEF\xBB\xBFx", "IDENT 'x' 1:1/1\nEOF '' 1:2/0"},
        {"crlf", "a\r\nb",
         "IDENT 'a' 1:1/1\nNEWLINE '\\n' 1:3/1\nIDENT 'b' 2:1/1\nEOF '' 2:2/0"},
        {"tab counts one column", "\tx", "IDENT 'x' 1:2/1\nEOF '' 1:3/0"},
        {"nul ends the text", std::string("a\0b", 3), "IDENT 'a' 1:1/1\nEOF '' 1:2/0"},
        {"comment up to the line feed", "x ' note \"quoted\n",
         "IDENT 'x' 1:1/1\nNEWLINE '\\n' 1:17/1\nEOF '' 2:1/0"},
        {"comment at the end", "' only", "EOF '' 1:7/0"},
        {"arguments over lines", "f(1,\n  2)\n",
         "IDENT 'f' 1:1/1\nLPAREN '(' 1:2/1\nNUMBER '1' 1:3/1\nCOMMA ',' 1:4/1\n"
         "NUMBER '2' 2:3/1\nRPAREN ')' 2:4/1\nNEWLINE '\\n' 2:5/1\nEOF '' 3:1/0"},
        {"comments inside brackets", "f(1, ' first\n\n ' blank\n2)",
         "IDENT 'f' 1:1/1\nLPAREN '(' 1:2/1\nNUMBER '1' 1:3/1\nCOMMA ',' 1:4/1\n"
         "NUMBER '2' 4:1/1\nRPAREN ')' 4:2/1\nEOF '' 4:3/0"},
        {"stray close keeps depth at zero", "a)\nb",
         "IDENT 'a' 1:1/1\nRPAREN ')' 1:2/1\nNEWLINE '\\n' 1:3/1\nIDENT 'b' 2:1/1\nEOF '' 2:2/0"},
        {"mismatched closers still pop", "[1)\n",
         "LBRACKET '[' 1:1/1\nNUMBER '1' 1:2/1\nRPAREN ')' 1:3/1\nNEWLINE '\\n' 1:4/1\nEOF '' 2:1/0"},
    };
    run_cases(cases, std::size(cases));
}

TEST(ScannerTokens, UnclosedBrackets) {
    const std::string open_paren =
        "IDENT 'x' 1:1/1\nOP_EQ '=' 1:3/1\nLPAREN '(' 1:5/1\nNUMBER '1' 1:6/1\nPLUS '+' 1:8/1\n"
        "ERROR '' 2:1/0 ! \"unclosed '(' opened on line 1" + kUnclosed + "\nEOF '' 2:1/0";
    const std::string inner_bracket =
        "LPAREN '(' 1:1/1\nLBRACKET '[' 2:1/1\n"
        "ERROR '' 2:2/0 ! \"unclosed '[' opened on line 2" + kUnclosed + "\nEOF '' 2:2/0";
    const std::string record_brace =
        "IDENT 'r' 1:1/1\nOP_EQ '=' 1:3/1\nLBRACE '{' 1:5/1\nIDENT 'a' 2:3/1\nCOLON ':' 2:4/1\n"
        "NUMBER '1' 2:6/1\nERROR '' 2:7/0 ! \"unclosed '{' opened on line 1" + kUnclosed +
        "\nEOF '' 2:7/0";
    const Case cases[] = {
        {"open paren at the end", "x = (1 +\n", open_paren.c_str()},
        {"innermost bracket is named", "(\n[", inner_bracket.c_str()},
        {"record left open", "r = {\n  a: 1", record_brace.c_str()},
    };
    run_cases(cases, std::size(cases));
}

TEST(ScannerTokens, UnclosedBeyondRecordedDepthNamesTheLastRecorded) {
    // 70 brackets on lines 1..70; the 64th is a `[` so its line and
    // character both show in the message.
    std::string text;
    for (int line = 1; line <= 70; ++line) text += line == 64 ? "[\n" : "(\n";
    Lexer lexer;
    lexer_init(&lexer, text.c_str(), 1);
    Token token;
    int brackets = 0;
    while ((token = lexer_next_token(&lexer)).kind != TOKEN_ERROR && brackets < 100) ++brackets;
    EXPECT_EQ(brackets, 70);
    EXPECT_EQ(token.length, 0);
    EXPECT_EQ(token.line, 71);
    EXPECT_EQ(std::string(lexer.error_message),
              "unclosed '[' opened on line 64 -- a line break inside brackets continues the statement");
    EXPECT_EQ(lexer_next_token(&lexer).kind, TOKEN_EOF);
}

TEST(ScannerTokens, OperatorsAndHints) {
    const Case cases[] = {
        {"negated comparisons", "!= !> !>= !< !<=",
         "OP_NE '!=' 1:1/2\nOP_NGT '!>' 1:4/2\nOP_NGE '!>=' 1:7/3\nOP_NLT '!<' 1:11/2\n"
         "OP_NLE '!<=' 1:14/3\nEOF '' 1:17/0"},
        {"comparisons", "< <= > >= = ==",
         "OP_LT '<' 1:1/1\nOP_LE '<=' 1:3/2\nOP_GT '>' 1:6/1\nOP_GE '>=' 1:8/2\nOP_EQ '=' 1:11/1\n"
         "OP_EQ '=' 1:13/1\nOP_EQ '=' 1:14/1\nEOF '' 1:15/0"},
        {"arithmetic", "+ += - -= * *= / /=",
         "PLUS '+' 1:1/1\nPLUS_EQ '+=' 1:3/2\nMINUS '-' 1:6/1\nMINUS_EQ '-=' 1:8/2\n"
         "STAR '*' 1:11/1\nSTAR_EQ '*=' 1:13/2\nSLASH '/' 1:16/1\nSLASH_EQ '/=' 1:18/2\nEOF '' 1:20/0"},
        {"punctuation", "a[1], b.c: d",
         "IDENT 'a' 1:1/1\nLBRACKET '[' 1:2/1\nNUMBER '1' 1:3/1\nRBRACKET ']' 1:4/1\n"
         "COMMA ',' 1:5/1\nIDENT 'b' 1:7/1\nDOT '.' 1:8/1\nIDENT 'c' 1:9/1\nCOLON ':' 1:10/1\n"
         "IDENT 'd' 1:12/1\nEOF '' 1:13/0"},
        {"lone bang has no message", "a ! b",
         "IDENT 'a' 1:1/1\nERROR '!' 1:3/1\nIDENT 'b' 1:5/1\nEOF '' 1:6/0"},
        {"sigil after a name", "count%",
         "IDENT 'count' 1:1/5\nERROR '%' 1:6/1 ! \"'%' is a type sigil; Tovel has none -- write the name alone\"\n"
         "EOF '' 1:7/0"},
        {"sigil after a digit", "7%",
         "NUMBER '7' 1:1/1\nERROR '%' 1:2/1 ! \"'%' is a type sigil; Tovel has none -- write the name alone\"\n"
         "EOF '' 1:3/0"},
        {"remainder", "7 % 2",
         "NUMBER '7' 1:1/1\nERROR '%' 1:3/1 ! \"'%' is not an operator; the remainder is mod(a, b)\"\n"
         "NUMBER '2' 1:5/1\nEOF '' 1:6/0"},
        {"dollar sigil", "name$",
         "IDENT 'name' 1:1/4\nERROR '$' 1:5/1 ! \"'$' is a type sigil; Tovel has none -- write the name alone\"\n"
         "EOF '' 1:6/0"},
        {"money", "$5",
         "ERROR '$' 1:1/1 ! \"'$' is not a money literal; write p(USD)= 19.99 -- money is a modifier from a plain number\"\n"
         "NUMBER '5' 1:2/1\nEOF '' 1:3/0"},
        {"ampersand", "\"a\" & \"b\"",
         "STRING '\"a\"' 1:1/3\nERROR '&' 1:5/1 ! \"'&' does not join text; use + -- \"a\" + \"b\"\"\n"
         "STRING '\"b\"' 1:7/3\nEOF '' 1:10/0"},
        {"ampersand sigil", "x_&",
         "IDENT 'x_' 1:1/2\nERROR '&' 1:3/1 ! \"'&' is a type sigil; Tovel has none -- write the name alone\"\n"
         "EOF '' 1:4/0"},
        {"hash and bang sigils", "n#",
         "IDENT 'n' 1:1/1\nERROR '#' 1:2/1 ! \"'#' is a type sigil; Tovel has none -- write the name alone\"\n"
         "EOF '' 1:3/0"},
        {"bang sigil", "n!",
         "IDENT 'n' 1:1/1\nERROR '!' 1:2/1 ! \"'!' is a type sigil; Tovel has none -- write the name alone\"\n"
         "EOF '' 1:3/0"},
        {"not-equal habit", "a <> b",
         "IDENT 'a' 1:1/1\nERROR '<>' 1:3/2 ! \"'<>' is not an operator; not-equal is != -- a != b\"\n"
         "IDENT 'b' 1:6/1\nEOF '' 1:7/0"},
        {"backslash", "a \\ b",
         "IDENT 'a' 1:1/1\nERROR '\\' 1:3/1 ! \"'\\' is not an operator; integer division is floor(a / b)\"\n"
         "IDENT 'b' 1:5/1\nEOF '' 1:6/0"},
        {"caret", "2^3",
         "NUMBER '2' 1:1/1\nERROR '^' 1:2/1 ! \"'^' is not an operator; exponentiation is pow(a, b)\"\n"
         "NUMBER '3' 1:3/1\nEOF '' 1:4/0"},
        {"bytes that start nothing", ";?|~@`\x01",
         "ERROR ';' 1:1/1\nERROR '?' 1:2/1\nERROR '|' 1:3/1\nERROR '~' 1:4/1\nERROR '@' 1:5/1\n"
         "ERROR '`' 1:6/1\nERROR '\\x01' 1:7/1\nEOF '' 1:8/0"},
        {"message-less error keeps the last message", "^ #",
         "ERROR '^' 1:1/1 ! \"'^' is not an operator; exponentiation is pow(a, b)\"\n"
         "ERROR '#' 1:3/1 ! \"'^' is not an operator; exponentiation is pow(a, b)\"\nEOF '' 1:4/0"},
        {"non-ascii letter outside a string", "\xC3\xA9=",
         "ERROR '\\xC3' 1:1/1\nERROR '\\xA9' 1:2/1\nOP_EQ '=' 1:3/1\nEOF '' 1:4/0"},
    };
    run_cases(cases, std::size(cases));
}

TEST(ScannerTokens, Numbers) {
    const Case cases[] = {
        {"integer and fraction", "12 1.5e-3 7E+2",
         "NUMBER '12' 1:1/2\nNUMBER '1.5e-3' 1:4/6\nNUMBER '7E+2' 1:11/4\nEOF '' 1:15/0"},
        {"hex", "0x1F 0XaB",
         "NUMBER '0x1F' 1:1/4\nNUMBER '0XaB' 1:6/4\nEOF '' 1:10/0"},
        {"trailing dot", "1.", "NUMBER '1' 1:1/1\nDOT '.' 1:2/1\nEOF '' 1:3/0"},
        {"leading dot", ".5", "DOT '.' 1:1/1\nNUMBER '5' 1:2/1\nEOF '' 1:3/0"},
        {"bare exponent", "2e", "NUMBER '2' 1:1/1\nIDENT 'e' 1:2/1\nEOF '' 1:3/0"},
        {"exponent sign without digits", "2e+",
         "NUMBER '2' 1:1/1\nIDENT 'e' 1:2/1\nPLUS '+' 1:3/1\nEOF '' 1:4/0"},
        {"bare hex marker", "0x", "NUMBER '0' 1:1/1\nIDENT 'x' 1:2/1\nEOF '' 1:3/0"},
        {"hex marker without digits", "0xG", "NUMBER '0' 1:1/1\nIDENT 'xG' 1:2/2\nEOF '' 1:4/0"},
        {"hex only after a lone zero", "10x1", "NUMBER '10' 1:1/2\nIDENT 'x1' 1:3/2\nEOF '' 1:5/0"},
        {"duration written together", "3days", "NUMBER '3' 1:1/1\nIDENT 'days' 1:2/4\nEOF '' 1:6/0"},
        {"two fractions", "1.2.3",
         "NUMBER '1.2' 1:1/3\nDOT '.' 1:4/1\nNUMBER '3' 1:5/1\nEOF '' 1:6/0"},
        {"minus is separate", "-4", "MINUS '-' 1:1/1\nNUMBER '4' 1:2/1\nEOF '' 1:3/0"},
    };
    run_cases(cases, std::size(cases));
}

TEST(ScannerTokens, Strings) {
    const Case cases[] = {
        {"plain", "\"hi\" x", "STRING '\"hi\"' 1:1/4\nIDENT 'x' 1:6/1\nEOF '' 1:7/0"},
        {"apostrophe is not a comment", "\"it's\" x",
         "STRING '\"it's\"' 1:1/6\nIDENT 'x' 1:8/1\nEOF '' 1:9/0"},
        {"spans lines", "\"a\nbc\" x",
         "STRING '\"a\\nbc\"' 1:1/6\nIDENT 'x' 2:5/1\nEOF '' 2:6/0"},
        {"escaped quote and backslash", "\"\\\"\" \"\\\\\"",
         "STRING '\"\\\"\"' 1:1/4\nSTRING '\"\\\\\"' 1:6/4\nEOF '' 1:10/0"},
        {"other escapes pass", "\"\\q\\u{1F600}\"", "STRING '\"\\q\\u{1F600}\"' 1:1/13\nEOF '' 1:14/0"},
        {"two-byte character inside", "\"\xC3\xA9\" x",
         "STRING '\"\\xC3\\xA9\"' 1:1/4\nIDENT 'x' 1:6/1\nEOF '' 1:7/0"},
        {"unterminated", "x = \"abc\n",
         "IDENT 'x' 1:1/1\nOP_EQ '=' 1:3/1\nERROR '\"abc\\n' 1:5/5 ! \"unterminated string\"\nEOF '' 2:1/0"},
        {"backslash at the end", "\"a\\",
         "ERROR '\"a\\' 1:1/3 ! \"unterminated escape sequence\"\nEOF '' 1:4/0"},
        {"backslash before a line feed", "\"a\\\nb\"",
         "ERROR '\"a\\' 1:1/3 ! \"unterminated escape sequence\"\nNEWLINE '\\n' 1:4/1\n"
         "IDENT 'b' 2:1/1\nERROR '\"' 2:2/1 ! \"unterminated string\"\nEOF '' 2:3/0"},
        {"u without brace", "\"\\u0041\"",
         "ERROR '\"\\u' 1:1/3 ! \"invalid escape sequence: \\u must be followed by {\"\n"
         "NUMBER '0041' 1:4/4\nERROR '\"' 1:8/1 ! \"unterminated string\"\nEOF '' 1:9/0"},
        {"u without close", "\"\\u{41\"",
         "ERROR '\"\\u{41' 1:1/6 ! \"invalid unicode escape: expected } after \\u{\"\n"
         "ERROR '\"' 1:7/1 ! \"unterminated string\"\nEOF '' 1:8/0"},
        {"u without digits", "\"\\u{}\"",
         "ERROR '\"\\u{}' 1:1/5 ! \"invalid unicode escape: \\u{} needs hex digits\"\n"
         "ERROR '\"' 1:6/1 ! \"unterminated string\"\nEOF '' 1:7/0"},
    };
    run_cases(cases, std::size(cases));
}

TEST(ScannerTokens, BracePrefixes) {
    const Case cases[] = {
        {"prefix before assignment", "x {scale}= 1",
         "IDENT 'x' 1:1/1\nMODIFIER_PREFIX 'scale' 1:3/5\nOP_EQ '=' 1:10/1\nNUMBER '1' 1:12/1\nEOF '' 1:13/0"},
        {"blanks around the name", "{ scale }", "MODIFIER_PREFIX 'scale' 1:1/5\nEOF '' 1:10/0"},
        {"dotted name", "{units.metric}", "MODIFIER_PREFIX 'units.metric' 1:1/12\nEOF '' 1:15/0"},
        {"words after the name", "{within 0.5 }", "MODIFIER_PREFIX 'within 0.5' 1:1/10\nEOF '' 1:14/0"},
        {"string holding a close", "{a \"}\" b}", "MODIFIER_PREFIX 'a \"}\" b' 1:1/7\nEOF '' 1:10/0"},
        {"escaped quote in the string", "{a \"\\\"}\" b}",
         "MODIFIER_PREFIX 'a \"\\\"}\" b' 1:1/9\nEOF '' 1:12/0"},
        {"nested pair", "{a {b} c} x",
         "MODIFIER_PREFIX 'a {b} c' 1:1/7\nIDENT 'x' 1:11/1\nEOF '' 1:12/0"},
        {"comma list", "{a, b}", "MODIFIER_PREFIX 'a, b' 1:1/4\nEOF '' 1:7/0"},
        {"empty braces", "{}", "LBRACE '{' 1:1/1\nRBRACE '}' 1:2/1\nEOF '' 1:3/0"},
        {"blank braces", "{ }", "LBRACE '{' 1:1/1\nRBRACE '}' 1:3/1\nEOF '' 1:4/0"},
        {"call inside", "{scale(2)}",
         "LBRACE '{' 1:1/1\nIDENT 'scale' 1:2/5\nLPAREN '(' 1:7/1\nNUMBER '2' 1:8/1\n"
         "RPAREN ')' 1:9/1\nRBRACE '}' 1:10/1\nEOF '' 1:11/0"},
        {"string key", "{\"k\": 1}",
         "LBRACE '{' 1:1/1\nSTRING '\"k\"' 1:2/3\nCOLON ':' 1:5/1\nNUMBER '1' 1:7/1\n"
         "RBRACE '}' 1:8/1\nEOF '' 1:9/0"},
        {"assignment inside", "{a = 1}",
         "LBRACE '{' 1:1/1\nIDENT 'a' 1:2/1\nOP_EQ '=' 1:4/1\nNUMBER '1' 1:6/1\nRBRACE '}' 1:7/1\n"
         "EOF '' 1:8/0"},
        {"close on another line", "{a b\n}\n",
         "LBRACE '{' 1:1/1\nIDENT 'a' 1:2/1\nIDENT 'b' 1:4/1\nRBRACE '}' 2:1/1\nNEWLINE '\\n' 2:2/1\n"
         "EOF '' 3:1/0"},
        {"escaped line feed ends the search", "{a \"\\\nx}",
         "LBRACE '{' 1:1/1\nIDENT 'a' 1:2/1\nERROR '\"\\' 1:4/2 ! \"unterminated escape sequence\"\n"
         "IDENT 'x' 2:1/1\nRBRACE '}' 2:2/1\nEOF '' 2:3/0"},
        {"unbalanced nested pair", "{a {b}\n}",
         "LBRACE '{' 1:1/1\nIDENT 'a' 1:2/1\nMODIFIER_PREFIX 'b' 1:4/1\nRBRACE '}' 2:1/1\nEOF '' 2:2/0"},
    };
    run_cases(cases, std::size(cases));
}

TEST(ScannerTokens, LensText) {
    const Case first[] = {
        {"call then close", "scale(2)} = y",
         "LENS_CONTENT 'scale(2)' 1:1/8\nRBRACE '}' 1:9/1\nOP_EQ '=' 1:11/1\nIDENT 'y' 1:13/1\nEOF '' 1:14/0"},
        {"blanks kept", " > 2 }", "LENS_CONTENT ' > 2 ' 1:1/5\nRBRACE '}' 1:6/1\nEOF '' 1:7/0"},
        {"empty lens", "}", "LENS_CONTENT '' 1:1/0\nRBRACE '}' 1:1/1\nEOF '' 1:2/0"},
        {"string holding a close", "= \"}\\\"}\" }",
         "LENS_CONTENT '= \"}\\\"}\" ' 1:1/9\nRBRACE '}' 1:10/1\nEOF '' 1:11/0"},
        {"line feed first", "a > 2\n}",
         "ERROR 'a > 2' 1:1/5\nNEWLINE '\\n' 1:6/1\nRBRACE '}' 2:1/1\nEOF '' 2:2/0"},
        {"end of text first", "a >", "ERROR 'a >' 1:1/3\nEOF '' 1:4/0"},
        {"escaped line feed in a string", "= \"a\\\nb\" } x",
         "LENS_CONTENT '= \"a\\\\nb\" ' 1:1/9\nRBRACE '}' 2:4/1\nIDENT 'x' 2:6/1\nEOF '' 2:7/0"},
        {"backslash at the end inside a string", "\"a\\", "ERROR '\"a\\' 1:1/3\nEOF '' 1:4/0"},
        {"backslash outside a string", "a\\} x",
         "LENS_CONTENT 'a\\' 1:1/2\nRBRACE '}' 1:3/1\nIDENT 'x' 1:5/1\nEOF '' 1:6/0"},
    };
    lexer_test::RenderOptions lens_first;
    lens_first.lens_first = true;
    run_cases(first, std::size(first), lens_first);

    const Case after_brace[] = {
        {"lens in a line", "x {> 2} y\n",
         "IDENT 'x' 1:1/1\nLBRACE '{' 1:3/1\nLENS_CONTENT '> 2' 1:4/3\nRBRACE '}' 1:7/1\n"
         "IDENT 'y' 1:9/1\nNEWLINE '\\n' 1:10/1\nEOF '' 2:1/0"},
        {"lens text with a line feed", "x {> 2\n} y\n",
         "IDENT 'x' 1:1/1\nLBRACE '{' 1:3/1\nERROR '> 2' 1:4/3\nRBRACE '}' 2:1/1\n"
         "IDENT 'y' 2:3/1\nNEWLINE '\\n' 2:4/1\nEOF '' 3:1/0"},
    };
    lexer_test::RenderOptions lens_after;
    lens_after.lens_after_lbrace = true;
    run_cases(after_brace, std::size(after_brace), lens_after);
}

}  // namespace
