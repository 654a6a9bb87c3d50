#include "cli/report_formats.h"

#include <vector>

#include "diag/render.h"
#include "ide/editor_positions.h"
#include "text/percent_encoding.h"
#include "text/utf8.h"

namespace {

// SARIF's default column kind, which GitHub's annotations count in too.
constexpr PositionEncoding kSarifEncoding = POSITION_ENCODING_UTF16;

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

// A place as SARIF and GitHub count it: lines and UTF-16 columns from 1.
struct Place {
    int32_t line;
    int32_t column;
};

struct Region {
    Place start;
    Place end;
};

Region region_of(const ProtocolRange& range) {
    return {{range.start.line + 1, range.start.character + 1}, {range.end.line + 1, range.end.character + 1}};
}

void append_region(std::string* out, const Region& region) {
    *out += "\"region\":{\"startLine\":" + std::to_string(region.start.line) + ",\"startColumn\":" +
            std::to_string(region.start.column) + ",\"endLine\":" + std::to_string(region.end.line) +
            ",\"endColumn\":" + std::to_string(region.end.column) + "}";
}

void append_location(std::string* out, const std::string& uri, const Region& region) {
    *out += "\"physicalLocation\":{\"artifactLocation\":{\"uri\":";
    append_string(out, uri.c_str());
    *out += "},";
    append_region(out, region);
    *out += '}';
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

void SarifLog::add(Analysis* analysis, const char* path) {
    const DiagnosticList& list = analysis->diagnostics;
    std::vector<IdeDiagnosticPlace> places = ide_diagnostic_places(analysis);
    const std::string uri = percent_encoded(path);
    for (size_t i = 0; i < list.count; ++i) {
        const Diagnostic& d = list.items[i];
        if (any_) results_ += ',';
        any_ = true;
        results_ += "{\"ruleId\":";
        append_string(&results_, diag_kind_name(d.kind));
        if (int index = rule_index(d.kind); index >= 0) results_ += ",\"ruleIndex\":" + std::to_string(index);
        results_ += ",\"level\":\"" + std::string(sarif_level(d.severity)) + "\",\"message\":{\"text\":";
        append_string(&results_, d.message);
        results_ += "},\"locations\":[{";
        append_location(&results_, uri, region_of(placed_finding_range(analysis, i, places[i], kSarifEncoding)));
        results_ += "}]";
        if (places[i].has_related) {
            results_ += ",\"relatedLocations\":[{\"id\":0,";
            append_location(&results_, uri,
                            region_of(finding_editor_range(analysis_index(analysis), places[i].related, kSarifEncoding)));
            results_ += ",\"message\":{\"text\":";
            append_string(&results_, places[i].related_message.c_str());
            results_ += "}}]";
        }
        results_ += '}';
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

void write_github_annotations(FILE* out, Analysis* analysis, const char* path) {
    const DiagnosticList& list = analysis->diagnostics;
    std::vector<IdeDiagnosticPlace> places = ide_diagnostic_places(analysis);
    for (size_t i = 0; i < list.count; ++i) {
        const Diagnostic& d = list.items[i];
        Region region = region_of(placed_finding_range(analysis, i, places[i], kSarifEncoding));
        const char* command = d.severity == SEVERITY_WARNING ? "warning" : d.severity == SEVERITY_NOTE ? "notice" : "error";
        std::string line = std::string("::") + command + " file=" + github_escaped(path, true) +
                           ",line=" + std::to_string(region.start.line) + ",col=" + std::to_string(region.start.column);
        if (region.end.line == region.start.line && region.end.column > region.start.column) {
            line += ",endColumn=" + std::to_string(region.end.column);
        }
        if (region.end.line > region.start.line) line += ",endLine=" + std::to_string(region.end.line);
        line += ",title=" + github_escaped(diag_kind_name(d.kind), true) + "::" + github_escaped(d.message, false) + "\n";
        fwrite(line.data(), 1, line.size(), out);
    }
}
