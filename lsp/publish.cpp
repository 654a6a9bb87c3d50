#include "lsp/publish.h"

#include <cstring>
#include <vector>

#include "diag/diagnostic.h"
#include "ide/analysis.h"
#include "ide/editor_positions.h"
#include "ide/features.h"
#include "lsp/analysis_cache.h"
#include "lsp/json_io.h"
#include "lsp/protocol.h"
#include "text/utf8.h"

namespace {

struct DiagnosticView {
    LineIndex* index;
    PositionEncoding encoding;
    const char* uri;
    bool related;
};

void append_converted_diagnostic(std::string* out, const Diagnostic* record, LineIndex* index,
                                 PositionEncoding encoding) {
    const SourceSpan& span = record->span;
    ProtocolRange range = span_editor_range(index, span, encoding);
    append_protocol_diagnostic(out, range.start, range.end, editor_severity(record->severity),
                               diag_kind_name(record->kind), record->message != nullptr ? record->message : "");
}

void append_diagnostics_with_index(std::string* out, const DiagnosticList* list, LineIndex* index,
                                   PositionEncoding encoding) {
    *out += '[';
    for (size_t i = 0; i < diag_list_count(list); ++i) {
        if (i > 0) {
            *out += ',';
        }
        append_converted_diagnostic(out, diag_list_at(list, i), index, encoding);
    }
    *out += ']';
}

void append_protocol_diagnostics(std::string* out, const DiagnosticList* list, const char* text,
                                 PositionEncoding encoding) {
    if (diag_list_count(list) == 0) {
        *out += "[]";
        return;
    }
    LineIndex index;
    line_index_build(&index, text);
    append_diagnostics_with_index(out, list, &index, encoding);
    line_index_free(&index);
}

// One finding as an editor that declared publishDiagnostics gets it: its
// range on the words it is about, and the earlier place of a repeat when
// the editor takes related information.
void append_placed_diagnostic(std::string* out, const Diagnostic* record, const IdeDiagnosticPlace& place,
                              const DiagnosticView& view) {
    ProtocolRange range = place.refined ? finding_editor_range(view.index, place.range, view.encoding)
                                        : span_editor_range(view.index, record->span, view.encoding);
    append_protocol_diagnostic(out, range.start, range.end, editor_severity(record->severity),
                               diag_kind_name(record->kind), record->message != nullptr ? record->message : "");
    if (!view.related || !place.has_related) return;
    out->pop_back();
    *out += ",\"relatedInformation\":[{\"location\":{\"uri\":";
    append_json_string(out, view.uri);
    *out += ",\"range\":";
    append_range(out, finding_editor_range(view.index, place.related, view.encoding));
    *out += "},\"message\":";
    append_json_string(out, place.related_message.c_str());
    *out += "}]}";
}

void append_placed_diagnostics(std::string* out, Analysis* analysis, const DiagnosticView& view) {
    std::vector<IdeDiagnosticPlace> places = ide_diagnostic_places(analysis);
    *out += '[';
    for (size_t i = 0; i < places.size(); ++i) {
        if (i > 0) *out += ',';
        append_placed_diagnostic(out, &analysis->diagnostics.items[i], places[i], view);
    }
    *out += ']';
}

}  // namespace

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

std::string protocol_diagnostic_json(const Diagnostic* record, LineIndex* index, PositionEncoding encoding) {
    std::string out;
    append_converted_diagnostic(&out, record, index, encoding);
    return out;
}

std::string published_diagnostic_json(ServerState* state, Document* document, size_t index,
                                      const std::vector<IdeDiagnosticPlace>& places) {
    Analysis* analysis = document_analysis(state, document);
    const Diagnostic* record = &analysis->diagnostics.items[index];
    if (!state->features.refined_diagnostics) {
        return protocol_diagnostic_json(record, analysis_index(analysis), state->position_encoding);
    }
    DiagnosticView view{analysis_index(analysis), state->position_encoding, document->uri,
                        state->features.related_information};
    std::string out;
    append_placed_diagnostic(&out, record, places[index], view);
    return out;
}

void publish_document(ServerState* state, Document* document) {
    Analysis* analysis = document_analysis(state, document);
    // The array is written straight into the notification: a tree of cJSON
    // objects per finding costs several times the analysis itself, and a
    // document can carry hundreds of thousands of findings.
    std::string message = publish_notification_start(document->uri);
    if (analysis->diagnostics.count == 0) {
        message += "[]";  // no line index needed
    } else if (state->features.refined_diagnostics) {
        DiagnosticView view{analysis_index(analysis), state->position_encoding, document->uri,
                            state->features.related_information};
        append_placed_diagnostics(&message, analysis, view);
    } else {
        append_diagnostics_with_index(&message, &analysis->diagnostics, analysis_index(analysis),
                                      state->position_encoding);
    }
    send_publish_notification(&message);
}

void analyze_and_publish(ServerState* state, const char* uri, const char* text) {
    publish_document(state, document_store_put(&state->documents, uri, text));
}
