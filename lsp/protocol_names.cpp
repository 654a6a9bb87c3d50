#include "lsp/protocol_names.h"

#include <cstring>

#include "diag/render.h"
#include "lsp/json_holder.h"
#include "lsp/json_io.h"
#include "lsp/transport.h"
#include "text/utf8.h"

namespace {

constexpr int kRequestFailedCode = -32803;

void append_uri(std::string* out, const char* uri) {
    *out += '"';
    json_append_escaped(out, uri, std::strlen(uri));
    *out += '"';
}

void append_string_member(std::string* out, const char* name, const std::string& value) {
    *out += ",\"";
    *out += name;
    *out += "\":";
    append_json_string(out, value.c_str());
}

void append_call_item(std::string* out, const CallItem& item) {
    *out += "{\"name\":";
    append_json_string(out, item.name.empty() ? "?" : item.name.c_str());
    if (!item.detail.empty()) append_string_member(out, "detail", item.detail);
    *out += ",\"kind\":";
    append_integer(out, item.kind);
    *out += ",\"uri\":";
    append_uri(out, item.uri);
    *out += ",\"range\":";
    append_range(out, item.range);
    *out += ",\"selectionRange\":";
    append_range(out, item.selection);
    *out += '}';
}

}  // namespace

bool protocol_include_declaration(const cJSON* params) {
    return cJSON_IsTrue(json_member(json_member(params, "context"), "includeDeclaration"));
}

const char* protocol_new_name(const cJSON* params) { return string_member(params, "newName"); }

bool protocol_call_item(const cJSON* params, const char** uri, ProtocolPosition* start) {
    const cJSON* item = json_member(params, "item");
    *uri = string_member(item, "uri");
    ProtocolRange selection;
    if (*uri == nullptr || !read_range(json_member(item, "selectionRange"), &selection)) return false;
    *start = selection.start;
    return true;
}

std::string protocol_symbol_query(const cJSON* params) {
    const char* query = string_member(params, "query");
    return query != nullptr ? query : "";
}

bool protocol_positions(const cJSON* params, std::vector<ProtocolPosition>* positions) {
    const cJSON* list = json_member(params, "positions");
    if (!cJSON_IsArray(list)) return false;
    const cJSON* element = nullptr;
    cJSON_ArrayForEach(element, list) {
        ProtocolPosition position;
        if (!read_position(element, &position)) return false;
        positions->push_back(position);
    }
    return true;
}

bool protocol_range_param(const cJSON* params, ProtocolRange* range) { return read_range(json_member(params, "range"), range); }

void send_locations(const cJSON* id, const std::vector<LocationItem>& locations) {
    std::string result = "[";
    result.reserve(locations.size() * 96 + 2);
    for (size_t i = 0; i < locations.size(); ++i) {
        if (i > 0) result += ',';
        result += "{\"uri\":";
        append_uri(&result, locations[i].uri);
        result += ",\"range\":";
        append_range(&result, locations[i].range);
        result += '}';
    }
    result += ']';
    send_result_text(id, result);
}

void send_highlights(const cJSON* id, const std::vector<HighlightItem>& highlights) {
    std::string result = "[";
    result.reserve(highlights.size() * 80 + 2);
    for (size_t i = 0; i < highlights.size(); ++i) {
        if (i > 0) result += ',';
        result += "{\"range\":";
        append_range(&result, highlights[i].range);
        result += highlights[i].write ? ",\"kind\":3}" : ",\"kind\":2}";
    }
    result += ']';
    send_result_text(id, result);
}

void send_prepare_rename(const cJSON* id, ProtocolRange range, const std::string& placeholder) {
    std::string result = "{\"range\":";
    append_range(&result, range);
    append_string_member(&result, "placeholder", placeholder);
    result += '}';
    send_result_text(id, result);
}

void send_rename_edits(const cJSON* id, const char* uri, const std::vector<TextEditItem>& edits) {
    std::string result = "{\"changes\":{";
    append_uri(&result, uri);
    result += ":[";
    result.reserve(edits.size() * 96 + 64);
    for (size_t i = 0; i < edits.size(); ++i) {
        if (i > 0) result += ',';
        result += "{\"range\":";
        append_range(&result, edits[i].range);
        append_string_member(&result, "newText", edits[i].new_text);
        result += '}';
    }
    result += "]}}";
    send_result_text(id, result);
}

