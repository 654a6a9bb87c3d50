#include <cstdlib>
#include <cstring>

#include "diag/diagnostic.h"
#include "diag/memory.h"

namespace {

void diag_list_grow(DiagnosticList* list) {
    size_t capacity = list->capacity == 0 ? 8 : list->capacity * 2;
    list->items = static_cast<Diagnostic*>(
        realloc_or_abort(list->items, capacity * sizeof(Diagnostic)));
    list->capacity = capacity;
}

}  // namespace

void diag_list_init(DiagnosticList* list) {
    list->items = nullptr;
    list->count = 0;
    list->capacity = 0;
}

void diag_list_free(DiagnosticList* list) {
    for (size_t i = 0; i < list->count; ++i) {
        free(list->items[i].message);
        free(list->items[i].path);
    }
    free(list->items);
    diag_list_init(list);
}

void diag_list_push(DiagnosticList* list, Severity severity, DiagnosticKind kind, int32_t subcode,
                    const char* path, SourceSpan span, const char* message) {
    if (list->count == list->capacity) {
        diag_list_grow(list);
    }
    Diagnostic* record = &list->items[list->count];
    record->severity = severity;
    record->kind = kind;
    record->subcode = subcode;
    record->path = path != nullptr ? copy_string_or_abort(path) : nullptr;
    record->span = span;
    record->message = copy_string_or_abort(message != nullptr ? message : "");
    record->fix = DiagFix{DIAG_FIX_NONE, 0, 0};
    record->subject = DiagSubject{};
    list->count += 1;
}

void diag_list_mark_fix(DiagnosticList* list, DiagFix fix) {
    if (list == nullptr || list->count == 0) {
        return;
    }
    list->items[list->count - 1].fix = fix;
}

void diag_list_mark_subject(DiagnosticList* list, DiagSubject subject) {
    if (list == nullptr || list->count == 0) {
        return;
    }
    list->items[list->count - 1].subject = subject;
}

size_t diag_list_count(const DiagnosticList* list) {
    return list->count;
}

const Diagnostic* diag_list_at(const DiagnosticList* list, size_t index) {
    if (index >= list->count) {
        return nullptr;
    }
    return &list->items[index];
}
