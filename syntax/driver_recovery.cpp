// Repairs where the text does not parse: an inserted closing token, skipped
// tokens, a statement given up, and the blocks closed at the end.
#include "syntax/driver.h"

#include <algorithm>
#include <climits>
#include <string>

// Whether, from the stack cut to `depth` entries, the symbols `first`
// (if any) and then the look-ahead and the tokens after it go through.
bool SyntaxDriver::goes_on(size_t depth, const int32_t* first, size_t first_count, size_t skip_lookahead) {
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

// Whether `first`, the look-ahead and at most `tokens` tokens after it
// (up to the end of `lines` lines) go through. While a bracket is open the
// lexer swallows line breaks; with `at_break`, the trial puts them back:
// `at_break` where the first line ends (closing brackets, a line break),
// a line break where later ones do.
bool SyntaxDriver::goes_on_by_lines(const std::vector<int32_t>& first, std::vector<int32_t> at_break, size_t tokens,
                                    int lines) {
    TrialStack trial(states_, states_.size());
    bool accepted = false;
    if (!trial_feed_all(&trial, first, &accepted) || !trial_feed(&trial, lookahead_.symbol, &accepted)) return false;
    bool swallowed = !at_break.empty();
    int32_t line = lookahead_.token.line;
    int breaks = 0;
    for (size_t ahead = 0; ahead < tokens && breaks < lines && !accepted; ++ahead) {
        const Lexeme& next = source_.peek(ahead);
        if (swallowed && next.token.line != line) {
            if (!trial_feed_all(&trial, at_break, &accepted)) return false;
            at_break = {grammar_symbol_of(TOKEN_NEWLINE)};
            ++breaks;
        }
        line = next.token.line;
        if (!trial_feed(&trial, next.symbol, &accepted)) return false;
        if (next.token.kind == TOKEN_EOF) return true;
        breaks += next.token.kind == TOKEN_NEWLINE;
    }
    return true;
}

bool SyntaxDriver::recover() {
    if (lookahead_.token.kind == TOKEN_EOF) return close_at_end();
    static const TokenKind kClosers[] = {TOKEN_RPAREN, TOKEN_RBRACKET, TOKEN_RBRACE, TOKEN_THEN, TOKEN_NEWLINE};
    int32_t newline = grammar_symbol_of(TOKEN_NEWLINE);
    for (TokenKind closer : kClosers) {
        int32_t symbol = grammar_symbol_of(closer);
        // A bracket that closes the only one open lets the lexer count line
        // breaks again, so the tokens after it are tried with them.
        std::string open = source_.open_brackets();
        char match = closer == TOKEN_RPAREN ? '(' : closer == TOKEN_RBRACKET ? '[' : closer == TOKEN_RBRACE ? '{' : 0;
        bool last_bracket = open.size() == 1 && open[0] == match;
        if (a_.action(states_.back(), symbol) != 0 &&
            (last_bracket ? goes_on_by_lines({symbol}, {newline}, kRepairLookahead, INT_MAX)
                          : goes_on(states_.size(), &symbol, 1, 0))) {
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
        if (goes_on(states_.size() - pop, nullptr, 0, 1)) return give_up(pop, true);
    }
    statement_start_ = lookahead_.end;
    builder_.skip_token(lookahead_);
    has_lookahead_ = false;
    return true;
}

bool SyntaxDriver::takes_lookahead_at(size_t depth) {
    TrialStack trial(states_, depth);
    bool accepted = false;
    return trial_feed(&trial, lookahead_.symbol, &accepted);
}

// Gives up the top `entries` into an ERROR node, with the look-ahead
// line break or without it (it is then read again).
bool SyntaxDriver::give_up(size_t entries, bool with_lookahead) {
    if (with_lookahead) {
        builder_.abandon(entries, &lookahead_);
        statement_start_ = lookahead_.end;
        has_lookahead_ = false;
    } else {
        builder_.abandon(entries, nullptr);
    }
    states_.resize(states_.size() - entries);
    return true;
}

// At the end of the text: close what is open with the fewest inserted
// tokens that make the stack shallower, while that works.
bool SyntaxDriver::close_at_end() {
    int32_t end = grammar_symbol_of(TOKEN_EOF);
    while (a_.action(states_.back(), end) == 0) {
        std::vector<TokenKind> repair;
        if (!closing_line_at_end(&repair) && !find_closing(&repair)) return false;
        for (TokenKind kind : repair) insert(kind);
    }
    return true;
}

// The innermost open block's own closing line, when it closes something:
// most often the answer, and found without a search.
bool SyntaxDriver::closing_line_at_end(std::vector<TokenKind>* repair) {
    std::vector<OpenBlock> open = builder_.open_blocks(1);
    if (open.empty()) return false;
    std::vector<TokenKind> line = closing_line(open.back());
    if (!closes_at_end(symbols_of(line), states_.size())) return false;
    *repair = std::move(line);
    return true;
}

// The shortest run of tokens (up to kMaxEndInsertions) after which the
// end of input is taken or the stack is shallower than now.
bool SyntaxDriver::find_closing(std::vector<TokenKind>* repair) {
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
bool SyntaxDriver::closes_at_end(const std::vector<int32_t>& sequence, size_t depth) {
    TrialStack trial(states_, depth);
    bool accepted = false;
    if (!trial_feed_all(&trial, sequence, &accepted)) return false;
    TrialStack after = trial;
    return trial_feed(&after, grammar_symbol_of(TOKEN_EOF), &accepted) || after.size() < depth;
}
