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
    IDE_COMPLETION_VARIABLE,   // variables and parameters
    IDE_COMPLETION_MODULE,
    IDE_COMPLETION_MODIFIER,
    IDE_COMPLETION_MEMBER,     // a module's member, after `alias.`
};

struct IdeCompletion {
    std::string label;
    IdeCompletionKind kind;
    std::string detail;  // may be empty
};

// The words that may be typed at `offset`, by what the place allows, and
// filtered by the word already typed before it (compared without regard to
// case): after `goto` or `gosub` the labels in reach; in a brace prefix the
// modifiers; after `module.` the members the file shows it has; at the start
// of a statement the keywords that start one, elsewhere those an expression
// may hold, with the names visible there and the file's functions; in a
// server or web block the words the checker accepts there.
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
    bool preferred;     // the only fix offered for its finding
};

// The fixes of the analysis's own findings whose mistake, or whose reported
// range, touches `range`, in the order of the findings. Mistakes the front
// end named when reporting them are fixed by an edit of exactly their bytes;
// a syntax error by what the error-tolerant parse had to insert there (a
// missing `then`, bracket or closing line) or by the keyword a misspelled
// first word of its line stands for.
std::vector<IdeQuickFix> ide_quick_fixes(Analysis* analysis, TextRange range);

// Every preferred fix of the document, none overlapping another, in text
// order: what "fix all" applies.
std::vector<IdeTextEdit> ide_fix_all(Analysis* analysis);

// The fixes of a syntax error (finding `diagnostic`), appended to `fixes`.
void ide_syntax_error_fixes(Analysis* analysis, size_t diagnostic, std::vector<IdeQuickFix>* fixes);

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
    IDE_MODIFIER_DECLARATION = 64, // the place that declares a name (announced only to clients that know it)
};

struct IdeHighlight {
    TextRange range;  // within one line, never holding a line break
    IdeTokenType type;
    uint32_t modifiers;
};

// Every token and comment with its role, in text order; a token over
// several lines comes as one piece per line. `with_names` reads the roles of
// names off the name index (parameters, variables, fields and modules as
// they resolve) and marks the places that declare them.
std::vector<IdeHighlight> ide_semantic_tokens(Analysis* analysis, bool with_names = false);

// ---- Names: references, highlights, rename ---------------------------------

struct IdeReference {
    TextRange range;
    bool write;        // declared or assigned there
    bool declaration;  // the place that declares it
};

// The uses of the name at `offset` that resolve to what it resolves to, in
// text order (its declaration only when `include_declaration`). A name
// declared nowhere in the file has the uses of the same spelling that are
// not declared either. False when `offset` names nothing.
bool ide_references(Analysis* analysis, uint32_t offset, bool include_declaration, std::vector<IdeReference>* out);

struct IdeRenameTarget {
    TextRange range;          // the name at the cursor
    std::string placeholder;  // as written
};

// Whether the name at `offset` can be renamed; if not, `refusal` says why.
bool ide_prepare_rename(Analysis* analysis, uint32_t offset, IdeRenameTarget* target, std::string* refusal);

// The edits renaming the name at `offset` to `new_name` everywhere it is
// used; false with `refusal` set when the name cannot be renamed, the new
// name is not one Tovel accepts there, or it would collide with a name
// visible in the same place.
bool ide_rename(Analysis* analysis, uint32_t offset, const std::string& new_name, std::vector<IdeTextEdit>* edits,
                std::string* refusal);

// ---- Calls -------------------------------------------------------------------

struct IdeCallItem {
    std::string name;
    std::string detail;
    IdeSymbolKind kind;  // function, modifier, label (reached by gosub), route, hook, program
    TextRange range;     // the whole block; a label's lines up to the next label
    TextRange selection; // its name
};

struct IdeCall {
    IdeCallItem item;               // the caller (incoming) or the callee (outgoing)
    std::vector<TextRange> from;    // the calls, in the caller's text
};

// The function, modifier, label or handler named or declared at `offset`.
bool ide_call_item_at(Analysis* analysis, uint32_t offset, IdeCallItem* item);
// Who calls the item whose name starts at `selection_start`, and whom it calls.
std::vector<IdeCall> ide_incoming_calls(Analysis* analysis, uint32_t selection_start);
std::vector<IdeCall> ide_outgoing_calls(Analysis* analysis, uint32_t selection_start);

// ---- Signature help and inlay hints -------------------------------------------

struct IdeSignature {
    std::string label;                    // `name(a, b = 2)`
    std::vector<std::string> parameters;  // each as it appears in the label
    std::string documentation;            // the comment lines above the declaration; may be empty
    uint32_t active;                      // the parameter being typed
};

// The function or modifier of the file whose arguments the cursor stands in.
bool ide_signature_help(Analysis* analysis, uint32_t offset, IdeSignature* signature);

struct IdeInlayHint {
    uint32_t offset;
    std::string label;
    bool parameter;       // a parameter's name before an argument, else a value
    std::string tooltip;  // may be empty
};

// Within `range`: the seconds of every duration, and parameter names before
// literal arguments of the file's own functions.
std::vector<IdeInlayHint> ide_inlay_hints(Analysis* analysis, TextRange range);

// ---- Selection and links -------------------------------------------------------

// From the token at `offset` outwards: its expression, statement, block and
// declaration, each range holding the one before (at most 100).
std::vector<TextRange> ide_selection_ranges(Analysis* analysis, uint32_t offset);

struct IdeLink {
    TextRange range;   // the path inside its quotes
    std::string path;  // as the string means it
};

// The paths of `load ... from "path"` and `use ... from "path"`.
std::vector<IdeLink> ide_document_links(Analysis* analysis);

// The comment lines right above line `line` (0-based), without their `'`.
std::string ide_comment_above(Analysis* analysis, uint32_t line);

// ---- Diagnostics as an editor shows them -------------------------------------

struct IdeDiagnosticPlace {
    bool refined;                  // `range` names the words; otherwise the finding's own span stands
    TextRange range;               // what the finding is about
    bool has_related;
    TextRange related;             // the earlier place a repeat or conflict refers to
    std::string related_message;
};

// Per finding of the analysis, in order: the part of its item the checker
// named (an option's name or value, a directive's arguments, a route's verb
// and path, a hook's name...), or an unknown escape's own bytes, found in
// the syntax tree; the finding's own span otherwise.
std::vector<IdeDiagnosticPlace> ide_diagnostic_places(Analysis* analysis);
