#pragma once

#include "lsp/document_store.h"
#include "lsp/server_state.h"

struct Analysis;

// The analyses of the open documents, kept between messages so that the
// publication and every request on one version share one analysis. Their
// memory is bounded: past a budget proportional to the stored texts, the
// analyses used least recently are dropped and rebuilt on their next need.

// The analysis of the document's current text, built on first need.
Analysis* document_analysis(ServerState* state, Document* document);

// Drops least recently used analyses until the kept ones weigh at most the
// budget; the most recently used one always stays.
void analysis_cache_trim(ServerState* state);

// Bytes the kept analyses may hold together: as much as the stored texts, and at
// least a floor that keeps a few small documents' analyses whatever happens.
size_t analysis_cache_budget(const DocumentStore* store);
