// The outline read off the syntax tree: one walk over the nodes in text
// order collects the tokens (the tree's leaves), the statement lines, the
// comments in the trivia, and a block for every declaration and control
// statement the parse built, however the recovery had to close it.
#include "ide/outline.h"

#include <algorithm>
#include <cstring>

#include "syntax/syntax_tree.h"

namespace {

// The grammar symbols the outline reads, looked up by name once.
struct OutlineSymbols {
    int32_t program, library, function, modifier, server, server_item, label;
    int32_t if_statement, if_block_tail, if_inline_tail, for_end, statement_list;
    int32_t control[7];  // for, do, while, consider, watch, with, without

    static const OutlineSymbols& get() {
        static const OutlineSymbols symbols = {
            syntax_symbol_named("program_statement"), syntax_symbol_named("library_statement"),
            syntax_symbol_named("function_statement"), syntax_symbol_named("modifier_statement"),
            syntax_symbol_named("server_statement"), syntax_symbol_named("server_item"),
            syntax_symbol_named("label_statement"), syntax_symbol_named("if_statement"),
            syntax_symbol_named("if_block_tail"), syntax_symbol_named("if_inline_tail"),
            syntax_symbol_named("for_end"), syntax_symbol_named("statement_list"),
            {syntax_symbol_named("for_each_statement"), syntax_symbol_named("do_loop_statement"),
             syntax_symbol_named("while_statement"), syntax_symbol_named("consider_statement"),
             syntax_symbol_named("watch_statement"), syntax_symbol_named("with_lock_statement"),
             syntax_symbol_named("without_watchers_statement")}};
        return symbols;
    }

    bool is_control(int32_t symbol) const {
        return std::find(std::begin(control), std::end(control), symbol) != std::end(control);
    }
};

bool is_closer(TokenKind kind) {
    return kind == TOKEN_END || kind == TOKEN_END_CONSIDER || kind == TOKEN_NEXT || kind == TOKEN_UNTIL;
}

bool text_is(const Token& token, const char* word) {
    size_t length = std::strlen(word);
    return static_cast<size_t>(token.length) == length && std::memcmp(token.start, word, length) == 0;
}

// The tokens of a block's header line: from its first token to the first
// token of the next statement line.
struct Header {
    size_t first;
    size_t end;
};

// A block node on the walk's path, finished when the walk leaves it.
struct OpenNode {
    uint32_t node;
    int32_t block;          // index in Outline::blocks, or -1 when the node is no block after all
    size_t first_token;     // the token index its first leaf gets
    size_t first_line;      // index in Outline::line_first at entry
    int32_t closer_missing; // -1 no closing word seen, 0 a real one, 1 one the recovery inserted
};

class TreeWalk {
public:
    TreeWalk(Outline* outline, const SyntaxTree& tree)
        : o_(*outline), tree_(tree), s_(OutlineSymbols::get()),
          bom_(tree.length >= 3 && std::memcmp(tree.text, "\xEF\xBB\xBF", 3) == 0) {}

    void run() {
        o_.tokens.reserve(tree_.length / 5 + 16);
        std::vector<uint32_t> path;  // the nodes entered and not yet left
        uint32_t node = tree_.root;
        while (node != kNoSyntaxNode) {
            const SyntaxNode& n = tree_.nodes[node];
            if (n.flags & SYNTAX_TOKEN) {
                leaf(n, path.empty() ? kNoSyntaxNode : path.back());
            } else {
                enter(node);
                if (n.first_child != kNoSyntaxNode) {
                    path.push_back(node);
                    node = n.first_child;
                    continue;
                }
                leave(node);
            }
            // On to the next sibling, leaving every node that has none.
            while (tree_.nodes[node].next_sibling == kNoSyntaxNode && !path.empty()) {
                node = path.back();
                path.pop_back();
                leave(node);
            }
            node = path.empty() ? kNoSyntaxNode : tree_.nodes[node].next_sibling;
        }
    }

private:
    // ---- Leaves: tokens, lines and comments -------------------------------

