// The generated tables against the numbers the rest of the parser relies on:
// token codes shared with the bridge, symbol numbers used by the value
// discard, rule numbers and the automaton's size. A private copy of the
// generated parser is compiled here (inside a namespace, so its yyparse does
// not clash with the library's) to make the table macros, the symbol
// enumeration and the static tables visible.
#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "lexer/lexer.h"
#include "parser/token_bridge.h"
#include "parser/actions.h"
#include "parser/error_report.h"
#include "parser/grammar.tab.h"
#include "parser/grammar_symbols.h"
#include "parser/parse_context.h"
#include "parser/value_discard.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
namespace generated_copy {
#include "parser/grammar.tab.cpp"
}
#pragma GCC diagnostic pop

namespace {

using namespace generated_copy;

static_assert(YYNTOKENS == 90, "terminal count");
static_assert(YYNNTS == 81, "nonterminal count");
static_assert(YYNRULES == 332, "rule count");
static_assert(YYFINAL == 3, "final state");
static_assert(YYNSTATES == 707, "LALR(1) state count");
static_assert(YYMAXUTOK == 344, "highest token code");
static_assert(YYNTOKENS == GRAMMAR_TERMINAL_COUNT && YYNNTS == GRAMMAR_NONTERMINAL_COUNT);

// Token codes: 0 for end of input, then 258 upwards in terminal order.
constexpr int TOKEN_CODES[] = {
    TOK_NUMBER, TOK_IDENT, TOK_STRING, TOK_LENS_CONTENT, TOK_QUALIFIED_IDENT,
    TOK_MODIFIER_PREFIX, TOK_AS, TOK_DIM, TOK_PLUS_EQ, TOK_MINUS_EQ, TOK_STAR_EQ, TOK_SLASH_EQ,
    TOK_EXCLUDING, TOK_INTERSECTING, TOK_IF, TOK_CONSIDER_IF, TOK_THEN, TOK_ELSE,
    TOK_CONSIDER_ELSE, TOK_END, TOK_END_CONSIDER, TOK_PRINT, TOK_TRUE, TOK_FALSE, TOK_NOTHING,
    TOK_UNKNOWN_VALUE, TOK_AND, TOK_OR, TOK_NOT, TOK_WITH, TOK_NEW, TOK_SPAWN, TOK_FOR, TOK_TO,
    TOK_STEP, TOK_DO, TOK_UNTIL, TOK_IN, TOK_EACH, TOK_WHILE, TOK_CONSIDER, TOK_BREAK,
    TOK_CONTINUE, TOK_FUNCTION, TOK_RETURN, TOK_GOTO, TOK_GOSUB, TOK_WATCH, TOK_UNWATCH,
    TOK_WITHOUT, TOK_WATCHERS, TOK_ON, TOK_NEXT, TOK_STOP, TOK_ERROR_VALUE, TOK_MODIFIER,
    TOK_PROGRAM, TOK_LIBRARY, TOK_LOAD, TOK_USE, TOK_EXPORT, TOK_OP_EQ, TOK_OP_NE, TOK_OP_GT,
    TOK_OP_LT, TOK_OP_GE, TOK_OP_LE, TOK_OP_NGT, TOK_OP_NLT, TOK_OP_NGE, TOK_OP_NLE, TOK_PLUS,
    TOK_MINUS, TOK_STAR, TOK_SLASH, TOK_LPAREN, TOK_RPAREN, TOK_LBRACKET, TOK_RBRACKET,
    TOK_LBRACE, TOK_RBRACE, TOK_COMMA, TOK_COLON, TOK_NEWLINE, TOK_IF_WITHOUT_ELSE, TOK_NO_DOT,
    TOK_DOT,
};

constexpr bool codes_run_from_258() {
    int expected = 258;
    for (int code : TOKEN_CODES) {
        if (code != expected++) {
            return false;
        }
    }
    return expected == 345;
}
static_assert(TOK_YYEOF == 0 && TOK_YYerror == 256 && TOK_YYUNDEF == 257);
static_assert(TOK_NUMBER == 258 && TOK_DOT == 344);
static_assert(codes_run_from_258(), "token codes must be 258..344 in terminal order");

// The symbols whose values the discard routine frees.
#define SAME_SYMBOL(ours, theirs) \
    static_assert(static_cast<int>(ours) == static_cast<int>(YYSYMBOL_##theirs), #theirs)
SAME_SYMBOL(SYM_IDENT, IDENT);
SAME_SYMBOL(SYM_STRING, STRING);
SAME_SYMBOL(SYM_LENS_CONTENT, LENS_CONTENT);
SAME_SYMBOL(SYM_QUALIFIED_IDENT, QUALIFIED_IDENT);
SAME_SYMBOL(SYM_MODIFIER_PREFIX, MODIFIER_PREFIX);
SAME_SYMBOL(SYM_DOT, DOT);
SAME_SYMBOL(SYM_ACCEPT, YYACCEPT);
SAME_SYMBOL(SYM_PROGRAM, program);
SAME_SYMBOL(SYM_STATEMENT_LIST, statement_list);
SAME_SYMBOL(SYM_STATEMENT, statement);
SAME_SYMBOL(SYM_ASSIGNMENT, assignment);
SAME_SYMBOL(SYM_COMPOUND_OP, compound_op);
SAME_SYMBOL(SYM_LVALUE, lvalue);
SAME_SYMBOL(SYM_VARIABLE_NAME, variable_name);
SAME_SYMBOL(SYM_COMPARISON_LENS, comparison_lens);
SAME_SYMBOL(SYM_LENS_MARKER, 99_1);
SAME_SYMBOL(SYM_MODIFIER_NAME, modifier_name);
SAME_SYMBOL(SYM_MODIFIER_WORD, modifier_word);
SAME_SYMBOL(SYM_PRINT_STATEMENT, print_statement);
SAME_SYMBOL(SYM_CALL_STATEMENT, call_statement);
SAME_SYMBOL(SYM_WITH_LOCK_STATEMENT, with_lock_statement);
SAME_SYMBOL(SYM_FOR_END, for_end);
SAME_SYMBOL(SYM_FOR_EACH_STATEMENT, for_each_statement);
SAME_SYMBOL(SYM_DO_LOOP_STATEMENT, do_loop_statement);
SAME_SYMBOL(SYM_WHILE_STATEMENT, while_statement);
SAME_SYMBOL(SYM_CONSIDER_STATEMENT, consider_statement);
SAME_SYMBOL(SYM_CONSIDER_BRANCH_LIST, consider_branch_list);
SAME_SYMBOL(SYM_CONSIDER_ELSE_OPT, consider_else_opt);
SAME_SYMBOL(SYM_CONSIDER_STATEMENT_LIST, consider_statement_list);
SAME_SYMBOL(SYM_CONSIDER_BODY_STATEMENT, consider_body_statement);
SAME_SYMBOL(SYM_FUNCTION_STATEMENT, function_statement);
SAME_SYMBOL(SYM_MODIFIER_STATEMENT, modifier_statement);
SAME_SYMBOL(SYM_PROGRAM_STATEMENT, program_statement);
SAME_SYMBOL(SYM_LIBRARY_STATEMENT, library_statement);
SAME_SYMBOL(SYM_USE_STATEMENT, use_statement);
SAME_SYMBOL(SYM_MODIFIER_SIGNATURE, modifier_signature);
SAME_SYMBOL(SYM_MODIFIER_CONTEXT, modifier_context);
SAME_SYMBOL(SYM_WATCH_STATEMENT, watch_statement);
SAME_SYMBOL(SYM_UNWATCH_STATEMENT, unwatch_statement);
SAME_SYMBOL(SYM_WATCH_TARGET_LIST, watch_target_list);
SAME_SYMBOL(SYM_SERVER_STATEMENT, server_statement);
SAME_SYMBOL(SYM_SERVER_OPTIONS_MARKER, 125_2);
SAME_SYMBOL(SYM_SERVER_BARE_MARKER, 126_3);
SAME_SYMBOL(SYM_SERVER_ITEM_LIST, server_item_list);
SAME_SYMBOL(SYM_SERVER_ITEM, server_item);
SAME_SYMBOL(SYM_SERVER_STRING_LIST, server_string_list);
SAME_SYMBOL(SYM_WATCH_TARGET_PATH, watch_target_path);
SAME_SYMBOL(SYM_WITHOUT_WATCHERS_STATEMENT, without_watchers_statement);
SAME_SYMBOL(SYM_ON_ERROR_STATEMENT, on_error_statement);
SAME_SYMBOL(SYM_ERROR_STATEMENT, error_statement);
SAME_SYMBOL(SYM_RETURN_STATEMENT, return_statement);
SAME_SYMBOL(SYM_LABEL_STATEMENT, label_statement);
SAME_SYMBOL(SYM_GOTO_STATEMENT, goto_statement);
SAME_SYMBOL(SYM_GOSUB_STATEMENT, gosub_statement);
SAME_SYMBOL(SYM_BREAK_STATEMENT, break_statement);
SAME_SYMBOL(SYM_CONTINUE_STATEMENT, continue_statement);
SAME_SYMBOL(SYM_IF_STATEMENT, if_statement);
SAME_SYMBOL(SYM_IF_BLOCK_TAIL, if_block_tail);
SAME_SYMBOL(SYM_IF_INLINE_TAIL, if_inline_tail);
SAME_SYMBOL(SYM_INLINE_STATEMENT, inline_statement);
SAME_SYMBOL(SYM_EXPRESSION, expression);
SAME_SYMBOL(SYM_OR_EXPRESSION, or_expression);
SAME_SYMBOL(SYM_AND_EXPRESSION, and_expression);
SAME_SYMBOL(SYM_NOT_EXPRESSION, not_expression);
SAME_SYMBOL(SYM_COMPARISON_EXPRESSION, comparison_expression);
SAME_SYMBOL(SYM_SET_EXPRESSION, set_expression);
SAME_SYMBOL(SYM_ADDITIVE_EXPRESSION, additive_expression);
SAME_SYMBOL(SYM_MULTIPLICATIVE_EXPRESSION, multiplicative_expression);
SAME_SYMBOL(SYM_UNARY_EXPRESSION, unary_expression);
SAME_SYMBOL(SYM_POSTFIX_EXPRESSION, postfix_expression);
SAME_SYMBOL(SYM_COMPARISON_OPERATOR, comparison_operator);
SAME_SYMBOL(SYM_PRIMARY, primary);
SAME_SYMBOL(SYM_RECORD_LITERAL, record_literal);
SAME_SYMBOL(SYM_IDENT_SUFFIX, ident_suffix);
SAME_SYMBOL(SYM_IDENT_DOT_SUFFIX, ident_dot_suffix);
SAME_SYMBOL(SYM_DURATION_TERMS, duration_terms);
SAME_SYMBOL(SYM_ARGUMENT_LIST_OPT, argument_list_opt);
SAME_SYMBOL(SYM_ARGUMENT_LIST, argument_list);
SAME_SYMBOL(SYM_ARRAY_ARGUMENT_LIST, array_argument_list);
SAME_SYMBOL(SYM_PARAMETER_LIST_OPT, parameter_list_opt);
SAME_SYMBOL(SYM_PARAMETER_DEFAULT, parameter_default);
SAME_SYMBOL(SYM_PARAMETER_LIST, parameter_list);
SAME_SYMBOL(SYM_FIELD_NAME, field_name);
SAME_SYMBOL(SYM_DOT_FIELD_NAME, dot_field_name);
SAME_SYMBOL(SYM_RECORD_FIELD_LIST, record_field_list);
SAME_SYMBOL(SYM_FIELD_POLICY, field_policy);
SAME_SYMBOL(SYM_OPTIONAL_NEWLINES, optional_newlines);
#undef SAME_SYMBOL

// Terminal names as messages print them (before the driver strips the
// quotes of the first and third).
const char* const TERMINAL_NAMES[] = {
    "\"end of file\"", "error", "\"invalid token\"", "NUMBER", "IDENT", "STRING",
    "LENS_CONTENT", "QUALIFIED_IDENT", "MODIFIER_PREFIX", "AS", "DIM", "PLUS_EQ", "MINUS_EQ",
    "STAR_EQ", "SLASH_EQ", "EXCLUDING", "INTERSECTING", "IF", "CONSIDER_IF", "THEN", "ELSE",
    "CONSIDER_ELSE", "END", "END_CONSIDER", "PRINT", "TRUE", "FALSE", "NOTHING",
    "UNKNOWN_VALUE", "AND", "OR", "NOT", "WITH", "NEW", "SPAWN", "FOR", "TO", "STEP", "DO",
    "UNTIL", "IN", "EACH", "WHILE", "CONSIDER", "BREAK", "CONTINUE", "FUNCTION", "RETURN",
    "GOTO", "GOSUB", "WATCH", "UNWATCH", "WITHOUT", "WATCHERS", "ON", "NEXT", "STOP",
    "ERROR_VALUE", "MODIFIER", "PROGRAM", "LIBRARY", "LOAD", "USE", "EXPORT", "OP_EQ", "OP_NE",
    "OP_GT", "OP_LT", "OP_GE", "OP_LE", "OP_NGT", "OP_NLT", "OP_NGE", "OP_NLE", "PLUS", "MINUS",
    "STAR", "SLASH", "LPAREN", "RPAREN", "LBRACKET", "RBRACKET", "LBRACE", "RBRACE", "COMMA",
    "COLON", "NEWLINE", "IF_WITHOUT_ELSE", "NO_DOT", "DOT",
};
static_assert(sizeof TERMINAL_NAMES / sizeof TERMINAL_NAMES[0] == 90);

TEST(GrammarTables, TerminalNamesInOrder) {
    for (int t = 0; t < YYNTOKENS; ++t) {
        EXPECT_STREQ(yytname[t], TERMINAL_NAMES[t]) << "terminal " << t;
    }
}

TEST(GrammarTables, MessagesPrintQuotedNamesWithoutQuotes) {
    // A double-quoted name loses its quotes unless the text inside holds an
    // apostrophe, a comma or a backslash other than a doubled one.
    struct Case {
        const char* name;
        const char* printed;
    } cases[] = {
        {"\"end of file\"", "end of file"},
        {"\"invalid token\"", "invalid token"},
        {"NUMBER", "NUMBER"},
        {"\"a\\\\b\"", "a\\b"},
        {"\"it's\"", "\"it's\""},
        {"\"a, b\"", "\"a, b\""},
        {"\"a\\nb\"", "\"a\\nb\""},
    };
    for (const Case& c : cases) {
        char printed[64] = {};
        const auto length = yytnamerr(printed, c.name);
        EXPECT_STREQ(printed, c.printed) << c.name;
        EXPECT_EQ(static_cast<size_t>(length), std::strlen(c.printed)) << c.name;
    }
}

TEST(GrammarTables, TokenCodesTranslateToTerminalNumbers) {
    // Codes 258..344 map to terminal code - 255, end of input to 0, and
    // the codes the bridge never sends to the invalid token. (The driver
    // takes every code of 0 or below as end of input before translating.)
    EXPECT_EQ(YYTRANSLATE(0), YYSYMBOL_YYEOF);
    for (int code = 258; code <= 344; ++code) {
        EXPECT_EQ(YYTRANSLATE(code), code - 255) << code;
    }
    for (int code : {1, 10, 59, 255, 257, 345, 100000}) {
        EXPECT_EQ(YYTRANSLATE(code), YYSYMBOL_YYUNDEF) << code;
    }
}

struct RuleRange {
    int first;
    int last;
    int lhs;
};

// Rule numbers by left-hand side, in the grammar's order.
const RuleRange RULES_BY_LHS[] = {
    {1, 1, SYM_ACCEPT}, {2, 2, SYM_PROGRAM}, {3, 5, SYM_STATEMENT_LIST},
    {6, 32, SYM_STATEMENT}, {33, 36, SYM_ASSIGNMENT}, {37, 40, SYM_COMPOUND_OP},
    {41, 43, SYM_LVALUE}, {44, 46, SYM_VARIABLE_NAME}, {47, 47, SYM_LENS_MARKER},
    {48, 49, SYM_COMPARISON_LENS}, {50, 51, SYM_MODIFIER_NAME}, {52, 55, SYM_MODIFIER_WORD},
    {56, 57, SYM_PRINT_STATEMENT}, {58, 62, SYM_CALL_STATEMENT},
    {63, 63, SYM_WITH_LOCK_STATEMENT}, {64, 66, SYM_FOR_END}, {67, 72, SYM_FOR_EACH_STATEMENT},
    {73, 73, SYM_DO_LOOP_STATEMENT}, {74, 74, SYM_WHILE_STATEMENT},
    {75, 75, SYM_CONSIDER_STATEMENT}, {76, 77, SYM_CONSIDER_BRANCH_LIST},
    {78, 79, SYM_CONSIDER_ELSE_OPT}, {80, 82, SYM_CONSIDER_STATEMENT_LIST},
    {83, 108, SYM_CONSIDER_BODY_STATEMENT}, {109, 110, SYM_FUNCTION_STATEMENT},
    {111, 112, SYM_MODIFIER_STATEMENT}, {113, 113, SYM_PROGRAM_STATEMENT},
    {114, 114, SYM_LIBRARY_STATEMENT}, {115, 122, SYM_USE_STATEMENT},
    {123, 124, SYM_MODIFIER_SIGNATURE}, {125, 125, SYM_MODIFIER_CONTEXT},
    {126, 128, SYM_WATCH_STATEMENT}, {129, 129, SYM_UNWATCH_STATEMENT},
    {130, 131, SYM_WATCH_TARGET_LIST}, {132, 132, SYM_SERVER_OPTIONS_MARKER},
    {133, 133, SYM_SERVER_STATEMENT}, {134, 134, SYM_SERVER_BARE_MARKER},
    {135, 135, SYM_SERVER_STATEMENT}, {136, 138, SYM_SERVER_ITEM_LIST},
    {139, 143, SYM_SERVER_ITEM}, {144, 145, SYM_SERVER_STRING_LIST},
    {146, 147, SYM_WATCH_TARGET_PATH}, {148, 148, SYM_WITHOUT_WATCHERS_STATEMENT},
    {149, 156, SYM_ON_ERROR_STATEMENT}, {157, 157, SYM_ERROR_STATEMENT},
    {158, 159, SYM_RETURN_STATEMENT}, {160, 160, SYM_LABEL_STATEMENT},
    {161, 161, SYM_GOTO_STATEMENT}, {162, 162, SYM_GOSUB_STATEMENT},
    {163, 164, SYM_BREAK_STATEMENT}, {165, 166, SYM_CONTINUE_STATEMENT},
    {167, 168, SYM_IF_STATEMENT}, {169, 172, SYM_IF_BLOCK_TAIL}, {173, 177, SYM_IF_INLINE_TAIL},
    {178, 188, SYM_INLINE_STATEMENT}, {189, 189, SYM_EXPRESSION}, {190, 191, SYM_OR_EXPRESSION},
    {192, 193, SYM_AND_EXPRESSION}, {194, 195, SYM_NOT_EXPRESSION},
    {196, 198, SYM_COMPARISON_EXPRESSION}, {199, 201, SYM_SET_EXPRESSION},
    {202, 204, SYM_ADDITIVE_EXPRESSION}, {205, 207, SYM_MULTIPLICATIVE_EXPRESSION},
    {208, 213, SYM_UNARY_EXPRESSION}, {214, 218, SYM_POSTFIX_EXPRESSION},
    {219, 228, SYM_COMPARISON_OPERATOR}, {229, 243, SYM_PRIMARY}, {244, 245, SYM_RECORD_LITERAL},
    {246, 249, SYM_IDENT_SUFFIX}, {250, 251, SYM_IDENT_DOT_SUFFIX},
    {252, 253, SYM_DURATION_TERMS}, {254, 255, SYM_ARGUMENT_LIST_OPT},
    {256, 257, SYM_ARGUMENT_LIST}, {258, 259, SYM_ARRAY_ARGUMENT_LIST},
    {260, 261, SYM_PARAMETER_LIST_OPT}, {262, 269, SYM_PARAMETER_DEFAULT},
    {270, 273, SYM_PARAMETER_LIST}, {274, 275, SYM_FIELD_NAME}, {276, 322, SYM_DOT_FIELD_NAME},
    {323, 328, SYM_RECORD_FIELD_LIST}, {329, 330, SYM_FIELD_POLICY},
    {331, 332, SYM_OPTIONAL_NEWLINES},
};

TEST(GrammarTables, RulesAreNumberedByLeftHandSide) {
    int next = 1;
    for (const RuleRange& range : RULES_BY_LHS) {
        ASSERT_EQ(range.first, next);
        for (int rule = range.first; rule <= range.last; ++rule) {
            EXPECT_EQ(yyr1[rule], range.lhs) << "rule " << rule;
        }
        next = range.last + 1;
    }
    EXPECT_EQ(next, YYNRULES + 1);
}

TEST(GrammarTables, RuleLengthsOfMarkersAndBlockRules) {
    struct Length {
        int rule;
        int symbols;
    } lengths[] = {
        {1, 2}, {2, 1}, {3, 0}, {47, 0}, {48, 4}, {63, 10}, {72, 11}, {132, 0}, {133, 11},
        {134, 0}, {135, 10}, {173, 0}, {246, 0}, {328, 9}, {331, 0}, {332, 2},
    };
    for (const Length& l : lengths) {
        EXPECT_EQ(yyr2[l.rule], l.symbols) << "rule " << l.rule;
    }
}

TEST(GrammarTables, MarkerRulesReduceWithoutLookahead) {
    // Each marker is reduced in a state with no other action, so the parser
    // never reads a token before the marker's action runs (the lens marker
    // switches the lexer to raw lens text for that very token).
    int marker_states = 0;
    for (int state = 0; state < YYNSTATES; ++state) {
        const int rule = yydefact[state];
        if (rule != 47 && rule != 132 && rule != 134) {
            continue;
        }
        ++marker_states;
        EXPECT_TRUE(yypact_value_is_default(yypact[state])) << "state " << state;
    }
    EXPECT_GE(marker_states, 3);
}

TEST(GrammarTables, StackLimits) {
    EXPECT_EQ(YYINITDEPTH, 200);
    EXPECT_EQ(YYMAXDEPTH, 10000);
}

}  // namespace
