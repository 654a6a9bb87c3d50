// The formatter's properties on any bytes.
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "ast/region.h"
#include "fuzz/fuzz_checks.h"
#include "ide/analysis.h"
#include "ide/format.h"

namespace {

// Three layouts, chosen by the input's length so the text itself is free.
FormatOptions options_for(size_t size) {
    FormatOptions options;
    if (size % 3 == 1) options.indent_width = 4;
    if (size % 3 == 2) options.use_tabs = true;
    return options;
}

bool blank_only(const std::string& text) {
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

// Edits in text order, apart, inside the text; with `only_blanks`, each
// replacing blanks by blanks.
std::string check_edits(const std::string& text, const std::vector<IdeTextEdit>& edits, bool only_blanks) {
    uint32_t at = 0;
    for (const IdeTextEdit& edit : edits) {
        if (edit.range.start < at || edit.range.end < edit.range.start || edit.range.end > text.size()) {
            return "edits overlap, run backwards or leave the text";
        }
        if (only_blanks && (!blank_only(edit.new_text) || !blank_only(text.substr(edit.range.start, edit.range.length())))) {
            return "an indentation edit touches more than blanks";
        }
        at = edit.range.end;
    }
    return "";
}

// The findings as a list of kind, severity and message; the line numbers a
// message quotes may move with the blank lines.
std::vector<std::string> findings_of(const Analysis* analysis) {
    static const std::regex line_number("line [0-9]+");
    std::vector<std::string> findings;
    for (size_t i = 0; i < diag_list_count(&analysis->diagnostics); ++i) {
        const Diagnostic* d = diag_list_at(&analysis->diagnostics, i);
        findings.push_back(std::to_string(d->kind) + "/" + std::to_string(d->severity) + " " +
                           std::regex_replace(d->message, line_number, "line #"));
    }
    return findings;
}

struct OwnedAnalysis {
    explicit OwnedAnalysis(const std::string& text) {
        ast_region_init(&region);
        analysis = analysis_create(text.c_str(), "fuzz.tov", &region);
    }
    ~OwnedAnalysis() {
        analysis_destroy(analysis);
        ast_region_release(&region);
    }
    AstRegion region;
    Analysis* analysis;
};

std::string check_whole(const std::string& text, FormatOptions options, Analysis* analysis) {
    std::string formatted;
    FormatResult result = format_source(text.c_str(), static_cast<uint32_t>(text.size()), options, &formatted);
    if (result.status == FORMAT_UNSAFE) return "the layout changes the front end's tree";
    FormatResult in_editor = ide_format(analysis, options);
    bool same = in_editor.status == result.status && in_editor.edits.size() == result.edits.size();
    for (size_t i = 0; same && i < result.edits.size(); ++i) {
        same = in_editor.edits[i].range.start == result.edits[i].range.start &&
               in_editor.edits[i].range.end == result.edits[i].range.end &&
               in_editor.edits[i].new_text == result.edits[i].new_text;
    }
    if (!same) return "the editor's formatting differs from the command line's";
    if (result.status != FORMAT_DONE || result.edits.empty()) return "";
    std::string problem = check_edits(text, result.edits, false);
    if (!problem.empty()) return problem;
    std::string again;
    FormatResult second = format_source(formatted.c_str(), static_cast<uint32_t>(formatted.size()), options, &again);
    if (second.status != FORMAT_DONE || !second.edits.empty()) return "formatting a formatted text changes it";
    OwnedAnalysis after(formatted);
    if (findings_of(after.analysis) != findings_of(analysis)) return "the formatted text has other findings";
    return "";
}

std::string check_partial(const std::string& text, FormatOptions options, Analysis* analysis) {
    uint32_t length = static_cast<uint32_t>(text.size());
    uint32_t start = static_cast<uint32_t>((text.size() * 7919) % (length + 1));
    uint32_t end = std::min(length, start + static_cast<uint32_t>(text.size() % 97));
    FormatResult range = ide_format_range(analysis, {start, end}, options);
    std::string problem = check_edits(text, range.edits, false);
    if (!problem.empty()) return "range formatting: " + problem;
    for (const char* typed : {"\n", "e"}) {
        std::vector<IdeTextEdit> edits = ide_format_on_type(analysis, end, typed, options);
        if (edits.size() > 1) return "formatting on typing moves more than one line";
        problem = check_edits(text, edits, true);
        if (!problem.empty()) return "formatting on typing: " + problem;
    }
    return "";
}

}  // namespace

std::string check_format(const uint8_t* data, size_t size) {
    // The front end, like the server's documents, reads up to a zero byte.
    std::string text(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
    FormatOptions options = options_for(size);
    OwnedAnalysis owned(text);
    std::string problem = check_whole(text, options, owned.analysis);
    if (problem.empty()) problem = check_partial(text, options, owned.analysis);
    return problem;
}
