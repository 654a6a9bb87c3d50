#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "diag/source_span.h"
#include "ide/features.h"
#include "lsp/protocol_features.h"
#include "lsp/server_state.h"
#include "text/line_index.h"

struct Diagnostic;
struct DiagnosticList;

// Stores `text` as the document `uri`, analyses it and sends all its
// findings in one textDocument/publishDiagnostics notification (an empty
// list too, so fixed problems disappear in the editor).
void analyze_and_publish(ServerState* state, const char* uri, const char* text);

// Publishes the findings of the document's current text, from its analysis
// (built now if it has none); requests after it reuse that analysis.
void publish_document(ServerState* state, Document* document);

// One finding as an element of the protocol's diagnostics array, exactly as
// publication writes it.
std::string protocol_diagnostic_json(const Diagnostic* record, LineIndex* index, PositionEncoding encoding);

// Finding `index` of the document's analysis exactly as it was published to
// this client: refined, for a client that declared publishDiagnostics, by
// `places` (ide_diagnostic_places of the analysis, computed once by the caller).
std::string published_diagnostic_json(ServerState* state, Document* document, size_t index,
                                      const std::vector<IdeDiagnosticPlace>& places);

// Sends the notification for `uri` with `diagnostics`, the protocol's
// array as JSON text. The notification is written directly, byte for byte
// as cJSON prints the tree: members jsonrpc, method, params (uri,
// diagnostics) in that order, the uri escaped as cJSON escapes strings.
void publish_diagnostics(const char* uri, const char* diagnostics);

// The protocol's diagnostics array for the findings on `text`, as compact
// JSON text: the bytes cJSON would print for the equivalent tree, written
// directly because a document can carry hundreds of thousands of findings.
// Each item has range (start, end: line, character), severity, code,
// source and message, in that order; messages are made valid UTF-8 first.
std::string protocol_diagnostics_json(const DiagnosticList* list, const char* text,
                                      PositionEncoding encoding);
