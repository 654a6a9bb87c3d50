#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <cjson/cJSON.h>

#include "text/line_index.h"

// The protocol of the editor features beyond diagnostics: what their
// requests carry and what their answers hold, with every JSON member name
// they use. Each feature is announced and served only to a client that
// declared it at initialize.

struct ClientFeatures {
    bool document_symbol;
    bool folding_range;
    bool definition;
    bool hover;
    bool completion;
    bool code_action;
    bool semantic_tokens;
    bool synchronization;  // range edits in didChange (incremental sync)
    bool references;
    bool document_highlight;
    bool rename;
    bool prepare_rename;        // rename.prepareSupport
    bool call_hierarchy;
    bool workspace_symbol;      // capabilities.workspace.symbol
    bool signature_help;
    bool inlay_hint;
    bool selection_range;
    bool document_link;
    bool declaration_tokens;    // "declaration" among semanticTokens.tokenModifiers
    bool refined_diagnostics;   // publishDiagnostics declared: ranges on what each finding is about
    bool related_information;   // publishDiagnostics.relatedInformation true: the earlier place of a repeat
    bool preferred_fixes;       // codeAction.isPreferredSupport: fixes marked isPreferred
    bool fix_all;               // codeAction kinds include source.fixAll (or source): "source.fixAll.tovel"
    bool formatting;
    bool range_formatting;
    bool on_type_formatting;
};

// Which of capabilities.textDocument.{documentSymbol, foldingRange,
// definition, hover, completion, codeAction, semanticTokens,
// synchronization, references, documentHighlight, rename, callHierarchy,
// signatureHelp, inlayHint, selectionRange, documentLink, formatting,
// rangeFormatting, onTypeFormatting} and
// capabilities.workspace.symbol are objects.
ClientFeatures protocol_client_features(const cJSON* params);

// Every feature declared, as by a client that asks for all of them with
// full-text synchronisation (the benchmarks' and fuzzers' client).
ClientFeatures protocol_every_feature();

// Adds the providers of the declared features to initialize's capabilities.
void add_feature_providers(cJSON* capabilities, const ClientFeatures& features);

// textDocument.uri and position; `valid` is false when either is missing or
// mistyped.
struct PositionRequest {
    const char* uri;
    ProtocolPosition position;
    bool valid;
};

PositionRequest protocol_position_params(const cJSON* params);

// The document and range of a codeAction request. The diagnostics the
// client sends back are not read: fixes come from the server's own findings
// on the current text.
struct CodeActionRequest {
    const char* uri;
    ProtocolRange range;
    bool valid;
    bool wants_quick_fixes;  // context.only missing, or naming quickfix
    bool wants_fix_all;      // context.only naming source.fixAll.tovel or a kind above it
};

CodeActionRequest protocol_code_action_params(const cJSON* params);

// Protocol symbol kinds used by the outline.
enum SymbolKind : int32_t {
    SYMBOL_MODULE = 2,
    SYMBOL_NAMESPACE = 3,
    SYMBOL_CLASS = 5,
    SYMBOL_METHOD = 6,
    SYMBOL_FUNCTION = 12,
    SYMBOL_VARIABLE = 13,
    SYMBOL_KEY = 20,
    SYMBOL_EVENT = 24,
    SYMBOL_OPERATOR = 25,
};

struct DocumentSymbolItem {
    std::string name;
    std::string detail;  // omitted when empty
    SymbolKind kind;
    ProtocolRange range;
    ProtocolRange selection;
    std::vector<DocumentSymbolItem> children;
};

struct FoldingItem {
    int32_t start_line;
    int32_t end_line;
    bool comment;
};

// Protocol completion item kinds used.
enum CompletionKind : int32_t {
    COMPLETION_FUNCTION = 3,
    COMPLETION_FIELD = 5,
    COMPLETION_VARIABLE = 6,
    COMPLETION_MODULE = 9,
    COMPLETION_PROPERTY = 10,
    COMPLETION_KEYWORD = 14,
    COMPLETION_REFERENCE = 18,
    COMPLETION_EVENT = 23,
    COMPLETION_OPERATOR = 24,
};

struct CompletionEntry {
    std::string label;
    CompletionKind kind;
    std::string detail;  // omitted when empty
};

struct TextEditItem {
    ProtocolRange range;
    std::string new_text;
};

struct QuickFix {
    std::string title;
    std::string diagnostic;  // the finding it repairs, as publication writes it; none for fix-all
    std::vector<TextEditItem> edits;
    bool preferred;          // written only when true
    bool fix_all;            // kind source.fixAll.tovel rather than quickfix
};

void send_document_symbols(const cJSON* id, const std::vector<DocumentSymbolItem>& symbols);
void send_folding_ranges(const cJSON* id, const std::vector<FoldingItem>& ranges);
void send_location(const cJSON* id, const char* uri, ProtocolRange range);
void send_hover(const cJSON* id, const std::string& markdown, ProtocolRange range);
void send_completions(const cJSON* id, const std::vector<CompletionEntry>& items);
void send_code_actions(const cJSON* id, const char* uri, const std::vector<QuickFix>& fixes);
// The delta-encoded data array, five numbers per token.
void send_semantic_tokens(const cJSON* id, const std::vector<uint32_t>& data);
