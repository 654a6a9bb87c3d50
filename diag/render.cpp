#include "diag/render.h"

namespace {

const char* line_label(const Diagnostic* diagnostic) {
    if (diagnostic->severity == SEVERITY_ERROR) {
        return diag_kind_label(diagnostic->kind);
    }
    return diag_severity_name(diagnostic->severity);
}

const char* message_or_empty(const Diagnostic* diagnostic) {
    return diagnostic->message != nullptr ? diagnostic->message : "";
}

}  // namespace

void diag_render_text(FILE* stream, const Diagnostic* diagnostic) {
    const char* label = line_label(diagnostic);
    const SourceSpan& span = diagnostic->span;
    if (diagnostic->path != nullptr && diagnostic->path[0] != '\0') {
        fprintf(stream, "%s at %s:%d:%d: %s\n", label, diagnostic->path, span.start_line,
                span.start_column, message_or_empty(diagnostic));
    } else {
        fprintf(stream, "%s at %d:%d: %s\n", label, span.start_line, span.start_column,
                message_or_empty(diagnostic));
    }
}

void diag_render_json(FILE* stream, const Diagnostic* diagnostic) {
    const SourceSpan& span = diagnostic->span;
    fputs("{\"severity\":", stream);
    json_write_string(stream, diag_severity_name(diagnostic->severity));
    fputs(",\"code\":", stream);
    json_write_string(stream, diag_kind_name(diagnostic->kind));
    fprintf(stream, ",\"subcode\":%d", diagnostic->subcode);
    fputs(",\"path\":", stream);
    if (diagnostic->path != nullptr) {
        json_write_string(stream, diagnostic->path);
    } else {
        fputs("null", stream);
    }
    fprintf(stream, ",\"start\":{\"line\":%d,\"column\":%d}", span.start_line, span.start_column);
    fprintf(stream, ",\"end\":{\"line\":%d,\"column\":%d}", span.end_line, span.end_column);
    fputs(",\"message\":", stream);
    json_write_string(stream, message_or_empty(diagnostic));
    fputs("}\n", stream);
}

void json_write_string(FILE* stream, const char* text) {
    fputc('"', stream);
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
        unsigned char byte = *p;
        switch (byte) {
        case '\b': fputs("\\b", stream); break;
        case '\t': fputs("\\t", stream); break;
        case '\n': fputs("\\n", stream); break;
        case '\f': fputs("\\f", stream); break;
        case '\r': fputs("\\r", stream); break;
        case '"': fputs("\\\"", stream); break;
        case '\\': fputs("\\\\", stream); break;
        default:
            if (byte < 32) {
                fprintf(stream, "\\u%04x", byte);
            } else {
                fputc(byte, stream);
            }
        }
    }
    fputc('"', stream);
}
