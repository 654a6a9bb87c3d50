// Where each finding is, as precisely as the front end knows: the checker
// names the part of a server block a finding is about, the syntax tree
// says where that part is.
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ide/features.h"
#include "syntax/syntax_tree.h"

namespace {

struct PlaceSymbols {
    int32_t server_statement, server_item, record_field_list, optional_newlines;

    static const PlaceSymbols& get() {
        static const PlaceSymbols symbols = {syntax_symbol_named("server_statement"), syntax_symbol_named("server_item"),
                                             syntax_symbol_named("record_field_list"),
                                             syntax_symbol_named("optional_newlines")};
        return symbols;
    }
};

// The parts of server statements and items, found once per analysis: a
// block with thousands of findings looks each up in constant time.
class ItemParts {
public:
    explicit ItemParts(const SyntaxTree& tree) : tree_(tree), s_(PlaceSymbols::get()) {
        std::vector<uint32_t> pending{tree.root};
        while (!pending.empty()) {
            uint32_t n = pending.back();
            pending.pop_back();
            const SyntaxNode& node = tree.nodes[n];
            if (node.flags & SYNTAX_TOKEN) continue;
            if (node.symbol == s_.server_statement || node.symbol == s_.server_item) items_.emplace(node.range.start, n);
            for (uint32_t c = node.first_child; c != kNoSyntaxNode; c = tree.nodes[c].next_sibling) pending.push_back(c);
        }
    }

    // The server statement or item whose first token starts at `offset`.
    uint32_t item_at(uint32_t offset) const {
        auto found = items_.find(offset);
        return found == items_.end() ? kNoSyntaxNode : found->second;
    }

    // The range of `part` of `item`; false when the tree does not hold it.
    bool range_of(uint32_t item, const DiagPart& part, TextRange* range) const {
        std::vector<uint32_t> kids = children(item);
        switch (part.kind) {
        case DIAG_SUBJECT_BLOCK_WORD:
        case DIAG_SUBJECT_DIRECTIVE_WORD:
        case DIAG_SUBJECT_ROUTE_VERB: return token(kids, 0, range);
        case DIAG_SUBJECT_BLOCK_NAME:
        case DIAG_SUBJECT_HOOK_NAME:
        case DIAG_SUBJECT_ROUTE_PATH: return token(kids, 1, range);
        case DIAG_SUBJECT_ROUTE: return join(kids, 0, 1, range);
        case DIAG_SUBJECT_END_WORD: return end_word(kids, range);
        case DIAG_SUBJECT_DIRECTIVE_ARGUMENTS: return kids.size() >= 3 && join(kids, 1, kids.size() - 2, range);
        case DIAG_SUBJECT_ROUTE_PARAMETERS: return parenthesised(kids, range);
        case DIAG_SUBJECT_OPTION_NAME:
        case DIAG_SUBJECT_OPTION_VALUE: return option(kids, part, range);
        case DIAG_SUBJECT_NONE: break;
        }
        return false;
    }

private:
    std::vector<uint32_t> children(uint32_t n) const {
        std::vector<uint32_t> kids;
        for (uint32_t c = tree_.nodes[n].first_child; c != kNoSyntaxNode; c = tree_.nodes[c].next_sibling) {
            if (!(tree_.nodes[c].flags & SYNTAX_MISSING)) kids.push_back(c);
        }
        return kids;
    }

    bool is(uint32_t n, TokenKind kind) const {
        return (tree_.nodes[n].flags & SYNTAX_TOKEN) && tree_.nodes[n].token == kind;
    }

    bool token(const std::vector<uint32_t>& kids, size_t at, TextRange* range) const {
        if (at >= kids.size() || !(tree_.nodes[kids[at]].flags & SYNTAX_TOKEN)) return false;
        *range = tree_.nodes[kids[at]].range;
        return true;
    }

    bool join(const std::vector<uint32_t>& kids, size_t first, size_t last, TextRange* range) const {
        if (last >= kids.size() || first > last) return false;
        *range = {tree_.nodes[kids[first]].range.start, tree_.nodes[kids[last]].range.end};
        return true;
    }

    // The word after the closing line's `end`.
    bool end_word(const std::vector<uint32_t>& kids, TextRange* range) const {
        for (size_t i = kids.size(); i-- > 1;) {
            if (is(kids[i - 1], TOKEN_END) && (tree_.nodes[kids[i]].flags & SYNTAX_TOKEN)) {
                *range = tree_.nodes[kids[i]].range;
                return true;
            }
        }
        return false;
    }

    bool parenthesised(const std::vector<uint32_t>& kids, TextRange* range) const {
        for (size_t open = 0; open < kids.size(); ++open) {
            if (!is(kids[open], TOKEN_LPAREN)) continue;
            for (size_t close = open + 1; close < kids.size(); ++close) {
                if (is(kids[close], TOKEN_RPAREN)) return join(kids, open, close, range);
            }
        }
        return false;
    }

