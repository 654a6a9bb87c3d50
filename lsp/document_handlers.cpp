#include "lsp/document_handlers.h"

#include "lsp/publish.h"

namespace {

void store_and_publish(ServerState* state, const cJSON* uri, const cJSON* text) {
    if (!cJSON_IsString(uri) || !cJSON_IsString(text)) {
        return;
    }
    document_store_put(&state->documents, uri->valuestring, text->valuestring);
    // Analysis reads the notification's own text, which is what was just stored.
    analyze_and_publish(state, uri->valuestring, text->valuestring);
}

}  // namespace

const cJSON* text_document_uri(const cJSON* params) {
    const cJSON* document = cJSON_GetObjectItemCaseSensitive(params, "textDocument");
    return cJSON_GetObjectItemCaseSensitive(document, "uri");
}

void on_did_open(ServerState* state, const cJSON* params) {
    const cJSON* document = cJSON_GetObjectItemCaseSensitive(params, "textDocument");
    store_and_publish(state, cJSON_GetObjectItemCaseSensitive(document, "uri"),
                      cJSON_GetObjectItemCaseSensitive(document, "text"));
}

void on_did_change(ServerState* state, const cJSON* params) {
    const cJSON* uri = text_document_uri(params);
    const cJSON* changes = cJSON_GetObjectItemCaseSensitive(params, "contentChanges");
    if (!cJSON_IsString(uri) || !cJSON_IsArray(changes)) {
        return;
    }
    // Full synchronisation: the last change holds the whole new text and
    // any range in it is ignored.
    const cJSON* last = changes->child;
    if (last == nullptr) {
        return;
    }
    while (last->next != nullptr) {
        last = last->next;
    }
    store_and_publish(state, uri, cJSON_GetObjectItemCaseSensitive(last, "text"));
}

void on_did_close(ServerState* state, const cJSON* params) {
    const cJSON* uri = text_document_uri(params);
    if (!cJSON_IsString(uri)) {
        return;
    }
    document_store_remove(&state->documents, uri->valuestring);
    publish_diagnostics(uri->valuestring, "[]");
}
