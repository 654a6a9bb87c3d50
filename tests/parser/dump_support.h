#pragma once

#include <string>

#include "ast/ast.h"

// Parses a text the way the server does and renders what came out.
struct ParseOutcome {
    int result = -1;           // parse_program's result
    std::string dump;          // the tree's dump; empty unless the parse succeeded
    std::string diagnostics;   // one "line:column-line:column message" per diagnostic
};

ParseOutcome parse_and_dump(const std::string& text);

// Parses a text that must parse cleanly; the caller frees the program.
// Returns false (with the diagnostics in *why) when it does not.
bool parse_clean(const std::string& text, StmtList* program, std::string* why);