    void leaf(const SyntaxNode& n, uint32_t parent) {
        read_trivia(n.trivia_start, n.range.start);
        if (n.flags & SYNTAX_MISSING) {
            // An inserted line break ends the statement line all the same.
            if (n.token == TOKEN_NEWLINE) line_open_ = false;
            note_closer(n, parent, 1);
            return;
        }
        advance_to(n.range.start);
        if (n.token == TOKEN_NEWLINE || n.token == TOKEN_EOF) {
            line_open_ = false;
        } else if (n.token != TOKEN_ERROR) {
            if (!line_open_) o_.line_first.push_back(o_.tokens.size());
            line_open_ = true;
            if (n.token == TOKEN_LENS_CONTENT) {
                lens_tokens(n.range);
            } else {
                o_.tokens.push_back(token_of(n));
            }
            note_closer(n, parent, 0);
        }
        advance_to(n.range.end);
    }

    // Lens text (`{scale(2)}`, `{within 0.5; tolerant}`) is read raw by the
    // parse; the features see the words and numbers in it as the lexer
    // scans them anywhere else.
    void lens_tokens(TextRange range) {
        Lexer lexer;
        lexer_init(&lexer, tree_.text, 1);
        lexer.cur = tree_.text + range.start;
        lexer.line = line_;
        lexer.column = column_of(range.start);
        const char* end = tree_.text + range.end;
        for (;;) {
            Token token = lexer_next_token(&lexer);
            // A token that reads past the lens text (a brace prefix taking
            // the lens's own `}`) is not one.
            if (token.kind == TOKEN_EOF || token.kind == TOKEN_NEWLINE || lexer.cur > end) break;
            if (token.kind != TOKEN_ERROR) o_.tokens.push_back(token);
        }
    }

    Token token_of(const SyntaxNode& n) const {
        const char* start = tree_.text + n.range.start;
        int32_t length = static_cast<int32_t>(n.range.end - n.range.start);
        if (n.token == TOKEN_MODIFIER_PREFIX) {
            // The name inside the braces, as the lexer gives it; the token stands at its `{`.
            const char* name = start + 1;
            const char* end = tree_.text + n.range.end - 1;
            while (name < end && (*name == ' ' || *name == '\t')) ++name;
            while (end > name && (end[-1] == ' ' || end[-1] == '\t')) --end;
            return Token{name, n.token, static_cast<int32_t>(end - name), line_, column_of(n.range.start)};
        }
        return Token{start, n.token, length, line_, column_of(n.range.start)};
    }

    // The lexer counts columns in bytes from 1, and from after a byte-order mark.
    int32_t column_of(uint32_t offset) const {
        int32_t column = static_cast<int32_t>(offset - line_start_) + 1;
        return line_ == 1 && bom_ ? column - 3 : column;
    }

    // Comments are the trivia from a `'` to the line's end.
    void read_trivia(uint32_t from, uint32_t to) {
        const char* text = tree_.text;
        for (uint32_t at = from; at < to; ++at) {
            if (text[at] != '\'') continue;
            const char* stop = static_cast<const char*>(std::memchr(text + at, '\n', to - at));
            uint32_t end = stop ? static_cast<uint32_t>(stop - text) : to;
            advance_to(at);
            o_.comments.push_back({at, line_, column_of(at), static_cast<int32_t>(end - at)});
            at = end;
        }
    }

    void advance_to(uint32_t offset) {
        const char* text = tree_.text;
        while (position_ < offset) {
            const char* feed = static_cast<const char*>(std::memchr(text + position_, '\n', offset - position_));
            if (feed == nullptr) break;
            ++line_;
            line_start_ = static_cast<uint32_t>(feed - text) + 1;
            position_ = line_start_;
        }
        position_ = offset;
    }

    // The word closing a block counts when it stands in the block's own
    // node or in one of the tails that carry it (`end if`, `next i`).
    void note_closer(const SyntaxNode& n, uint32_t parent, int32_t missing) {
        if (!is_closer(n.token) || open_.empty() || parent == kNoSyntaxNode) return;
        OpenNode& block = open_.back();
        int32_t symbol = tree_.nodes[parent].symbol;
        if (parent == block.node || symbol == s_.if_block_tail || symbol == s_.if_inline_tail || symbol == s_.for_end) {
            block.closer_missing = missing;
        }
    }

