// The formatter's guard rails: a text is laid out only when the front end
// parses it, and a layout is handed out only when the front end's tree of
// the result dumps exactly as the input's did.
#include "ide/format.h"

#include <cstdio>
#include <cstdlib>

#include "ast/dump.h"
#include "ast/region.h"
#include "diag/diagnostic.h"
#include "parser/parse.h"
#include "syntax/syntax_tree.h"

namespace {

// The front end's reading of a text: its tree dump, or its first error.
struct FrontEndReading {
    bool parsed = false;
    std::string dump;
    int32_t error_line = 0;
    int32_t error_column = 0;
    std::string error_message;
};

std::string dump_to_string(Program program) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&buffer, &size);
    if (out == nullptr) return {};
    dump_program(out, program);
    std::fclose(out);
    std::string dump(buffer, size);
    std::free(buffer);
    return dump;
}

FrontEndReading read_with_front_end(const char* text) {
    FrontEndReading reading;
    DiagnosticList list;
    diag_list_init(&list);
    AstRegion region;
    ast_region_init(&region);
    {
        AstRegionScope scope(&region);
        Program program = {nullptr, 0};
        reading.parsed = parse_program(text, nullptr, 1, &list, &program) == 0;
        if (reading.parsed) reading.dump = dump_to_string(program);
    }
    ast_region_release(&region);
    for (size_t i = 0; i < diag_list_count(&list) && !reading.parsed; ++i) {
        const Diagnostic* diagnostic = diag_list_at(&list, i);
        if (diagnostic->severity != SEVERITY_ERROR) continue;
        reading.error_line = diagnostic->span.start_line;
        reading.error_column = diagnostic->span.start_column;
        reading.error_message = diagnostic->message;
        break;
    }
    diag_list_free(&list);
    return reading;
}

FormatResult refused(const FrontEndReading& reading) {
    FormatResult result{FORMAT_SYNTAX_ERROR, {}, reading.error_line, reading.error_column, reading.error_message};
    if (result.error_message.empty()) result.error_message = "the text does not parse";
    return result;
}

// The edits, if the text they make reads as `reading` did; else none.
FormatResult checked(const char* text, uint32_t length, const FrontEndReading& reading,
                     std::vector<IdeTextEdit> edits) {
    FormatResult result{FORMAT_DONE, {}, 0, 0, {}};
    if (edits.empty()) return result;
    std::string formatted = format_apply_edits(text, length, edits);
    FrontEndReading after = read_with_front_end(formatted.c_str());
    if (!after.parsed || after.dump != reading.dump) {
        result.status = FORMAT_UNSAFE;
        return result;
    }
    result.edits = std::move(edits);
    return result;
}

}  // namespace

FormatResult ide_format(Analysis* analysis, FormatOptions options) {
    FrontEndReading reading = read_with_front_end(analysis->text);
    if (!reading.parsed) return refused(reading);
    std::vector<IdeTextEdit> edits = format_layout_edits(analysis_tree(analysis), options);
    return checked(analysis->text, analysis->length, reading, std::move(edits));
}

FormatResult ide_format_range(Analysis* analysis, TextRange range, FormatOptions options) {
    FrontEndReading reading = read_with_front_end(analysis->text);
    if (!reading.parsed) return refused(reading);
    const SyntaxTree& tree = analysis_tree(analysis);
    TextRange lines = format_statement_lines(tree, range);
    std::vector<IdeTextEdit> inside;
    for (IdeTextEdit& edit : format_layout_edits(tree, options)) {
        if (edit.range.start >= lines.start && edit.range.end <= lines.end) inside.push_back(std::move(edit));
    }
    return checked(analysis->text, analysis->length, reading, std::move(inside));
}

FormatResult format_source(const char* text, uint32_t length, FormatOptions options, std::string* formatted) {
    FrontEndReading reading = read_with_front_end(text);
    if (!reading.parsed) return refused(reading);
    SyntaxTree tree;
    syntax_parse(&tree, text, length);
    FormatResult result = checked(text, length, reading, format_layout_edits(tree, options));
    if (result.status == FORMAT_DONE) *formatted = format_apply_edits(text, length, result.edits);
    return result;
}
