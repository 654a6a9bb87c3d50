#include "lsp/protocol.h"

#include <charconv>
#include <cstdint>
#include <cstring>

#include "diag/render.h"
#include "lsp/json_holder.h"
#include "lsp/json_io.h"
#include "lsp/transport.h"
#include "text/utf8.h"

namespace {

// Full-text synchronisation: every change carries the whole document;
// incremental: changes may be range edits.
constexpr int kTextDocumentSyncFull = 1;
constexpr int kTextDocumentSyncIncremental = 2;
constexpr int kParseErrorCode = -32700;
constexpr int kMethodNotFoundCode = -32601;

// "utf-8" anywhere in the offered list wins; the client's order of
// preference is not consulted and nothing but utf-8 or utf-16 is chosen.
bool offers_utf8(const cJSON* params) {
    const cJSON* encodings = json_member(json_member(json_member(params, "capabilities"), "general"),
                                    "positionEncodings");
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

void send_error(const cJSON* id, int code, const char* message) {
    JsonHolder response(make_response(id));
    if (!response) {
        return;
    }
    cJSON* error = cJSON_AddObjectToObject(response.get(), "error");
    if (error != nullptr) {
        cJSON_AddNumberToObject(error, "code", code);
        cJSON_AddStringToObject(error, "message", message);
    }
    send_message(response.get());
}

}  // namespace

IncomingMessage protocol_read_envelope(const cJSON* message) {
    IncomingMessage incoming{};
    incoming.method = string_member(message, "method");
    incoming.id = json_member(message, "id");
    incoming.params = json_member(message, "params");
    incoming.is_request = incoming.id != nullptr && !cJSON_IsNull(incoming.id);
    return incoming;
}

InitializeParams protocol_initialize_params(const cJSON* params) {
    return InitializeParams{offers_utf8(params), protocol_client_features(params)};
}

DocumentText protocol_did_open_params(const cJSON* params) {
    const cJSON* document = json_member(params, "textDocument");
    return DocumentText{string_member(document, "uri"), string_member(document, "text")};
}

DocumentText protocol_did_change_params(const cJSON* params) {
    DocumentText change{text_document_uri(params), nullptr};
    const cJSON* changes = json_member(params, "contentChanges");
    if (change.uri == nullptr || !cJSON_IsArray(changes) || changes->child == nullptr) {
        return DocumentText{nullptr, nullptr};
    }
    const cJSON* last = changes->child;
    while (last->next != nullptr) {
        last = last->next;
    }
    change.text = string_member(last, "text");
    return change;
}

namespace {

bool read_clamped_number(const cJSON* value, int32_t* out) {
    if (!cJSON_IsNumber(value)) return false;
    double number = value->valuedouble;
    *out = number <= 0 || number != number ? 0 : number >= 2147483647.0 ? INT32_MAX : static_cast<int32_t>(number);
    return true;
}

bool read_clamped_position(const cJSON* json, ProtocolPosition* position) {
    return read_clamped_number(json_member(json, "line"), &position->line) &&
           read_clamped_number(json_member(json, "character"), &position->character);
}

}  // namespace

std::vector<ContentChange> protocol_content_changes(const cJSON* params) {
    std::vector<ContentChange> changes;
    const cJSON* list = json_member(params, "contentChanges");
    if (!cJSON_IsArray(list)) return changes;
    const cJSON* element = nullptr;
    cJSON_ArrayForEach(element, list) {
        ContentChange change{string_member(element, "text"), false, {{0, 0}, {0, 0}}};
        const cJSON* range = json_member(element, "range");
        if (change.text == nullptr) continue;
        if (range != nullptr) {
            change.has_range = true;
            if (!read_clamped_position(json_member(range, "start"), &change.range.start) ||
                !read_clamped_position(json_member(range, "end"), &change.range.end)) {
                continue;
            }
        }
        changes.push_back(change);
    }
    return changes;
}

void send_initialize_result(const cJSON* id, PositionEncoding encoding, const ClientFeatures& features) {
    JsonHolder response(make_response(id));
    if (!response) {
        return;
    }
    cJSON* result = cJSON_AddObjectToObject(response.get(), "result");
    cJSON* capabilities = cJSON_AddObjectToObject(result, "capabilities");
    if (features.synchronization) {
        cJSON* sync = cJSON_AddObjectToObject(capabilities, "textDocumentSync");
        cJSON_AddTrueToObject(sync, "openClose");
        cJSON_AddNumberToObject(sync, "change", kTextDocumentSyncIncremental);
    } else {
        cJSON_AddNumberToObject(capabilities, "textDocumentSync", kTextDocumentSyncFull);
    }
    cJSON_AddStringToObject(capabilities, "positionEncoding", encoding_name(encoding));
    add_feature_providers(capabilities, features);
    send_message(response.get());
}

void send_null_result(const cJSON* id) {
    JsonHolder response(make_response(id));
    if (!response) {
        return;
    }
    cJSON_AddNullToObject(response.get(), "result");
    send_message(response.get());
}

void send_method_not_found(const cJSON* id) { send_error(id, kMethodNotFoundCode, "Method not found"); }

void send_parse_error() { send_error(nullptr, kParseErrorCode, "Parse error"); }

std::string publish_notification_start(const char* uri) {
    std::string out =
        "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/publishDiagnostics\",\"params\":{\"uri\":\"";
    json_append_escaped(&out, uri, strlen(uri));
    out += "\",\"diagnostics\":";
    return out;
}

void append_protocol_diagnostic(std::string* out, ProtocolPosition start, ProtocolPosition end,
                                int32_t severity, const char* code, const char* message) {
    *out += "{\"range\":{\"start\":";
    append_position(out, start);
    *out += ",\"end\":";
    append_position(out, end);
    *out += "},\"severity\":";
    append_integer(out, severity);
    *out += ",\"code\":";
    append_json_string(out, code);
    *out += ",\"source\":\"tovel\",\"message\":";
    append_json_string(out, message);
    *out += '}';
}

void send_publish_notification(std::string* message) {
    *message += "}}";
    send_body(message->data(), message->size());
}
