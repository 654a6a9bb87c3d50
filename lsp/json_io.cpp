#include "lsp/json_io.h"

#include <charconv>

#include "lsp/json_holder.h"
#include "lsp/transport.h"

namespace {

bool read_integer(const cJSON* value, int32_t* out) {
    if (!cJSON_IsNumber(value) || value->valuedouble < 0 || value->valuedouble > 2147483647.0) {
        return false;
    }
    *out = static_cast<int32_t>(value->valuedouble);
    return true;
}

cJSON* position_json(ProtocolPosition position) {
    cJSON* json = cJSON_CreateObject();
    cJSON_AddNumberToObject(json, "line", position.line);
    cJSON_AddNumberToObject(json, "character", position.character);
    return json;
}

}  // namespace

const cJSON* json_member(const cJSON* object, const char* name) {
    return cJSON_GetObjectItemCaseSensitive(object, name);
}

const char* string_member(const cJSON* object, const char* name) {
    const cJSON* value = json_member(object, name);
    return cJSON_IsString(value) ? value->valuestring : nullptr;
}

const char* text_document_uri(const cJSON* params) {
    return string_member(json_member(params, "textDocument"), "uri");
}

bool read_position(const cJSON* json, ProtocolPosition* position) {
    return read_integer(json_member(json, "line"), &position->line) &&
           read_integer(json_member(json, "character"), &position->character);
}

bool read_range(const cJSON* json, ProtocolRange* range) {
    return read_position(json_member(json, "start"), &range->start) &&
           read_position(json_member(json, "end"), &range->end);
}

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

void send_result(const cJSON* id, cJSON* result) {
    JsonHolder response(make_response(id));
    if (!response) {
        cJSON_Delete(result);
        return;
    }
    cJSON_AddItemToObject(response.get(), "result", result);
    send_message(response.get());
}

void send_result_text(const cJSON* id, const std::string& result) {
    std::string body = "{\"jsonrpc\":\"2.0\",\"id\":";
    body.reserve(result.size() + 64);
    PrintedJson printed_id(id != nullptr && !cJSON_IsNull(id) ? cJSON_PrintUnformatted(id) : nullptr);
    body += printed_id ? printed_id.get() : "null";
    body += ",\"result\":";
    body += result;
    body += '}';
    send_body(body.data(), body.size());
}

void append_integer(std::string* out, int64_t value) {
    // Written in place: an answer can hold a million numbers.
    size_t at = out->size();
    out->resize(at + 20);
    std::to_chars_result end = std::to_chars(out->data() + at, out->data() + out->size(), value);
    out->resize(static_cast<size_t>(end.ptr - out->data()));
}

void append_position(std::string* out, ProtocolPosition position) {
    *out += "{\"line\":";
    append_integer(out, position.line);
    *out += ",\"character\":";
    append_integer(out, position.character);
    *out += '}';
}

void append_range(std::string* out, ProtocolRange range) {
    *out += "{\"start\":";
    append_position(out, range.start);
    *out += ",\"end\":";
    append_position(out, range.end);
    *out += '}';
}

cJSON* range_json(ProtocolRange range) {
    cJSON* json = cJSON_CreateObject();
    cJSON_AddItemToObject(json, "start", position_json(range.start));
    cJSON_AddItemToObject(json, "end", position_json(range.end));
    return json;
}
