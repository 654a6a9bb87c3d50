#include "lsp/publish.h"

#include <cstring>
#include <vector>

#include "diag/diagnostic.h"
#include "ide/analysis.h"
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
    const char* text;
};

void append_converted_diagnostic(std::string* out, const Diagnostic* record, LineIndex* index,
                                 PositionEncoding encoding) {
    const SourceSpan& span = record->span;
    ProtocolRange range = protocol_range(index, span, encoding);
    append_protocol_diagnostic(out, range.start, range.end, lsp_severity(record->severity),
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

// A byte offset as publication converts a finding's place: through its
// line and byte column, as the front end counts them (on line 1 after a
// byte-order mark), so that a refined range is counted exactly as every
// other published range, also on text that is not UTF-8.
ProtocolPosition published_position(const DiagnosticView& view, const char* text, uint32_t offset) {
    uint32_t line = line_index_line_of(view.index, offset);
    uint32_t start = line_index_line(view.index, line).start;
    if (line == 0 && offset >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0) start = 3;
    return position_in_index(view.index, static_cast<int32_t>(line) + 1, static_cast<int32_t>(offset - start) + 1,
                             view.encoding);
}

ProtocolRange published_range(const DiagnosticView& view, const char* text, TextRange range) {
    return ordered_range(published_position(view, text, range.start), published_position(view, text, range.end));
}

// One finding as an editor that declared publishDiagnostics gets it: its
// range on the words it is about, and the earlier place of a repeat when
// the editor takes related information.
void append_placed_diagnostic(std::string* out, const Diagnostic* record, const IdeDiagnosticPlace& place,
                              const DiagnosticView& view) {
    ProtocolRange range = place.refined ? published_range(view, view.text, place.range)
                                        : protocol_range(view.index, record->span, view.encoding);
    append_protocol_diagnostic(out, range.start, range.end, lsp_severity(record->severity),
                               diag_kind_name(record->kind), record->message != nullptr ? record->message : "");
    if (!view.related || !place.has_related) return;
    out->pop_back();
    *out += ",\"relatedInformation\":[{\"location\":{\"uri\":";
    append_json_string(out, view.uri);
    *out += ",\"range\":";
    append_range(out, published_range(view, view.text, place.related));
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
                        state->features.related_information, analysis->text};
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
                            state->features.related_information, analysis->text};
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
