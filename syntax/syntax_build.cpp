#include "syntax/syntax_build.h"

#include <algorithm>
#include <cstring>

#include "parser/grammar_tables.h"

namespace {

constexpr int32_t kErrorSymbol = 1;  // the grammar's "error" symbol

size_t index(int32_t node) { return static_cast<size_t>(node); }

}  // namespace

int32_t SyntaxBuilder::new_node(int32_t symbol, uint32_t flags, TextRange range) {
    tree_->nodes.push_back(
        SyntaxNode{symbol, flags, range, range.start, TOKEN_EOF, kNoSyntaxNode, kNoSyntaxNode, kNoSyntaxNode});
    if (flags & (SYNTAX_ERROR | SYNTAX_MISSING | SYNTAX_CUT)) ++tree_->errors;
    return static_cast<int32_t>(tree_->nodes.size() - 1);
}

int32_t SyntaxBuilder::new_leaf(const Lexeme& token, uint32_t flags) {
    int32_t node = new_node(token.symbol, SYNTAX_TOKEN | flags | (token.cut ? SYNTAX_CUT : 0u), {token.start, token.end});
    tree_->nodes[index(node)].trivia_start = token.trivia_start;
    tree_->nodes[index(node)].token = token.token.kind;
    last_end_ = token.end;
    return node;
}

void SyntaxBuilder::append_child(int32_t parent, int32_t child) {
    SyntaxNode& p = tree_->nodes[index(parent)];
    const SyntaxNode& c = tree_->nodes[index(child)];
    if (p.last_child == kNoSyntaxNode) {
        p.first_child = static_cast<uint32_t>(child);
        p.range.start = c.range.start;
    } else {
        tree_->nodes[p.last_child].next_sibling = static_cast<uint32_t>(child);
    }
    p.last_child = static_cast<uint32_t>(child);
    p.range.end = c.range.end;
}

void SyntaxBuilder::append_entry(int32_t parent, const Entry& entry) {
    if (entry.node >= 0) append_child(parent, entry.node);
    for (int32_t extra = entry.extras_first; extra >= 0;) {
        uint32_t next = tree_->nodes[index(extra)].next_sibling;
        tree_->nodes[index(extra)].next_sibling = kNoSyntaxNode;
        append_child(parent, extra);
        extra = next == kNoSyntaxNode ? -1 : static_cast<int32_t>(next);
    }
}

void SyntaxBuilder::add_extra(Entry* entry, int32_t node) {
    if (entry->extras_last < 0) {
        entry->extras_first = node;
    } else {
        tree_->nodes[index(entry->extras_last)].next_sibling = static_cast<uint32_t>(node);
    }
    entry->extras_last = node;
}

// Lists grow by left recursion, one reduction per element; their nodes
// take each new element instead of nesting one node per element.
const std::vector<uint8_t>& list_symbols() {
    static const std::vector<uint8_t> lists = [] {
        const GrammarTables& t = grammar_tables();
        std::vector<uint8_t> result(t.symbol_names.size(), 0);
        for (size_t i = 0; i < result.size(); ++i) {
            const char* name = t.symbol_names[i];
            size_t length = std::strlen(name);
            result[i] = (length > 5 && std::strcmp(name + length - 5, "_list") == 0) ||
                        std::strcmp(name, "optional_newlines") == 0;
        }
        return result;
    }();
    return lists;
}

SyntaxBuilder::SyntaxBuilder(SyntaxTree* tree) : tree_(tree), lists_(list_symbols()) {}

bool SyntaxBuilder::is_list(int32_t symbol) const {
    return symbol >= 0 && static_cast<size_t>(symbol) < lists_.size() && lists_[static_cast<size_t>(symbol)];
}

void SyntaxBuilder::push_base() {
    // Real text makes about two nodes per four bytes: few reallocations.
    tree_->nodes.reserve(tree_->length / 2 + 16);
    stack_.reserve(256);
    stack_.push_back({-1, -1, -1});
}