    // ---- Blocks -------------------------------------------------------------

    void enter(uint32_t node) {
        const SyntaxNode& n = tree_.nodes[node];
        int32_t symbol = n.symbol;
        if (symbol == s_.label) {
            label_nodes_.push_back(o_.tokens.size());
            return;
        }
        bool block = symbol == s_.program || symbol == s_.library || symbol == s_.function || symbol == s_.modifier ||
                     symbol == s_.server || s_.is_control(symbol) ||
                     (symbol == s_.server_item && is_block_item(n)) ||
                     (symbol == s_.if_statement && is_block_if(n));
        if (!block || (n.flags & SYNTAX_ERROR)) return;
        // The block takes its place now: blocks come in the order they open.
        OutlineBlock placeholder{};
        placeholder.kind = BLOCK_CONTROL;
        placeholder.parent = open_.empty() ? -1 : open_.back().block;
        o_.blocks.push_back(placeholder);
        open_.push_back({node, static_cast<int32_t>(o_.blocks.size() - 1), o_.tokens.size(), o_.line_first.size(), -1});
    }

    // Routes, sites and hooks hold blocks; a directive (`root "public"`) does not.
    bool is_block_item(const SyntaxNode& n) const {
        uint32_t first = n.first_child;
        if (first == kNoSyntaxNode) return false;
        if (tree_.nodes[first].token == TOKEN_ON) return true;
        uint32_t second = tree_.nodes[first].next_sibling;
        uint32_t third = second == kNoSyntaxNode ? kNoSyntaxNode : tree_.nodes[second].next_sibling;
        return third != kNoSyntaxNode && tree_.nodes[third].token == TOKEN_LPAREN;
    }

    // An `if` holds a block when it or one of its `else` tails holds a
    // statement list; a one-line `if` (with one-line `else`s) does not.
    bool is_block_if(const SyntaxNode& n) const {
        const SyntaxNode* part = &n;
        while (part != nullptr) {
            const SyntaxNode* tail = nullptr;
            for (uint32_t child = part->first_child; child != kNoSyntaxNode; child = tree_.nodes[child].next_sibling) {
                const SyntaxNode& c = tree_.nodes[child];
                if (c.symbol == s_.statement_list && !(c.flags & SYNTAX_TOKEN)) return true;
                if (c.symbol == s_.if_block_tail || c.symbol == s_.if_inline_tail) tail = &c;
            }
            part = tail;
        }
        return false;
    }

    void leave(uint32_t node) {
        if (tree_.nodes[node].symbol == s_.label && !label_nodes_.empty()) {
            finish_label();
            return;
        }
        if (open_.empty() || open_.back().node != node) return;
        OpenNode entry = open_.back();
        open_.pop_back();
        if (!finish_block(entry)) {
            if (dead_.empty()) dead_.assign(o_.blocks.size(), false);
            dead_.resize(o_.blocks.size(), false);
            dead_[static_cast<size_t>(entry.block)] = true;
        }
    }

