// The outline and the folding ranges of a document, and the loading every
// feature request starts with.
#include "lsp/features.h"

#include <algorithm>
#include <utility>

namespace {

SymbolKind symbol_kind(OutlineBlockKind kind) {
    switch (kind) {
    case BLOCK_PROGRAM: return SYMBOL_MODULE;
    case BLOCK_LIBRARY: return SYMBOL_NAMESPACE;
    case BLOCK_FUNCTION: return SYMBOL_FUNCTION;
    case BLOCK_MODIFIER: return SYMBOL_OPERATOR;
    case BLOCK_SERVER: return SYMBOL_CLASS;
    case BLOCK_SITE: return SYMBOL_NAMESPACE;
    case BLOCK_ROUTE: return SYMBOL_METHOD;
    default: return SYMBOL_EVENT;  // hooks
    }
}

DocumentSymbolItem block_symbol(FeatureDocument* document, const OutlineBlock& block) {
    const Token& name = document->outline.tokens[block.name_token];
    DocumentSymbolItem item;
    item.name = block.kind == BLOCK_HOOK ? "on " + block.name : block.name;
    item.detail = block.detail;
    item.kind = symbol_kind(block.kind);
    item.range = document->span(block.start_line, block.start_column, block.end_line, block.end_column);
    const Token& last = document->outline.tokens[block.name_last];
    item.selection = document->span(name.line, name.column, last.line, last.column + last.length);
    return item;
}

// Symbols nest as their blocks do; control blocks are not symbols, so what
// they hold belongs to the nearest symbol around them. Labels are symbols
// of the block they stand in.
std::vector<DocumentSymbolItem> document_symbols(FeatureDocument* document) {
    const Outline& outline = document->outline;
    std::vector<int32_t> symbol_of(outline.blocks.size(), -1);  // nearest symbol block, or -1
    auto owner = [&](int32_t parent) { return parent < 0 ? -1 : symbol_of[static_cast<size_t>(parent)]; };
    for (size_t i = 0; i < outline.blocks.size(); ++i) {
        const OutlineBlock& block = outline.blocks[i];
        symbol_of[i] = block.kind == BLOCK_CONTROL ? owner(block.parent) : static_cast<int32_t>(i);
    }
    // Every symbol with where it starts and which symbol holds it.
    struct Entry {
        std::pair<int32_t, int32_t> at;
        int32_t block;  // -1 for a label
        int32_t holder;
        DocumentSymbolItem item;
    };
    std::vector<Entry> entries;
    for (size_t i = 0; i < outline.blocks.size(); ++i) {
        const OutlineBlock& block = outline.blocks[i];
        if (block.kind == BLOCK_CONTROL) continue;
        entries.push_back({{block.start_line, block.start_column}, static_cast<int32_t>(i),
                           owner(block.parent), block_symbol(document, block)});
    }
    for (size_t l = 0; l < outline.labels.size(); ++l) {
        const Token& label = outline.tokens[outline.labels[l]];
        int32_t inside = outline.label_blocks[l];
        entries.push_back({{label.line, label.column}, -1, inside < 0 ? -1 : symbol_of[static_cast<size_t>(inside)],
                           {token_text(label), "", SYMBOL_KEY, document->token_range(label),
                            document->token_range(label), {}}});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.at < b.at; });
    // Inner symbols start after the ones holding them: from the last entry
    // back, each holder's children are complete when the holder is reached.
    std::vector<std::vector<DocumentSymbolItem>> children(outline.blocks.size());
    std::vector<DocumentSymbolItem> top;
    for (size_t i = entries.size(); i-- > 0;) {
        Entry& entry = entries[i];
        if (entry.block >= 0) {
            entry.item.children = std::move(children[static_cast<size_t>(entry.block)]);
            std::reverse(entry.item.children.begin(), entry.item.children.end());
        }
        (entry.holder < 0 ? top : children[static_cast<size_t>(entry.holder)]).push_back(std::move(entry.item));
    }
    std::reverse(top.begin(), top.end());
    return top;
}

std::vector<FoldingItem> folding_ranges(FeatureDocument* document) {
    const Outline& outline = document->outline;
    std::vector<FoldingItem> ranges;
    for (const OutlineBlock& block : outline.blocks) {
        // The closing line stays visible: the fold ends on the line before it.
        int32_t last = block.closed ? block.end_line - 1 : block.end_line;
        if (last > block.start_line) ranges.push_back({block.start_line - 1, last - 1, false});
    }
    // Runs of two or more lines that hold nothing but a comment.
    const std::vector<OutlineComment>& comments = outline.comments;
    auto whole_line = [&](const OutlineComment& c) {
        const char* line = document->text + document->index.starts[static_cast<size_t>(c.line - 1)];
        for (int32_t i = 0; i < c.column - 1; ++i) {
            if (line[i] != ' ' && line[i] != '\t') return false;
        }
        return true;
    };
    for (size_t i = 0; i < comments.size();) {
        size_t j = i;
        while (j + 1 < comments.size() && whole_line(comments[i]) && whole_line(comments[j + 1]) &&
               comments[j + 1].line == comments[j].line + 1) {
            ++j;
        }
        if (j > i) ranges.push_back({comments[i].line - 1, comments[j].line - 1, true});
        i = j + 1;
    }
    return ranges;
}

}  // namespace

bool feature_enabled(bool declared, const IncomingMessage& message) {
    if (!message.is_request) return false;
    if (!declared) send_method_not_found(message.id);
    return declared;
}

bool feature_document_open(ServerState* state, const char* uri, FeatureDocument* document) {
    Document* stored = uri != nullptr ? document_store_find(&state->documents, uri) : nullptr;
    if (stored == nullptr) return false;
    document->uri = stored->uri;
    document->text = stored->text;
    document->encoding = state->position_encoding;
    outline_build(&document->outline, stored->text);
    line_index_build(&document->index, stored->text);
    return true;
}

bool feature_position_request(ServerState* state, const IncomingMessage& message, bool declared,
                              FeatureDocument* document, size_t* token) {
    if (!feature_enabled(declared, message)) return false;
    PositionRequest request = protocol_position_params(message.params);
    int32_t line = 0;
    int32_t column = 0;
    if (!request.valid || !feature_document_open(state, request.uri, document) ||
        !source_position_in_index(&document->index, request.position, document->encoding, &line, &column)) {
        send_null_result(message.id);
        return false;
    }
    *token = outline_token_at(document->outline, line, column);
    if (*token == static_cast<size_t>(-1)) {
        send_null_result(message.id);
        return false;
    }
    return true;
}

void on_document_symbol(ServerState* state, const IncomingMessage& message) {
    if (!feature_enabled(state->features.document_symbol, message)) return;
    FeatureDocument document;
    if (!feature_document_open(state, text_document_uri(message.params), &document)) {
        send_null_result(message.id);
        return;
    }
    send_document_symbols(message.id, document_symbols(&document));
}

void on_folding_range(ServerState* state, const IncomingMessage& message) {
    if (!feature_enabled(state->features.folding_range, message)) return;
    FeatureDocument document;
    if (!feature_document_open(state, text_document_uri(message.params), &document)) {
        send_null_result(message.id);
        return;
    }
    send_folding_ranges(message.id, folding_ranges(&document));
}
