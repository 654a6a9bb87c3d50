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

DumpOutcome parse_and_dump(const std::string& text) {
    DumpOutcome outcome;
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

DumpOutcome parse_and_dump_in_region(const std::string& text) {
    AstRegion region;
    ast_region_init(&region);
    DumpOutcome outcome;
    {
        AstRegionScope scope(&region);
        outcome = parse_and_dump(text);
    }
    ast_region_release(&region);
    return outcome;
}

ParsedProgram::ParsedProgram(const std::string& text) {
    DiagnosticList list;
    diag_list_init(&list);
    ok = parse_program(text.c_str(), "test.tov", 1, &list, &program) == 0;
    why = render_diagnostics(list);
    diag_list_free(&list);
}

ParsedProgram::~ParsedProgram() {
    if (ok) stmt_list_free(program);
}

const Expr* ParsedProgram::assigned(size_t i) const {
    const Stmt* stmt = at(i);
    return stmt && stmt->kind == STMT_ASSIGN ? stmt->assign.value : nullptr;
}
