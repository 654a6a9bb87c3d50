#pragma once

#include <cstddef>

// A growable stack of pending node pointers for walks that must not recurse
// on the C stack: operator chains and block nests can be as deep as the input
// makes them. Scratch memory only (it doubles as it grows); allocation
// failure aborts like the rest of the tree.
struct AstWorkList {
    void** items;
    size_t count;
    size_t capacity;
};

AstWorkList ast_work_list_empty(void);
void ast_work_push(AstWorkList* list, void* node);  // null nodes are pushed too
void* ast_work_pop(AstWorkList* list);              // the list must not be empty
void ast_work_list_release(AstWorkList* list);      // frees the array, leaves it empty
