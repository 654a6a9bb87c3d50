#include "lsp/dispatch.h"

#include <cstring>

#include "lsp/document_handlers.h"
#include "lsp/features.h"
#include "lsp/lifecycle.h"

namespace {

// Adding a method is a row here, its handler, and its transcript.
constexpr MethodRow kMethods[] = {
    {"initialize", METHOD_REQUEST, on_initialize},
    {"initialized", METHOD_NOTIFICATION, on_initialized},
    {"shutdown", METHOD_REQUEST, on_shutdown},
    {"exit", METHOD_NOTIFICATION, on_exit},
    {"textDocument/didOpen", METHOD_NOTIFICATION, on_did_open},
    {"textDocument/didChange", METHOD_NOTIFICATION, on_did_change},
    {"textDocument/didClose", METHOD_NOTIFICATION, on_did_close},
    {"textDocument/documentSymbol", METHOD_REQUEST, on_document_symbol},
    {"textDocument/foldingRange", METHOD_REQUEST, on_folding_range},
    {"textDocument/definition", METHOD_REQUEST, on_definition},
    {"textDocument/hover", METHOD_REQUEST, on_hover},
    {"textDocument/completion", METHOD_REQUEST, on_completion},
    {"textDocument/codeAction", METHOD_REQUEST, on_code_action},
    {"textDocument/semanticTokens/full", METHOD_REQUEST, on_semantic_tokens},
};

const MethodRow* find_method(const char* name) {
    for (const MethodRow& row : kMethods) {
        if (strcmp(row.method, name) == 0) return &row;
    }
    return nullptr;
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
    row->handler(state, incoming);
    if (state->exit_requested) {
        *exit_code = state->exit_status;
        return 0;
    }
    return 1;
}
