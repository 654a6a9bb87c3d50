// The tolerant parse: the grammar's LALR(1) tables driven the way the
// generated parser drives them (same default reductions, same moment for
// reading the look-ahead and for asking the lexer for raw lens text), so
// that on a text the front end accepts it makes exactly the front end's
// reductions. That plain parse stops at the first mistake; the text is then
// parsed again by a driver that reads the layout as well and repairs:
//   - lines that show a block, a bracket or a string was left open close
//     it where the user meant (close_open_blocks, close_open_brackets,
//     try_cutting_string), and an `end` naming no open block is skipped;
//   1. insert one closing token (`)`, `]`, `}`, `then`, a line break) when
//      the parse then takes the next few tokens;
//   2. otherwise skip the token into an ERROR node, up to the line's end;
//   3. at a line break still refused, give up the broken statement: its
//      own line where the list around it goes on, else pop to the nearest
//      state that takes the next line, the popped nodes going into an
//      ERROR node;
//   4. at the end of the text, insert closing tokens as long as that closes
//      blocks, and keep whatever is left open under the root.
// Every step takes a token or closes something, so the parse is linear and
// always ends; nothing recurses.
#include <algorithm>
#include <cstring>

#include "parser/grammar_tables.h"
#include "syntax/syntax_build.h"
#include "syntax/syntax_tree.h"
#include "syntax/token_source.h"
#include "syntax/tree_reuse.h"

namespace {

constexpr size_t kRepairLookahead = 3;  // tokens a repair must let through
constexpr size_t kMaxPop = 64;          // stack entries a statement may give up
constexpr int kMaxEndInsertions = 3;    // tokens inserted per block closed at the end

// What an earlier tree offers a new parse: where to take up again, and from
// which offset on the text is the same as before (shifted by the edit).
struct Reuse {
    const SyntaxTree* before;
    int32_t resume_at;   // index of the checkpoint to start from, or -1
    int32_t list;        // the top-level list node the kept head ends with
    uint32_t same_from;  // the new text equals the old one from here to the end
    int64_t shift;       // new offset minus old offset after the edit
};

// The tables as raw arrays, read once per parse: every token and reduction
// consults them.
struct Automaton {
    const int32_t* pact;
    const int32_t* defact;
    const int32_t* pgoto;
    const int32_t* defgoto;
    const int32_t* table;
    const int32_t* check;
    const int32_t* r1;
    const int32_t* r2;
    int32_t last, tokens, pact_ninf, table_ninf, final_state, lens_rule;

    static Automaton of(const GrammarTables& t) {
        return {t.pact.data(), t.defact.data(), t.pgoto.data(), t.defgoto.data(), t.table.data(), t.check.data(),
                t.r1.data(),   t.r2.data(),     t.last,         t.tokens,         t.pact_ninf,  t.table_ninf,
                t.final_state, t.lens_rule};
    }

    // What the automaton does in `state` on `symbol`: > 0 shift to that
    // state, < 0 reduce by that rule, 0 error.
    int32_t action(int32_t state, int32_t symbol) const {
        int32_t n = pact[state];
        if (n != pact_ninf) {
            n += symbol;
            if (n >= 0 && n <= last && check[n] == symbol) {
                int32_t value = table[n];
                if (value > 0) return value;
                if (value == table_ninf) return 0;
                return value;  // reduce by -value
            }
        }
        return -defact[state];  // 0: error
    }

    // Whether the state decides without a look-ahead (the generated parser
    // then reduces without reading one).
    bool needs_lookahead(int32_t state) const { return pact[state] != pact_ninf; }

