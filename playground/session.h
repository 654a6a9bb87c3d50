#pragma once

#include <cstdint>
#include <string>

// The playground's one document and the editor features over it, as the
// page's worker calls them: positions in, JSON text out. Positions are the
// browser editor's own: lines and columns from 1, columns in UTF-16 code
// units. A range is written [startLine, startColumn, endLine, endColumn].
//
// Every request answers on the text of the last update; the worker sends
// the text before asking, so an answer is never about another version.

struct PlaygroundSession;

PlaygroundSession* playground_session_create();
void playground_session_destroy(PlaygroundSession* session);

// Takes a new text and analyses it. Answers
//   {"diagnostics":[{"severity","code","message","range","related"?}...],
//    "findings":"<the lines tovel-check prints>"}
// with severities as the editor counts them (error 1, warning 2, note 3),
// ranges on the words each finding is about, and for a repeat or conflict
// its earlier place as "related":{"range","message"}.
std::string playground_update(PlaygroundSession* session, const std::string& text);

// The syntax tree as `tovel-check --tree` prints it (plain text).
std::string playground_syntax_tree(PlaygroundSession* session);

// {"markdown","range"} or null.
std::string playground_hover(PlaygroundSession* session, int32_t line, int32_t column);
// [{"label","kind","detail"}]; kind is an IdeCompletionKind.
std::string playground_completion(PlaygroundSession* session, int32_t line, int32_t column);
// A range, or null.
std::string playground_definition(PlaygroundSession* session, int32_t line, int32_t column);
// The uses of the name at a place that resolve as it does, in text order:
// [{"range","write","declaration"}]; its declaration only when asked for.
std::string playground_references(PlaygroundSession* session, int32_t line, int32_t column,
                                  bool include_declaration);
// {"range","placeholder"} where a rename at a place applies, or {"refusal":"why"}.
std::string playground_prepare_rename(PlaygroundSession* session, int32_t line, int32_t column);
// {"edits":[...]} renaming the name at a place everywhere, or {"refusal":"why"}.
std::string playground_rename(PlaygroundSession* session, int32_t line, int32_t column, const std::string& new_name);
// {"label","parameters":[...],"documentation","active"} for the call of the
// file's own function or modifier around a place, or null.
std::string playground_signature_help(PlaygroundSession* session, int32_t line, int32_t column);
// [{"name","detail","kind","range","selection","children"}]; kind is an IdeSymbolKind.
std::string playground_outline(PlaygroundSession* session);
// [{"start","end","comment"}], lines from 1.
std::string playground_folding(PlaygroundSession* session);
// [{"title","diagnostic","preferred","edits":[{"range","text"}]}] for the
// findings whose place touches the range; "diagnostic" indexes the update's list.
std::string playground_quick_fixes(PlaygroundSession* session, int32_t start_line, int32_t start_column,
                                   int32_t end_line, int32_t end_column);
// {"edits":[...]} or {"refusal":"why"}.
std::string playground_format(PlaygroundSession* session, uint32_t tab_size, bool insert_spaces);
// The same for the whole statements the range touches, nothing else.
std::string playground_format_range(PlaygroundSession* session, int32_t start_line, int32_t start_column,
                                    int32_t end_line, int32_t end_column, uint32_t tab_size, bool insert_spaces);
// {"edits":[...]} after `typed` was typed before (line, column).
std::string playground_format_on_type(PlaygroundSession* session, int32_t line, int32_t column,
                                      const std::string& typed, uint32_t tab_size, bool insert_spaces);
// The highlighting, five numbers per token in the editor's delta encoding.
std::string playground_semantic_tokens(PlaygroundSession* session);
// {"tokenTypes":[...],"tokenModifiers":[...]}, the legend of those numbers.
std::string playground_legend();
