#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ide/analysis.h"
#include "text/text_range.h"

// The editor features as plain functions over one document version's
// analysis: byte offsets and ranges in, plain records with byte ranges out.
// Nothing here knows the protocol, JSON or the server: the server converts
// at its edge, and the command line can call the same functions.

// ---- Outline and folding ---------------------------------------------------

enum IdeSymbolKind : int32_t {
    IDE_SYMBOL_PROGRAM,
    IDE_SYMBOL_LIBRARY,
    IDE_SYMBOL_FUNCTION,
    IDE_SYMBOL_MODIFIER,
    IDE_SYMBOL_SERVER,
    IDE_SYMBOL_SITE,
    IDE_SYMBOL_ROUTE,
    IDE_SYMBOL_HOOK,
    IDE_SYMBOL_LABEL,
};

struct IdeSymbol {
    std::string name;
    std::string detail;      // parameters as written, the block word of a server; may be empty
    IdeSymbolKind kind;
    TextRange range;         // the whole block
    TextRange selection;     // its name
    std::vector<IdeSymbol> children;
};

// Programs, libraries, functions, modifiers, server blocks with their sites,
// routes and hooks, and labels, nested as their blocks are.
std::vector<IdeSymbol> ide_document_symbols(Analysis* analysis);

struct IdeFold {
    uint32_t start_line;  // 0-based
    uint32_t end_line;
    bool comment;         // a run of comment lines rather than a block
};

// Every block of more than one line (its closing line stays visible) and
// every run of two or more whole-line comments.
std::vector<IdeFold> ide_folding_ranges(Analysis* analysis);

// ---- Navigation and hover --------------------------------------------------

// Where the name at `offset` is declared: the label of a `goto`/`gosub`,
// the function of a call. False when the offset names neither.
bool ide_definition(Analysis* analysis, uint32_t offset, TextRange* target);

struct IdeHover {
    std::string markdown;
    TextRange range;  // what the text describes: a token, or a whole duration
};

// What a keyword does, the signature of a called function, the total of a
// duration, a route. False when there is nothing to say.
bool ide_hover(Analysis* analysis, uint32_t offset, IdeHover* hover);

// ---- Completion ------------------------------------------------------------

enum IdeCompletionKind : int32_t {
    IDE_COMPLETION_KEYWORD,
    IDE_COMPLETION_FUNCTION,
    IDE_COMPLETION_LABEL,
    IDE_COMPLETION_OPTION,
    IDE_COMPLETION_HOOK,
};

struct IdeCompletion {
    std::string label;
    IdeCompletionKind kind;
    std::string detail;  // may be empty
};

// The words that may be typed at `offset`, filtered by the word already
// typed before it (compared without regard to case).
std::vector<IdeCompletion> ide_completion(Analysis* analysis, uint32_t offset);

// ---- Quick fixes -----------------------------------------------------------

struct IdeTextEdit {
    TextRange range;
    std::string new_text;
};

struct IdeQuickFix {
    std::string title;
    size_t diagnostic;  // the finding it repairs: an index into analysis->diagnostics
    std::vector<IdeTextEdit> edits;
};

// The fixes of the analysis's own findings whose mistake, or whose reported
// range, touches `range`, in the order of the findings. Only mistakes the
// front end named when reporting them are fixed, each by an edit of exactly
// its bytes.
std::vector<IdeQuickFix> ide_quick_fixes(Analysis* analysis, TextRange range);

// ---- Semantic highlighting ---------------------------------------------------

// In the order of the legend the server announces.
enum IdeTokenType : uint32_t {
    IDE_TOKEN_KEYWORD,
    IDE_TOKEN_COMMENT,
    IDE_TOKEN_STRING,
    IDE_TOKEN_NUMBER,
    IDE_TOKEN_OPERATOR,
    IDE_TOKEN_FUNCTION,
    IDE_TOKEN_PARAMETER,
    IDE_TOKEN_VARIABLE,
    IDE_TOKEN_LABEL,
    IDE_TOKEN_METHOD,     // the verb of a route
    IDE_TOKEN_NAMESPACE,  // programs, libraries, modules and their aliases
    IDE_TOKEN_CLASS,      // servers and web sites
    IDE_TOKEN_DECORATOR,  // the words of a modifier's name
    IDE_TOKEN_PROPERTY,   // server options, record fields
    IDE_TOKEN_MACRO,      // server directives
    IDE_TOKEN_EVENT,      // server hooks
    IDE_TOKEN_ESCAPE,     // an escape sequence inside a string
    IDE_TOKEN_TYPE_COUNT,
};

// Modifier bits, in the order of the legend.
enum IdeTokenModifier : uint32_t {
    IDE_MODIFIER_INVALID = 1,      // an escape the front end rejects
    IDE_MODIFIER_CONTROL = 2,      // keywords: control flow, and the words of a closing line
    IDE_MODIFIER_WORD = 4,         // keywords: operators written as words
    IDE_MODIFIER_CONSTANT = 8,     // keywords: constant values
    IDE_MODIFIER_DECLARATOR = 16,  // keywords: those that declare a program, function, ...
    IDE_MODIFIER_DEPRECATED = 32,  // an unknown escape, kept as written with a warning
    IDE_MODIFIER_COUNT = 6,
};

struct IdeHighlight {
    TextRange range;  // within one line, never holding a line break
    IdeTokenType type;
    uint32_t modifiers;
};

// Every token and comment with its role, in text order; a token over
// several lines comes as one piece per line.
std::vector<IdeHighlight> ide_semantic_tokens(Analysis* analysis);