    int32_t goto_state(int32_t state, int32_t lhs) const {
        int32_t nonterminal = lhs - tokens;
        int32_t n = pgoto[nonterminal] + state;
        if (n >= 0 && n <= last && check[n] == state) return table[n];
        return defgoto[nonterminal];
    }
};

const Automaton& automaton() {
    static const Automaton a = Automaton::of(grammar_tables());
    return a;
}

// A stack of states for trying a repair: the real stack below `base`, its
// own entries above.
class TrialStack {
public:
    TrialStack(const std::vector<int32_t>& real, size_t depth) : real_(real), base_(depth) {}
    int32_t top() const { return own_.empty() ? real_[base_ - 1] : own_.back(); }
    size_t size() const { return base_ + own_.size(); }
    void pop(size_t n) {
        size_t own = std::min(n, own_.size());
        own_.resize(own_.size() - own);
        base_ -= n - own;
    }
    void push(int32_t state) { own_.push_back(state); }

private:
    const std::vector<int32_t>& real_;
    size_t base_;
    std::vector<int32_t> own_;
};

// Feeds `symbol` to the trial stack; false when refused. Sets *accepted when
// the text is complete.
bool trial_feed(TrialStack* stack, int32_t symbol, bool* accepted) {
    const Automaton& a = automaton();
    for (;;) {
        int32_t act = a.action(stack->top(), symbol);
        if (act == 0) return false;
        if (act > 0) {
            stack->push(act);
            if (act == a.final_state) *accepted = true;
            return true;
        }
        int32_t rule = -act;
        size_t length = static_cast<size_t>(a.r2[rule]);
        if (length >= stack->size()) return false;
        stack->pop(length);
        stack->push(a.goto_state(stack->top(), a.r1[rule]));
    }
}

// Feeds each symbol in turn; false at the first one refused.
bool trial_feed_all(TrialStack* stack, const std::vector<int32_t>& symbols, bool* accepted) {
    for (int32_t symbol : symbols) {
        if (!trial_feed(stack, symbol, accepted)) return false;
    }
    return true;
}

std::vector<int32_t> symbols_of(const std::vector<TokenKind>& kinds) {
    std::vector<int32_t> symbols;
    for (TokenKind kind : kinds) symbols.push_back(grammar_symbol_of(kind));
    return symbols;
}

class Driver {
public:
    // With `by_layout`, lines that show a block was left open close it
    // (see close_open_blocks): only for a text known to hold mistakes, so
    // that a text the front end accepts is parsed exactly as it does.
    Driver(SyntaxTree* tree, const char* text, SyntaxOptions options, bool by_layout)
        : a_(automaton()), tree_(tree), text_(text), builder_(tree), source_(text, by_layout), options_(options),
          by_layout_(by_layout) {}

    // Parses from the start, or from where `reuse` lets it take up again.
    void run(const Reuse* reuse = nullptr) {
        states_.reserve(256);
        states_.push_back(0);
        builder_.push_base();
        reuse_ = reuse;
        if (reuse_ != nullptr && reuse_->resume_at >= 0) resume(reuse_->before->checkpoints[static_cast<size_t>(reuse_->resume_at)]);
        for (;;) {
            int32_t state = states_.back();
            if (state == a_.final_state) break;
            if (!a_.needs_lookahead(state)) {
                int32_t rule = a_.defact[state];
                if (rule != 0) {
                    reduce(rule);
                    continue;
                }
            }
            if (!has_lookahead_) {
                if (states_.size() == 2 && at_checkpoint()) return;
                read();
            }
            int32_t act = a_.action(state, lookahead_.symbol);
            // A line's first token, once the reductions it causes are done.
            if (act >= 0 && line_start_pending_) {
                line_start_pending_ = false;
                if (close_open_brackets() || close_open_blocks() || skip_misnamed_end()) continue;
            }
            if (act > 0) {
                shift(act);
            } else if (act < 0) {
                reduce(-act);
            } else if (!by_layout_) {
                // The plain parse only stands for a text without mistakes:
                // at the first one the layout-reading parse takes over.
                refused_ = true;
                return;
            } else if (!recover()) {
                break;
            }
        }
        builder_.finish(states_.back() == a_.final_state ? nullptr : &lookahead_);
    }

    // Whether the plain parse met a mistake (and left the tree unfinished).
    bool refused() const { return refused_; }

private:
    // --- Checkpoints, and taking over the unchanged parts of an earlier tree --

    // Between two top-level statements: the tail of the earlier tree is
    // taken over when the rest of the text is the same from here; otherwise
    // a checkpoint is kept, a few hundred bytes apart.
    bool at_checkpoint() {
        int32_t list = builder_.list_at_rest();
        if (list < 0 || !source_.at_rest()) return false;
        uint32_t offset = source_.offset();
        if (reuse_ != nullptr && offset >= reuse_->same_from && take_tail(static_cast<uint32_t>(list), offset)) return true;
        if (!tree_->checkpoints.empty() && offset < tree_->checkpoints.back().offset + options_.checkpoint_spacing) {
            return false;
        }
        uint32_t horizon = horizon_here();
        tree_->checkpoints.push_back({offset, horizon, source_.line(), source_.column(), states_[1],
                                      static_cast<uint32_t>(tree_->nodes.size()), tree_->errors, builder_.last_end(),
                                      statement_start_, static_cast<uint32_t>(list),
                                      tree_->nodes[static_cast<size_t>(list)]});
        return false;
    }

