#include "lsp/dispatch.h"

#include <cstring>

#include "lsp/document_handlers.h"
#include "lsp/json_holder.h"
#include "lsp/responses.h"
#include "lsp/transport.h"

namespace {

// Full-text synchronisation: every change carries the whole document.
constexpr int kTextDocumentSyncFull = 1;

// "utf-8" anywhere in the offered list wins; the client's order of
// preference is not consulted and nothing but utf-8 or utf-16 is chosen.
bool offers_utf8(const cJSON* params) {
    // A missing step yields null, and a lookup in null yields null again.
    const cJSON* capabilities = cJSON_GetObjectItemCaseSensitive(params, "capabilities");
    const cJSON* general = cJSON_GetObjectItemCaseSensitive(capabilities, "general");
    const cJSON* encodings = cJSON_GetObjectItemCaseSensitive(general, "positionEncodings");
    if (!cJSON_IsArray(encodings)) {
        return false;
    }
    const cJSON* element = nullptr;
    cJSON_ArrayForEach(element, encodings) {
        if (cJSON_IsString(element) && strcmp(element->valuestring, "utf-8") == 0) {
            return true;
        }
    }
    return false;
}

const char* encoding_name(PositionEncoding encoding) {
    return encoding == POSITION_ENCODING_UTF8 ? "utf-8" : "utf-16";
}

void on_exit(const ServerState* state, int* exit_code) {
    *exit_code = state->shutdown_requested ? 0 : 1;
}

}  // namespace

void on_initialize(ServerState* state, const cJSON* id, const cJSON* params) {
    state->position_encoding = offers_utf8(params) ? POSITION_ENCODING_UTF8 : POSITION_ENCODING_UTF16;

    JsonHolder response(make_response(id));
    if (!response) {
        return;
    }
    cJSON* result = cJSON_AddObjectToObject(response.get(), "result");
    cJSON* capabilities = cJSON_AddObjectToObject(result, "capabilities");
    cJSON_AddNumberToObject(capabilities, "textDocumentSync", kTextDocumentSyncFull);
    cJSON_AddStringToObject(capabilities, "positionEncoding", encoding_name(state->position_encoding));
    send_message(response.get());
}

void on_shutdown(ServerState* state, const cJSON* id) {
    state->shutdown_requested = true;
    JsonHolder response(make_response(id));
    if (!response) {
        return;
    }
    cJSON_AddNullToObject(response.get(), "result");
    send_message(response.get());
}

int32_t dispatch_message(ServerState* state, const cJSON* message, int* exit_code) {
    const cJSON* method = cJSON_GetObjectItemCaseSensitive(message, "method");
    if (!cJSON_IsString(method)) {
        return 1;  // client responses, batches and stray values get no answer
    }
    const cJSON* id = cJSON_GetObjectItemCaseSensitive(message, "id");
    const cJSON* params = cJSON_GetObjectItemCaseSensitive(message, "params");
    bool is_request = id != nullptr && !cJSON_IsNull(id);
    const char* name = method->valuestring;

    if (strcmp(name, "initialize") == 0) {
        on_initialize(state, id, params);
    } else if (strcmp(name, "initialized") == 0) {
        // nothing to do
    } else if (strcmp(name, "shutdown") == 0) {
        on_shutdown(state, id);
    } else if (strcmp(name, "exit") == 0) {
        on_exit(state, exit_code);
        return 0;
    } else if (strcmp(name, "textDocument/didOpen") == 0) {
        on_did_open(state, params);
    } else if (strcmp(name, "textDocument/didChange") == 0) {
        on_did_change(state, params);
    } else if (strcmp(name, "textDocument/didClose") == 0) {
        on_did_close(state, params);
    } else if (is_request) {
        send_method_not_found(id);
    }
    return 1;
}
