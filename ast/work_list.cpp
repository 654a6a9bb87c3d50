#include "ast/work_list.h"

#include <cstdlib>

#include "ast/alloc.h"

AstWorkList ast_work_list_empty(void) { return AstWorkList{nullptr, 0, 0}; }

void ast_work_push(AstWorkList* list, void* node) {
    if (list->count == list->capacity) {
        size_t capacity = list->capacity == 0 ? 16 : list->capacity * 2;
        list->items = static_cast<void**>(realloc_or_abort(list->items, capacity * sizeof(void*)));
        list->capacity = capacity;
    }
    list->items[list->count++] = node;
}

void* ast_work_pop(AstWorkList* list) { return list->items[--list->count]; }

void ast_work_list_release(AstWorkList* list) {
    std::free(list->items);
    *list = ast_work_list_empty();
}
