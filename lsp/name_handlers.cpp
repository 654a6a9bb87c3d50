// The features on names and calls at the protocol's edge: ide/ answers in
// byte ranges, these handlers turn them into positions of the negotiated
// encoding.
#include <string>
#include <vector>

#include "diag/ascii.h"
#include "ide/features.h"
#include "lsp/analysis_cache.h"
#include "lsp/features.h"
#include "lsp/positions.h"
#include "lsp/protocol_names.h"
#include "lsp/uri.h"

namespace {

SymbolKind call_symbol_kind(IdeSymbolKind kind) {
    switch (kind) {
    case IDE_SYMBOL_FUNCTION: return SYMBOL_FUNCTION;
    case IDE_SYMBOL_MODIFIER: return SYMBOL_OPERATOR;
    case IDE_SYMBOL_LABEL: return SYMBOL_KEY;
    case IDE_SYMBOL_ROUTE: return SYMBOL_METHOD;
    case IDE_SYMBOL_PROGRAM: return SYMBOL_MODULE;
    default: return SYMBOL_EVENT;
    }
}

CallItem call_item(const Positions& positions, const RequestTarget& target, const IdeCallItem& item) {
    return {item.name, item.detail, call_symbol_kind(item.kind), target.document->uri, positions.range(item.range),
            positions.range(item.selection)};
}

// The document and offset a call hierarchy item names.
bool call_item_target(ServerState* state, const IncomingMessage& message, RequestTarget* target) {
    const char* uri = nullptr;
    ProtocolPosition start{0, 0};
    if (!protocol_call_item(message.params, &uri, &start)) return false;
    target->document = document_store_find(&state->documents, uri);
    if (target->document == nullptr) return false;
    target->analysis = document_analysis(state, target->document);
    return Positions(state, target->analysis).offset(start, &target->offset);
}

void send_calls_of(ServerState* state, const IncomingMessage& message, bool incoming) {
    RequestTarget target{nullptr, nullptr, 0};
    if (!call_item_target(state, message, &target)) {
        send_null_result(message.id);
        return;
    }
    Positions positions(state, target);
    std::vector<CallEntry> calls;
    for (const IdeCall& call : incoming ? ide_incoming_calls(target.analysis, target.offset)
                                        : ide_outgoing_calls(target.analysis, target.offset)) {
        CallEntry entry{call_item(positions, target, call.item), {}};
        for (TextRange range : call.from) entry.from.push_back(positions.range(range));
        calls.push_back(std::move(entry));
    }
    send_calls(message.id, calls, incoming);
}

// Every letter of the query, in order and regardless of case.
bool matches_query(const std::string& name, const std::string& query) {
    size_t at = 0;
    for (char c : name) {
        if (at < query.size() && ascii_lower(c) == ascii_lower(query[at])) ++at;
    }
    return at == query.size();
}

void add_workspace_symbols(ServerState* state, Document* document, const std::vector<IdeSymbol>& symbols,
                           const std::string& container, const std::string& query, std::vector<WorkspaceSymbolItem>* out) {
    for (const IdeSymbol& symbol : symbols) {
        if (matches_query(symbol.name, query)) {
            out->push_back({symbol.name, protocol_symbol_kind(symbol.kind), document->uri,
                            Positions(state, document->analysis).range(symbol.selection), container});
        }
        add_workspace_symbols(state, document, symbol.children, symbol.name, query, out);
    }
}

}  // namespace

void on_references(ServerState* state, const IncomingMessage& message, const RequestTarget& target) {
    std::vector<IdeReference> references;
    ide_references(target.analysis, target.offset, protocol_include_declaration(message.params), &references);
    Positions positions(state, target);
    std::vector<LocationItem> locations;
    locations.reserve(references.size());
    for (const IdeReference& reference : references) locations.push_back({target.document->uri, positions.range(reference.range)});
    send_locations(message.id, locations);
}

void on_document_highlight(ServerState* state, const IncomingMessage& message, const RequestTarget& target) {
    std::vector<IdeReference> references;
    ide_references(target.analysis, target.offset, true, &references);
    Positions positions(state, target);
    std::vector<HighlightItem> highlights;
    highlights.reserve(references.size());
    for (const IdeReference& reference : references) highlights.push_back({positions.range(reference.range), reference.write});
    send_highlights(message.id, highlights);
}

