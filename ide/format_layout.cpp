// The layout itself: one walk over the tree's leaves, deciding what stands
// before each token (its indentation when it starts a line, its spacing
// otherwise) and how a keyword is spelled. Everything else is kept.
#include <algorithm>
#include <cstring>

#include "diag/ascii.h"
#include "ide/format.h"
#include "syntax/syntax_tree.h"

namespace {

struct LayoutSymbols {
    int32_t statement_list, consider_statement_list, server_item_list, label_statement;
    int32_t record_literal, record_field_list, comparison_lens, unary_expression, parameter_default;

    static const LayoutSymbols& get() {
        static const LayoutSymbols symbols = {
            syntax_symbol_named("statement_list"),    syntax_symbol_named("consider_statement_list"),
            syntax_symbol_named("server_item_list"),  syntax_symbol_named("label_statement"),
            syntax_symbol_named("record_literal"),    syntax_symbol_named("record_field_list"),
            syntax_symbol_named("comparison_lens"),   syntax_symbol_named("unary_expression"),
            syntax_symbol_named("parameter_default")};
        return symbols;
    }

    bool is_body(int32_t symbol) const {
        return symbol == statement_list || symbol == consider_statement_list || symbol == server_item_list;
    }
};

// A token with what the layout needs to know of where it stands.
struct Leaf {
    uint32_t node;
    int32_t parent;  // the symbol of the node holding it
    int32_t depth;   // block bodies around it, the file's own not counted
    bool in_label;   // part of a `name:` line
    uint32_t owner;  // the innermost statement holding it, or kNoSyntaxNode
};

std::vector<Leaf> collect_leaves(const SyntaxTree& tree) {
    const LayoutSymbols& s = LayoutSymbols::get();
    std::vector<Leaf> leaves;
    leaves.reserve(tree.length / 4 + 16);
    struct Open {
        uint32_t node;
        int32_t depth;
        bool in_label;
        uint32_t owner;
    };
    std::vector<Open> path;
    int32_t depth = -1;  // the file's statement list makes it 0
    bool in_label = false;
    uint32_t owner = kNoSyntaxNode;
    uint32_t node = tree.root;
    while (node != kNoSyntaxNode) {
        const SyntaxNode& n = tree.nodes[node];
        int32_t parent = path.empty() ? -1 : tree.nodes[path.back().node].symbol;
        if (n.flags & SYNTAX_TOKEN) {
            // A line break standing alone in a body (a blank line) is no statement's.
            leaves.push_back({node, parent, std::max(depth, 0), in_label, s.is_body(parent) ? kNoSyntaxNode : owner});
        } else if (n.first_child != kNoSyntaxNode) {
            path.push_back({node, depth, in_label, owner});
            if (s.is_body(n.symbol)) ++depth;
            if (n.symbol == s.label_statement) in_label = true;
            if (s.is_body(parent)) owner = node;
            node = n.first_child;
            continue;
        }
        while (tree.nodes[node].next_sibling == kNoSyntaxNode && !path.empty()) {
            node = path.back().node;
            depth = path.back().depth;
            in_label = path.back().in_label;
            owner = path.back().owner;
            path.pop_back();
        }
        node = path.empty() ? kNoSyntaxNode : tree.nodes[node].next_sibling;
    }
    return leaves;
}

bool is_opening_bracket(TokenKind kind) {
    return kind == TOKEN_LPAREN || kind == TOKEN_LBRACKET || kind == TOKEN_LBRACE;
}

bool is_closing_bracket(TokenKind kind) {
    return kind == TOKEN_RPAREN || kind == TOKEN_RBRACKET || kind == TOKEN_RBRACE;
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The pieces of the trivia before a token: for each line it touches, the
// comment on it (if any), and how many line breaks it crosses.
struct TriviaLine {
    uint32_t comment_start;  // == comment_end when the line holds none
    uint32_t comment_end;    // trailing blanks (and a carriage return) left out
};

// Fills `lines` (kept by the caller, so its storage is reused).
void split_trivia(const char* text, uint32_t from, uint32_t to, std::vector<TriviaLine>* out) {
    std::vector<TriviaLine>& lines = *out;
    lines.assign(1, TriviaLine{from, from});
    for (uint32_t at = from; at < to; ++at) {
        if (text[at] == '\n') {
            lines.push_back({at + 1, at + 1});
        } else if (text[at] == '\'') {
            const char* feed = static_cast<const char*>(std::memchr(text + at, '\n', to - at));
            uint32_t end = feed ? static_cast<uint32_t>(feed - text) : to;
            uint32_t trimmed = end;
            while (trimmed > at && is_blank(text[trimmed - 1])) --trimmed;
            lines.back() = {at, trimmed};
            at = end - 1;
        }
    }
}

class LayoutWriter {
public:
    LayoutWriter(const SyntaxTree& tree, FormatOptions options)
        : tree_(tree), text_(tree.text), options_(options), s_(LayoutSymbols::get()) {
        const char* feed = static_cast<const char*>(std::memchr(text_, '\n', tree.length));
        eol_ = (feed != nullptr && feed > text_ && feed[-1] == '\r') ? "\r\n" : "\n";
    }

    std::vector<IdeTextEdit> run() {
        leaves_ = collect_leaves(tree_);
        uint32_t bom = (tree_.length >= 3 && std::memcmp(text_, "\xEF\xBB\xBF", 3) == 0) ? 3 : 0;
        kept_ = bom;
        for (size_t i = 0; i < leaves_.size(); ++i) write_leaf(i);
        return std::move(edits_);
    }

private:
    const SyntaxNode& node(size_t leaf) const { return tree_.nodes[leaves_[leaf].node]; }

    // ---- Output as edits of the original -----------------------------------

    // The original bytes [kept_, to) are replaced by `with`.
    void replace_to(uint32_t to, std::string_view with) {
        if (to < kept_) to = kept_;
        if (std::string_view(text_ + kept_, to - kept_) != with) {
            edits_.push_back({{kept_, to}, std::string(with)});
        }
        kept_ = to;
        if (!with.empty()) wrote_any_ = true;
        column_ = column_after(with);
    }

    // The original bytes [kept_, to) stay as they are.
    void keep_to(uint32_t to) {
        if (to <= kept_) return;
        std::string_view kept(text_ + kept_, to - kept_);
        kept_ = to;
        wrote_any_ = true;
        column_ = column_after(kept);
    }

    bool in_lower_case(TextRange range) const {
        for (uint32_t at = range.start; at < range.end; ++at) {
            if (text_[at] >= 'A' && text_[at] <= 'Z') return false;
        }
        return true;
    }

    // The lexer's column (bytes from the line's start, from 1) just after
    // `written` follows what is written so far.
    int32_t column_after(std::string_view written) const {
        size_t feed = written.rfind('\n');
        if (feed == std::string_view::npos) return column_ + static_cast<int32_t>(written.size());
        return static_cast<int32_t>(written.size() - feed);
    }

    std::string indent(int32_t depth) const {
        if (depth <= 0) return {};
        if (options_.use_tabs) return std::string(static_cast<size_t>(depth), '\t');
        return std::string(static_cast<size_t>(depth) * options_.indent_width, ' ');
    }

    // ---- One token and what stands before it --------------------------------

    void write_leaf(size_t i) {
        const SyntaxNode& n = node(i);
        uint32_t trivia = std::min(std::max(n.trivia_start, kept_), n.range.start);
        bool line_start = i == 0 || node(i - 1).token == TOKEN_NEWLINE;
        std::string gap;
        if (line_start) {
            if (!line_start_gap(i, trivia, &gap)) return;
        } else if (std::memchr(text_ + trivia, '\n', n.range.start - trivia) != nullptr) {
            gap = continuation_gap(i, trivia);
        } else if (n.token == TOKEN_NEWLINE || n.token == TOKEN_EOF) {
            gap = line_end_gap(i, trivia);
        } else if (verbatim_gap(i)) {
            gap.assign(text_ + trivia, n.range.start - trivia);
        } else {
            gap = spacing(i - 1, i, n.range.start > trivia);
        }
        keep_branch_reading(n.token, &gap);
        replace_to(n.range.start, gap);
        token_column_ = column_;
        write_token(i);
    }

    // The lexer tells a `consider`'s branch keywords from other `if`s and
    // `else`s by the column alone: the innermost open `consider`'s, which
    // may also be a `consider` written as a name (`a . consider`) that no
    // `end consider` closes. Laid out, each keeps the reading it had: a
    // branch keyword moves to that column, another steps aside from it.
    void keep_branch_reading(TokenKind kind, std::string* gap) const {
        bool branch = kind == TOKEN_CONSIDER_IF || kind == TOKEN_CONSIDER_ELSE;
        if (!branch && kind != TOKEN_IF && kind != TOKEN_ELSE) return;
        if (considers_ == 0 || considers_ > LEXER_STACK_LIMIT) return;
        int32_t wanted = consider_columns_[static_cast<size_t>(considers_ - 1)];
        int32_t column = column_after(*gap);
        if (!branch && column == wanted) *gap += ' ';
        size_t line_start = gap->rfind('\n');
        line_start = line_start == std::string::npos ? 0 : line_start + 1;
        bool alone = line_start > 0 || column_ == 1 || kept_ == 0;
        if (branch && column != wanted && alone && gap->find_first_not_of(" \t", line_start) == std::string::npos) {
            gap->resize(line_start);
            gap->append(static_cast<size_t>(wanted - 1), options_.use_tabs ? '\t' : ' ');
        }
    }

    void write_token(size_t i) {
        const SyntaxNode& n = node(i);
        TokenKind kind = n.token;
        if (kind == TOKEN_END_CONSIDER) {
            replace_to(n.range.end, "end consider");
        } else if (token_is_keyword(kind) && !in_lower_case(n.range)) {
            std::string word(text_ + n.range.start, n.range.length());
            for (char& c : word) c = ascii_lower(c);
            replace_to(n.range.end, word);
        } else {
            keep_to(n.range.end);
        }
        if (kind == TOKEN_CONSIDER) {
            if (considers_ < LEXER_STACK_LIMIT) consider_columns_[static_cast<size_t>(considers_)] = token_column_;
            ++considers_;
        } else if (kind == TOKEN_END_CONSIDER && considers_ > 0) {
            --considers_;
        }
        if (is_opening_bracket(kind)) brackets_.push_back(line_number_);
        if (is_closing_bracket(kind) && !brackets_.empty()) brackets_.pop_back();
        if (kind != TOKEN_NEWLINE) {
            line_number_ += static_cast<uint32_t>(std::count(text_ + n.range.start, text_ + n.range.end, '\n'));
        } else {
            ++line_number_;
        }
    }

    // A line break token, an end of input or a token opening a line; false
    // for a blank line, held back until what follows it decides.
    bool line_start_gap(size_t i, uint32_t trivia, std::string* out) {
        const SyntaxNode& n = node(i);
        std::vector<TriviaLine>& lines = trivia_lines_;
        split_trivia(text_, trivia, n.range.start, &lines);
        const TriviaLine& line = lines.back();
        bool comment = line.comment_end > line.comment_start;
        if (n.token == TOKEN_NEWLINE && !comment) {
            hold_blank_line(i, trivia);
            ++line_number_;
            return false;
        }
        if (n.token == TOKEN_EOF && !comment) {
            drop_held_lines();
            return true;
        }
        release_held_lines();
        int32_t depth = leaves_[i].depth;
        if (leaves_[i].in_label && n.token != TOKEN_NEWLINE) depth -= 1;
        line_depth_ = std::max(depth, 0);
        std::string gap = indent(depth);
        if (comment) {
            gap.append(text_ + line.comment_start, line.comment_end - line.comment_start);
            gap += n.token == TOKEN_EOF ? eol_ : line_end_before_feed();
        }
        *out = std::move(gap);
        return true;
    }

    // The rest of a line: its comment, if any, and the carriage return of
    // the text's style.
    std::string line_end_gap(size_t i, uint32_t trivia) {
        const SyntaxNode& n = node(i);
        std::vector<TriviaLine>& lines = trivia_lines_;
        split_trivia(text_, trivia, n.range.start, &lines);
        std::string gap;
        if (lines.back().comment_end > lines.back().comment_start) {
            gap = " ";
            gap.append(text_ + lines.back().comment_start, lines.back().comment_end - lines.back().comment_start);
        }
        gap += n.token == TOKEN_EOF ? (gap.empty() ? "" : eol_) : line_end_before_feed();
        return gap;
    }

    // Line breaks inside brackets: each line's comment kept, blank lines
    // cut to one, the token's line indented for the brackets still open.
    std::string continuation_gap(size_t i, uint32_t trivia) {
        const SyntaxNode& n = node(i);
        std::vector<TriviaLine>& lines = trivia_lines_;
        split_trivia(text_, trivia, n.range.start, &lines);
        int32_t depth = line_depth_ + open_bracket_lines(brackets_.size());
        std::string gap;
        if (lines.front().comment_end > lines.front().comment_start) {
            gap = " ";
            gap.append(text_ + lines.front().comment_start, lines.front().comment_end - lines.front().comment_start);
        }
        gap += eol_;
        ++line_number_;
        bool blank_before = false;
        for (size_t l = 1; l + 1 < lines.size(); ++l, ++line_number_) {
            const TriviaLine& line = lines[l];
            if (line.comment_end == line.comment_start) {
                if (!blank_before) gap += eol_;
                blank_before = true;
                continue;
            }
            blank_before = false;
            gap += indent(depth);
            gap.append(text_ + line.comment_start, line.comment_end - line.comment_start);
            gap += eol_;
        }
        if (is_closing_bracket(n.token) && !brackets_.empty()) {
            depth = line_depth_ + open_bracket_lines(brackets_.size() - 1);
        }
        gap += indent(depth);
        return gap;
    }

    // Distinct lines among the first `count` open brackets: brackets opened
    // on one line add one level together.
    int32_t open_bracket_lines(size_t count) const {
        int32_t levels = 0;
        for (size_t b = 0; b < count; ++b) {
            if (b == 0 || brackets_[b] != brackets_[b - 1]) ++levels;
        }
        return levels;
    }

    std::string_view line_end_before_feed() const { return eol_.size() == 2 ? "\r" : ""; }

    // ---- Blank lines -----------------------------------------------------------

    void hold_blank_line(size_t i, uint32_t trivia) {
        if (held_.empty()) held_depth_ = leaves_[i].depth;
        // Nothing is decided until a line with something on it comes: the
        // blank lines at the start and the end of the text go.
        held_.push_back({trivia, node(i).range.end});
    }

    void release_held_lines() {
        size_t keep = held_depth_ == 0 ? 2 : 1;
        if (!wrote_any_) keep = 0;
        std::string blank_line = std::string(line_end_before_feed()) + "\n";
        for (size_t h = 0; h < held_.size(); ++h) replace_to(held_[h].end, h < keep ? blank_line : "");
        held_.clear();
    }

    void drop_held_lines() {
        for (const TextRange& line : held_) replace_to(line.end, "");
        held_.clear();
    }

    // ---- Spacing between two tokens on one line --------------------------------

    // Lens text and what closes it stay exactly as written.
    bool verbatim_gap(size_t i) const {
        TokenKind kind = node(i).token;
        return kind == TOKEN_LENS_CONTENT || (kind == TOKEN_RBRACE && node(i - 1).token == TOKEN_LENS_CONTENT);
    }

    bool spaced_operator(size_t i) const {
        TokenKind kind = node(i).token;
        bool sign = kind == TOKEN_MINUS || kind == TOKEN_PLUS;
        if (sign && (leaves_[i].parent == s_.unary_expression || leaves_[i].parent == s_.parameter_default)) {
            return false;
        }
        return token_is_operator(kind);
    }

    std::string_view spacing(size_t before, size_t after, bool had_blanks) const {
        TokenKind left = node(before).token;
        TokenKind right = node(after).token;
        int32_t left_parent = leaves_[before].parent;
        int32_t right_parent = leaves_[after].parent;
        if (right == TOKEN_COMMA || right == TOKEN_COLON) return "";
        if (left == TOKEN_COMMA) return " ";
        if (left == TOKEN_LPAREN || left == TOKEN_LBRACKET || right == TOKEN_RPAREN || right == TOKEN_RBRACKET) {
            return "";
        }
        if ((left == TOKEN_LBRACE && left_parent == s_.record_literal) ||
            (right == TOKEN_RBRACE && right_parent == s_.record_literal)) {
            return "";
        }
        if (left == TOKEN_COLON && left_parent == s_.record_field_list) return " ";
        if (spaced_operator(before) || spaced_operator(after)) return " ";
        if (right_parent == s_.comparison_lens && (right == TOKEN_LBRACE || right == TOKEN_MODIFIER_PREFIX)) {
            return " ";
        }
        return had_blanks ? " " : "";
    }

    const SyntaxTree& tree_;
    const char* text_;
    FormatOptions options_;
    const LayoutSymbols& s_;
    std::string eol_;
    std::vector<Leaf> leaves_;
    std::vector<IdeTextEdit> edits_;
    uint32_t kept_ = 0;        // the original is accounted for up to here
    bool wrote_any_ = false;   // something but blank lines written
    int32_t line_depth_ = 0;   // indentation of the statement line being written
    uint32_t line_number_ = 0; // lines of output begun, for telling bracket lines apart
    std::vector<uint32_t> brackets_;  // per open bracket: the line it opened on
    std::vector<TextRange> held_;     // blank lines not yet written: trivia start, line end
    std::vector<TriviaLine> trivia_lines_;
    int32_t held_depth_ = 0;
    int32_t column_ = 1;        // the lexer's column where the output stands
    int32_t token_column_ = 1;  // and where the token being written starts
    int32_t considers_ = 0;     // `consider` words the lexer has seen open, as it counts them
    int32_t consider_columns_[LEXER_STACK_LIMIT] = {};
};

}  // namespace

std::vector<IdeTextEdit> format_layout_edits(const SyntaxTree& tree, FormatOptions options) {
    // A tree the recovery had to repair is of a text the front end rejects:
    // there is nothing to lay out.
    if (tree.errors > 0) return {};
    LayoutWriter writer(tree, options);
    return writer.run();
}

TextRange format_statement_lines(const SyntaxTree& tree, TextRange range) {
    const char* text = tree.text;
    auto line_start = [&](uint32_t at) {
        while (at > 0 && text[at - 1] != '\n') --at;
        return at;
    };
    auto line_end = [&](uint32_t at) {
        const char* feed = static_cast<const char*>(std::memchr(text + at, '\n', tree.length - at));
        return feed ? static_cast<uint32_t>(feed - text) + 1 : tree.length;
    };
    // A selection ending at a line's start does not take that line in.
    uint32_t last = range.end > range.start && range.end > 0 && text[range.end - 1] == '\n' ? range.end - 1 : range.end;
    TextRange lines{line_start(std::min(range.start, tree.length)), line_end(std::min(last, tree.length))};
    TextRange covered = lines;
    for (const Leaf& leaf : collect_leaves(tree)) {
        const SyntaxNode& n = tree.nodes[leaf.node];
        if (n.range.end <= lines.start || n.range.start >= lines.end || leaf.owner == kNoSyntaxNode) continue;
        TextRange statement = tree.nodes[leaf.owner].range;
        covered.start = std::min(covered.start, line_start(statement.start));
        covered.end = std::max(covered.end, line_end(statement.end > 0 ? statement.end - 1 : 0));
    }
    return covered;
}

std::string format_apply_edits(const char* text, uint32_t length, const std::vector<IdeTextEdit>& edits) {
    std::string out;
    out.reserve(length + length / 8);
    uint32_t at = 0;
    for (const IdeTextEdit& edit : edits) {
        out.append(text + at, edit.range.start - at);
        out += edit.new_text;
        at = edit.range.end;
    }
    out.append(text + at, length - at);
    return out;
}
