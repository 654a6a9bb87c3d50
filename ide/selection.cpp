// Selection ranges grown along the syntax tree, and the paths of loads.
#include <cstdlib>
#include <string>

#include "diag/diagnostic.h"
#include "ide/features.h"
#include "lexer/string_literal.h"
#include "syntax/syntax_tree.h"

namespace {

constexpr size_t kMaxSelectionRanges = 100;

// The child of `n` holding `offset`; one that only ends there when none
// holds it strictly (a cursor right after a word).
uint32_t child_at(const SyntaxTree& tree, uint32_t n, uint32_t offset) {
    uint32_t ending = kNoSyntaxNode;
    for (uint32_t c = tree.nodes[n].first_child; c != kNoSyntaxNode; c = tree.nodes[c].next_sibling) {
        const SyntaxNode& child = tree.nodes[c];
        if (child.range.empty()) continue;
        if (child.range.start <= offset && offset < child.range.end) return c;
        if (child.range.end == offset) ending = c;
    }
    return ending;
}

bool continues_sequence(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// Ends where an editor can put a cursor. A node that starts at the line
// break of a CRLF line starts between its two bytes: it starts before the
// `\r`, and an end there is taken past the `\n`. The lexer's error tokens
// can split a character: the range takes all of it. Each change only
// widens, so each range still holds the one inside it.
TextRange cursor_places(const char* text, uint32_t length, TextRange range) {
    while (range.start > 0 && continues_sequence(text[range.start])) --range.start;
    while (range.end < length && continues_sequence(text[range.end])) ++range.end;
    if (range.start > 0 && range.start < length && text[range.start] == '\n' && text[range.start - 1] == '\r') --range.start;
    if (range.end > 0 && range.end < length && text[range.end] == '\n' && text[range.end - 1] == '\r') ++range.end;
    return range;
}

}  // namespace

std::vector<TextRange> ide_selection_ranges(Analysis* analysis, uint32_t offset) {
    const SyntaxTree& tree = analysis_tree(analysis);
    std::vector<TextRange> path;  // outermost first
    for (uint32_t n = tree.root; n != kNoSyntaxNode; n = child_at(tree, n, offset)) {
        TextRange range = tree.nodes[n].range;
        if (range.empty()) continue;
        range = cursor_places(tree.text, tree.length, range);
        if (path.empty() || path.back().start != range.start || path.back().end != range.end) path.push_back(range);
    }
    std::vector<TextRange> ranges;
    for (size_t i = path.size(); i-- > 0 && ranges.size() < kMaxSelectionRanges;) ranges.push_back(path[i]);
    return ranges;
}

std::vector<IdeLink> ide_document_links(Analysis* analysis) {
    std::vector<IdeLink> links;
    const Outline& o = analysis_outline(analysis);
    for (size_t k = 0; k + 3 < o.tokens.size(); ++k) {
        const Token& verb = o.tokens[k];
        const Token& from = o.tokens[k + 2];
        const Token& path = o.tokens[k + 3];
        if ((verb.kind != TOKEN_LOAD && verb.kind != TOKEN_USE) || o.tokens[k + 1].kind != TOKEN_IDENT ||
            from.kind != TOKEN_IDENT || token_text(from) != "from" || path.kind != TOKEN_STRING || path.line != verb.line ||
            path.length < 2) {
            continue;
        }
        DiagnosticList ignored;
        diag_list_init(&ignored);
        StringReport report{&ignored, "", analysis->text};
        int32_t ok = 0;
        char* value = decode_string_literal(&report, path.start, path.length, path.line, path.column, &ok);
        diag_list_free(&ignored);
        if (value == nullptr) continue;
        uint32_t start = outline_token_offset(o, path);
        links.push_back({{start + 1, start + static_cast<uint32_t>(path.length) - 1}, value});
        free(value);
    }
    return links;
}
