#include <cstdlib>

#include "ast/alloc.h"
#include "ast/dump.h"

// Expressions are printed from an explicit task stack rather than by
// recursion: a long operator chain is as deep as it is long, and the dump
// must not be the thing that overflows on it. Children are pushed in reverse
// so that they come off the stack in print order.
namespace {

enum TaskKind : int32_t { TASK_EXPR, TASK_HEADING, TASK_FIELD };

struct Task {
    TaskKind kind;
    int depth;
    const void* node;  // Expr, heading text, or RecordField
};

struct TaskStack {
    Task* items;
    size_t count;
    size_t capacity;
};

void push(TaskStack* stack, TaskKind kind, const void* node, int depth) {
    if (stack->count == stack->capacity) {
        stack->capacity = stack->capacity == 0 ? 32 : stack->capacity * 2;
        stack->items = static_cast<Task*>(realloc_or_abort(stack->items, stack->capacity * sizeof(Task)));
    }
    stack->items[stack->count++] = Task{kind, depth, node};
}

const char* text(const char* s) { return s != nullptr ? s : "(null)"; }

const char* policy_suffix(FieldPolicy policy) {
    switch (policy) {
    case FIELD_LINK: return " (link)";
    case FIELD_RESET: return " (reset)";
    case FIELD_EXCLUDE: return " (exclude)";
    default: return "";
    }
}

void push_list_reversed(TaskStack* stack, ExprList list, int depth) {
    for (size_t i = list.count; i > 0; i--) push(stack, TASK_EXPR, list.items[i - 1], depth);
}

void push_record_fields(TaskStack* stack, RecordFieldList fields, int d) {
    for (size_t i = fields.count; i > 0; i--) {
        const RecordField* field = &fields.items[i - 1];
        push(stack, TASK_EXPR, field->value, d + 2);
        if (field->policy == FIELD_RESET && field->reset_value != nullptr) {
            push(stack, TASK_EXPR, field->reset_value, d + 3);
            push(stack, TASK_HEADING, "ResetValue", d + 2);
        }
        push(stack, TASK_FIELD, field, d + 1);
    }
}

void print_binary(FILE* out, TaskStack* stack, const Expr* e, int d) {
    const ModifierRef* mod = &e->binary.modifier;
    if (mod->name != nullptr && mod->qualifier != nullptr) {
        std::fprintf(out, "Binary %s modifier(%s.%s)\n", text(e->binary.op), mod->qualifier, mod->name);
    } else if (mod->name != nullptr) {
        std::fprintf(out, "Binary %s modifier(%s)\n", text(e->binary.op), mod->name);
    } else {
        std::fprintf(out, "Binary %s\n", text(e->binary.op));
    }
    push(stack, TASK_EXPR, e->binary.right, d + 1);
    push(stack, TASK_EXPR, e->binary.left, d + 1);
    if (mod->name != nullptr) push_list_reversed(stack, mod->args, d + 1);
}

void print_call(FILE* out, TaskStack* stack, const Expr* e, int d) {
    push_list_reversed(stack, e->call.args, d + 1);
    if (e->call.receiver != nullptr) {
        std::fprintf(out, "MethodCall .%s\n", text(e->call.name));
        push(stack, TASK_EXPR, e->call.receiver, d + 1);
    } else if (e->call.qualifier != nullptr) {
        std::fprintf(out, "Call %s.%s\n", e->call.qualifier, text(e->call.name));
    } else {
        std::fprintf(out, "Call %s\n", text(e->call.name));
    }
}

// Prints the node's own line (indentation already written) and schedules its children.
void print_expr(FILE* out, TaskStack* stack, const Expr* e, int d) {
    switch (e->kind) {
    case EXPR_NUMBER: std::fprintf(out, "Number %g\n", e->number.value); break;
    case EXPR_STRING: std::fprintf(out, "String \"%s\"\n", text(e->string.text)); break;
    case EXPR_IDENTIFIER: std::fprintf(out, "Identifier %s\n", text(e->identifier.name)); break;
    case EXPR_BOOLEAN: std::fprintf(out, "Boolean %s\n", e->boolean.value ? "true" : "false"); break;
    case EXPR_NOTHING: std::fputs("Nothing\n", out); break;
    case EXPR_UNKNOWN: std::fputs("Unknown\n", out); break;
    case EXPR_ARRAY:
        std::fputs("Array\n", out);
        push_list_reversed(stack, e->array.elements, d + 1);
        break;
    case EXPR_RECORD:
        std::fputs("Record\n", out);
        push_record_fields(stack, e->record.fields, d);
        break;
    case EXPR_DURATION: {
        const Duration* t = &e->duration.duration;
        std::fprintf(out, "Duration years=%d months=%d weeks=%d days=%d hours=%d minutes=%d seconds=%d\n",
                     t->years, t->months, t->weeks, t->days, t->hours, t->minutes, t->seconds);
        break;
    }
    case EXPR_INDEX:
        std::fputs("Index\n", out);
        push(stack, TASK_EXPR, e->index.index, d + 2);
        push(stack, TASK_HEADING, "Subscript", d + 1);
        push(stack, TASK_EXPR, e->index.target, d + 2);
        push(stack, TASK_HEADING, "Array", d + 1);
        break;
    case EXPR_FIELD_ACCESS:
        std::fprintf(out, "FieldAccess %s\n", text(e->field_access.field));
        push(stack, TASK_EXPR, e->field_access.object, d + 1);
        break;
    case EXPR_CALL: print_call(out, stack, e, d); break;
    case EXPR_BINARY: print_binary(out, stack, e, d); break;
    case EXPR_UNARY:
        std::fprintf(out, "Unary %s\n", text(e->unary.op));
        push(stack, TASK_EXPR, e->unary.operand, d + 1);
        break;
    case EXPR_NEW:
        std::fputs("New\n", out);
        if (e->new_object.with != nullptr) {
            push(stack, TASK_EXPR, e->new_object.with, d + 2);
            push(stack, TASK_HEADING, "With", d + 1);
        }
        push(stack, TASK_EXPR, e->new_object.prototype, d + 2);
        push(stack, TASK_HEADING, "Prototype", d + 1);
        break;
    case EXPR_SPAWN:
        std::fprintf(out, "Spawn %s\n", text(e->spawn.name));
        push_list_reversed(stack, e->spawn.args, d + 1);
        break;
    case EXPR_MODIFIER_APPLY:
        std::fprintf(out, "ModifierApply %s\n", text(e->modifier_apply.modifier.name));
        push(stack, TASK_EXPR, e->modifier_apply.operand, d + 1);
        break;
    default: std::fprintf(out, "UnknownExpression %d\n", static_cast<int>(e->kind)); break;
    }
}

}  // namespace

void dump_indent(FILE* out, int depth) {
    for (int i = 0; i < depth; i++) std::fputs("  ", out);
}

void dump_expr(FILE* out, const Expr* expr, int depth) {
    TaskStack stack{nullptr, 0, 0};
    push(&stack, TASK_EXPR, expr, depth);
    while (stack.count > 0) {
        Task task = stack.items[--stack.count];
        dump_indent(out, task.depth);
        if (task.kind == TASK_HEADING) {
            std::fprintf(out, "%s\n", static_cast<const char*>(task.node));
        } else if (task.kind == TASK_FIELD) {
            const RecordField* field = static_cast<const RecordField*>(task.node);
            std::fprintf(out, "Field %s%s\n", text(field->name), policy_suffix(field->policy));
        } else if (task.node == nullptr) {
            std::fputs("(null)\n", out);
        } else {
            print_expr(out, &stack, static_cast<const Expr*>(task.node), task.depth);
        }
    }
    std::free(stack.items);
}
