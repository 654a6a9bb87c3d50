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
        {SYM_IDENT, text}, {SYM_STRING, text}, {SYM_LENS_CONTENT, text},
        {SYM_QUALIFIED_IDENT, text}, {SYM_MODIFIER_PREFIX, text}, {SYM_VARIABLE_NAME, text},
        {SYM_MODIFIER_NAME, text}, {SYM_MODIFIER_WORD, text}, {SYM_FOR_END, text},
        {SYM_MODIFIER_CONTEXT, text}, {SYM_WATCH_TARGET_PATH, text},
        {SYM_COMPARISON_OPERATOR, text}, {SYM_FIELD_NAME, text}, {SYM_DOT_FIELD_NAME, text},

        {SYM_STATEMENT_LIST, stmts}, {SYM_CONSIDER_ELSE_OPT, stmts},
        {SYM_CONSIDER_STATEMENT_LIST, stmts}, {SYM_IF_BLOCK_TAIL, stmts},
        {SYM_IF_INLINE_TAIL, stmts},

        {SYM_LVALUE, expr}, {SYM_EXPRESSION, expr}, {SYM_OR_EXPRESSION, expr},
        {SYM_AND_EXPRESSION, expr}, {SYM_NOT_EXPRESSION, expr},
        {SYM_COMPARISON_EXPRESSION, expr}, {SYM_SET_EXPRESSION, expr},
        {SYM_ADDITIVE_EXPRESSION, expr}, {SYM_MULTIPLICATIVE_EXPRESSION, expr},
        {SYM_UNARY_EXPRESSION, expr}, {SYM_POSTFIX_EXPRESSION, expr}, {SYM_PRIMARY, expr},
        {SYM_RECORD_LITERAL, expr}, {SYM_PARAMETER_DEFAULT, expr},

        {SYM_WATCH_TARGET_LIST, params}, {SYM_SERVER_STRING_LIST, params},
        {SYM_PARAMETER_LIST_OPT, params}, {SYM_PARAMETER_LIST, params},
        {SYM_ARGUMENT_LIST_OPT, exprs}, {SYM_ARGUMENT_LIST, exprs},
        {SYM_ARRAY_ARGUMENT_LIST, exprs},
        {SYM_IDENT_SUFFIX, suffix}, {SYM_IDENT_DOT_SUFFIX, suffix},

        {SYM_COMPARISON_LENS,
         [] {
             ParseValue v;
             v.modifier = modifier_ref_make(dup("approx"), some_exprs());
             return v;
         }},
        {SYM_MODIFIER_SIGNATURE,
         [] {
             ParseValue v;
             v.signature = modifier_signature_make(dup("roughly equal"), some_params());
             return v;
         }},
        {SYM_CONSIDER_BRANCH_LIST,
         [] {
             ParseValue v;
             v.branches = branch_list_append(branch_list_empty(), some_expr(), some_stmts());
             return v;
         }},
        {SYM_SERVER_ITEM_LIST,
         [] {
             ParseValue v;
             v.items = item_list_append(item_list_empty(), some_item());
             return v;
         }},
        {SYM_SERVER_ITEM, [] { ParseValue v; v.item = some_item(); return v; }},
        {SYM_RECORD_FIELD_LIST,
         [] {
             ParseValue v;
             v.fields = field_list_append_policy(field_list_empty(), dup("n"), some_expr(),
                                                 FIELD_RESET, expr_number(0, 0, 1));
             return v;
         }},
        {SYM_FIELD_POLICY,
         [] {
             ParseValue v;
             v.policy = PolicySpec{FIELD_RESET, some_expr()};
             return v;
         }},
    };
    for (int kind = SYM_STATEMENT; kind <= SYM_INLINE_STATEMENT; ++kind) {
        switch (kind) {
        case SYM_STATEMENT: case SYM_ASSIGNMENT: case SYM_PRINT_STATEMENT:
        case SYM_CALL_STATEMENT: case SYM_WITH_LOCK_STATEMENT: case SYM_FOR_EACH_STATEMENT:
        case SYM_DO_LOOP_STATEMENT: case SYM_WHILE_STATEMENT: case SYM_CONSIDER_STATEMENT:
        case SYM_CONSIDER_BODY_STATEMENT: case SYM_FUNCTION_STATEMENT:
        case SYM_MODIFIER_STATEMENT: case SYM_PROGRAM_STATEMENT: case SYM_LIBRARY_STATEMENT:
        case SYM_USE_STATEMENT: case SYM_WATCH_STATEMENT: case SYM_UNWATCH_STATEMENT:
        case SYM_SERVER_STATEMENT: case SYM_WITHOUT_WATCHERS_STATEMENT:
        case SYM_ON_ERROR_STATEMENT: case SYM_ERROR_STATEMENT: case SYM_RETURN_STATEMENT:
        case SYM_LABEL_STATEMENT: case SYM_GOTO_STATEMENT: case SYM_GOSUB_STATEMENT:
        case SYM_BREAK_STATEMENT: case SYM_CONTINUE_STATEMENT: case SYM_IF_STATEMENT:
        case SYM_INLINE_STATEMENT:
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
    const int symbols[] = {SYM_IDENT, SYM_FOR_END, SYM_STATEMENT, SYM_EXPRESSION,
                           SYM_FIELD_POLICY, SYM_IDENT_SUFFIX, SYM_PARAMETER_LIST,
                           SYM_COMPARISON_LENS, SYM_SERVER_ITEM_LIST};
    for (int symbol : symbols) {
        ParseValue value;
        std::memset(&value, 0, sizeof value);
        parser_value_discard(symbol, &value);
    }
    parser_value_discard(SYM_EXPRESSION, nullptr);
}

TEST(ValueDiscard, SymbolsWithoutOwnedValuesAreLeftAlone) {
    // The program list belongs to the parse context, and numbers, operators,
    // durations, markers and punctuation own nothing: a value pointing at
    // memory that is not the heap's must survive: freeing it aborts.
    char not_heap[8] = "stack";
    const int symbols[] = {0, 1, 2, 3, 9, 64, 86, 87, 88, SYM_DOT, SYM_ACCEPT, SYM_PROGRAM,
                           SYM_COMPOUND_OP, SYM_LENS_MARKER, SYM_SERVER_OPTIONS_MARKER,
                           SYM_SERVER_BARE_MARKER, SYM_DURATION_TERMS, SYM_OPTIONAL_NEWLINES,
                           -1, 171, 100000};
    for (int symbol : symbols) {
        ParseValue value;
        std::memset(&value, 0, sizeof value);
        value.text = not_heap;
        parser_value_discard(symbol, &value);
    }
}

}  // namespace
