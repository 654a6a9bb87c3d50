#pragma once

#include "diag/diagnostic.h"

// Naming what a finding just reported is about (see DiagSubject).

inline DiagPart diag_part(DiagSubjectKind kind, int32_t line, int32_t column, int32_t index = 0) {
    return DiagPart{kind, index, line, column};
}

// Marks the reporter's last finding: its own part, and the earlier place it
// refers to, if any.
inline void diag_about(DiagReporter* reporter, DiagPart focus, DiagPart related = DiagPart{}) {
    diag_list_mark_subject(reporter->list, DiagSubject{focus, related});
}
