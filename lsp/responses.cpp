#include "lsp/responses.h"

#include "lsp/json_holder.h"
#include "lsp/transport.h"

namespace {

constexpr int kParseErrorCode = -32700;
constexpr int kMethodNotFoundCode = -32601;

void add_error(cJSON* response, int code, const char* message) {
    cJSON* error = cJSON_AddObjectToObject(response, "error");
    if (error == nullptr) {
        return;
    }
    cJSON_AddNumberToObject(error, "code", code);
    cJSON_AddStringToObject(error, "message", message);
}

}  // namespace

cJSON* make_response(const cJSON* id) {
    cJSON* response = cJSON_CreateObject();
    if (response == nullptr) {
        return nullptr;
    }
    cJSON_AddStringToObject(response, "jsonrpc", "2.0");
    if (id != nullptr && !cJSON_IsNull(id)) {
        cJSON* copy = cJSON_Duplicate(id, true);
        if (copy != nullptr) {
            cJSON_AddItemToObject(response, "id", copy);
        }
    } else {
        cJSON_AddNullToObject(response, "id");
    }
    return response;
}

void send_method_not_found(const cJSON* id) {
    JsonHolder response(make_response(id));
    if (!response) {
        return;
    }
    add_error(response.get(), kMethodNotFoundCode, "Method not found");
    send_message(response.get());
}

void send_parse_error() {
    JsonHolder response(make_response(nullptr));
    if (!response) {
        return;
    }
    add_error(response.get(), kParseErrorCode, "Parse error");
    send_message(response.get());
}
