#pragma once

#include <string>
#include <vector>

// Diagnostics tests kept as data: .tov files under tests/diagnostics/, each
// holding cases of Tovel text with the findings the whole analysis (lexer,
// parser, server-block checker) must report, in order, written as comments
// right after the code they are about:
//
//   ' case: a short name
//   if a
//   ' expect: 1:5-1:6 parse_error: syntax error, unexpected NEWLINE, expecting THEN
//
// A case runs from its `' case:` line to the next one; its text is its lines
// without the `' expect:` lines, which close the case. Positions are those
// of that text: 1-based lines and byte columns, start-end as the diagnostic
// carries them. The kind is the TV_DIAG_ name without its prefix, in lower
// case, and a warning says so (`string_literal warning: ...`). A case with
// no expectations must analyse cleanly. Lines before the first case are
// comments about the file.

struct DiagnosticCase {
    std::string name;
    int first_line = 0;                 // line of the `' case:` line in the file
    std::string text;                   // what is analysed
    std::vector<std::string> expected;  // one rendered finding per line
};

// False with *problem set when the file breaks the format (an expectation
// followed by code, a case without a name, code before the first case).
bool parse_diagnostic_cases(const std::string& file, std::vector<DiagnosticCase>* cases,
                            std::string* problem);

// The findings of analysing `text`, rendered as expectations are written.
std::vector<std::string> analyze_and_render(const std::string& text);

// The file with every case's expectations replaced by `findings` (one list
// per case, in case order); everything else stays as written.
std::string rewrite_diagnostic_cases(const std::string& file,
                                     const std::vector<std::vector<std::string>>& findings);
