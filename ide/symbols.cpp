// The outline and the folding ranges of a document.
#include <algorithm>
#include <utility>

#include "ide/features.h"

namespace {

IdeSymbolKind symbol_kind(OutlineBlockKind kind) {
    switch (kind) {
    case BLOCK_PROGRAM: return IDE_SYMBOL_PROGRAM;
    case BLOCK_LIBRARY: return IDE_SYMBOL_LIBRARY;
    case BLOCK_FUNCTION: return IDE_SYMBOL_FUNCTION;
    case BLOCK_MODIFIER: return IDE_SYMBOL_MODIFIER;
    case BLOCK_SERVER: return IDE_SYMBOL_SERVER;
    case BLOCK_SITE: return IDE_SYMBOL_SITE;
    case BLOCK_ROUTE: return IDE_SYMBOL_ROUTE;
    default: return IDE_SYMBOL_HOOK;
    }
}

IdeSymbol block_symbol(Analysis* analysis, const OutlineBlock& block) {
    IdeSymbol item;
    item.name = block.kind == BLOCK_HOOK ? "on " + block.name : block.name;
    item.detail = block.detail;
    item.kind = symbol_kind(block.kind);
    item.range = block.range;
    item.selection = {analysis_token_range(analysis, block.name_token).start,
                      analysis_token_range(analysis, block.name_last).end};
    return item;
}

bool whole_line_comment(Analysis* analysis, const OutlineComment& comment) {
    uint32_t line_start = line_index_offset(analysis_index(analysis), comment.line, 1);
    for (uint32_t i = line_start; i < comment.offset; ++i) {
        if (analysis->text[i] != ' ' && analysis->text[i] != '\t') return false;
    }
    return true;
}

}  // namespace

// Symbols nest as their blocks do; control blocks are not symbols, so what
// they hold belongs to the nearest symbol around them. Labels are symbols
// of the block they stand in.
std::vector<IdeSymbol> ide_document_symbols(Analysis* analysis) {
    const Outline& outline = analysis_outline(analysis);
    std::vector<int32_t> symbol_of(outline.blocks.size(), -1);  // nearest symbol block, or -1
    auto owner = [&](int32_t parent) { return parent < 0 ? -1 : symbol_of[static_cast<size_t>(parent)]; };
    for (size_t i = 0; i < outline.blocks.size(); ++i) {
        const OutlineBlock& block = outline.blocks[i];
        symbol_of[i] = block.kind == BLOCK_CONTROL ? owner(block.parent) : static_cast<int32_t>(i);
    }
    // Every symbol with where it starts and which symbol holds it. Blocks
    // come in the order they open and labels in text order, so one merge
    // puts them all in text order (a block before a label at the same place).
    struct Entry {
        uint32_t at;
        int32_t block;  // -1 for a label
        int32_t holder;
        size_t item;    // index into items
    };
    std::vector<IdeSymbol> items;
    items.reserve(outline.blocks.size() + outline.labels.size());
    std::vector<Entry> blocks;
    for (size_t i = 0; i < outline.blocks.size(); ++i) {
        const OutlineBlock& block = outline.blocks[i];
        if (block.kind == BLOCK_CONTROL) continue;
        blocks.push_back({block.range.start, static_cast<int32_t>(i), owner(block.parent), items.size()});
        items.push_back(block_symbol(analysis, block));
    }
    std::vector<Entry> labels;
    for (size_t l = 0; l < outline.labels.size(); ++l) {
        TextRange label = analysis_token_range(analysis, outline.labels[l]);
        int32_t inside = outline.label_blocks[l];
        labels.push_back({label.start, -1, inside < 0 ? -1 : symbol_of[static_cast<size_t>(inside)], items.size()});
        items.push_back({token_text(outline.tokens[outline.labels[l]]), "", IDE_SYMBOL_LABEL, label, label, {}});
    }
    std::vector<Entry> entries(blocks.size() + labels.size());
    std::merge(blocks.begin(), blocks.end(), labels.begin(), labels.end(), entries.begin(),
               [](const Entry& a, const Entry& b) { return a.at < b.at; });
    // Inner symbols start after the ones holding them: from the last entry
    // back, each holder's children are complete when the holder is reached.
    std::vector<std::vector<IdeSymbol>> children(outline.blocks.size());
    std::vector<IdeSymbol> top;
    for (size_t i = entries.size(); i-- > 0;) {
        const Entry& entry = entries[i];
        IdeSymbol& item = items[entry.item];
        if (entry.block >= 0) {
            item.children = std::move(children[static_cast<size_t>(entry.block)]);
            std::reverse(item.children.begin(), item.children.end());
        }
        (entry.holder < 0 ? top : children[static_cast<size_t>(entry.holder)]).push_back(std::move(item));
    }
    std::reverse(top.begin(), top.end());
    return top;
}

std::vector<IdeFold> ide_folding_ranges(Analysis* analysis) {
    const Outline& outline = analysis_outline(analysis);
    std::vector<IdeFold> ranges;
    for (const OutlineBlock& block : outline.blocks) {
        // The closing line stays visible: the fold ends on the line before it.
        int32_t last = block.closed ? block.end_line - 1 : block.end_line;
        if (last > block.start_line) {
            ranges.push_back({static_cast<uint32_t>(block.start_line - 1), static_cast<uint32_t>(last - 1), false});
        }
    }
    // Runs of two or more lines that hold nothing but a comment.
    const std::vector<OutlineComment>& comments = outline.comments;
    for (size_t i = 0; i < comments.size();) {
        size_t j = i;
        while (j + 1 < comments.size() && whole_line_comment(analysis, comments[i]) &&
               whole_line_comment(analysis, comments[j + 1]) && comments[j + 1].line == comments[j].line + 1) {
            ++j;
        }
        if (j > i) {
            ranges.push_back({static_cast<uint32_t>(comments[i].line - 1), static_cast<uint32_t>(comments[j].line - 1), true});
        }
        i = j + 1;
    }
    return ranges;
}
