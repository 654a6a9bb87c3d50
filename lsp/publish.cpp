#include "lsp/publish.h"

#include <charconv>

#include "ast/free.h"
#include "check/analysis.h"
#include "diag/diagnostic.h"
#include "lsp/json_holder.h"
#include "lsp/transport.h"
#include "lsp/utf8_text.h"

namespace {

// Diagnostics are owned by one analysis: the list is freed on every path.
struct DiagnosticListHolder {
    DiagnosticList list;
    DiagnosticListHolder() { diag_list_init(&list); }
    ~DiagnosticListHolder() { diag_list_free(&list); }
    DiagnosticListHolder(const DiagnosticListHolder&) = delete;
    DiagnosticListHolder& operator=(const DiagnosticListHolder&) = delete;
};

// When cJSON cannot take a member (it ran out of memory, or the parent is
// missing for that reason), the member is dropped rather than leaked.
void add_owned_member(cJSON* object, const char* name, cJSON* item) {
    if (item != nullptr && !cJSON_AddItemToObject(object, name, item)) {
        cJSON_Delete(item);
    }
}

// Positions and severities are small integers, which cJSON prints with no
// exponent and no fraction: plain decimal digits.
void append_integer(std::string* out, int32_t value) {
    char digits[16];
    std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
    out->append(digits, end.ptr);
}

void append_position(std::string* out, LineIndex* index, int32_t line, int32_t column,
                     PositionEncoding encoding) {
    ProtocolPosition position = position_in_index(index, line, column, encoding);
    *out += "{\"line\":";
    append_integer(out, position.line);
    *out += ",\"character\":";
    append_integer(out, position.character);
    *out += '}';
}

void append_protocol_diagnostic(std::string* out, const Diagnostic* record, LineIndex* index,
                                PositionEncoding encoding) {
    const SourceSpan& span = record->span;
    *out += "{\"range\":{\"start\":";
    append_position(out, index, span.start_line, span.start_column, encoding);
    *out += ",\"end\":";
    append_position(out, index, span.end_line, span.end_column, encoding);
    *out += "},\"severity\":";
    append_integer(out, lsp_severity(record->severity));
    *out += ",\"code\":";
    append_json_string(out, diag_kind_name(record->kind));
    *out += ",\"source\":\"tovel\",\"message\":";
    append_json_string(out, record->message != nullptr ? record->message : "");
    *out += '}';
}

// A raw member that borrows its text instead of copying it, the raw
// counterpart of cJSON_CreateStringReference: the text can be tens of
// megabytes and must outlive the item.
cJSON* raw_json_reference(const char* json) {
    cJSON* item = cJSON_CreateNull();
    if (item != nullptr) {
        item->type = cJSON_Raw | cJSON_IsReference;
        item->valuestring = const_cast<char*>(json);
    }
    return item;
}

}  // namespace

int32_t lsp_severity(int32_t severity) {
    switch (severity) {
    case SEVERITY_WARNING:
        return 2;
    case SEVERITY_NOTE:
        return 3;
    default:
        return 1;
    }
}

std::string protocol_diagnostics_json(const DiagnosticList* list, const char* text,
                                      PositionEncoding encoding) {
    std::string out = "[";
    size_t count = diag_list_count(list);
    if (count > 0) {
        LineIndex index;
        line_index_build(&index, text);
        for (size_t i = 0; i < count; ++i) {
            if (i > 0) {
                out += ',';
            }
            append_protocol_diagnostic(&out, diag_list_at(list, i), &index, encoding);
        }
        line_index_free(&index);
    }
    out += ']';
    return out;
}

void publish_diagnostics(const char* uri, cJSON* diagnostics) {
    JsonHolder notification(cJSON_CreateObject());
    if (!notification) {
        cJSON_Delete(diagnostics);
        return;
    }
    cJSON_AddStringToObject(notification.get(), "jsonrpc", "2.0");
    cJSON_AddStringToObject(notification.get(), "method", "textDocument/publishDiagnostics");
    cJSON* params = cJSON_AddObjectToObject(notification.get(), "params");
    cJSON_AddStringToObject(params, "uri", uri);
    add_owned_member(params, "diagnostics", diagnostics);
    send_message(notification.get());
}

void analyze_and_publish(ServerState* state, const char* uri, const char* text) {
    DiagnosticListHolder diagnostics;
    StmtList program = {nullptr, 0};
    analyze_document(text, uri, &diagnostics.list, &program);
    stmt_list_free(program);
    // The array is spliced into the notification as ready-made JSON: a tree
    // of cJSON objects per finding costs several times the analysis itself.
    std::string array = protocol_diagnostics_json(&diagnostics.list, text, state->position_encoding);
    publish_diagnostics(uri, raw_json_reference(array.c_str()));
}
