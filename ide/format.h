// The formatter: one layout for every Tovel text, read off the syntax tree.
//
// It changes only what lies between tokens and the case of keywords, never
// the order of tokens nor the lines statements stand on, so every edit is a
// blank run, a line's indentation, a dropped blank line or a keyword in
// lower case. The layout:
//   - a block's body one level deeper than its opener; `else`, branch
//     keywords and closing lines at the opener's column (which `consider`
//     needs: its branches are told apart by their column); labels one level
//     out; a line continued inside brackets one level deeper per bracket
//     still open from an earlier line;
//   - one space around binary and assignment operators, after commas and
//     colons, before a lens; none inside brackets nor before `,` and `:`;
//     elsewhere one space where the text had blanks, none where it had none;
//   - comments one space after their line's last token, or at the line's
//     indentation alone on their line; no blanks at the end of a line;
//   - at most two blank lines in a row between top-level statements and
//     one inside blocks, none at the start or the end; one line break at
//     the end, in the text's own style (LF or CRLF); a byte-order mark kept.
// Names, strings (also those spanning lines), numbers, brace prefixes and
// lens texts stay byte for byte as written.
//
// A text the front end does not parse is not formatted, and a result whose
// front-end tree does not dump exactly as the input's is withheld.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ide/analysis.h"
#include "ide/features.h"

struct FormatOptions {
    uint32_t indent_width = 2;  // spaces per level
    bool use_tabs = false;      // one tab per level instead
};

enum FormatStatus : int32_t {
    FORMAT_DONE,          // edits made (none when the text was formatted already)
    FORMAT_SYNTAX_ERROR,  // the text does not parse: nothing to lay out
    FORMAT_UNSAFE,        // the result would mean something else: withheld
};

// Why a FORMAT_UNSAFE layout is not handed out, as editors are told.
inline constexpr const char* kFormatUnsafeRefusal = "not formatted: laid out, the text would not mean what it means now";

struct FormatResult {
    FormatStatus status;
    std::vector<IdeTextEdit> edits;  // minimal, in text order, never overlapping
    // FORMAT_SYNTAX_ERROR: the front end's first error.
    int32_t error_line;
    int32_t error_column;
    std::string error_message;
};

// Formats the whole text.
FormatResult ide_format(Analysis* analysis, FormatOptions options);

// Formats a text with no analysis at hand (the command line): the
// formatted text lands in `formatted` when the status is FORMAT_DONE.
// The text must be NUL-terminated; the front end reads up to the first NUL.
FormatResult format_source(const char* text, uint32_t length, FormatOptions options, std::string* formatted);

// Formats the whole statements that `range` overlaps, nothing else.
FormatResult ide_format_range(Analysis* analysis, TextRange range, FormatOptions options);

// What typing just did to the line holding `offset`: after a line break
// (`typed` is "\n") the new line is indented for what comes there; after a
// closing word or `else` its line moves to its opener's column. Works on a
// text that does not parse (the user is typing); no edits when there is
// nothing to move.
std::vector<IdeTextEdit> ide_format_on_type(Analysis* analysis, uint32_t offset, const std::string& typed,
                                            FormatOptions options);

// The layout of a text as edits; none when its tree has a syntax error.
// Exposed for the checks around it and for tests.
std::vector<IdeTextEdit> format_layout_edits(const SyntaxTree& tree, FormatOptions options);

// From the start of the first line to the end of the last line of the
// statements `range` touches, each taken whole.
TextRange format_statement_lines(const SyntaxTree& tree, TextRange range);

// `text` with `edits` (in text order, not overlapping) applied.
std::string format_apply_edits(const char* text, uint32_t length, const std::vector<IdeTextEdit>& edits);