void send_request_failed(const cJSON* id, const std::string& message) {
    JsonHolder response(make_response(id));
    if (!response) return;
    cJSON* object = cJSON_AddObjectToObject(response.get(), "error");
    if (object != nullptr) {
        cJSON_AddNumberToObject(object, "code", kRequestFailedCode);
        cJSON_AddStringToObject(object, "message", valid_utf8(message.c_str()).c_str());
    }
    send_message(response.get());
}

void send_call_items(const cJSON* id, const std::vector<CallItem>& items) {
    std::string result = "[";
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0) result += ',';
        append_call_item(&result, items[i]);
    }
    result += ']';
    send_result_text(id, result);
}

void send_calls(const cJSON* id, const std::vector<CallEntry>& calls, bool incoming) {
    std::string result = "[";
    for (size_t i = 0; i < calls.size(); ++i) {
        if (i > 0) result += ',';
        result += incoming ? "{\"from\":" : "{\"to\":";
        append_call_item(&result, calls[i].item);
        result += ",\"fromRanges\":[";
        for (size_t r = 0; r < calls[i].from.size(); ++r) {
            if (r > 0) result += ',';
            append_range(&result, calls[i].from[r]);
        }
        result += "]}";
    }
    result += ']';
    send_result_text(id, result);
}

void send_workspace_symbols(const cJSON* id, const std::vector<WorkspaceSymbolItem>& symbols) {
    std::string result = "[";
    for (size_t i = 0; i < symbols.size(); ++i) {
        const WorkspaceSymbolItem& symbol = symbols[i];
        if (i > 0) result += ',';
        result += "{\"name\":";
        append_json_string(&result, symbol.name.empty() ? "?" : symbol.name.c_str());
        result += ",\"kind\":";
        append_integer(&result, symbol.kind);
        result += ",\"location\":{\"uri\":";
        append_uri(&result, symbol.uri);
        result += ",\"range\":";
        append_range(&result, symbol.range);
        result += '}';
        if (!symbol.container.empty()) append_string_member(&result, "containerName", symbol.container);
        result += '}';
    }
    result += ']';
    send_result_text(id, result);
}

void send_signature_help(const cJSON* id, const SignatureItem& signature) {
    std::string result = "{\"signatures\":[{\"label\":";
    append_json_string(&result, signature.label.c_str());
    if (!signature.documentation.empty()) {
        result += ",\"documentation\":{\"kind\":\"markdown\",\"value\":";
        append_json_string(&result, signature.documentation.c_str());
        result += '}';
    }
    result += ",\"parameters\":[";
    for (size_t i = 0; i < signature.parameters.size(); ++i) {
        if (i > 0) result += ',';
        result += "{\"label\":";
        append_json_string(&result, signature.parameters[i].c_str());
        result += '}';
    }
    result += "]}],\"activeSignature\":0,\"activeParameter\":";
    append_integer(&result, signature.active);
    result += '}';
    send_result_text(id, result);
}

void send_inlay_hints(const cJSON* id, const std::vector<InlayHintItem>& hints) {
    std::string result = "[";
    for (size_t i = 0; i < hints.size(); ++i) {
        const InlayHintItem& hint = hints[i];
        if (i > 0) result += ',';
        result += "{\"position\":";
        append_position(&result, hint.position);
        append_string_member(&result, "label", hint.label);
        result += hint.parameter ? ",\"kind\":2,\"paddingRight\":true" : ",\"kind\":1,\"paddingLeft\":true";
        if (!hint.tooltip.empty()) append_string_member(&result, "tooltip", hint.tooltip);
        result += '}';
    }
    result += ']';
    send_result_text(id, result);
}

void send_selection_ranges(const cJSON* id, const std::vector<std::vector<ProtocolRange>>& chains) {
    std::string result = "[";
    for (size_t i = 0; i < chains.size(); ++i) {
        if (i > 0) result += ',';
        // Innermost first, each nesting its parent; written flat, closed at the end.
        for (size_t r = 0; r < chains[i].size(); ++r) {
            result += r == 0 ? "{\"range\":" : ",\"parent\":{\"range\":";
            append_range(&result, chains[i][r]);
        }
        result.append(chains[i].size(), '}');
        if (chains[i].empty()) result += "{}";
    }
    result += ']';
    send_result_text(id, result);
}

void send_document_links(const cJSON* id, const std::vector<LinkItem>& links) {
    std::string result = "[";
    for (size_t i = 0; i < links.size(); ++i) {
        if (i > 0) result += ',';
        result += "{\"range\":";
        append_range(&result, links[i].range);
        append_string_member(&result, "target", links[i].target);
        result += '}';
    }
    result += ']';
    send_result_text(id, result);
}
