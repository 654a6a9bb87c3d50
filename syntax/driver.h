// The tolerant parse's driver: the grammar's tables run the way the
// generated parser runs them, a layout-reading mode that repairs what the
// text leaves open, and checkpoints between top-level statements for
// reparsing an edited text. Its parts: driver.cpp (the parse loop, tokens,
// reductions, checkpoints), driver_layout.cpp (what the layout shows was
// left open), driver_recovery.cpp (repairs where the text does not parse).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "syntax/lr_automaton.h"
#include "syntax/syntax_build.h"
#include "syntax/syntax_tree.h"
#include "syntax/token_source.h"

inline constexpr size_t kRepairLookahead = 3;  // tokens a repair must let through
inline constexpr size_t kMaxPop = 64;          // stack entries a statement may give up
inline constexpr int kMaxEndInsertions = 3;    // tokens inserted per block closed at the end
inline constexpr size_t kMaxOpenBlocks = 64;   // open blocks a line start may close

// What an earlier tree offers a new parse: where to take up again, and from
// which offset on the text is the same as before (shifted by the edit).
struct SyntaxReuse {
    const SyntaxTree* before;
    int32_t resume_at;   // index of the checkpoint to start from, or -1
    int32_t list;        // the top-level list node the kept head ends with
    uint32_t same_from;  // the new text equals the old one from here to the end
    int64_t shift;       // new offset minus old offset after the edit
    // Only the parts without any repair: a layout-reading tree offering
    // them to a plain parse (where it repaired nothing it parsed plainly).
    bool clean_only;
};

class SyntaxDriver {
public:
    // With `by_layout`, lines that show a block was left open close it
    // (see close_open_blocks): only for a text known to hold mistakes, so
    // that a text the front end accepts is parsed exactly as it does.
    SyntaxDriver(SyntaxTree* tree, const char* text, SyntaxOptions options, bool by_layout)
        : a_(lr_automaton()), tree_(tree), text_(text), builder_(tree), source_(text, by_layout), options_(options),
          by_layout_(by_layout) {}

    // Parses from the start, or from where `reuse` lets it take up again.
    void run(const SyntaxReuse* reuse = nullptr);
    // Whether the plain parse met a mistake (and left the tree unfinished).
    bool refused() const { return refused_; }

private:
    // The parse loop's steps (driver.cpp).
    void read();
    void shift(int32_t state);
    void shift_missing(TokenKind kind, int32_t state);
    void reduce(int32_t rule);
    void insert(TokenKind kind);

    // Checkpoints, and taking over the unchanged parts of an earlier tree (driver.cpp).
    bool at_checkpoint();
    uint32_t horizon_here() const;
    void resume(const SyntaxCheckpoint& at);
    bool take_tail(uint32_t list, uint32_t offset);

    // Brackets, blocks and strings the layout shows left open (driver_layout.cpp).
    void try_cutting_string();
    bool lines_go_on();
    static bool only_starts_statement(TokenKind kind);
    std::vector<TokenKind> closing_line_of_brackets() const;
    std::vector<int32_t> closing_brackets() const { return symbols_of(closing_line_of_brackets()); }
    bool close_open_brackets();
    bool starts_declaration();
    bool same_word(TextRange a, const Token& b) const;
    bool closes(const OpenBlock& block);
    static std::vector<TokenKind> closing_line(const OpenBlock& block);
    bool close_open_blocks();
    bool skip_misnamed_end();
    bool takes_lookahead_after(const std::vector<int32_t>& symbols);
    bool closes_block(const std::vector<TokenKind>& line, size_t entry);

    // Repairs where the text does not parse (driver_recovery.cpp).
    bool recover();
    bool goes_on(size_t depth, const int32_t* first, size_t first_count, size_t skip_lookahead);
    bool goes_on_by_lines(const std::vector<int32_t>& first, std::vector<int32_t> at_break, size_t tokens, int lines);
    bool takes_lookahead_at(size_t depth);
    bool give_up(size_t entries, bool with_lookahead);
    bool close_at_end();
    bool closing_line_at_end(std::vector<TokenKind>* repair);
    bool find_closing(std::vector<TokenKind>* repair);
    bool closes_at_end(const std::vector<int32_t>& sequence, size_t depth);

    const LrAutomaton& a_;
    SyntaxTree* tree_;
    const char* text_;
    SyntaxBuilder builder_;
    TokenSource source_;
    SyntaxOptions options_;
    bool by_layout_;
    bool line_start_pending_ = false;  // the look-ahead begins a line, not yet looked at as such
    bool refused_ = false;
    const SyntaxReuse* reuse_ = nullptr;
    uint32_t statement_start_ = 0;  // where the statement being parsed began: after the last line break
    std::vector<int32_t> states_;
    Lexeme lookahead_{};
    bool has_lookahead_ = false;
};
