#pragma once

#include <cstddef>
#include <cstdint>

#include "text/text_range.h"

struct Analysis;
struct SyntaxTree;

// The latest full text of every open document, keyed by its URI exactly as
// the editor sent it (byte comparison, no normalisation), with the analysis
// of that text once something needed it.
struct Document {
    char* uri;           // owned
    char* text;          // owned, zero-terminated
    size_t length;       // bytes of text before the zero
    Analysis* analysis;  // owned; of exactly this text, or null
    uint64_t last_used;  // when the analysis was last asked for, for the cache
    // The syntax tree of an earlier version with that version's text (both
    // owned, or null): the next tree is reparsed from it, which takes the
    // statements an edit did not touch over instead of parsing them again.
    SyntaxTree* earlier_tree;
    char* earlier_text;
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
// are copied. Returns the record.
Document* document_store_put(DocumentStore* store, const char* uri, const char* text);
// Replaces `range` of the document's text (held within the text, its ends
// ordered) by `length` bytes of `replacement`; nothing outside the text is
// ever read or written. A zero byte in the replacement ends the text there,
// as it would for a whole text sent.
void document_store_edit(Document* document, TextRange range, const char* replacement, size_t length);
// Drops the document's analysis (it is rebuilt on the next need).
void document_drop_analysis(Document* document);
// Drops the earlier version's tree kept for reparsing.
void document_drop_earlier(Document* document);
void document_store_remove(DocumentStore* store, const char* uri);
void document_store_destroy(DocumentStore* store);
