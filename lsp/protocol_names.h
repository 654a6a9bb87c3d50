#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <cjson/cJSON.h>

#include "lsp/protocol_features.h"

// The protocol of the features built on names and calls: references,
// highlights, rename, call hierarchy, workspace symbols, signature help,
// inlay hints, selection ranges and document links. Positions are already
// converted; this file only reads params and writes answers.

struct LocationItem {
    const char* uri;
    ProtocolRange range;
};

struct HighlightItem {
    ProtocolRange range;
    bool write;
};

struct CallItem {
    std::string name;
    std::string detail;  // omitted when empty
    SymbolKind kind;
    const char* uri;
    ProtocolRange range;
    ProtocolRange selection;
};

struct CallEntry {
    CallItem item;
    std::vector<ProtocolRange> from;
};

struct WorkspaceSymbolItem {
    std::string name;
    SymbolKind kind;
    const char* uri;
    ProtocolRange range;
    std::string container;  // omitted when empty
};

struct SignatureItem {
    std::string label;
    std::vector<std::string> parameters;
    std::string documentation;  // omitted when empty
    uint32_t active;
};

struct InlayHintItem {
    ProtocolPosition position;
    std::string label;
    bool parameter;
    std::string tooltip;  // omitted when empty
};

struct LinkItem {
    ProtocolRange range;
    std::string target;
};

// params.context.includeDeclaration (false when missing).
bool protocol_include_declaration(const cJSON* params);
// params.newName, or null.
const char* protocol_new_name(const cJSON* params);
// params.item.uri and params.item.selectionRange.start.
bool protocol_call_item(const cJSON* params, const char** uri, ProtocolPosition* start);
// params.query; empty when missing.
std::string protocol_symbol_query(const cJSON* params);
// params.positions; false when missing or any is not a position.
bool protocol_positions(const cJSON* params, std::vector<ProtocolPosition>* positions);
// params.range; false when missing.
bool protocol_range_param(const cJSON* params, ProtocolRange* range);

void send_locations(const cJSON* id, const std::vector<LocationItem>& locations);
void send_highlights(const cJSON* id, const std::vector<HighlightItem>& highlights);
void send_prepare_rename(const cJSON* id, ProtocolRange range, const std::string& placeholder);
void send_rename_edits(const cJSON* id, const char* uri, const std::vector<TextEditItem>& edits);
// The answer to a request the server understood but cannot carry out.
void send_request_failed(const cJSON* id, const std::string& message);
void send_call_items(const cJSON* id, const std::vector<CallItem>& items);
void send_calls(const cJSON* id, const std::vector<CallEntry>& calls, bool incoming);
void send_workspace_symbols(const cJSON* id, const std::vector<WorkspaceSymbolItem>& symbols);
void send_signature_help(const cJSON* id, const SignatureItem& signature);
void send_inlay_hints(const cJSON* id, const std::vector<InlayHintItem>& hints);
// One chain per position: the innermost range, each with its parent.
void send_selection_ranges(const cJSON* id, const std::vector<std::vector<ProtocolRange>>& chains);
void send_document_links(const cJSON* id, const std::vector<LinkItem>& links);
