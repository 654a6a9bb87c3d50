#include <cstdio>

#include "ast/dump_walk.h"

// One line per expression; children follow at depth + 1, or under a heading
// at depth + 1 with the child itself at depth + 2.
namespace {

// A lens shows only its first reference; the chained ones are not printed.
// Its arguments come before the operands, and only when it names a modifier.
void print_binary(FILE* out, const Expr* e, int d, DumpTasks* kids) {
    const ModifierRef* mod = &e->binary.modifier;
    std::fprintf(out, "Binary %s", dump_text(e->binary.op));
    dump_lens_suffix(out, mod);
    std::fputc('\n', out);
    if (mod->name != nullptr) dump_child_exprs(kids, mod->args, d + 1);
    dump_child_expr(kids, e->binary.left, d + 1);
    dump_child_expr(kids, e->binary.right, d + 1);
}

// The three call shapes are told apart by receiver first, then qualifier.
void print_call(FILE* out, const Expr* e, int d, DumpTasks* kids) {
    const char* name = dump_text(e->call.name);
    if (e->call.receiver != nullptr) {
        std::fprintf(out, "MethodCall .%s\n", name);
        dump_child_expr(kids, e->call.receiver, d + 1);
    } else if (e->call.qualifier != nullptr) {
        std::fprintf(out, "Call %s.%s\n", e->call.qualifier, name);
    } else {
        std::fprintf(out, "Call %s\n", name);
    }
    dump_child_exprs(kids, e->call.args, d + 1);
}

// Each field: its line at d + 1, a reset value under "ResetValue" when it
// has one, then the field's value at d + 2.
void list_record_fields(RecordFieldList fields, int d, DumpTasks* kids) {
    for (size_t i = 0; i < fields.count; i++) {
        const RecordField* field = &fields.items[i];
        dump_tasks_push(kids, DUMP_TASK_FIELD, d + 1, field, nullptr);
        if (field->policy == FIELD_RESET && field->reset_value != nullptr) {
            dump_child_heading(kids, "ResetValue", d + 2);
            dump_child_expr(kids, field->reset_value, d + 3);
        }
        dump_child_expr(kids, field->value, d + 2);
    }
}

}  // namespace

void dump_expr_line(FILE* out, const Expr* e, int d, DumpTasks* kids) {
    switch (e->kind) {
    case EXPR_NUMBER: std::fprintf(out, "Number %g\n", e->number.value); break;
    case EXPR_STRING: std::fprintf(out, "String \"%s\"\n", dump_text(e->string.text)); break;
    case EXPR_IDENTIFIER: std::fprintf(out, "Identifier %s\n", dump_text(e->identifier.name)); break;
    case EXPR_BOOLEAN: std::fprintf(out, "Boolean %s\n", e->boolean.value ? "true" : "false"); break;
    case EXPR_NOTHING: std::fputs("Nothing\n", out); break;
    case EXPR_UNKNOWN: std::fputs("Unknown\n", out); break;
    case EXPR_ARRAY:
        std::fputs("Array\n", out);
        dump_child_exprs(kids, e->array.elements, d + 1);
        break;
    case EXPR_RECORD:
        std::fputs("Record\n", out);
        list_record_fields(e->record.fields, d, kids);
        break;
    case EXPR_DURATION: {
        const Duration* t = &e->duration.duration;
        std::fprintf(out, "Duration years=%d months=%d weeks=%d days=%d hours=%d minutes=%d seconds=%d\n",
                     t->years, t->months, t->weeks, t->days, t->hours, t->minutes, t->seconds);
        break;
    }
    case EXPR_INDEX:
        std::fputs("Index\n", out);
        dump_child_under_heading(kids, "Array", e->index.target, d);
        dump_child_under_heading(kids, "Subscript", e->index.index, d);
        break;
    case EXPR_FIELD_ACCESS:
        std::fprintf(out, "FieldAccess %s\n", dump_text(e->field_access.field));
        dump_child_expr(kids, e->field_access.object, d + 1);
        break;
    case EXPR_CALL: print_call(out, e, d, kids); break;
    case EXPR_BINARY: print_binary(out, e, d, kids); break;
    case EXPR_UNARY:
        std::fprintf(out, "Unary %s\n", dump_text(e->unary.op));
        dump_child_expr(kids, e->unary.operand, d + 1);
        break;
    case EXPR_NEW:
        std::fputs("New\n", out);
        dump_child_under_heading(kids, "Prototype", e->new_object.prototype, d);
        if (e->new_object.with != nullptr) {
            dump_child_under_heading(kids, "With", e->new_object.with, d);
        }
        break;
    case EXPR_SPAWN:
        std::fprintf(out, "Spawn %s\n", dump_text(e->spawn.name));
        dump_child_exprs(kids, e->spawn.args, d + 1);
        break;
    case EXPR_MODIFIER_APPLY:
        std::fprintf(out, "ModifierApply %s\n", dump_text(e->modifier_apply.modifier.name));
        dump_child_expr(kids, e->modifier_apply.operand, d + 1);
        break;
    default: std::fprintf(out, "UnknownExpression %d\n", static_cast<int>(e->kind)); break;
    }
}
