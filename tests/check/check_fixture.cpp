#include "tests/check/check_fixture.h"

#include "check/analysis.h"

namespace check_test {

std::vector<Finding> check_tree(StmtList program) {
    DiagnosticList list;
    diag_list_init(&list);
    int32_t added = check_program(program, "doc.tv", &list);
    std::vector<Finding> result = findings_of(&list);
    for (size_t i = 0; i < diag_list_count(&list); ++i) {
        const Diagnostic* d = diag_list_at(&list, i);
        // The checker reports only errors of its own kind, stamped with the path.
        if (d->kind != TV_DIAG_SERVER_BLOCK || d->severity != SEVERITY_ERROR ||
            std::strcmp(d->path, "doc.tv") != 0) {
            result.push_back(Finding{"<wrong kind, severity or path>", 0, 0});
        }
    }
    if (added != static_cast<int32_t>(diag_list_count(&list))) {
        result.push_back(Finding{"<count mismatch>", 0, 0});
    }
    diag_list_free(&list);
    stmt_list_free(program);
    return result;
}

} // namespace check_test
