// Discarding stack values: each symbol's value is released with the free
// operation of its type. Under the sanitizer build a wrong choice shows up as
// a leak, a double free or a free of memory the symbol does not own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "ast/ast.h"
#include "parser/grammar_symbols.h"
#include "parser/parse_value.h"
#include "parser/value_discard.h"

namespace {

char* dup(const char* text) {
    size_t n = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(n));
    std::memcpy(copy, text, n);
    return copy;
}

Expr* some_expr() { return expr_binary(dup("+"), modifier_ref_empty(), expr_identifier(dup("a")), expr_string(dup("s"))); }

StmtList some_stmts() {
    StmtList list = {nullptr, 0};
    list = stmt_list_append(list, stmt_print(some_expr()));
    list = stmt_list_append(list, stmt_goto(dup("there")));
    return list;
}

ParamList some_params() {
    ParamList params = param_list_append(param_list_empty(), dup("a"));
    return param_list_append_default(params, dup("b"), expr_number(1.0, 1, 1));
}

ExprList some_exprs() {
    return expr_list_append(expr_list_append(expr_list_empty(), some_expr()), expr_nothing());
}

ServerItem* some_item() {
    ServerItemList nested = item_list_append(
        item_list_empty(), item_directive(dup("header"), param_list_append(param_list_empty(), dup("x")), 3, 5));
    return item_site(dup("web"), dup("main"),
                     field_list_append(field_list_empty(), dup("host"), expr_string(dup("h"))),
                     nested, dup("web"), 2, 1);
}

struct OwningCase {
    int symbol;
    std::function<ParseValue()> make;
};

TEST(ValueDiscard, EveryOwningSymbolReleasesItsValue) {
    auto text = [] { ParseValue v; v.text = dup("word"); return v; };
    auto stmts = [] { ParseValue v; v.stmt_list = some_stmts(); return v; };
    auto stmt = [] {
        ParseValue v;
        v.stmt = stmt_while(some_expr(), some_stmts());
        return v;
    };
    auto expr = [] { ParseValue v; v.expr = some_expr(); return v; };
    auto params = [] { ParseValue v; v.params = some_params(); return v; };
    auto exprs = [] { ParseValue v; v.exprs = some_exprs(); return v; };
    auto suffix = [] {
        ParseValue v;
        v.suffix = NameSuffix{SUFFIX_QUALIFIED_CALL, dup("field"), some_exprs()};
        return v;
    };

    std::vector<OwningCase> cases = {
        {YYSYMBOL_IDENT, text}, {YYSYMBOL_STRING, text}, {YYSYMBOL_LENS_CONTENT, text},
        {YYSYMBOL_QUALIFIED_IDENT, text}, {YYSYMBOL_MODIFIER_PREFIX, text}, {YYSYMBOL_variable_name, text},
        {YYSYMBOL_modifier_name, text}, {YYSYMBOL_modifier_word, text}, {YYSYMBOL_for_end, text},
        {YYSYMBOL_modifier_context, text}, {YYSYMBOL_watch_target_path, text},
        {YYSYMBOL_comparison_operator, text}, {YYSYMBOL_field_name, text}, {YYSYMBOL_dot_field_name, text},

        {YYSYMBOL_statement_list, stmts}, {YYSYMBOL_consider_else_opt, stmts},
        {YYSYMBOL_consider_statement_list, stmts}, {YYSYMBOL_if_block_tail, stmts},
        {YYSYMBOL_if_inline_tail, stmts},

        {YYSYMBOL_lvalue, expr}, {YYSYMBOL_expression, expr}, {YYSYMBOL_or_expression, expr},
        {YYSYMBOL_and_expression, expr}, {YYSYMBOL_not_expression, expr},
        {YYSYMBOL_comparison_expression, expr}, {YYSYMBOL_set_expression, expr},
        {YYSYMBOL_additive_expression, expr}, {YYSYMBOL_multiplicative_expression, expr},
        {YYSYMBOL_unary_expression, expr}, {YYSYMBOL_postfix_expression, expr}, {YYSYMBOL_primary, expr},
        {YYSYMBOL_record_literal, expr}, {YYSYMBOL_parameter_default, expr},

        {YYSYMBOL_watch_target_list, params}, {YYSYMBOL_server_string_list, params},
        {YYSYMBOL_parameter_list_opt, params}, {YYSYMBOL_parameter_list, params},
        {YYSYMBOL_argument_list_opt, exprs}, {YYSYMBOL_argument_list, exprs},
        {YYSYMBOL_array_argument_list, exprs},
        {YYSYMBOL_ident_suffix, suffix}, {YYSYMBOL_ident_dot_suffix, suffix},

        {YYSYMBOL_comparison_lens,
         [] {
             ParseValue v;
             v.modifier = modifier_ref_make(dup("approx"), some_exprs());
             return v;
         }},
        {YYSYMBOL_modifier_signature,
         [] {
             ParseValue v;
             v.signature = modifier_signature_make(dup("roughly equal"), some_params());
             return v;
         }},
        {YYSYMBOL_consider_branch_list,
         [] {
             ParseValue v;
             v.branches = branch_list_append(branch_list_empty(), some_expr(), some_stmts());
             return v;
         }},
        {YYSYMBOL_server_item_list,
         [] {
             ParseValue v;
             v.items = item_list_append(item_list_empty(), some_item());
             return v;
         }},
        {YYSYMBOL_server_item, [] { ParseValue v; v.item = some_item(); return v; }},
        {YYSYMBOL_record_field_list,
         [] {
             ParseValue v;
             v.fields = field_list_append_policy(field_list_empty(), dup("n"), some_expr(),
                                                 FIELD_RESET, expr_number(0, 0, 1));
             return v;
         }},
        {YYSYMBOL_field_policy,
         [] {
             ParseValue v;
             v.policy = PolicySpec{FIELD_RESET, some_expr()};
             return v;
         }},
    };
    for (int kind = YYSYMBOL_statement; kind <= YYSYMBOL_inline_statement; ++kind) {
        switch (kind) {
        case YYSYMBOL_statement: case YYSYMBOL_assignment: case YYSYMBOL_print_statement:
        case YYSYMBOL_call_statement: case YYSYMBOL_with_lock_statement: case YYSYMBOL_for_each_statement:
        case YYSYMBOL_do_loop_statement: case YYSYMBOL_while_statement: case YYSYMBOL_consider_statement:
        case YYSYMBOL_consider_body_statement: case YYSYMBOL_function_statement:
        case YYSYMBOL_modifier_statement: case YYSYMBOL_program_statement: case YYSYMBOL_library_statement:
        case YYSYMBOL_use_statement: case YYSYMBOL_watch_statement: case YYSYMBOL_unwatch_statement:
        case YYSYMBOL_server_statement: case YYSYMBOL_without_watchers_statement:
        case YYSYMBOL_on_error_statement: case YYSYMBOL_error_statement: case YYSYMBOL_return_statement:
        case YYSYMBOL_label_statement: case YYSYMBOL_goto_statement: case YYSYMBOL_gosub_statement:
        case YYSYMBOL_break_statement: case YYSYMBOL_continue_statement: case YYSYMBOL_if_statement:
        case YYSYMBOL_inline_statement:
            cases.push_back({kind, stmt});
            break;
        default:
            break;
        }
    }
    EXPECT_EQ(cases.size(), 78u);  // every symbol whose value owns memory
    for (const OwningCase& c : cases) {
        ParseValue value = c.make();
        parser_value_discard(c.symbol, &value);
    }
}

