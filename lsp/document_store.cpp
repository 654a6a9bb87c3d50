#include "lsp/document_store.h"

#include <cstdlib>
#include <cstring>

#include "diag/memory.h"
#include "ide/analysis.h"

namespace {

void document_free(Document* document) {
    free(document->uri);
    free(document->text);
    analysis_destroy(document->analysis);
    document_drop_earlier(document);
}

// The analysis's tree, with its text, becomes the earlier tree of the next
// version; when it has none, the earlier tree kept so far stays.
void document_set_text(Document* document, char* text) {
    SyntaxTree* tree = document->analysis != nullptr ? analysis_release_tree(document->analysis) : nullptr;
    document_drop_analysis(document);
    if (tree != nullptr) {
        document_drop_earlier(document);
        document->earlier_tree = tree;
        document->earlier_text = document->text;
    } else {
        free(document->text);
    }
    document->text = text;
    document->length = strlen(text);
}

}  // namespace

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

Document* document_store_put(DocumentStore* store, const char* uri, const char* text) {
    Document* existing = document_store_find(store, uri);
    if (existing != nullptr) {
        document_set_text(existing, copy_string_or_abort(text));
        return existing;
    }
    if (store->count == store->capacity) {
        size_t capacity = store->capacity == 0 ? 4 : store->capacity * 2;
        store->items =
            static_cast<Document*>(realloc_or_abort(store->items, capacity * sizeof(Document)));
        store->capacity = capacity;
    }
    Document* added = &store->items[store->count];
    added->uri = copy_string_or_abort(uri);
    added->text = copy_string_or_abort(text);
    added->length = strlen(added->text);
    added->analysis = nullptr;
    added->last_used = 0;
    added->earlier_tree = nullptr;
    added->earlier_text = nullptr;
    store->count += 1;
    return added;
}

void document_store_edit(Document* document, TextRange range, const char* replacement, size_t length) {
    size_t first = range.start < range.end ? range.start : range.end;
    size_t last = range.start < range.end ? range.end : range.start;
    size_t end = last < document->length ? last : document->length;
    size_t start = first < end ? first : end;
    size_t kept_after = document->length - end;
    char* text = static_cast<char*>(alloc_or_abort(start + length + kept_after + 1));
    memcpy(text, document->text, start);
    memcpy(text + start, replacement, length);
    memcpy(text + start + length, document->text + end, kept_after);
    text[start + length + kept_after] = '\0';
    document_set_text(document, text);
}

void document_drop_analysis(Document* document) {
    analysis_destroy(document->analysis);
    document->analysis = nullptr;
}

void document_drop_earlier(Document* document) {
    syntax_tree_destroy(document->earlier_tree);
    free(document->earlier_text);
    document->earlier_tree = nullptr;
    document->earlier_text = nullptr;
}

void document_store_remove(DocumentStore* store, const char* uri) {
    Document* document = document_store_find(store, uri);
    if (document == nullptr) {
        return;
    }
    document_free(document);
    store->count -= 1;
    *document = store->items[store->count];
}

void document_store_destroy(DocumentStore* store) {
    for (size_t i = 0; i < store->count; ++i) {
        document_free(&store->items[i]);
    }
    free(store->items);
    document_store_init(store);
}
