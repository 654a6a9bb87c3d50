// Builds the tree alongside the parse stack: one entry per stack entry,
// holding its node and the ERROR nodes that came after it (skipped tokens,
// given-up statements), which the next reduction over the entry takes in
// as children in text order.
#pragma once

#include <cstdint>
#include <vector>

#include "syntax/syntax_tree.h"
#include "syntax/token_source.h"

// A block whose header is on the stack and whose end has not come yet.
struct OpenBlock {
    size_t entry;       // stack entry of its first token
    TokenKind kind;     // that token: IF, FOR, FUNCTION, ... or IDENT for a server, site or route
    uint32_t indent;    // bytes before it on its line
    TextRange word;     // IDENT headers: the word an `end` line must repeat
};

// Bytes of blanks before `at` on its line, or UINT32_MAX when something
// else stands before it there.
uint32_t syntax_indent(const char* text, uint32_t at);

class SyntaxBuilder {
public:
    explicit SyntaxBuilder(SyntaxTree* tree);

    void push_base();
    void push_token(const Lexeme& token);
    void push_missing(TokenKind kind, int32_t symbol, uint32_t at);
    void reduce(int32_t lhs, size_t length);
    void skip_token(const Lexeme& token);             // into an ERROR node after the top entry
    // The top entries, and `token` when there is one, into one ERROR node.
    void abandon(size_t entries, const Lexeme* token);
    // How many entries at the top of the stack start at `offset` or later.
    size_t entries_from(uint32_t offset) const;
    // Lays the tree out: the root holds the entries left (an accepted text:
    // the program and the end of input); `end` is the end-of-input token
    // when the parse stopped before shifting it.
    void finish(const Lexeme* end);

    // Where the last token taken ends.
    uint32_t last_end() const { return last_end_; }

    // The top-level statement list when the stack holds nothing else and
    // nothing is pending (a checkpoint may be taken), else -1.
    int32_t list_at_rest() const;
    // Takes the parse up again with the stack holding only `list`.
    void resume(uint32_t list, uint32_t last_end);

    // The innermost `limit` blocks open on the stack, outermost first: a
    // line start looks at a bounded number, however deep the text nests.
    std::vector<OpenBlock> open_blocks(size_t limit) const;

private:
    struct Entry {
        int32_t node;          // -1 for the base entry
        int32_t extras_first;  // ERROR nodes after the node, linked by next
        int32_t extras_last;
    };

    int32_t new_node(int32_t symbol, uint32_t flags, TextRange range);
    int32_t new_leaf(const Lexeme& token, uint32_t flags);
    void append_child(int32_t parent, int32_t child);
    void append_entry(int32_t parent, const Entry& entry);
    void add_extra(Entry* entry, int32_t node);
    bool is_list(int32_t symbol) const;

    SyntaxTree* tree_;
    const std::vector<uint8_t>& lists_;  // per grammar symbol: a list
    std::vector<Entry> stack_;
    int32_t growing_error_ = -1;  // the ERROR node skipped tokens still join
    uint32_t last_end_ = 0;       // end of the last token taken
};