    void finish_label() {
        size_t token = label_nodes_.back();
        label_nodes_.pop_back();
        if (token >= o_.tokens.size() || o_.tokens[token].kind != TOKEN_IDENT) return;
        o_.labels.push_back(token);
        o_.label_blocks.push_back(open_.empty() ? -1 : open_.back().block);
    }

public:
    // A block the recovery left without its header's words is no block;
    // what it holds moves up to its parent. Parents come before their
    // children, so one pass renumbers them all.
    void drop_dead_blocks() {
        if (dead_.empty()) return;
        dead_.resize(o_.blocks.size(), false);
        std::vector<int32_t> renumbered(o_.blocks.size(), -1);
        size_t kept = 0;
        for (size_t i = 0; i < o_.blocks.size(); ++i) {
            int32_t parent = o_.blocks[i].parent;
            int32_t live_parent = parent < 0 ? -1 : renumbered[static_cast<size_t>(parent)];
            if (dead_[i]) {
                renumbered[i] = live_parent;
                continue;
            }
            renumbered[i] = static_cast<int32_t>(kept);
            o_.blocks[i].parent = live_parent;
            if (kept != i) o_.blocks[kept] = std::move(o_.blocks[i]);
            ++kept;
        }
        o_.blocks.resize(kept);
        for (int32_t& b : o_.label_blocks) b = b < 0 ? -1 : renumbered[static_cast<size_t>(b)];
    }

private:
    bool finish_block(const OpenNode& entry) {
        size_t first = entry.first_token;
        if (first >= o_.tokens.size()) return false;
        size_t last = o_.tokens.size() - 1;
        auto next_line = std::upper_bound(o_.line_first.begin() + static_cast<std::ptrdiff_t>(entry.first_line),
                                          o_.line_first.end(), first);
        Header header{first, next_line == o_.line_first.end() ? last + 1 : std::min(*next_line, last + 1)};
        OutlineBlock& block = o_.blocks[static_cast<size_t>(entry.block)];
        if (!describe(tree_.nodes[entry.node].symbol, header, &block)) return false;
        const Token& opener = o_.tokens[first];
        const Token& end = o_.tokens[last];
        block.opener = first;
        block.start_line = opener.line;
        block.start_column = opener.column;
        block.end_line = end.line;
        block.end_column = end.column + end.length;
        block.closed = entry.closer_missing == 0;
        block.range = {offset_of(opener), offset_of(end) + static_cast<uint32_t>(end.length)};
        return true;
    }

    // Kind, name and parameters from the header's tokens.
    bool describe(int32_t symbol, Header h, OutlineBlock* block) const {
        if (symbol == s_.program) return named(block, BLOCK_PROGRAM, h, h.first + 1, true);
        if (symbol == s_.library) return named(block, BLOCK_LIBRARY, h, h.first + 1, false);
        if (symbol == s_.function) return named(block, BLOCK_FUNCTION, h, h.first + 1, true);
        if (symbol == s_.modifier) return modifier(block, h, h.first + (kind_at(h, 0, TOKEN_EXPORT) ? 2 : 1));
        if (symbol == s_.server) return declarative(block, h, BLOCK_SERVER);
        if (symbol == s_.server_item) return server_item(block, h);
        block->kind = BLOCK_CONTROL;
        block->name_token = block->name_last = h.first;
        block->name = token_text(o_.tokens[h.first]);
        return true;
    }

    bool named(OutlineBlock* block, OutlineBlockKind kind, Header h, size_t name, bool parameters) const {
        if (name >= h.end) return false;
        TokenKind k = o_.tokens[name].kind;
        if (k != TOKEN_IDENT && k != TOKEN_QUALIFIED_IDENT) return false;
        block->kind = kind;
        block->name_token = block->name_last = name;
        block->name = token_text(o_.tokens[name]);
        block->detail = parameters ? parameter_text(h, name) : "";
        return true;
    }

    // `modifier roughly equal to(tolerance) for number`: the words are the
    // name, the parentheses its parameters.
    bool modifier(OutlineBlock* block, Header h, size_t name) const {
        size_t end = name;
        while (end < h.end && o_.tokens[end].kind != TOKEN_FOR && o_.tokens[end].kind != TOKEN_LPAREN) ++end;
        if (end == name) return false;
        block->kind = BLOCK_MODIFIER;
        block->name_token = name;
        block->name_last = end - 1;
        block->name = raw_text(name, end - 1);
        block->detail = parameter_text(h, end);
        return true;
    }

    // `server name(...)`, or `web name(...)` inside a server.
    bool declarative(OutlineBlock* block, Header h, OutlineBlockKind kind) const {
        if (!kind_at(h, 1, TOKEN_IDENT)) return false;
        block->kind = kind;
        block->name_token = block->name_last = h.first + 1;
        block->name = token_text(o_.tokens[h.first + 1]);
        block->detail = token_text(o_.tokens[h.first]);
        return true;
    }

