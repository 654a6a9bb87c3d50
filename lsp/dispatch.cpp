#include "lsp/dispatch.h"

#include <cstring>

#include "ide/analysis.h"
#include "lsp/analysis_cache.h"
#include "lsp/document_handlers.h"
#include "lsp/features.h"
#include "lsp/lifecycle.h"
#include "lsp/protocol_features.h"

namespace {

// Adding a method is a row here, its handler, and its transcript.
constexpr MethodRow kMethods[] = {
    {"initialize", METHOD_REQUEST, nullptr, TARGET_NONE, on_initialize},
    {"initialized", METHOD_NOTIFICATION, nullptr, TARGET_NONE, on_initialized},
    {"shutdown", METHOD_REQUEST, nullptr, TARGET_NONE, on_shutdown},
    {"exit", METHOD_NOTIFICATION, nullptr, TARGET_NONE, on_exit},
    {"textDocument/didOpen", METHOD_NOTIFICATION, nullptr, TARGET_NONE, on_did_open},
    {"textDocument/didChange", METHOD_NOTIFICATION, nullptr, TARGET_NONE, on_did_change},
    {"textDocument/didClose", METHOD_NOTIFICATION, nullptr, TARGET_NONE, on_did_close},
    {"textDocument/documentSymbol", METHOD_REQUEST, &ClientFeatures::document_symbol, TARGET_DOCUMENT,
     on_document_symbol},
    {"textDocument/foldingRange", METHOD_REQUEST, &ClientFeatures::folding_range, TARGET_DOCUMENT,
     on_folding_range},
    {"textDocument/definition", METHOD_REQUEST, &ClientFeatures::definition, TARGET_POSITION, on_definition},
    {"textDocument/hover", METHOD_REQUEST, &ClientFeatures::hover, TARGET_POSITION, on_hover},
    {"textDocument/completion", METHOD_REQUEST, &ClientFeatures::completion, TARGET_POSITION, on_completion},
    {"textDocument/codeAction", METHOD_REQUEST, &ClientFeatures::code_action, TARGET_DOCUMENT, on_code_action},
    {"textDocument/semanticTokens/full", METHOD_REQUEST, &ClientFeatures::semantic_tokens, TARGET_DOCUMENT,
     on_semantic_tokens},
    {"textDocument/references", METHOD_REQUEST, &ClientFeatures::references, TARGET_POSITION, on_references},
    {"textDocument/documentHighlight", METHOD_REQUEST, &ClientFeatures::document_highlight, TARGET_POSITION,
     on_document_highlight},
    {"textDocument/prepareRename", METHOD_REQUEST, &ClientFeatures::rename, TARGET_POSITION, on_prepare_rename},
    {"textDocument/rename", METHOD_REQUEST, &ClientFeatures::rename, TARGET_POSITION, on_rename},
    {"textDocument/prepareCallHierarchy", METHOD_REQUEST, &ClientFeatures::call_hierarchy, TARGET_POSITION,
     on_prepare_call_hierarchy},
    {"callHierarchy/incomingCalls", METHOD_REQUEST, &ClientFeatures::call_hierarchy, TARGET_NONE, on_incoming_calls},
    {"callHierarchy/outgoingCalls", METHOD_REQUEST, &ClientFeatures::call_hierarchy, TARGET_NONE, on_outgoing_calls},
    {"workspace/symbol", METHOD_REQUEST, &ClientFeatures::workspace_symbol, TARGET_NONE, on_workspace_symbol},
    {"textDocument/signatureHelp", METHOD_REQUEST, &ClientFeatures::signature_help, TARGET_POSITION,
     on_signature_help},
    {"textDocument/inlayHint", METHOD_REQUEST, &ClientFeatures::inlay_hint, TARGET_DOCUMENT, on_inlay_hint},
    {"textDocument/selectionRange", METHOD_REQUEST, &ClientFeatures::selection_range, TARGET_DOCUMENT,
     on_selection_range},
    {"textDocument/documentLink", METHOD_REQUEST, &ClientFeatures::document_link, TARGET_DOCUMENT, on_document_link},
    {"textDocument/formatting", METHOD_REQUEST, &ClientFeatures::formatting, TARGET_DOCUMENT, on_formatting},
    {"textDocument/rangeFormatting", METHOD_REQUEST, &ClientFeatures::range_formatting, TARGET_DOCUMENT,
     on_range_formatting},
    {"textDocument/onTypeFormatting", METHOD_REQUEST, &ClientFeatures::on_type_formatting, TARGET_POSITION,
     on_type_formatting},
};

const MethodRow* find_method(const char* name) {
    for (const MethodRow& row : kMethods) {
        if (strcmp(row.method, name) == 0) return &row;
    }
    return nullptr;
}

// False when the request is to be answered null.
bool resolve_target(ServerState* state, const MethodRow& row, const IncomingMessage& message, RequestTarget* target) {
    const char* uri = text_document_uri(message.params);
    target->document = uri != nullptr ? document_store_find(&state->documents, uri) : nullptr;
    if (target->document == nullptr) return false;
    target->analysis = document_analysis(state, target->document);
    if (row.target != TARGET_POSITION) return true;
    PositionRequest request = protocol_position_params(message.params);
    return request.valid && line_index_offset_at(analysis_index(target->analysis), request.position,
                                                 state->position_encoding, &target->offset);
}

void run_method(ServerState* state, const MethodRow& row, const IncomingMessage& message) {
    RequestTarget target{nullptr, nullptr, 0};
    if (row.feature != nullptr) {
        if (!message.is_request) return;
        if (!(state->features.*row.feature)) {
            send_method_not_found(message.id);
            return;
        }
    }
    if (row.target != TARGET_NONE && !resolve_target(state, row, message, &target)) {
        send_null_result(message.id);
        return;
    }
    row.handler(state, message, target);
}

}  // namespace

const MethodRow* method_table(int32_t* count) {
    *count = static_cast<int32_t>(sizeof kMethods / sizeof kMethods[0]);
    return kMethods;
}

int32_t dispatch_message(ServerState* state, const cJSON* message, int* exit_code) {
    IncomingMessage incoming = protocol_read_envelope(message);
    if (incoming.method == nullptr) {
        return 1;  // client responses, batches and stray values get no answer
    }
    const MethodRow* row = find_method(incoming.method);
    if (row == nullptr) {
        if (incoming.is_request) send_method_not_found(incoming.id);
        return 1;
    }
    run_method(state, *row, incoming);
    analysis_cache_trim(state);
    if (state->exit_requested) {
        *exit_code = state->exit_status;
        return 0;
    }
    return 1;
}