    // How far the parse has read: to the end of the furthest line a scan
    // reached (a brace prefix looks for its `}` up to there).
    uint32_t horizon_here() const {
        uint32_t furthest = source_.furthest();
        const void* line_end = std::memchr(text_ + furthest, '\n', tree_->length - furthest);
        return line_end == nullptr ? tree_->length : static_cast<uint32_t>(static_cast<const char*>(line_end) - text_) + 1;
    }

    void resume(const SyntaxCheckpoint& at) {
        syntax_take_head(tree_, *reuse_->before, static_cast<size_t>(reuse_->resume_at));
        states_.push_back(at.state);
        builder_.resume(static_cast<uint32_t>(reuse_->list), at.last_end);
        source_.resume(at.offset, at.line, at.column, at.horizon > 0 ? at.horizon - 1 : 0);
        statement_start_ = at.statement_start;
    }

    // The earlier tree's checkpoint at the same place of the same text,
    // in the same state: everything after it is taken over.
    bool take_tail(uint32_t list, uint32_t offset) {
        const SyntaxTree& before = *reuse_->before;
        int64_t old_offset = static_cast<int64_t>(offset) - reuse_->shift;
        auto found = std::lower_bound(before.checkpoints.begin(), before.checkpoints.end(), old_offset,
                                      [](const SyntaxCheckpoint& c, int64_t at) { return c.offset < at; });
        if (found == before.checkpoints.end() || found->offset != old_offset || found->state != states_[1] ||
            found->column != source_.column() || list != found->list_index) {
            return false;
        }
        // A statement given up takes the list with it when the list starts
        // where the statement does: the two must agree on that.
        const SyntaxNode& now = tree_->nodes[list];
        bool empty = now.last_child == kNoSyntaxNode;
        if (empty != (found->list.last_child == kNoSyntaxNode) ||
            (empty && offset - now.range.start != found->offset - found->list.range.start) ||
            offset - statement_start_ != found->offset - found->statement_start ||
            (now.range.start < statement_start_) != (found->list.range.start < found->statement_start)) {
            return false;
        }
        SyntaxSplice here{list, reuse_->shift, source_.line() - found->line, horizon_here(), statement_start_};
        return syntax_take_tail(tree_, before, static_cast<size_t>(found - before.checkpoints.begin()), here);
    }

    void read() {
        lookahead_ = source_.next();
        has_lookahead_ = true;
        if (by_layout_ && lookahead_.token.kind == TOKEN_STRING) try_cutting_string();
        line_start_pending_ = by_layout_ && syntax_indent(text_, lookahead_.start) != UINT32_MAX;
    }

    // --- Brackets, blocks and strings the layout shows left open ---------------

    // A string running over line breaks, closed only by what was meant as
    // the next literal's opening quote, most often should have closed on
    // its own line: it is taken so when the parse then goes through the
    // next lines (the text holds a mistake somewhere, or this pass would
    // not run).
    void try_cutting_string() {
        if (std::memchr(text_ + lookahead_.start, '\n', lookahead_.end - lookahead_.start) == nullptr) return;
        TokenSource::Saved written = source_.save();
        Lexeme as_written = lookahead_;
        if (source_.cut_string(&lookahead_) && lines_go_on()) return;
        source_.restore(std::move(written));
        lookahead_ = as_written;
    }

    // Whether the look-ahead and the tokens after it, up to the end of the
    // second line break, go through. Brackets still open at the first line
    // break are taken as closed there, as close_open_brackets would; the
    // lexer, which still counts them open, then swallows the line breaks
    // the trial puts back.
    bool lines_go_on() {
        constexpr size_t kMaxTokens = 32;
        TrialStack trial(states_, states_.size());
        bool accepted = false;
        if (!trial_feed(&trial, lookahead_.symbol, &accepted)) return false;
        std::vector<int32_t> closers = closing_brackets();
        bool lexer_in_bracket = !closers.empty();
        int32_t newline = grammar_symbol_of(TOKEN_NEWLINE);
        int32_t line = lookahead_.token.line;
        int breaks = 0;
        for (size_t ahead = 0; ahead < kMaxTokens && breaks < 2 && !accepted; ++ahead) {
            const Lexeme& next = source_.peek(ahead);
            if (lexer_in_bracket && next.token.line != line) {
                bool fed = closers.empty() ? trial_feed(&trial, newline, &accepted)
                                           : trial_feed_all(&trial, closers, &accepted);
                if (!fed) return false;
                closers.clear();
                ++breaks;
            }
            line = next.token.line;
            if (!trial_feed(&trial, next.symbol, &accepted)) return false;
            if (next.token.kind == TOKEN_EOF) return true;
            breaks += next.token.kind == TOKEN_NEWLINE;
        }
        return true;
    }

