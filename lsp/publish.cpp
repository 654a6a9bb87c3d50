#include "lsp/publish.h"

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

cJSON* protocol_diagnostic(const Diagnostic* record, LineIndex* index, PositionEncoding encoding) {
    cJSON* item = cJSON_CreateObject();
    if (item == nullptr) {
        return nullptr;
    }
    cJSON* range = cJSON_AddObjectToObject(item, "range");
    const SourceSpan& span = record->span;
    add_owned_member(range, "start", lsp_position(index, span.start_line, span.start_column, encoding));
    add_owned_member(range, "end", lsp_position(index, span.end_line, span.end_column, encoding));
    cJSON_AddNumberToObject(item, "severity", lsp_severity(record->severity));
    cJSON_AddStringToObject(item, "code", diag_kind_name(record->kind));
    cJSON_AddStringToObject(item, "source", "tovel");
    cJSON_AddStringToObject(item, "message", valid_utf8(record->message != nullptr ? record->message : "").c_str());
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

cJSON* lsp_position(LineIndex* index, int32_t line, int32_t column, PositionEncoding encoding) {
    ProtocolPosition position = position_in_index(index, line, column, encoding);
    cJSON* object = cJSON_CreateObject();
    if (object == nullptr) {
        return nullptr;
    }
    cJSON_AddNumberToObject(object, "line", position.line);
    cJSON_AddNumberToObject(object, "character", position.character);
    return object;
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

    cJSON* array = cJSON_CreateArray();
    if (diag_list_count(&diagnostics.list) > 0) {
        LineIndex index;
        line_index_build(&index, text);
        for (size_t i = 0; i < diag_list_count(&diagnostics.list); ++i) {
            cJSON* item = protocol_diagnostic(diag_list_at(&diagnostics.list, i), &index,
                                              state->position_encoding);
            if (item != nullptr && !cJSON_AddItemToArray(array, item)) {
                cJSON_Delete(item);
            }
        }
        line_index_free(&index);
    }
    publish_diagnostics(uri, array);
}
