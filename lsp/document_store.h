#pragma once

#include <cstddef>

// The latest full text of every open document, keyed by its URI exactly as
// the editor sent it (byte comparison, no normalisation).
struct Document {
    char* uri;   // owned
    char* text;  // owned, zero-terminated
};

// Grows 0 -> 4 -> 8 -> ...; removal moves the last record into the freed
// slot, so the order carries no meaning.
struct DocumentStore {
    Document* items;
    size_t count;
    size_t capacity;
};

void document_store_init(DocumentStore* store);
Document* document_store_find(DocumentStore* store, const char* uri);
// Replaces the text of an existing record or appends a new one; both strings
// are copied.
void document_store_put(DocumentStore* store, const char* uri, const char* text);
void document_store_remove(DocumentStore* store, const char* uri);
void document_store_destroy(DocumentStore* store);