    // Words that only begin a statement or close a block.
    static bool only_starts_statement(TokenKind kind) {
        switch (kind) {
        case TOKEN_PRINT: case TOKEN_IF: case TOKEN_FOR: case TOKEN_WHILE: case TOKEN_DO: case TOKEN_RETURN:
        case TOKEN_GOTO: case TOKEN_GOSUB: case TOKEN_END: case TOKEN_NEXT: case TOKEN_UNTIL: case TOKEN_FUNCTION:
        case TOKEN_MODIFIER: case TOKEN_PROGRAM: case TOKEN_LIBRARY: case TOKEN_CONSIDER: case TOKEN_WATCH:
        case TOKEN_UNWATCH: case TOKEN_WITHOUT: case TOKEN_BREAK: case TOKEN_CONTINUE: case TOKEN_USE:
        case TOKEN_LOAD: case TOKEN_EXPORT: case TOKEN_STOP: case TOKEN_END_CONSIDER:
            return true;
        default:
            return false;
        }
    }

    // A line that begins with such a word while a bracket is still open
    // (or with any token, when the line then parses as a statement): the
    // bracket was left open on the line before, which ends there. The lexer
    // joined the lines; the brackets and the line break are inserted and
    // the lexer told they are closed.
    // The brackets open after the tokens taken, closed, and a line break.
    std::vector<TokenKind> closing_line_of_brackets() const {
        std::string open = source_.open_brackets();
        std::vector<TokenKind> line;
        if (open.empty()) return line;
        for (size_t i = open.size(); i-- > 0;) {
            line.push_back(open[i] == '(' ? TOKEN_RPAREN : open[i] == '[' ? TOKEN_RBRACKET : TOKEN_RBRACE);
        }
        line.push_back(TOKEN_NEWLINE);
        return line;
    }

    std::vector<int32_t> closing_brackets() const { return symbols_of(closing_line_of_brackets()); }

    bool close_open_brackets() {
        std::vector<TokenKind> line = closing_line_of_brackets();
        if (line.empty()) return false;
        std::vector<int32_t> symbols = symbols_of(line);
        if (only_starts_statement(lookahead_.token.kind)) {
            if (!takes_lookahead_after(symbols)) return false;
        } else if (!goes_on_as_lines(symbols)) {
            // Any other word may well continue the bracket: the line must
            // then parse as a statement of its own for a few tokens.
            return false;
        }
        for (TokenKind kind : line) insert(kind);
        source_.drop_brackets();
        return true;
    }

    // Declarations, and the items of a server block that hold blocks of
    // their own: a route, a site, a hook.
    bool starts_declaration() {
        switch (lookahead_.token.kind) {
        case TOKEN_FUNCTION: case TOKEN_MODIFIER: case TOKEN_EXPORT: case TOKEN_PROGRAM: case TOKEN_LIBRARY:
            return true;
        case TOKEN_IDENT: {  // `server name(`, `web name(`, `get "/path" (`
            TokenKind second = source_.peek(0).token.kind;
            return (second == TOKEN_IDENT || second == TOKEN_STRING) && source_.peek(1).token.kind == TOKEN_LPAREN;
        }
        case TOKEN_ON:  // `on drain`, not `on error goto ...`
            return source_.peek(0).token.kind == TOKEN_IDENT && source_.peek(1).token.kind == TOKEN_NEWLINE;
        default:
            return false;
        }
    }

    bool same_word(TextRange a, const Token& b) const {
        return a.length() == static_cast<uint32_t>(b.length) && std::memcmp(text_ + a.start, b.start, a.length()) == 0;
    }

