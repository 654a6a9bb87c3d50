#pragma once

#include <cstdint>

#include "lsp/document_store.h"

struct Analysis;

// What a request is about, resolved by the dispatcher before its handler
// runs: the open document, its analysis, and the request's position as a
// byte offset. Methods that name no document get it empty.
struct RequestTarget {
    Document* document;
    Analysis* analysis;
    uint32_t offset;
};
