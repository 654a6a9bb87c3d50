// The grammar's LALR(1) tables as the tolerant parse reads them, and a
// stack of states for trying a repair without touching the real one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "lexer/lexer.h"
#include "parser/grammar_tables.h"

// The tables as raw arrays, read once per parse: every token and reduction
// consults them.
struct LrAutomaton {
    const int32_t* pact;
    const int32_t* defact;
    const int32_t* pgoto;
    const int32_t* defgoto;
    const int32_t* table;
    const int32_t* check;
    const int32_t* r1;
    const int32_t* r2;
    int32_t last, tokens, pact_ninf, table_ninf, final_state, lens_rule;

    static LrAutomaton of(const GrammarTables& t) {
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

const LrAutomaton& lr_automaton();

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
bool trial_feed(TrialStack* stack, int32_t symbol, bool* accepted);

// Feeds each symbol in turn; false at the first one refused.
bool trial_feed_all(TrialStack* stack, const std::vector<int32_t>& symbols, bool* accepted);

std::vector<int32_t> symbols_of(const std::vector<TokenKind>& kinds);
