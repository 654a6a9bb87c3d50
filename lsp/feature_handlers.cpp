// The editor features at the protocol's edge: ide/ answers in byte ranges,
// these handlers turn them into positions of the negotiated encoding.
#include <string>
#include <vector>

#include "ide/editor_positions.h"
#include "ide/features.h"
#include "lsp/features.h"
#include "lsp/positions.h"
#include "lsp/protocol_features.h"
#include "lsp/publish.h"

namespace {

CompletionKind protocol_completion_kind(IdeCompletionKind kind) {
    switch (kind) {
    case IDE_COMPLETION_FUNCTION: return COMPLETION_FUNCTION;
    case IDE_COMPLETION_LABEL: return COMPLETION_REFERENCE;
    case IDE_COMPLETION_OPTION: return COMPLETION_PROPERTY;
    case IDE_COMPLETION_HOOK: return COMPLETION_EVENT;
    case IDE_COMPLETION_VARIABLE: return COMPLETION_VARIABLE;
    case IDE_COMPLETION_MODULE: return COMPLETION_MODULE;
    case IDE_COMPLETION_MODIFIER: return COMPLETION_OPERATOR;
    case IDE_COMPLETION_MEMBER: return COMPLETION_FIELD;
    case IDE_COMPLETION_KEYWORD: break;
    }
    return COMPLETION_KEYWORD;
}

DocumentSymbolItem protocol_symbol(const Positions& positions, IdeSymbol&& symbol) {
    DocumentSymbolItem item{std::move(symbol.name), std::move(symbol.detail), protocol_symbol_kind(symbol.kind),
                            positions.range(symbol.range), positions.range(symbol.selection), {}};
    item.children.reserve(symbol.children.size());
    for (IdeSymbol& child : symbol.children) item.children.push_back(protocol_symbol(positions, std::move(child)));
    return item;
}

}  // namespace

SymbolKind protocol_symbol_kind(IdeSymbolKind kind) {
    switch (kind) {
    case IDE_SYMBOL_PROGRAM: return SYMBOL_MODULE;
    case IDE_SYMBOL_LIBRARY: return SYMBOL_NAMESPACE;
    case IDE_SYMBOL_FUNCTION: return SYMBOL_FUNCTION;
    case IDE_SYMBOL_MODIFIER: return SYMBOL_OPERATOR;
    case IDE_SYMBOL_SERVER: return SYMBOL_CLASS;
    case IDE_SYMBOL_SITE: return SYMBOL_NAMESPACE;
    case IDE_SYMBOL_ROUTE: return SYMBOL_METHOD;
    case IDE_SYMBOL_LABEL: return SYMBOL_KEY;
    case IDE_SYMBOL_HOOK: break;
    }
    return SYMBOL_EVENT;
}

void on_document_symbol(ServerState* state, const IncomingMessage& message, const RequestTarget& target) {
    Positions positions(state, target);
    std::vector<DocumentSymbolItem> symbols;
    for (IdeSymbol& symbol : ide_document_symbols(target.analysis)) {
        symbols.push_back(protocol_symbol(positions, std::move(symbol)));
    }
    send_document_symbols(message.id, symbols);
}

void on_folding_range(ServerState*, const IncomingMessage& message, const RequestTarget& target) {
    std::vector<FoldingItem> folds;
    for (const IdeFold& fold : ide_folding_ranges(target.analysis)) {
        folds.push_back({static_cast<int32_t>(fold.start_line), static_cast<int32_t>(fold.end_line), fold.comment});
    }
    send_folding_ranges(message.id, folds);
}

void on_definition(ServerState* state, const IncomingMessage& message, const RequestTarget& target) {
    TextRange found{};
    if (!ide_definition(target.analysis, target.offset, &found)) {
        send_null_result(message.id);
        return;
    }
    send_location(message.id, target.document->uri, Positions(state, target).range(found));
}

void on_hover(ServerState* state, const IncomingMessage& message, const RequestTarget& target) {
    IdeHover hover;
    if (!ide_hover(target.analysis, target.offset, &hover)) {
        send_null_result(message.id);
        return;
    }
    send_hover(message.id, hover.markdown, Positions(state, target).range(hover.range));
}

void on_completion(ServerState*, const IncomingMessage& message, const RequestTarget& target) {
    std::vector<CompletionEntry> items;
    for (IdeCompletion& item : ide_completion(target.analysis, target.offset)) {
        items.push_back({std::move(item.label), protocol_completion_kind(item.kind), std::move(item.detail)});
    }
    send_completions(message.id, items);
}

void on_code_action(ServerState* state, const IncomingMessage& message, const RequestTarget& target) {
    CodeActionRequest request = protocol_code_action_params(message.params);
    Positions positions(state, target);
    TextRange range{};
    std::vector<QuickFix> fixes;
    // A range that is missing or lies outside the text touches no mistake.
    if (!request.valid || !line_index_offset_at(positions.index(), request.range.start, positions.encoding(), &range.start) ||
        !line_index_offset_at(positions.index(), request.range.end, positions.encoding(), &range.end)) {
        send_code_actions(message.id, target.document->uri, fixes);
        return;
    }
    if (range.end < range.start) range = {range.end, range.start};
    if (request.wants_quick_fixes) {
        std::vector<IdeQuickFix> found = ide_quick_fixes(target.analysis, range);
        std::vector<IdeDiagnosticPlace> places;
        if (state->features.refined_diagnostics && !found.empty()) places = ide_diagnostic_places(target.analysis);
        for (const IdeQuickFix& fix : found) {
            QuickFix item{fix.title, published_diagnostic_json(state, target.document, fix.diagnostic, places), {},
                          fix.preferred && state->features.preferred_fixes, false};
            for (const IdeTextEdit& edit : fix.edits) item.edits.push_back({positions.range(edit.range), edit.new_text});
            fixes.push_back(std::move(item));
        }
    }
    if (state->features.fix_all && request.wants_fix_all) {
        QuickFix all{"Fix all Tovel problems", "", {}, false, true};
        for (const IdeTextEdit& edit : ide_fix_all(target.analysis)) all.edits.push_back({positions.range(edit.range), edit.new_text});
        if (!all.edits.empty()) fixes.push_back(std::move(all));
    }
    send_code_actions(message.id, target.document->uri, fixes);
}

void on_semantic_tokens(ServerState* state, const IncomingMessage& message, const RequestTarget& target) {
    Positions positions(state, target);
    send_semantic_tokens(message.id,
                         encode_semantic_tokens(positions.index(), positions.encoding(), target.analysis->text,
                                                ide_semantic_tokens(target.analysis, state->features.declaration_tokens)));
}