    // Whether the closing line starting with the look-ahead ends `block`.
    bool closes(const OpenBlock& block) {
        switch (lookahead_.token.kind) {
        case TOKEN_NEXT: return block.kind == TOKEN_FOR;
        case TOKEN_UNTIL: return block.kind == TOKEN_DO;
        case TOKEN_END_CONSIDER: return block.kind == TOKEN_CONSIDER;
        case TOKEN_END: break;
        default: return false;
        }
        const Token& word = source_.peek(0).token;
        switch (word.kind) {
        case TOKEN_MODIFIER: return block.kind == TOKEN_MODIFIER || block.kind == TOKEN_EXPORT;
        case TOKEN_IDENT: return block.kind == TOKEN_IDENT && same_word(block.word, word);
        default: return block.kind == word.kind;
        }
    }

    // The closing line of a block, as the grammar spells it.
    static std::vector<TokenKind> closing_line(const OpenBlock& block) {
        switch (block.kind) {
        case TOKEN_FOR: return {TOKEN_NEXT, TOKEN_NEWLINE};
        case TOKEN_DO: return {TOKEN_UNTIL, TOKEN_TRUE, TOKEN_NEWLINE};
        case TOKEN_CONSIDER: return {TOKEN_END_CONSIDER, TOKEN_NEWLINE};
        case TOKEN_EXPORT: return {TOKEN_END, TOKEN_MODIFIER, TOKEN_NEWLINE};
        default: return {TOKEN_END, block.kind, TOKEN_NEWLINE};
        }
    }

    // At the first token of a line, before it is taken: a declaration at
    // the indentation of an open block or left of it, or a closing line
    // naming an outer block, means the blocks in between were left open;
    // each gets its closing line inserted, innermost first, as long as the
    // grammar takes it and the block then closes.
    bool close_open_blocks() {
        std::vector<OpenBlock> open = builder_.open_blocks();
        if (open.empty()) return false;
        size_t keep = open.size();  // blocks [keep, size) are closed
        uint32_t indent = syntax_indent(text_, lookahead_.start);
        if (starts_declaration()) {
            for (size_t i = 0; i < open.size(); ++i) {
                if (open[i].indent >= indent) {
                    keep = i;
                    break;
                }
            }
        } else {
            for (size_t i = open.size(); i-- > 0;) {
                if (closes(open[i])) {
                    keep = i + 1;
                    break;
                }
            }
        }
        if (keep == open.size()) return false;
        // All of them at once when the look-ahead is only taken after the
        // outermost (a declaration inside a server's hook closes both).
        std::vector<TokenKind> lines;
        for (size_t i = open.size(); i-- > keep;) {
            for (TokenKind kind : closing_line(open[i])) lines.push_back(kind);
        }
        if (closes_block(lines, open[keep].entry)) {
            for (TokenKind kind : lines) insert(kind);
            return true;
        }
        bool inserted = false;
        for (size_t i = open.size(); i-- > keep;) {
            std::vector<TokenKind> line = closing_line(open[i]);
            if (!closes_block(line, open[i].entry)) break;
            for (TokenKind kind : line) insert(kind);
            inserted = true;
        }
        return inserted;
    }

    // `end word` where the innermost open block is a server, site or
    // route and no open block is named `word`: the grammar would take any
    // word there and close the wrong block, so the line's words are
    // skipped instead.
    bool skip_misnamed_end() {
        if (lookahead_.token.kind != TOKEN_END) return false;
        const Lexeme& word = source_.peek(0);
        if (word.token.kind != TOKEN_IDENT) return false;
        std::vector<OpenBlock> open = builder_.open_blocks();
        if (open.empty() || open.back().kind != TOKEN_IDENT) return false;
        for (const OpenBlock& block : open) {
            if (block.kind == TOKEN_IDENT && same_word(block.word, word.token)) return false;
        }
        builder_.skip_token(lookahead_);
        builder_.skip_token(source_.next());
        has_lookahead_ = false;
        return true;
    }

    bool takes_lookahead_after(const std::vector<int32_t>& symbols) {
        TrialStack trial(states_, states_.size());
        bool accepted = false;
        return trial_feed_all(&trial, symbols, &accepted) && trial_feed(&trial, lookahead_.symbol, &accepted);
    }

    // Whether inserting `line` and then taking the look-ahead leaves the
    // stack no deeper than the block's first entry (plus the look-ahead).
    bool closes_block(const std::vector<TokenKind>& line, size_t entry) {
        TrialStack trial(states_, states_.size());
        bool accepted = false;
        return trial_feed_all(&trial, symbols_of(line), &accepted) &&
               trial_feed(&trial, lookahead_.symbol, &accepted) && trial.size() <= entry + 1;
    }

