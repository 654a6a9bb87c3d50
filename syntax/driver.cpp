// The parse loop: tokens, reductions, and the checkpoints a reparse takes
// up again from.
#include "syntax/driver.h"

#include <algorithm>
#include <cstring>

#include "syntax/tree_reuse.h"

// Parses from the start, or from where `reuse` lets it take up again.
void SyntaxDriver::run(const SyntaxReuse* reuse) {
    states_.reserve(256);
    states_.push_back(0);
    builder_.push_base();
    reuse_ = reuse;
    if (reuse_ != nullptr && reuse_->resume_at >= 0) {
        resume(reuse_->before->checkpoints[static_cast<size_t>(reuse_->resume_at)]);
    }
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

// Between two top-level statements: the tail of the earlier tree is
// taken over when the rest of the text is the same from here; otherwise
// a checkpoint is kept, a few hundred bytes apart.
bool SyntaxDriver::at_checkpoint() {
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
uint32_t SyntaxDriver::horizon_here() const {
    uint32_t furthest = source_.furthest();
    const void* line_end = std::memchr(text_ + furthest, '\n', tree_->length - furthest);
    // With no line break left the scan reads the text's terminating zero,
    // which counts as one byte more.
    return line_end == nullptr ? tree_->length + 1 : static_cast<uint32_t>(static_cast<const char*>(line_end) - text_) + 1;
}

void SyntaxDriver::resume(const SyntaxCheckpoint& at) {
    syntax_take_head(tree_, *reuse_->before, static_cast<size_t>(reuse_->resume_at));
    states_.push_back(at.state);
    builder_.resume(static_cast<uint32_t>(reuse_->list), at.last_end);
    source_.resume(at.offset, at.line, at.column, at.horizon > 0 ? at.horizon - 1 : 0);
    statement_start_ = at.statement_start;
}

// The earlier tree's checkpoint at the same place of the same text,
// in the same state: everything after it is taken over.
bool SyntaxDriver::take_tail(uint32_t list, uint32_t offset) {
    const SyntaxTree& before = *reuse_->before;
    int64_t old_offset = static_cast<int64_t>(offset) - reuse_->shift;
    auto found = std::lower_bound(before.checkpoints.begin(), before.checkpoints.end(), old_offset,
                                  [](const SyntaxCheckpoint& c, int64_t at) { return c.offset < at; });
    if (found == before.checkpoints.end() || found->offset != old_offset || found->state != states_[1] ||
        found->column != source_.column() || list != found->list_index ||
        (reuse_->clean_only && before.errors != found->errors)) {
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

void SyntaxDriver::read() {
    lookahead_ = source_.next();
    has_lookahead_ = true;
    if (by_layout_ && lookahead_.token.kind == TOKEN_STRING) try_cutting_string();
    line_start_pending_ = by_layout_ && syntax_indent(text_, lookahead_.start) != UINT32_MAX;
}

void SyntaxDriver::shift(int32_t state) {
    if (lookahead_.token.kind == TOKEN_NEWLINE) statement_start_ = lookahead_.end;
    builder_.push_token(lookahead_);
    states_.push_back(state);
    has_lookahead_ = false;
}

// A closing bracket, `then` or line break belongs right after the last
// token; a closing line stands before the look-ahead's line.
void SyntaxDriver::shift_missing(TokenKind kind, int32_t state) {
    bool ends_line = kind == TOKEN_RPAREN || kind == TOKEN_RBRACKET || kind == TOKEN_RBRACE ||
                     kind == TOKEN_THEN || kind == TOKEN_NEWLINE;
    builder_.push_missing(kind, grammar_symbol_of(kind), ends_line ? builder_.last_end() : lookahead_.start);
    if (kind == TOKEN_NEWLINE) statement_start_ = builder_.last_end();
    states_.push_back(state);
}

void SyntaxDriver::reduce(int32_t rule) {
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
void SyntaxDriver::insert(TokenKind kind) {
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
