// Semantic actions for expressions: numbers, operators, calls and the
// suffixes that follow a plain name.

#include <cstdint>
#include <cstdlib>

#include "parser/actions.h"

Expr* number_expr(NumberValue number) {
    return expr_number(number.value, number.integer_value, number.is_integer);
}

NumberValue negate_number(NumberValue number) {
    number.value = -number.value;
    if (number.integer_value == INT64_MIN) {
        number.integer_value = 0;
        number.is_integer = 0;
    } else {
        number.integer_value = -number.integer_value;
    }
    return number;
}

Expr* binary_at(const char* op, Expr* left, Expr* right, SourceSpan at) {
    return expr_at(expr_binary(copy_string(op), modifier_ref_empty(), left, right), at);
}

Expr* unary_at(const char* op, Expr* operand, SourceSpan at) {
    return expr_at(expr_unary(copy_string(op), operand), at);
}

Expr* qualified_call(char* qualified, ExprList args) {
    char* head = nullptr;
    char* tail = nullptr;
    split_qualified_name(qualified, &head, &tail);
    return expr_qualified_call(head, tail, args);
}

Expr* method_call_on_field(Expr* receiver, char* qualified, ExprList args, SourceSpan dot) {
    char* field = nullptr;
    char* method = nullptr;
    split_qualified_name(qualified, &field, &method);
    Expr* object = expr_at(expr_field_access(receiver, field), dot);
    return expr_at(expr_method_call(object, method, args), dot);
}

NameSuffix name_suffix(int32_t kind, char* name, ExprList args) {
    NameSuffix suffix;
    suffix.kind = kind;
    suffix.name = name;
    suffix.args = args;
    return suffix;
}

Expr* name_with_suffix(char* name, NameSuffix suffix, SourceSpan name_at, SourceSpan suffix_at) {
    switch (suffix.kind) {
    case SUFFIX_CALL:
        return expr_at(expr_call(name, suffix.args), name_at);
    case SUFFIX_FIELD: {
        Expr* object = expr_at(expr_identifier(name), name_at);
        return expr_at(expr_field_access(object, suffix.name), suffix_at);
    }
    case SUFFIX_QUALIFIED_CALL:
        // `a.b(x)` written with blanks: the name before the dot qualifies
        // the call, it is not a receiver.
        return expr_at(expr_qualified_call(name, suffix.name, suffix.args), suffix_at);
    case SUFFIX_METHOD_CALL:
        return method_call_on_field(expr_at(expr_identifier(name), name_at), suffix.name,
                                    suffix.args, suffix_at);
    default:
        // SUFFIX_NONE never carries a name or arguments.
        tree_free(suffix.name);
        expr_list_free(suffix.args);
        return expr_at(expr_identifier(name), name_at);
    }
}

int32_t is_modifier_target(const Expr* expr) {
    // Walked as a loop: a chain like a.b.c[1].d may be as long as the line.
    while (expr) {
        switch (expr->kind) {
        case EXPR_IDENTIFIER:
            return 1;
        case EXPR_FIELD_ACCESS:
            expr = expr->field_access.object;
            break;
        case EXPR_INDEX:
            expr = expr->index.target;
            break;
        default:
            return 0;
        }
    }
    return 0;
}
