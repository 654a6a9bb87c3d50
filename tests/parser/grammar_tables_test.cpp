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

// The symbols whose values the discard routine frees keep their numbers.
#define FIXED_SYMBOL(name, number) static_assert(static_cast<int>(YYSYMBOL_##name) == number, #name)
FIXED_SYMBOL(IDENT, 4);
FIXED_SYMBOL(STRING, 5);
FIXED_SYMBOL(LENS_CONTENT, 6);
FIXED_SYMBOL(QUALIFIED_IDENT, 7);
FIXED_SYMBOL(MODIFIER_PREFIX, 8);
FIXED_SYMBOL(DOT, 89);
FIXED_SYMBOL(YYACCEPT, 90);
FIXED_SYMBOL(program, 91);
FIXED_SYMBOL(statement_list, 92);
FIXED_SYMBOL(statement, 93);
FIXED_SYMBOL(assignment, 94);
FIXED_SYMBOL(compound_op, 95);
FIXED_SYMBOL(lvalue, 96);
FIXED_SYMBOL(variable_name, 97);
FIXED_SYMBOL(comparison_lens, 98);
FIXED_SYMBOL(99_1, 99);
FIXED_SYMBOL(modifier_name, 100);
FIXED_SYMBOL(modifier_word, 101);
FIXED_SYMBOL(print_statement, 102);
FIXED_SYMBOL(call_statement, 103);
FIXED_SYMBOL(with_lock_statement, 104);
FIXED_SYMBOL(for_end, 105);
FIXED_SYMBOL(for_each_statement, 106);
FIXED_SYMBOL(do_loop_statement, 107);
FIXED_SYMBOL(while_statement, 108);
FIXED_SYMBOL(consider_statement, 109);
FIXED_SYMBOL(consider_branch_list, 110);
FIXED_SYMBOL(consider_else_opt, 111);
FIXED_SYMBOL(consider_statement_list, 112);
FIXED_SYMBOL(consider_body_statement, 113);
FIXED_SYMBOL(function_statement, 114);
FIXED_SYMBOL(modifier_statement, 115);
FIXED_SYMBOL(program_statement, 116);
FIXED_SYMBOL(library_statement, 117);
FIXED_SYMBOL(use_statement, 118);
FIXED_SYMBOL(modifier_signature, 119);
FIXED_SYMBOL(modifier_context, 120);
FIXED_SYMBOL(watch_statement, 121);
FIXED_SYMBOL(unwatch_statement, 122);
FIXED_SYMBOL(watch_target_list, 123);
FIXED_SYMBOL(server_statement, 124);
FIXED_SYMBOL(125_2, 125);
FIXED_SYMBOL(126_3, 126);
FIXED_SYMBOL(server_item_list, 127);
FIXED_SYMBOL(server_item, 128);
FIXED_SYMBOL(server_string_list, 129);
FIXED_SYMBOL(watch_target_path, 130);
FIXED_SYMBOL(without_watchers_statement, 131);
FIXED_SYMBOL(on_error_statement, 132);
FIXED_SYMBOL(error_statement, 133);
FIXED_SYMBOL(return_statement, 134);
FIXED_SYMBOL(label_statement, 135);
FIXED_SYMBOL(goto_statement, 136);
FIXED_SYMBOL(gosub_statement, 137);
FIXED_SYMBOL(break_statement, 138);
FIXED_SYMBOL(continue_statement, 139);
FIXED_SYMBOL(if_statement, 140);
FIXED_SYMBOL(if_block_tail, 141);
FIXED_SYMBOL(if_inline_tail, 142);
FIXED_SYMBOL(inline_statement, 143);
FIXED_SYMBOL(expression, 144);
FIXED_SYMBOL(or_expression, 145);
FIXED_SYMBOL(and_expression, 146);
FIXED_SYMBOL(not_expression, 147);
FIXED_SYMBOL(comparison_expression, 148);
FIXED_SYMBOL(set_expression, 149);
FIXED_SYMBOL(additive_expression, 150);
FIXED_SYMBOL(multiplicative_expression, 151);
FIXED_SYMBOL(unary_expression, 152);
FIXED_SYMBOL(postfix_expression, 153);
FIXED_SYMBOL(comparison_operator, 154);
FIXED_SYMBOL(primary, 155);
FIXED_SYMBOL(record_literal, 156);
FIXED_SYMBOL(ident_suffix, 157);
FIXED_SYMBOL(ident_dot_suffix, 158);
FIXED_SYMBOL(duration_terms, 159);
FIXED_SYMBOL(argument_list_opt, 160);
FIXED_SYMBOL(argument_list, 161);
FIXED_SYMBOL(array_argument_list, 162);
FIXED_SYMBOL(parameter_list_opt, 163);
FIXED_SYMBOL(parameter_default, 164);
FIXED_SYMBOL(parameter_list, 165);
FIXED_SYMBOL(field_name, 166);
FIXED_SYMBOL(dot_field_name, 167);
FIXED_SYMBOL(record_field_list, 168);
FIXED_SYMBOL(field_policy, 169);
FIXED_SYMBOL(optional_newlines, 170);
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
    {1, 1, YYSYMBOL_YYACCEPT}, {2, 2, YYSYMBOL_program}, {3, 5, YYSYMBOL_statement_list},
    {6, 32, YYSYMBOL_statement}, {33, 36, YYSYMBOL_assignment}, {37, 40, YYSYMBOL_compound_op},
    {41, 43, YYSYMBOL_lvalue}, {44, 46, YYSYMBOL_variable_name}, {47, 47, YYSYMBOL_99_1},
    {48, 49, YYSYMBOL_comparison_lens}, {50, 51, YYSYMBOL_modifier_name}, {52, 55, YYSYMBOL_modifier_word},
    {56, 57, YYSYMBOL_print_statement}, {58, 62, YYSYMBOL_call_statement},
    {63, 63, YYSYMBOL_with_lock_statement}, {64, 66, YYSYMBOL_for_end}, {67, 72, YYSYMBOL_for_each_statement},
    {73, 73, YYSYMBOL_do_loop_statement}, {74, 74, YYSYMBOL_while_statement},
    {75, 75, YYSYMBOL_consider_statement}, {76, 77, YYSYMBOL_consider_branch_list},
    {78, 79, YYSYMBOL_consider_else_opt}, {80, 82, YYSYMBOL_consider_statement_list},
    {83, 108, YYSYMBOL_consider_body_statement}, {109, 110, YYSYMBOL_function_statement},
    {111, 112, YYSYMBOL_modifier_statement}, {113, 113, YYSYMBOL_program_statement},
    {114, 114, YYSYMBOL_library_statement}, {115, 122, YYSYMBOL_use_statement},
    {123, 124, YYSYMBOL_modifier_signature}, {125, 125, YYSYMBOL_modifier_context},
    {126, 128, YYSYMBOL_watch_statement}, {129, 129, YYSYMBOL_unwatch_statement},
    {130, 131, YYSYMBOL_watch_target_list}, {132, 132, YYSYMBOL_125_2},
    {133, 133, YYSYMBOL_server_statement}, {134, 134, YYSYMBOL_126_3},
    {135, 135, YYSYMBOL_server_statement}, {136, 138, YYSYMBOL_server_item_list},
    {139, 143, YYSYMBOL_server_item}, {144, 145, YYSYMBOL_server_string_list},
    {146, 147, YYSYMBOL_watch_target_path}, {148, 148, YYSYMBOL_without_watchers_statement},
    {149, 156, YYSYMBOL_on_error_statement}, {157, 157, YYSYMBOL_error_statement},
    {158, 159, YYSYMBOL_return_statement}, {160, 160, YYSYMBOL_label_statement},
    {161, 161, YYSYMBOL_goto_statement}, {162, 162, YYSYMBOL_gosub_statement},
    {163, 164, YYSYMBOL_break_statement}, {165, 166, YYSYMBOL_continue_statement},
    {167, 168, YYSYMBOL_if_statement}, {169, 172, YYSYMBOL_if_block_tail}, {173, 177, YYSYMBOL_if_inline_tail},
    {178, 188, YYSYMBOL_inline_statement}, {189, 189, YYSYMBOL_expression}, {190, 191, YYSYMBOL_or_expression},
    {192, 193, YYSYMBOL_and_expression}, {194, 195, YYSYMBOL_not_expression},
    {196, 198, YYSYMBOL_comparison_expression}, {199, 201, YYSYMBOL_set_expression},
    {202, 204, YYSYMBOL_additive_expression}, {205, 207, YYSYMBOL_multiplicative_expression},
    {208, 213, YYSYMBOL_unary_expression}, {214, 218, YYSYMBOL_postfix_expression},
    {219, 228, YYSYMBOL_comparison_operator}, {229, 243, YYSYMBOL_primary}, {244, 245, YYSYMBOL_record_literal},
    {246, 249, YYSYMBOL_ident_suffix}, {250, 251, YYSYMBOL_ident_dot_suffix},
    {252, 253, YYSYMBOL_duration_terms}, {254, 255, YYSYMBOL_argument_list_opt},
    {256, 257, YYSYMBOL_argument_list}, {258, 259, YYSYMBOL_array_argument_list},
    {260, 261, YYSYMBOL_parameter_list_opt}, {262, 269, YYSYMBOL_parameter_default},
    {270, 273, YYSYMBOL_parameter_list}, {274, 275, YYSYMBOL_field_name}, {276, 322, YYSYMBOL_dot_field_name},
    {323, 328, YYSYMBOL_record_field_list}, {329, 330, YYSYMBOL_field_policy},
    {331, 332, YYSYMBOL_optional_newlines},
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
