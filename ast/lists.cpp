#include <malloc.h>

#include <cstring>

#include "ast/region.h"
#include "ast/expr.h"
#include "ast/server_node.h"
#include "ast/stmt.h"

// A list is only its items and its count, yet appending must stay linear on
// lists of any length (a program of a hundred thousand statements is one
// list). So a block is resized only when the allocator says it has no room
// for one more entry, and then to twice its entries: n appends copy O(n)
// entries in all, where resizing to exactly count + 1 every time copies
// O(n^2) whenever the block cannot grow in place.
//
// In a region the allocator keeps no sizes, so a list there always has room
// for exactly the next power of two of its count: it is full when its count
// is zero or a power of two, and then doubles. A list is appended to only in
// the place where it was built (inside or outside the region).
namespace {

template <typename T>
T* grow_in_region(T* items, size_t count) {
    if (count != 0 && (count & (count - 1)) != 0) return items;  // not a power of two: room left
    size_t entries = count == 0 ? 1 : count * 2;
    return static_cast<T*>(tree_resize(items, count * sizeof(T), entries * sizeof(T)));
}

template <typename T>
T* grow_by_one(T* items, size_t count) {
    if (ast_region_current() != nullptr) return grow_in_region(items, count);
    size_t needed = (count + 1) * sizeof(T);
    if (items != nullptr && malloc_usable_size(items) >= needed) return items;
    size_t entries = count == 0 ? 1 : count * 2;
    return static_cast<T*>(tree_resize(items, count * sizeof(T), entries * sizeof(T)));
}

}  // namespace

ExprList expr_list_empty(void) { return ExprList{nullptr, 0}; }

ExprList expr_list_append(ExprList list, Expr* expr) {
    list.items = grow_by_one(list.items, list.count);
    list.items[list.count++] = expr;
    return list;
}

StmtList stmt_list_empty(void) { return StmtList{nullptr, 0}; }

StmtList stmt_list_append(StmtList list, Stmt* stmt) {
    list.items = grow_by_one(list.items, list.count);
    list.items[list.count++] = stmt;
    return list;
}

RecordFieldList field_list_empty(void) { return RecordFieldList{nullptr, 0}; }

RecordFieldList field_list_append(RecordFieldList list, char* name, Expr* value) {
    return field_list_append_policy(list, name, value, FIELD_COPY, nullptr);
}

RecordFieldList field_list_append_policy(RecordFieldList list, char* name, Expr* value,
                                         FieldPolicy policy, Expr* reset_value) {
    list.items = grow_by_one(list.items, list.count);
    list.items[list.count++] = RecordField{name, value, policy, reset_value};
    return list;
}

ConsiderBranchList branch_list_empty(void) { return ConsiderBranchList{nullptr, 0}; }

ConsiderBranchList branch_list_append(ConsiderBranchList list, Expr* match, StmtList body) {
    list.items = grow_by_one(list.items, list.count);
    list.items[list.count++] = ConsiderBranch{match, body};
    return list;
}

ServerItemList item_list_empty(void) { return ServerItemList{nullptr, 0}; }

ServerItemList item_list_append(ServerItemList list, ServerItem* item) {
    list.items = grow_by_one(list.items, list.count);
    list.items[list.count++] = item;
    return list;
}

ParamList param_list_empty(void) { return ParamList{nullptr, nullptr, 0, 0}; }

ParamList param_list_append(ParamList list, char* name) {
    return param_list_append_default(list, name, nullptr);
}

ParamList param_list_append_default(ParamList list, char* name, Expr* default_value) {
    list.names = grow_by_one(list.names, list.count);
    list.defaults = grow_by_one(list.defaults, list.count);
    list.names[list.count] = name;
    list.defaults[list.count] = default_value;
    list.count++;
    // `required` only counts the leading run without defaults: once any
    // entry has a default, later plain entries no longer extend it.
    if (default_value == nullptr && list.required == list.count - 1) list.required = list.count;
    return list;
}

ModifierRef modifier_ref_empty(void) { return ModifierRef{nullptr, nullptr, ExprList{nullptr, 0}, nullptr}; }

ModifierRef modifier_ref_make(char* name, ExprList args) {
    return ModifierRef{nullptr, name, args, nullptr};
}
