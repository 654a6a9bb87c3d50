#pragma once

#include <string>

#include "ast/ast.h"

// Parses a text the way the server does and renders what came out.
struct DumpOutcome {
    int result = -1;           // parse_program's result
    std::string dump;          // the tree's dump; empty unless the parse succeeded
    std::string diagnostics;   // one "line:column-line:column message" per diagnostic
};

DumpOutcome parse_and_dump(const std::string& text);

// The same, with the tree built in a region of its own, as the server
// builds it; the outcome must not differ in any byte.
DumpOutcome parse_and_dump_in_region(const std::string& text);

// A program parsed from a text that must parse cleanly; freed on scope exit.
// When the parse fails, `ok` is false and `why` holds the diagnostics.
struct ParsedProgram {
    StmtList program = {nullptr, 0};
    bool ok = false;
    std::string why;

    explicit ParsedProgram(const std::string& text);
    ~ParsedProgram();
    ParsedProgram(const ParsedProgram&) = delete;
    ParsedProgram& operator=(const ParsedProgram&) = delete;

    // The i-th top-level statement, or null.
    const Stmt* at(size_t i) const { return i < program.count ? program.items[i] : nullptr; }
    // The value of the i-th top-level statement when it is an assignment, or null.
    const Expr* assigned(size_t i) const;
};
