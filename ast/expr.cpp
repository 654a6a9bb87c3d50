#include "ast/expr.h"

#include "ast/region.h"

namespace {

// One zero-filled block per node, whatever its kind.
Expr* expr_new(ExprKind kind) {
    Expr* expr = static_cast<Expr*>(tree_alloc_zeroed(sizeof(Expr)));
    expr->kind = kind;
    return expr;
}

}  // namespace

Expr* expr_number(double value, int64_t integer_value, int32_t is_integer) {
    Expr* expr = expr_new(EXPR_NUMBER);
    expr->number.value = value;
    expr->number.integer_value = integer_value;
    expr->number.is_integer = is_integer;
    return expr;
}

Expr* expr_string(char* text) {
    Expr* expr = expr_new(EXPR_STRING);
    expr->string.text = text;
    return expr;
}

Expr* expr_identifier(char* name) {
    Expr* expr = expr_new(EXPR_IDENTIFIER);
    expr->identifier.name = name;
    return expr;
}

Expr* expr_boolean(int32_t value) {
    Expr* expr = expr_new(EXPR_BOOLEAN);
    expr->boolean.value = value;
    return expr;
}

Expr* expr_nothing(void) { return expr_new(EXPR_NOTHING); }

Expr* expr_unknown(void) { return expr_new(EXPR_UNKNOWN); }

Expr* expr_array(ExprList elements) {
    Expr* expr = expr_new(EXPR_ARRAY);
    expr->array.elements = elements;
    return expr;
}

Expr* expr_record(RecordFieldList fields) {
    Expr* expr = expr_new(EXPR_RECORD);
    expr->record.fields = fields;
    return expr;
}

Expr* expr_duration(Duration duration) {
    Expr* expr = expr_new(EXPR_DURATION);
    expr->duration.duration = duration;
    return expr;
}

Expr* expr_index(Expr* target, Expr* index) {
    Expr* expr = expr_new(EXPR_INDEX);
    expr->index.target = target;
    expr->index.index = index;
    return expr;
}

Expr* expr_field_access(Expr* object, char* field) {
    Expr* expr = expr_new(EXPR_FIELD_ACCESS);
    expr->field_access.object = object;
    expr->field_access.field = field;
    return expr;
}

Expr* expr_call(char* name, ExprList args) {
    Expr* expr = expr_new(EXPR_CALL);
    expr->call.name = name;
    expr->call.args = args;
    return expr;
}

Expr* expr_qualified_call(char* qualifier, char* name, ExprList args) {
    Expr* expr = expr_call(name, args);
    expr->call.qualifier = qualifier;
    return expr;
}

Expr* expr_method_call(Expr* receiver, char* name, ExprList args) {
    Expr* expr = expr_call(name, args);
    expr->call.receiver = receiver;
    return expr;
}

Expr* expr_binary(char* op, ModifierRef modifier, Expr* left, Expr* right) {
    Expr* expr = expr_new(EXPR_BINARY);
    expr->binary.op = op;
    expr->binary.modifier = modifier;
    expr->binary.left = left;
    expr->binary.right = right;
    return expr;
}

Expr* expr_unary(char* op, Expr* operand) {
    Expr* expr = expr_new(EXPR_UNARY);
    expr->unary.op = op;
    expr->unary.operand = operand;
    return expr;
}

Expr* expr_new_object(Expr* prototype, Expr* with) {
    Expr* expr = expr_new(EXPR_NEW);
    expr->new_object.prototype = prototype;
    expr->new_object.with = with;
    return expr;
}

Expr* expr_spawn(char* name, ExprList args) {
    Expr* expr = expr_new(EXPR_SPAWN);
    expr->spawn.name = name;
    expr->spawn.args = args;
    return expr;
}

Expr* expr_modifier_apply(ModifierRef modifier, Expr* operand) {
    Expr* expr = expr_new(EXPR_MODIFIER_APPLY);
    expr->modifier_apply.modifier = modifier;
    expr->modifier_apply.operand = operand;
    return expr;
}

Expr* expr_set_position(Expr* expr, int32_t line, int32_t column) {
    if (expr == nullptr) return nullptr;
    expr->line = line;
    expr->column = column;
    return expr;
}
