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

void send_result_text(const cJSON* id, std::string_view result) {
    PrintedJson printed_id(id != nullptr && !cJSON_IsNull(id) ? cJSON_PrintUnformatted(id) : nullptr);
    const std::string_view pieces[] = {"{\"jsonrpc\":\"2.0\",\"id\":",
                                       printed_id ? std::string_view(printed_id.get()) : "null", ",\"result\":",
                                       result, "}"};
    send_body_pieces(pieces, sizeof pieces / sizeof pieces[0]);
}

void append_integer(std::string* out, int64_t value) {
    char digits[20];
    std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
    out->append(digits, static_cast<size_t>(end.ptr - digits));
}

// The keys are written as views: an answer can hold many thousand ranges.
void append_position(std::string* out, ProtocolPosition position) {
    using namespace std::string_view_literals;
    *out += "{\"line\":"sv;
    append_integer(out, position.line);
    *out += ",\"character\":"sv;
    append_integer(out, position.character);
    *out += '}';
}

void append_range(std::string* out, ProtocolRange range) {
    using namespace std::string_view_literals;
    *out += "{\"start\":"sv;
    append_position(out, range.start);
    *out += ",\"end\":"sv;
    append_position(out, range.end);
    *out += '}';
}

cJSON* range_json(ProtocolRange range) {
    cJSON* json = cJSON_CreateObject();
    cJSON_AddItemToObject(json, "start", position_json(range.start));
    cJSON_AddItemToObject(json, "end", position_json(range.end));
    return json;
}