void on_prepare_rename(ServerState* state, const IncomingMessage& message, const RequestTarget& target) {
    IdeRenameTarget name;
    std::string refusal;
    if (!ide_prepare_rename(target.analysis, target.offset, &name, &refusal)) {
        send_request_failed(message.id, refusal);
        return;
    }
    send_prepare_rename(message.id, Positions(state, target).range(name.range), name.placeholder);
}

void on_rename(ServerState* state, const IncomingMessage& message, const RequestTarget& target) {
    const char* new_name = protocol_new_name(message.params);
    std::vector<IdeTextEdit> edits;
    std::string refusal;
    if (new_name == nullptr) {
        send_request_failed(message.id, "The rename request has no new name.");
        return;
    }
    if (!ide_rename(target.analysis, target.offset, new_name, &edits, &refusal)) {
        send_request_failed(message.id, refusal);
        return;
    }
    Positions positions(state, target);
    std::vector<TextEditItem> items;
    items.reserve(edits.size());
    for (const IdeTextEdit& edit : edits) items.push_back({positions.range(edit.range), edit.new_text});
    send_rename_edits(message.id, target.document->uri, items);
}

void on_prepare_call_hierarchy(ServerState* state, const IncomingMessage& message, const RequestTarget& target) {
    IdeCallItem item;
    if (!ide_call_item_at(target.analysis, target.offset, &item)) {
        send_null_result(message.id);
        return;
    }
    send_call_items(message.id, {call_item(Positions(state, target), target, item)});
}

void on_incoming_calls(ServerState* state, const IncomingMessage& message, const RequestTarget&) {
    send_calls_of(state, message, true);
}

void on_outgoing_calls(ServerState* state, const IncomingMessage& message, const RequestTarget&) {
    send_calls_of(state, message, false);
}

void on_workspace_symbol(ServerState* state, const IncomingMessage& message, const RequestTarget&) {
    std::string query = protocol_symbol_query(message.params);
    std::vector<WorkspaceSymbolItem> symbols;
    for (size_t i = 0; i < state->documents.count; ++i) {
        Document* document = &state->documents.items[i];
        Analysis* analysis = document_analysis(state, document);
        add_workspace_symbols(state, document, ide_document_symbols(analysis), "", query, &symbols);
    }
    send_workspace_symbols(message.id, symbols);
}

void on_signature_help(ServerState*, const IncomingMessage& message, const RequestTarget& target) {
    IdeSignature signature;
    if (!ide_signature_help(target.analysis, target.offset, &signature)) {
        send_null_result(message.id);
        return;
    }
    send_signature_help(message.id, {signature.label, signature.parameters, signature.documentation, signature.active});
}

void on_inlay_hint(ServerState* state, const IncomingMessage& message, const RequestTarget& target) {
    Positions positions(state, target);
    ProtocolRange range;
    TextRange bytes{0, target.analysis->length};
    if (!protocol_range_param(message.params, &range) || !positions.offset(range.start, &bytes.start) ||
        !positions.offset(range.end, &bytes.end)) {
        send_null_result(message.id);
        return;
    }
    std::vector<InlayHintItem> hints;
    for (IdeInlayHint& hint : ide_inlay_hints(target.analysis, bytes)) {
        hints.push_back({positions.at(hint.offset), std::move(hint.label), hint.parameter, std::move(hint.tooltip)});
    }
    send_inlay_hints(message.id, hints);
}

void on_selection_range(ServerState* state, const IncomingMessage& message, const RequestTarget& target) {
    std::vector<ProtocolPosition> positions;
    if (!protocol_positions(message.params, &positions)) {
        send_null_result(message.id);
        return;
    }
    Positions convert(state, target);
    std::vector<std::vector<ProtocolRange>> chains;
    for (ProtocolPosition position : positions) {
        // Every position gets an answer: one past the text is held at its end.
        uint32_t offset = line_index_clamped_offset(convert.index(), position, convert.encoding());
        std::vector<ProtocolRange> chain;
        for (TextRange range : ide_selection_ranges(target.analysis, offset)) chain.push_back(convert.range(range));
        // A place with no token still selects itself.
        if (chain.empty()) chain.push_back(convert.range({offset, offset}));
        chains.push_back(std::move(chain));
    }
    send_selection_ranges(message.id, chains);
}

void on_document_link(ServerState* state, const IncomingMessage& message, const RequestTarget& target) {
    Positions positions(state, target);
    std::vector<LinkItem> links;
    for (const IdeLink& link : ide_document_links(target.analysis)) {
        std::string resolved;
        if (uri_resolve(target.document->uri, link.path, &resolved)) links.push_back({positions.range(link.range), std::move(resolved)});
    }
    send_document_links(message.id, links);
}