void SyntaxBuilder::push_token(const Lexeme& token) {
    stack_.push_back({new_leaf(token, 0), -1, -1});
    growing_error_ = -1;
}

void SyntaxBuilder::push_missing(TokenKind kind, int32_t symbol, uint32_t at) {
    int32_t node = new_node(symbol, SYNTAX_TOKEN | SYNTAX_MISSING, {at, at});
    tree_->nodes[index(node)].token = kind;
    stack_.push_back({node, -1, -1});
    growing_error_ = -1;
}

void SyntaxBuilder::reduce(int32_t lhs, size_t length) {
    growing_error_ = -1;
    size_t first = stack_.size() - length;
    Entry* popped = stack_.data() + first;
    Entry result{-1, -1, -1};
    if (length == 1 && popped[0].node >= 0 && !(tree_->nodes[index(popped[0].node)].flags & SYNTAX_TOKEN) &&
        popped[0].extras_first < 0) {
        // A unit rule over a node: the chain folds into that node, which
        // stays on the stack as it is.
        return;
    }
    if (length == 0 && !is_list(lhs)) {
        // An empty optional part (no suffix, no parameters) holds no byte: no node.
    } else if (length >= 1 && popped[0].node >= 0 && tree_->nodes[index(popped[0].node)].symbol == lhs &&
               !(tree_->nodes[index(popped[0].node)].flags & (SYNTAX_TOKEN | SYNTAX_ERROR)) && is_list(lhs)) {
        // A list growing by one more element: one node for the whole list.
        result.node = popped[0].node;
        Entry rest = popped[0];
        rest.node = -1;
        append_entry(result.node, rest);
        for (size_t i = 1; i < length; ++i) append_entry(result.node, popped[i]);
    } else {
        result.node = new_node(lhs, 0, {last_end_, last_end_});
        for (size_t i = 0; i < length; ++i) append_entry(result.node, popped[i]);
    }
    if (length == 0) {
        stack_.push_back(result);
    } else {
        stack_[first] = result;
        stack_.erase(stack_.begin() + static_cast<std::ptrdiff_t>(first) + 1, stack_.end());
    }
}

void SyntaxBuilder::skip_token(const Lexeme& token) {
    int32_t leaf = new_leaf(token, 0);
    if (growing_error_ < 0) {
        growing_error_ = new_node(kErrorSymbol, SYNTAX_ERROR, {token.start, token.start});
        add_extra(&stack_.back(), growing_error_);
    }
    append_child(growing_error_, leaf);
}

void SyntaxBuilder::abandon(size_t entries, const Lexeme* token) {
    size_t first = stack_.size() - entries;
    int32_t error = new_node(kErrorSymbol, SYNTAX_ERROR, {last_end_, last_end_});
    for (size_t i = first; i < stack_.size(); ++i) append_entry(error, stack_[i]);
    if (token != nullptr) append_child(error, new_leaf(*token, 0));
    stack_.resize(first);
    add_extra(&stack_.back(), error);
    growing_error_ = -1;
}

size_t SyntaxBuilder::entries_from(uint32_t offset) const {
    size_t count = 0;
    for (size_t i = stack_.size(); i-- > 1;) {
        int32_t node = stack_[i].node;
        if (node >= 0 && tree_->nodes[index(node)].range.start < offset) break;
        ++count;
    }
    return count;
}

int32_t SyntaxBuilder::list_at_rest() const {
    if (stack_.size() != 2 || growing_error_ >= 0 || stack_[0].extras_first >= 0 || stack_[1].extras_first >= 0) {
        return -1;
    }
    int32_t node = stack_[1].node;
    if (node < 0 || (tree_->nodes[index(node)].flags & SYNTAX_TOKEN) || !is_list(tree_->nodes[index(node)].symbol)) {
        return -1;
    }
    return node;
}

