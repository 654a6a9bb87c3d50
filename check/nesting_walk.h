// The walk over a program's statements that finds server statements, checks
// those declared where they can be registered, and reports those declared
// inside functions, loops, handlers and other bodies.
#pragma once

#include "ast/lists.h"

struct DiagReporter;

// The walk over a whole program; program blocks count as program level.
void check_top_level(DiagReporter* reporter, StmtList statements);
