// Fixes for a syntax error, read off the error-tolerant parse of the same
// text: where it had to insert a token to go on, inserting it is the fix
// (`then`, a closing bracket, a block's closing line, indented like its
// opener); where the line's first word is no keyword but one or two letters
// away from exactly one keyword that may start a statement, writing that
// keyword is.
#include <algorithm>
#include <string>
#include <string_view>

#include "diag/ascii.h"
#include "ide/features.h"
#include "ide/keyword_places.h"
#include "syntax/syntax_tree.h"

namespace {

// The recovery's first repair: the leaves it inserted at one place, or the
// first node it gave up on.
struct FirstRepair {
    std::vector<uint32_t> inserted;  // MISSING leaves, in order, at one offset
    uint32_t parent;                 // the node holding the first of them
    uint32_t skipped;                // the first ERROR node, or kNoSyntaxNode
};

FirstRepair first_repair(const SyntaxTree& tree) {
    FirstRepair repair{{}, kNoSyntaxNode, kNoSyntaxNode};
    std::vector<std::pair<uint32_t, uint32_t>> pending{{tree.root, kNoSyntaxNode}};  // node, parent
    while (!pending.empty()) {
        auto [n, parent] = pending.back();
        pending.pop_back();
        const SyntaxNode& node = tree.nodes[n];
        if (node.flags & SYNTAX_MISSING) {
            if (!repair.inserted.empty() && tree.nodes[repair.inserted[0]].range.start != node.range.start) break;
            if (repair.inserted.empty()) repair.parent = parent;
            repair.inserted.push_back(n);
            continue;
        }
        if (!repair.inserted.empty()) break;
        if (node.flags & SYNTAX_ERROR) {
            repair.skipped = n;
            break;
        }
        std::vector<uint32_t> kids;
        for (uint32_t c = node.first_child; c != kNoSyntaxNode; c = tree.nodes[c].next_sibling) kids.push_back(c);
        for (size_t i = kids.size(); i-- > 0;) pending.push_back({kids[i], n});
    }
    return repair;
}

std::string line_indent(const Analysis* analysis, uint32_t at) {
    uint32_t start = at;
    while (start > 0 && analysis->text[start - 1] != '\n') --start;
    uint32_t end = start;
    while (end < analysis->length && is_space_or_tab(analysis->text[end])) ++end;
    return std::string(analysis->text + start, end - start);
}

// The words of a closing line the recovery inserted: `end function`, `next`,
// `end get` (a server block's own word is read from its opener).
std::string closing_words(const Analysis* analysis, const SyntaxTree& tree, const FirstRepair& repair) {
    std::string words;
    for (uint32_t n : repair.inserted) {
        TokenKind kind = tree.nodes[n].token;
        if (kind == TOKEN_NEWLINE) break;  // the innermost block's line; the next comes when this one is in
        const char* spelling = kind == TOKEN_END_CONSIDER ? "end consider" : keyword_spelling(kind);
        std::string word = spelling != nullptr ? spelling : "";
        if (kind == TOKEN_IDENT && repair.parent != kNoSyntaxNode) {
            uint32_t first = tree.nodes[repair.parent].first_child;
            if (first != kNoSyntaxNode && tree.nodes[first].token == TOKEN_ON) word = "on";
            else if (first != kNoSyntaxNode) word.assign(analysis->text + tree.nodes[first].range.start, tree.nodes[first].range.length());
        }
        if (word.empty()) return "";
        words += (words.empty() ? "" : " ") + word;
    }
    return words;
}

bool insertion_fix(Analysis* analysis, size_t diagnostic, IdeQuickFix* fix) {
    const SyntaxTree& tree = analysis_tree(analysis);
    FirstRepair repair = first_repair(tree);
    if (repair.inserted.empty()) return false;
    uint32_t at = tree.nodes[repair.inserted[0]].range.start;
    TokenKind first = tree.nodes[repair.inserted[0]].token;
    fix->diagnostic = diagnostic;
    const char* bracket = first == TOKEN_RPAREN ? ")" : first == TOKEN_RBRACKET ? "]" : first == TOKEN_RBRACE ? "}" : nullptr;
    if (bracket != nullptr) {
        fix->title = std::string("Insert `") + bracket + "`";
        fix->edits.push_back({{at, at}, bracket});
        return true;
    }
    if (first == TOKEN_THEN) {
        bool blank = at > 0 && is_space_or_tab(analysis->text[at - 1]);
        fix->title = "Insert `then`";
        fix->edits.push_back({{at, at}, blank ? "then" : " then"});
        return true;
    }
    if (first != TOKEN_END && first != TOKEN_NEXT && first != TOKEN_END_CONSIDER) return false;
    std::string words = closing_words(analysis, tree, repair);
    if (words.empty() || repair.parent == kNoSyntaxNode) return false;
    std::string indent = line_indent(analysis, tree.nodes[repair.parent].range.start);
    bool line_start = at == 0 || analysis->text[at - 1] == '\n';
    fix->title = "Insert `" + words + "`";
    fix->edits.push_back({{at, at}, (line_start ? "" : "\n") + indent + words + (line_start ? "\n" : "")});
    return true;
}

size_t edit_distance(std::string_view a, std::string_view b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (ascii_lower(a[i - 1]) == ascii_lower(b[j - 1]) ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The one keyword that may start a statement nearest to `word`, one or two
// letters away; null when none is, or when two are equally near.
const char* nearest_keyword(std::string_view word) {
    const char* best = nullptr;
    size_t best_distance = 3;
    bool tied = false;
    for (TokenKind kind : kStatementKeywords) {
        const char* spelling = keyword_spelling(kind);
        if (spelling == nullptr) continue;
        size_t distance = edit_distance(word, spelling);
        if (distance < best_distance) {
            best = spelling;
            best_distance = distance;
            tied = false;
        } else if (distance == best_distance) {
            tied = true;
        }
    }
    return best != nullptr && !tied && best_distance > 0 ? best : nullptr;
}

// The first word of the line holding `at`, when it is a name.
bool first_word_of_line(Analysis* analysis, uint32_t at, TextRange* word) {
    const Outline& o = analysis_outline(analysis);
    size_t token = analysis_token_at(analysis, at);
    if (token == kNoToken) return false;
    auto line = std::upper_bound(o.line_first.begin(), o.line_first.end(), token);
    if (line == o.line_first.begin()) return false;
    const Token& first = o.tokens[*(line - 1)];
    if (first.kind != TOKEN_IDENT) return false;
    *word = analysis_token_range(analysis, *(line - 1));
    return true;
}

bool misspelled_keyword_fix(Analysis* analysis, size_t diagnostic, uint32_t at, IdeQuickFix* fix) {
    TextRange word;
    if (!first_word_of_line(analysis, at, &word)) return false;
    std::string written(analysis->text + word.start, word.length());
    const NameIndex& names = analysis_names(analysis);
    for (const NameDecl& d : names.decls) {
        if (d.name == written) return false;  // a name the program declares, not a typo
    }
    const char* keyword = nearest_keyword(written);
    if (keyword == nullptr) return false;
    std::string replacement = keyword;
    bool upper = std::all_of(written.begin(), written.end(), [](char c) { return !(c >= 'a' && c <= 'z'); });
    if (upper) {
        for (char& c : replacement) c = static_cast<char>(c - 'a' + 'A');
    }
    fix->diagnostic = diagnostic;
    fix->title = "Replace `" + written + "` with `" + replacement + "`";
    fix->edits.push_back({word, replacement});
    return true;
}

}  // namespace

void ide_syntax_error_fixes(Analysis* analysis, size_t diagnostic, std::vector<IdeQuickFix>* fixes) {
    const Diagnostic& finding = analysis->diagnostics.items[diagnostic];
    IdeQuickFix fix{"", diagnostic, {}, false};
    if (insertion_fix(analysis, diagnostic, &fix)) fixes->push_back(std::move(fix));
    // The word that began the statement the parse could not read: on the
    // error's line, or where the recovery first skipped text.
    uint32_t at = analysis_span_range(analysis, finding.span).start;
    IdeQuickFix spelling{"", diagnostic, {}, false};
    if (misspelled_keyword_fix(analysis, diagnostic, at, &spelling)) {
        fixes->push_back(std::move(spelling));
        return;
    }
    FirstRepair repair = first_repair(analysis_tree(analysis));
    if (repair.skipped != kNoSyntaxNode &&
        misspelled_keyword_fix(analysis, diagnostic, analysis_tree(analysis).nodes[repair.skipped].range.start, &spelling)) {
        fixes->push_back(std::move(spelling));
    }
}
