#include "tests/parser/dump_support.h"

#include <cstdio>
#include <cstdlib>

#include "diag/diagnostic.h"
#include "parser/parse.h"

namespace {

std::string render_tree(const StmtList& program) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&buffer, &size);
    if (!out) return "(open_memstream failed)";
    dump_program(out, program);
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

std::string render_diagnostics(const DiagnosticList& list) {
    std::string text;
    for (size_t i = 0; i < diag_list_count(&list); ++i) {
        const Diagnostic* d = diag_list_at(&list, i);
        char where[96];
        std::snprintf(where, sizeof where, "%d:%d-%d:%d ", d->span.start_line,
                      d->span.start_column, d->span.end_line, d->span.end_column);
        text += where;
        text += d->message ? d->message : "(null)";
        text += '\n';
    }
    return text;
}

}  // namespace

ParseOutcome parse_and_dump(const std::string& text) {
    ParseOutcome outcome;
    DiagnosticList list;
    diag_list_init(&list);
    StmtList program = {nullptr, 0};
    outcome.result = parse_program(text.c_str(), "test.tov", 1, &list, &program);
    if (outcome.result == 0) {
        outcome.dump = render_tree(program);
        stmt_list_free(program);
    }
    outcome.diagnostics = render_diagnostics(list);
    diag_list_free(&list);
    return outcome;
}

bool parse_clean(const std::string& text, StmtList* program, std::string* why) {
    DiagnosticList list;
    diag_list_init(&list);
    StmtList parsed = {nullptr, 0};
    int result = parse_program(text.c_str(), "test.tov", 1, &list, &parsed);
    *why = render_diagnostics(list);
    diag_list_free(&list);
    if (result != 0) return false;
    *program = parsed;
    return true;
}