    void shift(int32_t state) {
        if (lookahead_.token.kind == TOKEN_NEWLINE) statement_start_ = lookahead_.end;
        builder_.push_token(lookahead_);
        states_.push_back(state);
        has_lookahead_ = false;
    }

    // A closing bracket, `then` or line break belongs right after the last
    // token; a closing line stands before the look-ahead's line.
    void shift_missing(TokenKind kind, int32_t state) {
        bool ends_line = kind == TOKEN_RPAREN || kind == TOKEN_RBRACKET || kind == TOKEN_RBRACE ||
                         kind == TOKEN_THEN || kind == TOKEN_NEWLINE;
        builder_.push_missing(kind, grammar_symbol_of(kind), ends_line ? builder_.last_end() : lookahead_.start);
        if (kind == TOKEN_NEWLINE) statement_start_ = builder_.last_end();
        states_.push_back(state);
    }

    void reduce(int32_t rule) {
        if (options_.keep_reductions) tree_->reductions.push_back(rule - 1);
        size_t length = static_cast<size_t>(a_.r2[rule]);
        int32_t lhs = a_.r1[rule];
        size_t first = states_.size() - length;
        int32_t next = a_.goto_state(states_[first - 1], lhs);
        if (length == 0) {
            states_.push_back(next);
        } else {
            states_[first] = next;
            states_.erase(states_.begin() + static_cast<std::ptrdiff_t>(first) + 1, states_.end());
        }
        builder_.reduce(lhs, length);
        if (rule == a_.lens_rule) source_.begin_lens();
    }

    // Inserts a token for real: its reductions, then its shift.
    void insert(TokenKind kind) {
        int32_t symbol = grammar_symbol_of(kind);
        for (;;) {
            int32_t act = a_.action(states_.back(), symbol);
            if (act > 0) {
                shift_missing(kind, act);
                return;
            }
            reduce(-act);
        }
    }

    // Whether, from the stack cut to `depth` entries, the symbols `first`
    // (if any) and then the look-ahead and the tokens after it go through.
    bool goes_on(size_t depth, const int32_t* first, size_t first_count, size_t skip_lookahead) {
        TrialStack trial(states_, depth);
        bool accepted = false;
        for (size_t i = 0; i < first_count; ++i) {
            if (!trial_feed(&trial, first[i], &accepted)) return false;
        }
        size_t fed = 0;
        if (skip_lookahead == 0) {
            if (!trial_feed(&trial, lookahead_.symbol, &accepted)) return false;
            if (accepted) return true;
            ++fed;
        }
        for (size_t ahead = 0; fed < kRepairLookahead; ++ahead, ++fed) {
            const Lexeme& next = source_.peek(ahead);
            if (!trial_feed(&trial, next.symbol, &accepted)) return false;
            if (accepted || next.token.kind == TOKEN_EOF) return true;
        }
        return true;
    }

    // Whether, after `first`, the look-ahead and the tokens after it go
    // through with line breaks where the lines break: the lexer, still
    // inside the bracket, swallowed them.
    bool goes_on_as_lines(const std::vector<int32_t>& first) {
        TrialStack trial(states_, states_.size());
        bool accepted = false;
        if (!trial_feed_all(&trial, first, &accepted) || !trial_feed(&trial, lookahead_.symbol, &accepted)) return false;
        int32_t line = lookahead_.token.line;
        int32_t newline = grammar_symbol_of(TOKEN_NEWLINE);
        for (size_t ahead = 0; ahead < kRepairLookahead && !accepted; ++ahead) {
            const Lexeme& next = source_.peek(ahead);
            if (next.token.kind == TOKEN_EOF) return true;
            if (next.token.line != line && !trial_feed(&trial, newline, &accepted)) return false;
            line = next.token.line;
            if (!trial_feed(&trial, next.symbol, &accepted)) return false;
        }
        return true;
    }