    bool server_item(OutlineBlock* block, Header h) const {
        if (kind_at(h, 0, TOKEN_ON)) {
            if (!kind_at(h, 1, TOKEN_IDENT)) return false;
            block->kind = BLOCK_HOOK;
            block->name_token = block->name_last = h.first + 1;
            block->name = token_text(o_.tokens[h.first + 1]);
            return true;
        }
        if (kind_at(h, 1, TOKEN_IDENT)) {
            return declarative(block, h, text_is(o_.tokens[h.first], "web") ? BLOCK_SITE : BLOCK_SERVER);
        }
        // `get "/path" (req)`; a directive (`root "public"`) holds no block.
        if (!kind_at(h, 1, TOKEN_STRING) || !kind_at(h, 2, TOKEN_LPAREN)) return false;
        const Token& path = o_.tokens[h.first + 1];
        block->kind = BLOCK_ROUTE;
        block->name_token = h.first;
        block->name_last = h.first + 1;
        block->name = token_text(o_.tokens[h.first]) + " " +
                      std::string(path.start + 1, static_cast<size_t>(path.length > 1 ? path.length - 2 : 0));
        block->detail = parameter_text(h, h.first + 2);
        return true;
    }

    bool kind_at(Header h, size_t offset, TokenKind kind) const {
        return h.first + offset < h.end && o_.tokens[h.first + offset].kind == kind;
    }

    // "(a, b = 1)" as written: from the header's first `(` at or after
    // `from` to its matching `)` (or the header's end when unbalanced);
    // empty without one.
    std::string parameter_text(Header h, size_t from) const {
        size_t open = from;
        while (open < h.end && o_.tokens[open].kind != TOKEN_LPAREN) ++open;
        if (open >= h.end) return "";
        int depth = 0;
        size_t close = open;
        for (; close < h.end; ++close) {
            TokenKind kind = o_.tokens[close].kind;
            depth += kind == TOKEN_LPAREN || kind == TOKEN_LBRACKET || kind == TOKEN_LBRACE;
            depth -= kind == TOKEN_RPAREN || kind == TOKEN_RBRACKET || kind == TOKEN_RBRACE;
            if (depth == 0) break;
        }
        return raw_text(open, close < h.end ? close : h.end - 1);
    }

    // The text from the start of token `from` to the end of token `to`.
    std::string raw_text(size_t from, size_t to) const {
        const Token& last = o_.tokens[to];
        return std::string(o_.tokens[from].start, static_cast<size_t>(last.start + last.length - o_.tokens[from].start));
    }

    uint32_t offset_of(const Token& token) const { return outline_token_offset(o_, token); }

    Outline& o_;
    const SyntaxTree& tree_;
    const OutlineSymbols& s_;
    bool bom_;
    uint32_t position_ = 0;   // how far lines are counted
    int32_t line_ = 1;
    uint32_t line_start_ = 0;
    bool line_open_ = false;  // a statement line has begun and not yet ended
    std::vector<OpenNode> open_;
    std::vector<size_t> label_nodes_;  // per open label statement: its first token
    std::vector<bool> dead_;           // per block: dropped (empty while none is)
};

}  // namespace

void outline_build(Outline* o, const char* text) {
    SyntaxTree tree;
    syntax_parse(&tree, text, static_cast<uint32_t>(std::strlen(text)));
    outline_build_from_tree(o, tree);
}

void outline_build_from_tree(Outline* o, const SyntaxTree& tree) {
    *o = Outline{};
    o->text = tree.text;
    TreeWalk walk(o, tree);
    walk.run();
    walk.drop_dead_blocks();
}

int32_t outline_find_function(const Outline& o, const std::string& name) {
    for (size_t i = 0; i < o.blocks.size(); ++i) {
        if (o.blocks[i].kind == BLOCK_FUNCTION && o.blocks[i].name == name) return static_cast<int32_t>(i);
    }
    return -1;
}

size_t outline_find_label(const Outline& o, const std::string& name) {
    for (size_t token : o.labels) {
        if (token_text(o.tokens[token]) == name) return token;
    }
    return static_cast<size_t>(-1);
}

int32_t outline_block_at(const Outline& o, uint32_t offset) {
    int32_t found = -1;
    for (size_t i = 0; i < o.blocks.size(); ++i) {
        const TextRange& range = o.blocks[i].range;
        if (range.start <= offset && offset <= range.end) {
            found = static_cast<int32_t>(i);  // blocks are in opening order: later ones are inner
        }
    }
    return found;
}
