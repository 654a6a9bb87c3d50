#include "parser/value_discard.h"

#include <cstdlib>

#include "ast/ast.h"
#include "parser/grammar_symbols.h"
#include "parser/parse_value.h"

void parser_value_discard(int symbol, ParseValue* value) {
    if (value == nullptr) {
        return;
    }
    switch (symbol) {
    // Owned strings: token texts and the names built from them.
    case SYM_IDENT:
    case SYM_STRING:
    case SYM_LENS_CONTENT:
    case SYM_QUALIFIED_IDENT:
    case SYM_MODIFIER_PREFIX:
    case SYM_VARIABLE_NAME:
    case SYM_MODIFIER_WORD:
    case SYM_FOR_END:  // null after `next` alone or `end for`
    case SYM_MODIFIER_CONTEXT:
    case SYM_COMPARISON_OPERATOR:
    case SYM_FIELD_NAME:
    case SYM_DOT_FIELD_NAME:
        tree_free(value->text);
        break;

    // Names still being built word by word.
    case SYM_MODIFIER_NAME:
    case SYM_WATCH_TARGET_PATH:
        tree_free(value->growing.text);
        break;

    case SYM_STATEMENT_LIST:
    case SYM_CONSIDER_ELSE_OPT:
    case SYM_CONSIDER_STATEMENT_LIST:
    case SYM_IF_BLOCK_TAIL:
    case SYM_IF_INLINE_TAIL:
        stmt_list_free(value->stmt_list);
        break;

    case SYM_STATEMENT:
    case SYM_ASSIGNMENT:
    case SYM_PRINT_STATEMENT:
    case SYM_CALL_STATEMENT:
    case SYM_WITH_LOCK_STATEMENT:
    case SYM_FOR_EACH_STATEMENT:
    case SYM_DO_LOOP_STATEMENT:
    case SYM_WHILE_STATEMENT:
    case SYM_CONSIDER_STATEMENT:
    case SYM_CONSIDER_BODY_STATEMENT:
    case SYM_FUNCTION_STATEMENT:
    case SYM_MODIFIER_STATEMENT:
    case SYM_PROGRAM_STATEMENT:
    case SYM_LIBRARY_STATEMENT:
    case SYM_USE_STATEMENT:
    case SYM_WATCH_STATEMENT:
    case SYM_UNWATCH_STATEMENT:
    case SYM_SERVER_STATEMENT:
    case SYM_WITHOUT_WATCHERS_STATEMENT:
    case SYM_ON_ERROR_STATEMENT:
    case SYM_ERROR_STATEMENT:
    case SYM_RETURN_STATEMENT:
    case SYM_LABEL_STATEMENT:
    case SYM_GOTO_STATEMENT:
    case SYM_GOSUB_STATEMENT:
    case SYM_BREAK_STATEMENT:
    case SYM_CONTINUE_STATEMENT:
    case SYM_IF_STATEMENT:
    case SYM_INLINE_STATEMENT:
        stmt_free(value->stmt);
        break;

    case SYM_LVALUE:
    case SYM_EXPRESSION:
    case SYM_OR_EXPRESSION:
    case SYM_AND_EXPRESSION:
    case SYM_NOT_EXPRESSION:
    case SYM_COMPARISON_EXPRESSION:
    case SYM_SET_EXPRESSION:
    case SYM_ADDITIVE_EXPRESSION:
    case SYM_MULTIPLICATIVE_EXPRESSION:
    case SYM_UNARY_EXPRESSION:
    case SYM_POSTFIX_EXPRESSION:
    case SYM_PRIMARY:
    case SYM_RECORD_LITERAL:
    case SYM_PARAMETER_DEFAULT:
        expr_free(value->expr);
        break;

    case SYM_COMPARISON_LENS:
        modifier_ref_free(value->modifier);
        break;
    case SYM_MODIFIER_SIGNATURE:
        modifier_signature_free(value->signature);
        break;
    case SYM_CONSIDER_BRANCH_LIST:
        branch_list_free(value->branches);
        break;

    case SYM_WATCH_TARGET_LIST:
    case SYM_SERVER_STRING_LIST:
    case SYM_PARAMETER_LIST_OPT:
    case SYM_PARAMETER_LIST:
        param_list_free(value->params);
        break;

    case SYM_SERVER_ITEM_LIST:
        item_list_free(value->items);
        break;
    case SYM_SERVER_ITEM:
        item_free(value->item);
        break;

    case SYM_IDENT_SUFFIX:
    case SYM_IDENT_DOT_SUFFIX:
        tree_free(value->suffix.name);
        expr_list_free(value->suffix.args);
        break;

    case SYM_ARGUMENT_LIST_OPT:
    case SYM_ARGUMENT_LIST:
    case SYM_ARRAY_ARGUMENT_LIST:
        expr_list_free(value->exprs);
        break;

    case SYM_RECORD_FIELD_LIST:
        field_list_free(value->fields);
        break;
    case SYM_FIELD_POLICY:
        expr_free(value->policy.reset_value);
        break;

    // Numbers, operator characters, durations, markers, line-break runs and
    // the program symbol (whose list the parse context owns) own nothing.
    default:
        break;
    }
}
