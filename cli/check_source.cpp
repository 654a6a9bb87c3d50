#include "cli/check_source.h"

#include <cstring>
#include <string>

#include "ast/dump.h"
#include "ast/region.h"
#include "check/analysis.h"
#include "cli/report_formats.h"
#include "diag/diagnostic.h"
#include "diag/render.h"
#include "ide/analysis.h"
#include "syntax/syntax_tree.h"

namespace {

bool print_diagnostics(const DiagnosticList* list, OutputFormat format, FILE* out) {
    bool any_error = false;
    for (size_t i = 0; i < diag_list_count(list); ++i) {
        const Diagnostic* diagnostic = diag_list_at(list, i);
        if (format == OUTPUT_JSON) {
            diag_render_json(out, diagnostic);
        } else if (format == OUTPUT_TEXT) {
            diag_render_text(out, diagnostic);
        }
        if (diagnostic->severity == SEVERITY_ERROR) {
            any_error = true;
        }
    }
    return any_error;
}

}  // namespace

bool check_source(const char* text, const char* path, const CheckOptions* options, FILE* out, SarifLog* sarif) {
    DiagnosticList list;
    diag_list_init(&list);
    // One region per file: the tree is dropped in one step once printed.
    AstRegion tree_region;
    ast_region_init(&tree_region);
    AstRegionScope tree_memory(&tree_region);
    Program program = {nullptr, 0};
    int32_t result = analyze_document(text, path, &list, &program);
    bool any_error = print_diagnostics(&list, options->format, out);
    if (options->format == OUTPUT_GITHUB || (options->format == OUTPUT_SARIF && sarif != nullptr)) {
        // Placed as an editor shows them, read off the syntax tree.
        Analysis* placed = analysis_adopt(text, &list);
        if (options->format == OUTPUT_GITHUB) write_github_annotations(out, placed, path);
        if (options->format == OUTPUT_SARIF) sarif->add(placed, path);
        analysis_destroy(placed);
    }
    // The holder is filled only by a clean parse, but an empty program looks
    // the same as an unfilled holder. An empty program has no server blocks,
    // so the checker cannot complain about it and the result is 0: a zero
    // result or a non-empty holder both mean the text parsed.
    bool parsed = result == 0 || program.count > 0;
    if (options->dump && parsed) {
        dump_program(out, program);
    }
    if (options->tree) {
        SyntaxTree tree;
        syntax_parse(&tree, text, static_cast<uint32_t>(std::strlen(text)));
        std::string dump = syntax_tree_dump(tree);
        fwrite(dump.data(), 1, dump.size(), out);
    }
    ast_region_release(&tree_region);
    diag_list_free(&list);
    return any_error;
}
