#include "diag/render.h"

#include <cstring>

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
    std::string literal = "\"";
    json_append_escaped(&literal, text, strlen(text));
    literal += '"';
    fwrite(literal.data(), 1, literal.size(), stream);
}

// Copied in runs between the bytes that need an escape.
void json_append_escaped(std::string* out, const char* bytes, size_t length) {
    static constexpr char kHex[] = "0123456789abcdef";
    size_t copied = 0;
    for (size_t i = 0; i < length; ++i) {
        unsigned char byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 32 && byte != '"' && byte != '\\') {
            continue;
        }
        out->append(bytes + copied, i - copied);
        copied = i + 1;
        switch (byte) {
        case '\b': *out += "\\b"; break;
        case '\t': *out += "\\t"; break;
        case '\n': *out += "\\n"; break;
        case '\f': *out += "\\f"; break;
        case '\r': *out += "\\r"; break;
        case '"': *out += "\\\""; break;
        case '\\': *out += "\\\\"; break;
        default: {
            const char escape[] = {'\\', 'u', '0', '0', kHex[byte >> 4], kHex[byte & 0xF]};
            out->append(escape, sizeof escape);
        }
        }
    }
    out->append(bytes + copied, length - copied);
}
