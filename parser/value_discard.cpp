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
    case YYSYMBOL_IDENT:
    case YYSYMBOL_STRING:
    case YYSYMBOL_LENS_CONTENT:
    case YYSYMBOL_QUALIFIED_IDENT:
    case YYSYMBOL_MODIFIER_PREFIX:
    case YYSYMBOL_variable_name:
    case YYSYMBOL_modifier_word:
    case YYSYMBOL_for_end:  // null after `next` alone or `end for`
    case YYSYMBOL_modifier_context:
    case YYSYMBOL_comparison_operator:
    case YYSYMBOL_field_name:
    case YYSYMBOL_dot_field_name:
        tree_free(value->text);
        break;

    // Names still being built word by word.
    case YYSYMBOL_modifier_name:
    case YYSYMBOL_watch_target_path:
        tree_free(value->growing.text);
        break;

    case YYSYMBOL_statement_list:
    case YYSYMBOL_consider_else_opt:
    case YYSYMBOL_consider_statement_list:
    case YYSYMBOL_if_block_tail:
    case YYSYMBOL_if_inline_tail:
        stmt_list_free(value->stmt_list);
        break;

    case YYSYMBOL_statement:
    case YYSYMBOL_assignment:
    case YYSYMBOL_print_statement:
    case YYSYMBOL_call_statement:
    case YYSYMBOL_with_lock_statement:
    case YYSYMBOL_for_each_statement:
    case YYSYMBOL_do_loop_statement:
    case YYSYMBOL_while_statement:
    case YYSYMBOL_consider_statement:
    case YYSYMBOL_consider_body_statement:
    case YYSYMBOL_function_statement:
    case YYSYMBOL_modifier_statement:
    case YYSYMBOL_program_statement:
    case YYSYMBOL_library_statement:
    case YYSYMBOL_use_statement:
    case YYSYMBOL_watch_statement:
    case YYSYMBOL_unwatch_statement:
    case YYSYMBOL_server_statement:
    case YYSYMBOL_without_watchers_statement:
    case YYSYMBOL_on_error_statement:
    case YYSYMBOL_error_statement:
    case YYSYMBOL_return_statement:
    case YYSYMBOL_label_statement:
    case YYSYMBOL_goto_statement:
    case YYSYMBOL_gosub_statement:
    case YYSYMBOL_break_statement:
    case YYSYMBOL_continue_statement:
    case YYSYMBOL_if_statement:
    case YYSYMBOL_inline_statement:
        stmt_free(value->stmt);
        break;

    case YYSYMBOL_lvalue:
    case YYSYMBOL_expression:
    case YYSYMBOL_or_expression:
    case YYSYMBOL_and_expression:
    case YYSYMBOL_not_expression:
    case YYSYMBOL_comparison_expression:
    case YYSYMBOL_set_expression:
    case YYSYMBOL_additive_expression:
    case YYSYMBOL_multiplicative_expression:
    case YYSYMBOL_unary_expression:
    case YYSYMBOL_postfix_expression:
    case YYSYMBOL_primary:
    case YYSYMBOL_record_literal:
    case YYSYMBOL_parameter_default:
        expr_free(value->expr);
        break;

    case YYSYMBOL_comparison_lens:
        modifier_ref_free(value->modifier);
        break;
    case YYSYMBOL_modifier_signature:
        modifier_signature_free(value->signature);
        break;
    case YYSYMBOL_consider_branch_list:
        branch_list_free(value->branches);
        break;

    case YYSYMBOL_watch_target_list:
    case YYSYMBOL_server_string_list:
    case YYSYMBOL_parameter_list_opt:
    case YYSYMBOL_parameter_list:
        param_list_free(value->params);
        break;

    case YYSYMBOL_server_item_list:
        item_list_free(value->items);
        break;
    case YYSYMBOL_server_item:
        item_free(value->item);
        break;

    case YYSYMBOL_ident_suffix:
    case YYSYMBOL_ident_dot_suffix:
        tree_free(value->suffix.name);
        expr_list_free(value->suffix.args);
        break;

    case YYSYMBOL_argument_list_opt:
    case YYSYMBOL_argument_list:
    case YYSYMBOL_array_argument_list:
        expr_list_free(value->exprs);
        break;

    case YYSYMBOL_record_field_list:
        field_list_free(value->fields);
        break;
    case YYSYMBOL_field_policy:
        expr_free(value->policy.reset_value);
        break;

    // Numbers, operator characters, durations, markers, line-break runs and
    // the program symbol (whose list the parse context owns) own nothing.
    default:
        break;
    }
}
