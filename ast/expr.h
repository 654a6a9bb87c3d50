#pragma once

#include <cstddef>
#include <cstdint>

#include "ast/lists.h"

// Expression nodes. Constructors take ownership of every string, node and
// list handed to them and copy nothing; an absent optional part is a null
// pointer or an empty list. Strings are owned, NUL-terminated byte strings.

enum FieldPolicy : int32_t {
    FIELD_COPY = 0,     // also every field written without a policy
    FIELD_LINK = 1,
    FIELD_RESET = 2,    // always comes with a reset value
    FIELD_EXCLUDE = 3,
};

// One field of a record literal, or one option of a server or site block.
struct RecordField {
    char* name;
    Expr* value;
    FieldPolicy policy;
    Expr* reset_value;  // set only under FIELD_RESET
};

// A modifier as written in a lens or as an expression prefix. Embedded by
// value in its node; further modifiers given together hang off `next`, each
// link a heap block of its own. A null name means "no modifier".
struct ModifierRef {
    char* qualifier;    // part before the first '.', or null
    char* name;
    ExprList args;      // the parser always leaves this empty
    ModifierRef* next;
};

struct Duration {
    int32_t years;
    int32_t months;
    int32_t weeks;
    int32_t days;
    int32_t hours;
    int32_t minutes;
    int32_t seconds;
};

enum ExprKind : int32_t {
    EXPR_NUMBER = 0,
    EXPR_STRING = 1,
    EXPR_IDENTIFIER = 2,
    EXPR_BOOLEAN = 3,
    EXPR_NOTHING = 4,
    EXPR_UNKNOWN = 5,
    EXPR_ARRAY = 6,
    EXPR_RECORD = 7,
    EXPR_DURATION = 8,
    EXPR_INDEX = 9,
    EXPR_FIELD_ACCESS = 10,
    EXPR_CALL = 11,
    EXPR_BINARY = 12,
    EXPR_UNARY = 13,
    EXPR_NEW = 14,
    EXPR_SPAWN = 15,
    EXPR_MODIFIER_APPLY = 16,
};

// Per-kind payloads; Expr holds exactly one of them, named after its kind
// (e->number, e->binary, e->new_object, ...).
struct ExprNumber {
    double value;
    int64_t integer_value;  // valid when is_integer is 1, else 0
    int32_t is_integer;
};
struct ExprString {
    char* text;  // decoded, without quotes
};
struct ExprIdentifier {
    char* name;
};
struct ExprBoolean {
    int32_t value;  // 1 true, 0 false
};
struct ExprArray {
    ExprList elements;
};
struct ExprRecord {
    RecordFieldList fields;
};
struct ExprDuration {
    Duration duration;
};
struct ExprIndex {
    Expr* target;
    Expr* index;
};
struct ExprFieldAccess {
    Expr* object;
    char* field;
};
// Plain call: qualifier and receiver null. Qualified call: qualifier set.
// Method call: receiver set.
struct ExprCall {
    char* qualifier;
    char* name;
    ExprList args;
    Expr* receiver;
};
struct ExprBinary {
    char* op;
    ModifierRef modifier;  // empty unless a comparison carries a lens
    Expr* left;
    Expr* right;
};
struct ExprUnary {
    char* op;  // "not" or "-"
    Expr* operand;
};
struct ExprNew {
    Expr* prototype;
    Expr* with;  // record literal, or null
};
struct ExprSpawn {
    char* name;
    ExprList args;
};
struct ExprModifierApply {
    ModifierRef modifier;  // never empty
    Expr* operand;
};

struct Expr {
    ExprKind kind;
    int32_t line;    // 1-based line of the locating token; 0 until set
    int32_t column;  // 1-based column of that token; 0 until set
    union {
        ExprNumber number;
        ExprString string;
        ExprIdentifier identifier;
        ExprBoolean boolean;
        ExprArray array;
        ExprRecord record;
        ExprDuration duration;
        ExprIndex index;
        ExprFieldAccess field_access;
        ExprCall call;
        ExprBinary binary;
        ExprUnary unary;
        ExprNew new_object;
        ExprSpawn spawn;
        ExprModifierApply modifier_apply;
    };
};

// Lists.
ExprList expr_list_empty(void);
ExprList expr_list_append(ExprList list, Expr* expr);
RecordFieldList field_list_empty(void);
RecordFieldList field_list_append(RecordFieldList list, char* name, Expr* value);
RecordFieldList field_list_append_policy(RecordFieldList list, char* name, Expr* value,
                                         FieldPolicy policy, Expr* reset_value);
ParamList param_list_empty(void);
ParamList param_list_append(ParamList list, char* name);
ParamList param_list_append_default(ParamList list, char* name, Expr* default_value);
ModifierRef modifier_ref_empty(void);
ModifierRef modifier_ref_make(char* name, ExprList args);

// Constructors: line and column start at 0.
Expr* expr_number(double value, int64_t integer_value, int32_t is_integer);
Expr* expr_string(char* text);
Expr* expr_identifier(char* name);
Expr* expr_boolean(int32_t value);
Expr* expr_nothing(void);
Expr* expr_unknown(void);
Expr* expr_array(ExprList elements);
Expr* expr_record(RecordFieldList fields);
Expr* expr_duration(Duration duration);
Expr* expr_index(Expr* target, Expr* index);
Expr* expr_field_access(Expr* object, char* field);
Expr* expr_call(char* name, ExprList args);
Expr* expr_qualified_call(char* qualifier, char* name, ExprList args);
Expr* expr_method_call(Expr* receiver, char* name, ExprList args);
Expr* expr_binary(char* op, ModifierRef modifier, Expr* left, Expr* right);
Expr* expr_unary(char* op, Expr* operand);
Expr* expr_new_object(Expr* prototype, Expr* with);
Expr* expr_spawn(char* name, ExprList args);
Expr* expr_modifier_apply(ModifierRef modifier, Expr* operand);

// Stamps the locating token's position; a null expr is passed through.
Expr* expr_set_position(Expr* expr, int32_t line, int32_t column);
