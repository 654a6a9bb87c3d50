#include "lsp/document_handlers.h"

#include <cstring>

#include "lsp/publish.h"
#include "text/line_index.h"

namespace {

void store_and_publish(ServerState* state, DocumentText document) {
    if (document.uri == nullptr || document.text == nullptr) {
        return;
    }
    analyze_and_publish(state, document.uri, document.text);
}

// Range edits, in order, each in the positions of the text the edits before
// it left; a change without a range replaces the whole text. Positions
// outside the text are held at its ends.
void apply_changes(ServerState* state, Document* document, const std::vector<ContentChange>& changes) {
    for (const ContentChange& change : changes) {
        if (!change.has_range) {
            document_store_put(&state->documents, document->uri, change.text);
            continue;
        }
        // Only the line starts are needed, not an analysis of a text that
        // is about to change.
        LineIndex index;
        line_index_build(&index, document->text);
        TextRange range{line_index_clamped_offset(&index, change.range.start, state->position_encoding),
                        line_index_clamped_offset(&index, change.range.end, state->position_encoding)};
        line_index_free(&index);
        document_store_edit(document, range, change.text, std::strlen(change.text));
    }
}

}  // namespace

void on_did_open(ServerState* state, const IncomingMessage& message, const RequestTarget&) {
    store_and_publish(state, protocol_did_open_params(message.params));
}

// A client that declared synchronization may send range edits; any other
// sends whole texts, of which the last counts (a range in it is ignored).
void on_did_change(ServerState* state, const IncomingMessage& message, const RequestTarget&) {
    if (!state->features.synchronization) {
        store_and_publish(state, protocol_did_change_params(message.params));
        return;
    }
    const char* uri = text_document_uri(message.params);
    Document* document = uri != nullptr ? document_store_find(&state->documents, uri) : nullptr;
    std::vector<ContentChange> changes = protocol_content_changes(message.params);
    if (document == nullptr) {
        // Edits to a text the server never saw cannot be applied; a whole
        // text can still be taken as the document.
        DocumentText whole = protocol_did_change_params(message.params);
        if (!changes.empty() && !changes.back().has_range) store_and_publish(state, whole);
        return;
    }
    if (changes.empty()) return;
    apply_changes(state, document, changes);
    publish_document(state, document);
}

void on_did_close(ServerState* state, const IncomingMessage& message, const RequestTarget&) {
    const char* uri = text_document_uri(message.params);
    if (uri == nullptr) {
        return;
    }
    document_store_remove(&state->documents, uri);
    publish_diagnostics(uri, "[]");
}