    // Option `part.index` of the header's record: its name, or its value.
    bool option(const std::vector<uint32_t>& kids, const DiagPart& part, TextRange* range) const {
        uint32_t list = kNoSyntaxNode;
        for (uint32_t kid : kids) {
            if (tree_.nodes[kid].symbol == s_.record_field_list) list = kid;
        }
        if (list == kNoSyntaxNode) return false;
        const std::vector<std::pair<uint32_t, uint32_t>>& fields = fields_of(list);
        if (part.index < 0 || static_cast<size_t>(part.index) >= fields.size()) return false;
        const auto& [name, value] = fields[static_cast<size_t>(part.index)];
        *range = tree_.nodes[part.kind == DIAG_SUBJECT_OPTION_NAME ? name : value].range;
        return true;
    }

    // The fields of a record list, each as its first and last part. The list
    // nests to the left, so its parts in text order are those of the
    // innermost level first; commas part the fields.
    const std::vector<std::pair<uint32_t, uint32_t>>& fields_of(uint32_t list) const {
        auto emplaced = fields_.try_emplace(list);
        std::vector<std::pair<uint32_t, uint32_t>>& fields = emplaced.first->second;
        if (!emplaced.second) return fields;
        std::vector<uint32_t> levels;
        for (uint32_t n = list; n != kNoSyntaxNode && tree_.nodes[n].symbol == s_.record_field_list;
             n = tree_.nodes[n].first_child) {
            levels.push_back(n);
        }
        uint32_t first = kNoSyntaxNode;
        uint32_t last = kNoSyntaxNode;
        auto close_field = [&] {
            if (first != kNoSyntaxNode) fields.emplace_back(first, last);
            first = last = kNoSyntaxNode;
        };
        for (size_t level = levels.size(); level-- > 0;) {
            for (uint32_t c : children(levels[level])) {
                const SyntaxNode& part = tree_.nodes[c];
                if (part.symbol == s_.record_field_list || part.symbol == s_.optional_newlines) continue;
                if (is(c, TOKEN_COMMA)) {
                    close_field();
                    continue;
                }
                if (first == kNoSyntaxNode) first = c;
                last = c;
            }
        }
        close_field();
        return fields;
    }

    const SyntaxTree& tree_;
    const PlaceSymbols& s_;
    std::unordered_map<uint32_t, uint32_t> items_;                        // first byte -> node
    mutable std::unordered_map<uint32_t, std::vector<std::pair<uint32_t, uint32_t>>> fields_;  // list -> fields
};

const char* related_message(DiagSubjectKind kind) {
    switch (kind) {
    case DIAG_SUBJECT_ROUTE: return "the earlier route";
    case DIAG_SUBJECT_OPTION_NAME: return "first given here";
    case DIAG_SUBJECT_OPTION_VALUE: return "the site that answers it first";
    default: return "first declared here";
    }
}

bool part_range(Analysis* analysis, const ItemParts& parts, const DiagPart& part, TextRange* range) {
    if (part.kind == DIAG_SUBJECT_NONE || part.line <= 0) return false;
    uint32_t offset = analysis_span_range(analysis, SourceSpan{part.line, part.column, part.line, part.column}).start;
    uint32_t item = parts.item_at(offset);
    return item != kNoSyntaxNode && parts.range_of(item, part, range);
}

}  // namespace

std::vector<IdeDiagnosticPlace> ide_diagnostic_places(Analysis* analysis) {
    const DiagnosticList& list = analysis->diagnostics;
    std::vector<IdeDiagnosticPlace> places(list.count);
    bool any_subject = false;
    for (size_t i = 0; i < list.count; ++i) {
        const Diagnostic& d = list.items[i];
        places[i].range = analysis_span_range(analysis, d.span);
        if (d.fix.kind == DIAG_FIX_UNKNOWN_ESCAPE && d.fix.offset + d.fix.length <= analysis->length) {
            // The escaped character whole, when it takes more than one byte (`\é`).
            uint32_t end = d.fix.offset + d.fix.length;
            while (end < analysis->length && (static_cast<unsigned char>(analysis->text[end]) & 0xC0) == 0x80) ++end;
            places[i].range = {d.fix.offset, end};
            places[i].refined = true;
        }
        any_subject |= d.subject.focus.kind != DIAG_SUBJECT_NONE;
    }
    if (!any_subject) return places;  // no tree needed
    ItemParts parts(analysis_tree(analysis));
    for (size_t i = 0; i < list.count; ++i) {
        const DiagSubject& subject = list.items[i].subject;
        TextRange range;
        if (part_range(analysis, parts, subject.focus, &range)) {
            places[i].range = range;
            places[i].refined = true;
        }
        if (part_range(analysis, parts, subject.related, &places[i].related)) {
            places[i].has_related = true;
            places[i].related_message = related_message(subject.related.kind);
        }
    }
    return places;
}
