#include "check/analysis.h"

#include "check/nesting_walk.h"
#include "diag/diagnostic.h"
#include "parser/parse.h"

int32_t analyze_document(const char* text, const char* path, DiagnosticList* list,
                         StmtList* program_out) {
    return analyze_document_from_line(text, path, 1, list, program_out);
}

int32_t analyze_document_from_line(const char* text, const char* path, int32_t first_line,
                                   DiagnosticList* list, StmtList* program_out) {
    int32_t parsed = parse_program(text, path, first_line, list, program_out);
    if (parsed != 0) {
        return parsed;
    }
    return check_program(*program_out, path, list) > 0 ? 1 : 0;
}

int32_t check_program(StmtList program, const char* path, DiagnosticList* list) {
    DiagReporter reporter{list, path, 0};
    ServerNames names;
    check_top_level(&reporter, program, &names);
    return reporter.count;
}