    bool recover() {
        if (lookahead_.token.kind == TOKEN_EOF) return close_at_end();
        static const TokenKind kClosers[] = {TOKEN_RPAREN, TOKEN_RBRACKET, TOKEN_RBRACE, TOKEN_THEN, TOKEN_NEWLINE};
        for (TokenKind closer : kClosers) {
            int32_t symbol = grammar_symbol_of(closer);
            if (a_.action(states_.back(), symbol) != 0 && goes_on(states_.size(), &symbol, 1, 0)) {
                insert(closer);
                // The lexer learns the bracket is closed: line breaks count again.
                if (closer == TOKEN_RPAREN) source_.close_bracket(')');
                if (closer == TOKEN_RBRACKET) source_.close_bracket(']');
                if (closer == TOKEN_RBRACE) source_.close_bracket('}');
                return true;
            }
        }
        if (lookahead_.token.kind != TOKEN_NEWLINE) {
            builder_.skip_token(lookahead_);
            has_lookahead_ = false;
            return true;
        }
        // A line break the statement cannot take: give the statement up.
        // Its own entries first, keeping the list it stands in when the
        // next lines go on there or the list at least takes the line break
        // (the next lines then recover on their own); deeper only when not.
        size_t own = std::min(builder_.entries_from(statement_start_), states_.size() - 1);
        for (size_t pop = 1; pop <= own; ++pop) {
            if (goes_on(states_.size() - pop, nullptr, 0, 1)) return give_up(pop, true);
        }
        if (own > 0 && takes_lookahead_at(states_.size() - own)) return give_up(own, false);
        for (size_t pop = own + 1; pop <= kMaxPop && pop < states_.size(); ++pop) {
            if (goes_on(states_.size() - pop, nullptr, 0, 1)) {
                builder_.abandon(pop, lookahead_);
                states_.resize(states_.size() - pop);
                has_lookahead_ = false;
                return true;
            }
        }
        statement_start_ = lookahead_.end;
        builder_.skip_token(lookahead_);
        has_lookahead_ = false;
        return true;
    }

    bool takes_lookahead_at(size_t depth) {
        TrialStack trial(states_, depth);
        bool accepted = false;
        return trial_feed(&trial, lookahead_.symbol, &accepted);
    }

    // Gives up the top `entries` into an ERROR node, with the look-ahead
    // line break or without it (it is then read again).
    bool give_up(size_t entries, bool with_lookahead) {
        if (with_lookahead) {
            builder_.abandon(entries, lookahead_);
            statement_start_ = lookahead_.end;
            has_lookahead_ = false;
        } else {
            builder_.abandon(entries);
        }
        states_.resize(states_.size() - entries);
        return true;
    }

    // At the end of the text: close what is open with the fewest inserted
    // tokens that make the stack shallower, while that works.
    bool close_at_end() {
        int32_t end = grammar_symbol_of(TOKEN_EOF);
        while (a_.action(states_.back(), end) == 0) {
            std::vector<TokenKind> repair;
            if (!find_closing(&repair)) return false;
            for (TokenKind kind : repair) insert(kind);
        }
        return true;
    }

    // The shortest run of tokens (up to kMaxEndInsertions) after which the
    // end of input is taken or the stack is shallower than now.
    bool find_closing(std::vector<TokenKind>* repair) {
        static const TokenKind kCandidates[] = {
            TOKEN_NEWLINE, TOKEN_RPAREN, TOKEN_RBRACKET, TOKEN_RBRACE, TOKEN_END, TOKEN_END_CONSIDER, TOKEN_NEXT,
            TOKEN_UNTIL, TOKEN_TRUE, TOKEN_IF, TOKEN_FUNCTION, TOKEN_WHILE, TOKEN_PROGRAM, TOKEN_LIBRARY,
            TOKEN_MODIFIER, TOKEN_WATCH, TOKEN_WITH, TOKEN_WITHOUT, TOKEN_ON, TOKEN_IDENT, TOKEN_THEN};
        size_t depth = states_.size();
        std::vector<int32_t> sequence;
        // Iterative deepening over short sequences: few candidates, three long.
        for (int length = 1; length <= kMaxEndInsertions; ++length) {
            std::vector<size_t> choice(static_cast<size_t>(length), 0);
            for (;;) {
                sequence.clear();
                for (size_t c : choice) sequence.push_back(grammar_symbol_of(kCandidates[c]));
                if (closes_at_end(sequence, depth)) {
                    repair->clear();
                    for (size_t c : choice) repair->push_back(kCandidates[c]);
                    return true;
                }
                size_t i = 0;
                while (i < choice.size() && ++choice[i] == std::size(kCandidates)) choice[i++] = 0;
                if (i == choice.size()) break;
            }
        }
        return false;
    }

