#include "lsp/document_store.h"

#include <cstdlib>
#include <cstring>

#include "diag/memory.h"

void document_store_init(DocumentStore* store) {
    store->items = nullptr;
    store->count = 0;
    store->capacity = 0;
}

Document* document_store_find(DocumentStore* store, const char* uri) {
    for (size_t i = 0; i < store->count; ++i) {
        if (strcmp(store->items[i].uri, uri) == 0) {
            return &store->items[i];
        }
    }
    return nullptr;
}

void document_store_put(DocumentStore* store, const char* uri, const char* text) {
    Document* existing = document_store_find(store, uri);
    if (existing != nullptr) {
        char* copy = copy_string_or_abort(text);
        free(existing->text);
        existing->text = copy;
        return;
    }
    if (store->count == store->capacity) {
        size_t capacity = store->capacity == 0 ? 4 : store->capacity * 2;
        store->items =
            static_cast<Document*>(realloc_or_abort(store->items, capacity * sizeof(Document)));
        store->capacity = capacity;
    }
    store->items[store->count].uri = copy_string_or_abort(uri);
    store->items[store->count].text = copy_string_or_abort(text);
    store->count += 1;
}

void document_store_remove(DocumentStore* store, const char* uri) {
    Document* document = document_store_find(store, uri);
    if (document == nullptr) {
        return;
    }
    free(document->uri);
    free(document->text);
    store->count -= 1;
    *document = store->items[store->count];
}

void document_store_destroy(DocumentStore* store) {
    for (size_t i = 0; i < store->count; ++i) {
        free(store->items[i].uri);
        free(store->items[i].text);
    }
    free(store->items);
    document_store_init(store);
}
