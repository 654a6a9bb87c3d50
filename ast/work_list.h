#pragma once

#include <cstddef>
#include <cstdlib>

#include "diag/memory.h"

// A growable stack for walks that must not recurse on the C stack: operator
// chains and block nests can be as deep as the input makes them. Scratch
// memory only (it doubles as it grows); allocation failure aborts like the
// rest of the tree. {nullptr, 0, 0} is the empty list.
template <typename T>
struct AstWorkList {
    T* items;
    size_t count;
    size_t capacity;
};

template <typename T>
void ast_work_push(AstWorkList<T>* list, T item) {
    if (list->count == list->capacity) {
        list->capacity = list->capacity == 0 ? 16 : list->capacity * 2;
        list->items = static_cast<T*>(realloc_or_abort(list->items, list->capacity * sizeof(T)));
    }
    list->items[list->count++] = item;
}

// The list must not be empty.
template <typename T>
T ast_work_pop(AstWorkList<T>* list) {
    return list->items[--list->count];
}

// Frees the array and leaves the list empty.
template <typename T>
void ast_work_list_release(AstWorkList<T>* list) {
    std::free(list->items);
    *list = AstWorkList<T>{nullptr, 0, 0};
}
