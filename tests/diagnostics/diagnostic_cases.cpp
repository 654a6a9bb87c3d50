#include "tests/diagnostics/diagnostic_cases.h"

#include <cctype>
#include <cstdio>
#include <sstream>

#include "ast/ast.h"
#include "check/analysis.h"
#include "diag/diagnostic.h"

namespace {

constexpr char kCasePrefix[] = "' case:";
constexpr char kExpectPrefix[] = "' expect:";

bool starts_with(const std::string& line, const char* prefix) { return line.rfind(prefix, 0) == 0; }

std::string after_prefix(const std::string& line, const char* prefix) {
    std::string rest = line.substr(std::string(prefix).size());
    size_t first = rest.find_first_not_of(' ');
    return first == std::string::npos ? "" : rest.substr(first);
}

std::vector<std::string> split_lines(const std::string& file) {
    std::vector<std::string> lines;
    std::istringstream in(file);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string kind_label(int32_t kind) {
    std::string name = diag_kind_name(kind);
    const std::string prefix = "TV_DIAG_";
    if (name.rfind(prefix, 0) == 0) name = name.substr(prefix.size());
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

}  // namespace

bool parse_diagnostic_cases(const std::string& file, std::vector<DiagnosticCase>* cases,
                            std::string* problem) {
    std::vector<std::string> lines = split_lines(file);
    std::vector<std::string> code;  // the current case's code lines
    auto finish_case = [&]() {
        if (cases->empty()) return;
        while (!code.empty() && code.back().empty()) code.pop_back();
        for (const std::string& line : code) cases->back().text += line + "\n";
        code.clear();
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        std::string where = "line " + std::to_string(i + 1) + ": ";
        if (starts_with(line, kCasePrefix)) {
            finish_case();
            cases->push_back(DiagnosticCase{after_prefix(line, kCasePrefix), static_cast<int>(i + 1), "", {}});
            if (cases->back().name.empty()) {
                *problem = where + "a case needs a name";
                return false;
            }
        } else if (cases->empty()) {
            if (!line.empty() && line[0] != '\'') {
                *problem = where + "code before the first case";
                return false;
            }
        } else if (starts_with(line, kExpectPrefix)) {
            cases->back().expected.push_back(after_prefix(line, kExpectPrefix));
        } else if (!cases->back().expected.empty()) {
            if (!line.empty()) {
                *problem = where + "expectations close a case; start a new case first";
                return false;
            }
        } else {
            code.push_back(line);
        }
    }
    finish_case();
    return true;
}

std::vector<std::string> analyze_and_render(const std::string& text) {
    DiagnosticList list;
    diag_list_init(&list);
    AstRegion region;
    ast_region_init(&region);
    {
        AstRegionScope scope(&region);
        StmtList program{nullptr, 0};
        analyze_document(text.c_str(), "case.tov", &list, &program);
    }
    ast_region_release(&region);
    std::vector<std::string> rendered;
    for (size_t i = 0; i < diag_list_count(&list); ++i) {
        const Diagnostic* d = diag_list_at(&list, i);
        char range[96];
        std::snprintf(range, sizeof range, "%d:%d-%d:%d ", d->span.start_line, d->span.start_column,
                      d->span.end_line, d->span.end_column);
        std::string line = range + kind_label(d->kind);
        if (d->severity == SEVERITY_WARNING) line += " warning";
        if (d->severity == SEVERITY_NOTE) line += " note";
        line += ": ";
        line += d->message != nullptr ? d->message : "";
        rendered.push_back(line);
    }
    diag_list_free(&list);
    return rendered;
}

std::string rewrite_diagnostic_cases(const std::string& file,
                                     const std::vector<std::vector<std::string>>& findings) {
    std::vector<std::string> lines = split_lines(file);
    std::string out;
    std::vector<std::string> pending;  // the current case's lines, expectations left out
    int case_index = -1;
    auto flush_case = [&]() {
        size_t code_end = pending.size();
        while (code_end > 0 && pending[code_end - 1].empty()) --code_end;
        for (size_t i = 0; i < code_end; ++i) out += pending[i] + "\n";
        if (case_index >= 0 && static_cast<size_t>(case_index) < findings.size()) {
            for (const std::string& finding : findings[static_cast<size_t>(case_index)]) {
                out += std::string(kExpectPrefix) + " " + finding + "\n";
            }
        }
        for (size_t i = code_end; i < pending.size(); ++i) out += "\n";
        pending.clear();
    };
    for (const std::string& line : lines) {
        if (starts_with(line, kCasePrefix)) {
            flush_case();
            ++case_index;
        }
        if (!starts_with(line, kExpectPrefix)) pending.push_back(line);
    }
    flush_case();
    return out;
}
