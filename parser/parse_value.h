#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "ast/ast.h"

// Values that live only on the parser's stack, between the token bridge and
// the semantic actions.

// A numeral as the bridge converts it: the double, and the exact integer
// when the numeral was a whole number within the signed 64-bit range.
struct NumberValue {
    double value;
    int64_t integer_value;
    int32_t is_integer;
};

// What follows a plain name inside an expression.
enum : int32_t {
    SUFFIX_NONE = 0,            // nothing
    SUFFIX_CALL = 1,            // ( args )
    SUFFIX_FIELD = 2,           // . field
    SUFFIX_QUALIFIED_CALL = 3,  // . field ( args )
    SUFFIX_METHOD_CALL = 4,     // . a.b ( args )
};

struct NameSuffix {
    int32_t kind;   // one of SUFFIX_*
    char* name;     // owned; the field or the qualified text, or null
    ExprList args;  // the arguments of a call form, else empty
};

// The policy in parentheses after a record field's name.
struct PolicySpec {
    FieldPolicy policy;
    Expr* reset_value;  // owned; set only for FIELD_RESET
};

// A name built word by word: a modifier name ("approximately equal to") or a
// watched path (a.b.c). It keeps its length and spare room so that a name of
// many parts is built in linear time. The string comes first: to everything
// that only releases the value it reads as the plain owned string `text`.
struct GrowingText {
    char* text;
    size_t length;
    size_t capacity;  // bytes allocated for text, terminator included
};

// One entry of the parser's value stack: every grammar symbol carries at most
// one of these members (the symbol decides which). The driver copies entries
// with memcpy when it grows its stacks, so every member is a plain record.
union ParseValue {
    char* text;                    // names, decoded strings, lens text, keyword spellings
    GrowingText growing;           // modifier names and watched paths while being built
    NumberValue number;
    StmtList stmt_list;
    Stmt* stmt;
    Expr* expr;
    char op;                       // compound assignment operator: + - * /
    ModifierRef modifier;
    ModifierSignature signature;
    ParamList params;
    ExprList exprs;
    RecordFieldList fields;
    ConsiderBranchList branches;
    ServerItemList items;
    ServerItem* item;
    PolicySpec policy;
    NameSuffix suffix;
    Duration duration;
};

static_assert(std::is_trivially_copyable_v<ParseValue>, "the parser relocates values with memcpy");
static_assert(offsetof(GrowingText, text) == 0, "a growing name is released as its text");
