#include "cli/report_formats.h"

#include <cstring>

#include "diag/render.h"
#include "text/line_index.h"
#include "text/percent_encoding.h"
#include "text/utf8.h"

namespace {

struct Rule {
    DiagnosticKind kind;
    const char* description;
};

// Every kind the front end reports, in a fixed order: a result's rule index.
constexpr Rule kRules[] = {
    {TV_DIAG_LEX_ERROR, "A character or word the lexer does not accept"},
    {TV_DIAG_LEX_DETAIL, "A detail of a token the lexer reports"},
    {TV_DIAG_PARSE_ERROR, "A syntax error"},
    {TV_DIAG_STRING_LITERAL, "A questionable string literal or escape"},
    {TV_DIAG_SERVER_BLOCK, "A mistake in a declarative server block"},
    {TV_DIAG_RUNTIME_ERROR, "A runtime error"},
};

int rule_index(DiagnosticKind kind) {
    for (size_t i = 0; i < sizeof kRules / sizeof kRules[0]; ++i) {
        if (kRules[i].kind == kind) return static_cast<int>(i);
    }
    return -1;
}

const char* sarif_level(Severity severity) {
    switch (severity) {
    case SEVERITY_WARNING: return "warning";
    case SEVERITY_NOTE: return "note";
    default: return "error";
    }
}

void append_string(std::string* out, const char* text) {
    *out += '"';
    std::string valid = valid_utf8(text);
    json_append_escaped(out, valid.data(), valid.size());
    *out += '"';
}

// A finding's line (from 1) and column (UTF-16 units, from 1).
struct Place {
    int32_t line;
    int32_t column;
};

Place place_of(const char* text, int32_t line, int32_t column) {
    ProtocolPosition position = position_character(text, line, column, POSITION_ENCODING_UTF16);
    return {position.line + 1, position.character + 1};
}

// GitHub's workflow commands: `%`, CR and LF escaped in the message, and
// also `:` and `,` in a property.
std::string github_escaped(const char* text, bool property) {
    std::string out;
    for (const char* p = text; *p != 0; ++p) {
        switch (*p) {
        case '%': out += "%25"; break;
        case '\r': out += "%0D"; break;
        case '\n': out += "%0A"; break;
        case ':': out += property ? "%3A" : ":"; break;
        case ',': out += property ? "%2C" : ","; break;
        default: out += *p;
        }
    }
    return out;
}

}  // namespace

void SarifLog::add(const DiagnosticList& list, const char* text, const char* path) {
    for (size_t i = 0; i < list.count; ++i) {
        const Diagnostic& d = list.items[i];
        Place start = place_of(text, d.span.start_line, d.span.start_column);
        Place end = place_of(text, d.span.end_line, d.span.end_column);
        if (end.line < start.line || (end.line == start.line && end.column < start.column)) end = start;
        if (any_) results_ += ',';
        any_ = true;
        results_ += "{\"ruleId\":";
        append_string(&results_, diag_kind_name(d.kind));
        if (int index = rule_index(d.kind); index >= 0) results_ += ",\"ruleIndex\":" + std::to_string(index);
        results_ += ",\"level\":\"" + std::string(sarif_level(d.severity)) + "\",\"message\":{\"text\":";
        append_string(&results_, d.message);
        results_ += "},\"locations\":[{\"physicalLocation\":{\"artifactLocation\":{\"uri\":";
        append_string(&results_, percent_encoded(path).c_str());
        results_ += "},\"region\":{\"startLine\":" + std::to_string(start.line) + ",\"startColumn\":" +
                    std::to_string(start.column) + ",\"endLine\":" + std::to_string(end.line) +
                    ",\"endColumn\":" + std::to_string(end.column) + "}}}]}";
    }
}

void SarifLog::write(FILE* out) const {
    std::string log =
        "{\"$schema\":\"https://json.schemastore.org/sarif-2.1.0.json\",\"version\":\"2.1.0\",\"runs\":[{\"tool\":"
        "{\"driver\":{\"name\":\"tovel-check\",\"version\":\"0.1.0\",\"rules\":[";
    for (size_t i = 0; i < sizeof kRules / sizeof kRules[0]; ++i) {
        if (i > 0) log += ',';
        log += "{\"id\":";
        append_string(&log, diag_kind_name(kRules[i].kind));
        log += ",\"shortDescription\":{\"text\":";
        append_string(&log, kRules[i].description);
        log += "}}";
    }
    log += "]}},\"columnKind\":\"utf16CodeUnits\",\"results\":[" + results_ + "]}]}\n";
    fwrite(log.data(), 1, log.size(), out);
}

void write_github_annotations(FILE* out, const DiagnosticList& list, const char* text, const char* path) {
    for (size_t i = 0; i < list.count; ++i) {
        const Diagnostic& d = list.items[i];
        Place start = place_of(text, d.span.start_line, d.span.start_column);
        Place end = place_of(text, d.span.end_line, d.span.end_column);
        const char* command = d.severity == SEVERITY_WARNING ? "warning" : d.severity == SEVERITY_NOTE ? "notice" : "error";
        std::string line = std::string("::") + command + " file=" + github_escaped(path, true) +
                           ",line=" + std::to_string(start.line) + ",col=" + std::to_string(start.column);
        if (end.line == start.line && end.column > start.column) line += ",endColumn=" + std::to_string(end.column);
        if (end.line > start.line) line += ",endLine=" + std::to_string(end.line);
        line += ",title=" + github_escaped(diag_kind_name(d.kind), true) + "::" + github_escaped(d.message, false) + "\n";
        fwrite(line.data(), 1, line.size(), out);
    }
}
