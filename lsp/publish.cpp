#include "lsp/publish.h"

#include "ast/region.h"
#include "check/analysis.h"
#include "diag/diagnostic.h"
#include "lsp/protocol.h"

namespace {

// Diagnostics are owned by one analysis: the list is freed on every path.
struct DiagnosticListHolder {
    DiagnosticList list;
    DiagnosticListHolder() { diag_list_init(&list); }
    ~DiagnosticListHolder() { diag_list_free(&list); }
    DiagnosticListHolder(const DiagnosticListHolder&) = delete;
    DiagnosticListHolder& operator=(const DiagnosticListHolder&) = delete;
};

void append_converted_diagnostic(std::string* out, const Diagnostic* record, LineIndex* index,
                                 PositionEncoding encoding) {
    const SourceSpan& span = record->span;
    ProtocolRange range = protocol_range(index, span, encoding);
    append_protocol_diagnostic(out, range.start, range.end, lsp_severity(record->severity),
                               diag_kind_name(record->kind), record->message != nullptr ? record->message : "");
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
            append_converted_diagnostic(out, diag_list_at(list, i), &index, encoding);
        }
        line_index_free(&index);
    }
    *out += ']';
}

}  // namespace

ProtocolRange protocol_range(LineIndex* index, const SourceSpan& span, PositionEncoding encoding) {
    return ordered_range(position_in_index(index, span.start_line, span.start_column, encoding),
                         position_in_index(index, span.end_line, span.end_column, encoding));
}

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
    std::string message = publish_notification_start(uri);
    message += diagnostics;
    send_publish_notification(&message);
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
    std::string message = publish_notification_start(uri);
    append_protocol_diagnostics(&message, &diagnostics.list, text, state->position_encoding);
    send_publish_notification(&message);
    ast_region_reset(&state->tree_region);
}
