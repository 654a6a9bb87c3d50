#include "syntax/lr_automaton.h"

const LrAutomaton& lr_automaton() {
    static const LrAutomaton a = LrAutomaton::of(grammar_tables());
    return a;
}

bool trial_feed(TrialStack* stack, int32_t symbol, bool* accepted) {
    const LrAutomaton& a = lr_automaton();
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
