#include "check/analysis.h"

#include "check/nesting_walk.h"
#include "diag/diagnostic.h"

int32_t check_program(StmtList program, const char* path, DiagnosticList* list) {
    DiagReporter reporter{list, path, 0};
    check_top_level(&reporter, program);
    return reporter.count;
}