    // Whether, after `sequence`, the end of input is taken or the stack is
    // shallower than `depth`, counting the reductions the end of input
    // makes before it is refused (a block's closing line reduces only once
    // the parser sees what follows it).
    bool closes_at_end(const std::vector<int32_t>& sequence, size_t depth) {
        TrialStack trial(states_, depth);
        bool accepted = false;
        if (!trial_feed_all(&trial, sequence, &accepted)) return false;
        TrialStack after = trial;
        return trial_feed(&after, grammar_symbol_of(TOKEN_EOF), &accepted) || after.size() < depth;
    }

    const Automaton& a_;
    SyntaxTree* tree_;
    const char* text_;
    SyntaxBuilder builder_;
    TokenSource source_;
    SyntaxOptions options_;
    bool by_layout_;
    bool line_start_pending_ = false;
    bool refused_ = false;
    const Reuse* reuse_ = nullptr;
    uint32_t statement_start_ = 0;  // where the statement being parsed began: after the last line break
    std::vector<int32_t> states_;
    Lexeme lookahead_{};
    bool has_lookahead_ = false;
};

}  // namespace

namespace {

// False when the plain parse met a mistake.
bool parse_once(SyntaxTree* tree, const char* text, uint32_t length, SyntaxOptions options, bool by_layout,
                const Reuse* reuse = nullptr) {
    tree->text = text;
    tree->length = length;
    tree->nodes.clear();
    tree->reductions.clear();
    tree->checkpoints.clear();
    tree->root = 0;
    tree->errors = 0;
    tree->by_layout = by_layout;
    tree->reused = 0;
    Driver driver(tree, text, options, by_layout);
    driver.run(reuse);
    return !driver.refused();
}

// What `before` offers the parse of `text` in the mode it was made in.
Reuse reuse_of(const SyntaxTree& before, const char* text, uint32_t length) {
    uint32_t common = std::min(length, before.length);
    uint32_t head = 0;  // bytes the same from the start
    while (head < common && text[head] == before.text[head]) ++head;
    uint32_t tail = 0;  // bytes the same at the end, not overlapping the head
    while (tail < common - head && text[length - 1 - tail] == before.text[before.length - 1 - tail]) ++tail;
    Reuse reuse{&before, -1, -1, length - tail, static_cast<int64_t>(length) - static_cast<int64_t>(before.length)};
    // The last checkpoint that read nothing past the same head.
    for (size_t i = before.checkpoints.size(); i-- > 0;) {
        if (before.checkpoints[i].horizon <= head) {
            reuse.resume_at = static_cast<int32_t>(i);
            break;
        }
    }
    if (reuse.resume_at >= 0) reuse.list = static_cast<int32_t>(before.checkpoints[static_cast<size_t>(reuse.resume_at)].list_index);
    return reuse;
}

}  // namespace

// The grammar lets a block run on where the layout says it ended (a
// function inside a function is a statement like any other), so the layout
// is only believed in a text that has mistakes: the plain parse goes first,
// and at its first mistake the text is parsed again, reading the layout.
void syntax_parse(SyntaxTree* tree, const char* text, uint32_t length, SyntaxOptions options) {
    if (!parse_once(tree, text, length, options, false)) parse_once(tree, text, length, options, true);
}

// The earlier tree helps the parse made in its own mode: its plain parse
// when it was made without mistakes, its layout-reading parse when not.
void syntax_reparse(SyntaxTree* tree, const char* text, uint32_t length, const SyntaxTree& before,
                    SyntaxOptions options) {
    options.keep_reductions = false;  // the reductions of the parts taken over are not known
    Reuse reuse = reuse_of(before, text, length);
    bool plain = parse_once(tree, text, length, options, false, before.by_layout ? nullptr : &reuse);
    if (!plain) parse_once(tree, text, length, options, true, before.by_layout ? &reuse : nullptr);
}

const char* syntax_symbol_name(int32_t symbol) {
    const GrammarTables& t = grammar_tables();
    if (symbol < 0 || static_cast<size_t>(symbol) >= t.symbol_names.size()) return "?";
    return t.symbol_names[static_cast<size_t>(symbol)];
}

int32_t syntax_symbol_named(const char* name) {
    const std::vector<const char*>& names = grammar_tables().symbol_names;
    for (size_t i = 0; i < names.size(); ++i) {
        if (std::strcmp(names[i], name) == 0) return static_cast<int32_t>(i);
    }
    return -1;
}
