#pragma once

#include <cstddef>

// The growable lists of the syntax tree. Each is a plain items/count pair,
// kept and passed by value; an append may move the items block (growth is
// geometric, so n appends copy O(n) entries). The pair handed to an append
// is dead afterwards: keep only the returned one.
//
// The empty list of every kind is {nullptr, 0}.

struct Expr;
struct Stmt;
struct RecordField;
struct ConsiderBranch;
struct ServerItem;

// Owned expressions: array elements, call and spawn arguments, modifier arguments.
struct ExprList {
    Expr** items;
    size_t count;
};

// Owned statements: the body of a block, or the whole program.
struct StmtList {
    Stmt** items;
    size_t count;
};

// Fields of a record literal, options of a server or site block (stored inline).
struct RecordFieldList {
    RecordField* items;
    size_t count;
};

// Branches of a consider statement (stored inline).
struct ConsiderBranchList {
    ConsiderBranch* items;
    size_t count;
};

// Owned items of a server or site block.
struct ServerItemList {
    ServerItem** items;
    size_t count;
};

// Named entries with optional defaults: parameters of functions, modifiers,
// program blocks and route handlers; with every default null it also serves
// as a plain list of strings (watch targets, directive values).
struct ParamList {
    char** names;     // one owned name per entry
    Expr** defaults;  // parallel to names; null where an entry has no default
    size_t count;
    size_t required;  // length of the leading run of entries without a default
};