TEST(ValueDiscard, NullAndEmptyValuesAreAccepted) {
    const int symbols[] = {YYSYMBOL_IDENT, YYSYMBOL_for_end, YYSYMBOL_statement, YYSYMBOL_expression,
                           YYSYMBOL_field_policy, YYSYMBOL_ident_suffix, YYSYMBOL_parameter_list,
                           YYSYMBOL_comparison_lens, YYSYMBOL_server_item_list};
    for (int symbol : symbols) {
        ParseValue value;
        std::memset(&value, 0, sizeof value);
        parser_value_discard(symbol, &value);
    }
    parser_value_discard(YYSYMBOL_expression, nullptr);
}

TEST(ValueDiscard, SymbolsWithoutOwnedValuesAreLeftAlone) {
    // The program list belongs to the parse context, and numbers, operators,
    // durations, markers and punctuation own nothing: a value pointing at
    // memory that is not the heap's must survive: freeing it aborts.
    char not_heap[8] = "stack";
    const int symbols[] = {0, 1, 2, 3, 9, 64, 86, 87, 88, YYSYMBOL_DOT, YYSYMBOL_YYACCEPT, YYSYMBOL_program,
                           YYSYMBOL_compound_op, YYSYMBOL_99_1, YYSYMBOL_125_2,
                           YYSYMBOL_126_3, YYSYMBOL_duration_terms, YYSYMBOL_optional_newlines,
                           -1, 171, 100000};
    for (int symbol : symbols) {
        ParseValue value;
        std::memset(&value, 0, sizeof value);
        value.text = not_heap;
        parser_value_discard(symbol, &value);
    }
}

}  // namespace
