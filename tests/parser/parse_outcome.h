#pragma once

// Runs parse_program over a text and keeps what came out, so that tests can
// compare results, diagnostics and the hand-over of the program.

#include <cstdint>
#include <string>
#include <vector>

#include "ast/ast.h"
#include "diag/diagnostic.h"
#include "parser/parse.h"

struct SeenDiagnostic {
    Severity severity;
    DiagnosticKind kind;
    std::string message;
    SourceSpan span;
};

struct ParseOutcome {
    int32_t result = -1;
    bool program_handed_out = false;
    size_t statement_count = 0;
    std::vector<SeenDiagnostic> diagnostics;

    size_t error_count() const {
        size_t n = 0;
        for (const SeenDiagnostic& d : diagnostics) {
            n += d.severity == SEVERITY_ERROR ? 1 : 0;
        }
        return n;
    }
};

// A program holder that parse_program must leave untouched on failure.
inline ParseOutcome parse_text(const std::string& text) {
    DiagnosticList list;
    diag_list_init(&list);
    Stmt* marker[1] = {nullptr};
    StmtList program = {marker, 7};
    ParseOutcome outcome;
    outcome.result = parse_program(text.c_str(), "test.tv", 1, &list, &program);
    if (program.items != marker || program.count != 7) {
        outcome.program_handed_out = true;
        outcome.statement_count = program.count;
        stmt_list_free(program);
    }
    for (size_t i = 0; i < diag_list_count(&list); ++i) {
        const Diagnostic* d = diag_list_at(&list, i);
        outcome.diagnostics.push_back({d->severity, d->kind, d->message, d->span});
    }
    diag_list_free(&list);
    return outcome;
}
