#include "lsp/publish.h"

#include <charconv>
#include <cstring>

#include "ast/region.h"
#include "check/analysis.h"
#include "diag/diagnostic.h"
#include "diag/render.h"
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

void append_protocol_diagnostics(std::string* out, const DiagnosticList* list, const char* text,
                                 PositionEncoding encoding) {
    *out += '[';
    size_t count = diag_list_count(list);
    if (count > 0) {
        LineIndex index;
        line_index_build(&index, text);
        for (size_t i = 0; i < count; ++i) {
            if (i > 0) {
                *out += ',';
            }
            append_protocol_diagnostic(out, diag_list_at(list, i), &index, encoding);
        }
        line_index_free(&index);
    }
    *out += ']';
}

// The notification up to its diagnostics array, which the caller appends
// before closing params and the notification with "}}".
std::string notification_start(const char* uri) {
    std::string out =
        "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/publishDiagnostics\",\"params\":{\"uri\":\"";
    json_append_escaped(&out, uri, strlen(uri));
    out += "\",\"diagnostics\":";
    return out;
}

void send_notification(std::string* message) {
    *message += "}}";
    send_body(message->data(), message->size());
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
    std::string out;
    append_protocol_diagnostics(&out, list, text, encoding);
    return out;
}

void publish_diagnostics(const char* uri, const char* diagnostics) {
    std::string message = notification_start(uri);
    message += diagnostics;
    send_notification(&message);
}

void analyze_and_publish(ServerState* state, const char* uri, const char* text) {
    DiagnosticListHolder diagnostics;
    {
        // The tree lives in the state's region and goes back with it below,
        // in one step instead of node by node.
        AstRegionScope tree_memory(&state->tree_region);
        StmtList program = {nullptr, 0};
        analyze_document(text, uri, &diagnostics.list, &program);
    }
    // The array is written straight into the notification: a tree of cJSON
    // objects per finding costs several times the analysis itself, and a
    // document can carry hundreds of thousands of findings.
    std::string message = notification_start(uri);
    append_protocol_diagnostics(&message, &diagnostics.list, text, state->position_encoding);
    send_notification(&message);
    ast_region_reset(&state->tree_region);
}