void SyntaxBuilder::resume(uint32_t list, uint32_t last_end) {
    stack_.clear();
    stack_.push_back({-1, -1, -1});
    stack_.push_back({static_cast<int32_t>(list), -1, -1});
    growing_error_ = -1;
    last_end_ = last_end;
}

void SyntaxBuilder::finish(const Lexeme* end) {
    const GrammarTables& t = grammar_tables();
    int32_t root = new_node(t.tokens, 0, {0, 0});  // "$accept"
    bool accepted = end == nullptr;
    int32_t holder = root;
    if (!accepted) {
        // What was left open stays in the tree, under one ERROR node.
        holder = new_node(kErrorSymbol, SYNTAX_ERROR, {last_end_, last_end_});
    }
    append_entry(root, stack_[0]);
    for (size_t i = 1; i < stack_.size(); ++i) append_entry(holder, stack_[i]);
    if (!accepted) {
        if (tree_->nodes[index(holder)].first_child != kNoSyntaxNode) {
            append_child(root, holder);
        } else {
            --tree_->errors;  // nothing was left open after all
        }
        append_child(root, new_leaf(*end, 0));
    }
    tree_->nodes[index(root)].range = {0, tree_->length};
    tree_->root = static_cast<uint32_t>(root);
}

namespace {

bool opens_block(TokenKind kind) {
    switch (kind) {
    case TOKEN_IF: case TOKEN_FOR: case TOKEN_DO: case TOKEN_WHILE: case TOKEN_CONSIDER: case TOKEN_FUNCTION:
    case TOKEN_MODIFIER: case TOKEN_EXPORT: case TOKEN_PROGRAM: case TOKEN_LIBRARY: case TOKEN_WATCH:
    case TOKEN_WITH: case TOKEN_WITHOUT: case TOKEN_ON: case TOKEN_IDENT:
        return true;
    default:
        return false;
    }
}

}  // namespace

uint32_t syntax_indent(const char* text, uint32_t at) {
    uint32_t start = at;
    while (start > 0 && (text[start - 1] == ' ' || text[start - 1] == '\t')) --start;
    if (start > 0 && text[start - 1] != '\n') return UINT32_MAX;  // not the line's first token
    return at - start;
}

std::vector<OpenBlock> SyntaxBuilder::open_blocks(size_t limit) const {
    // Stack entries looked at: a block's header takes a few, so the
    // innermost blocks are near the top unless a bracket nests very deep.
    constexpr size_t kMaxEntries = 1024;
    std::vector<OpenBlock> blocks;
    size_t lowest = stack_.size() > kMaxEntries ? stack_.size() - kMaxEntries : 1;
    for (size_t i = stack_.size(); i-- > lowest && blocks.size() < limit;) {
        if (stack_[i].node < 0) continue;
        const SyntaxNode& node = tree_->nodes[index(stack_[i].node)];
        if (!(node.flags & SYNTAX_TOKEN) || (node.flags & SYNTAX_MISSING) || !opens_block(node.token)) continue;
        uint32_t indent = syntax_indent(tree_->text, node.range.start);
        if (indent == UINT32_MAX) continue;
        OpenBlock block{i, node.token, indent, {}};
        if (node.token == TOKEN_IDENT) {
            // A server or site (`server name(`) or a route (`get "/p" (`):
            // a word, then a name or a path on the same stack.
            if (i + 1 >= stack_.size() || stack_[i + 1].node < 0) continue;
            TokenKind next = tree_->nodes[index(stack_[i + 1].node)].token;
            if (next != TOKEN_IDENT && next != TOKEN_STRING) continue;
            block.word = node.range;
        }
        if (node.token == TOKEN_ON && (i + 1 >= stack_.size() || stack_[i + 1].node < 0 ||
                                       tree_->nodes[index(stack_[i + 1].node)].token != TOKEN_IDENT)) {
            continue;
        }
        blocks.push_back(block);
    }
    std::reverse(blocks.begin(), blocks.end());
    return blocks;
}
