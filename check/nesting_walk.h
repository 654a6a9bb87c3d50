// The walk over a program's statements that finds server statements, checks
// those declared where they can be registered, and reports those declared
// inside functions, loops, handlers and other bodies.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "ast/lists.h"

struct DiagReporter;

// Names of the server statements met by the top-level walk (program blocks
// included), with how often each was met. Keys borrow the tree's strings.
struct ServerNames {
    std::unordered_map<std::string_view, int32_t> counts;
    // Where each name was first met (line, column), for a repeat to point at.
    std::unordered_map<std::string_view, std::pair<int32_t, int32_t>> first;
};

// The walk at program level and inside program blocks.
void check_top_level(DiagReporter* reporter, StmtList statements, ServerNames* server_names);

// The walk inside bodies where a server statement is not allowed; `context`
// names the construct ("a function", "a loop", ...). The top-level walk
// reaches nested bodies through its own work list; this entry walks one body
// on its own (tests use it to check a context directly).
void check_nested(DiagReporter* reporter, StmtList statements, const char* context);
