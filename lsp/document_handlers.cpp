#include "lsp/document_handlers.h"

#include "lsp/publish.h"

namespace {

void store_and_publish(ServerState* state, DocumentText document) {
    if (document.uri == nullptr || document.text == nullptr) {
        return;
    }
    document_store_put(&state->documents, document.uri, document.text);
    // Analysis reads the notification's own text, which is what was just stored.
    analyze_and_publish(state, document.uri, document.text);
}

}  // namespace

void on_did_open(ServerState* state, const IncomingMessage& message) {
    store_and_publish(state, protocol_did_open_params(message.params));
}

void on_did_change(ServerState* state, const IncomingMessage& message) {
    store_and_publish(state, protocol_did_change_params(message.params));
}

void on_did_close(ServerState* state, const IncomingMessage& message) {
    const char* uri = text_document_uri(message.params);
    if (uri == nullptr) {
        return;
    }
    document_store_remove(&state->documents, uri);
    publish_diagnostics(uri, "[]");
}
