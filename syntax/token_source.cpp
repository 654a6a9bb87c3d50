#include "syntax/token_source.h"

#include <cstring>
#include <utility>

#include "parser/grammar_tables.h"

TokenSource::TokenSource(const char* text) : text_(text) { lexer_init(&lexer_, text, 1); }

Lexeme TokenSource::scan() {
    Lexeme lexeme;
    lexeme.trivia_start = static_cast<uint32_t>(lexer_.cur - text_);
    // A byte-order mark, which the lexer steps over, is trivia of the first token.
    if (lexeme.trivia_start == 3 && std::memcmp(text_, "\xEF\xBB\xBF", 3) == 0) lexeme.trivia_start = 0;
    lexeme.token = lexer_next_token(&lexer_);
    lexeme.symbol = grammar_symbol_of(lexeme.token.kind);
    lexeme.end = static_cast<uint32_t>(lexer_.cur - text_);
    const char* start = lexeme.token.start;
    if (lexeme.token.kind == TOKEN_MODIFIER_PREFIX) {
        // The name inside the braces; the token stands from its `{`.
        while (start > text_ + lexeme.trivia_start && start[-1] != '{') --start;
        if (start > text_ + lexeme.trivia_start) --start;
    }
    if (lexeme.token.kind == TOKEN_EOF) start = lexer_.cur;
    lexeme.start = static_cast<uint32_t>(start - text_);
    if (lexeme.start < lexeme.trivia_start) lexeme.start = lexeme.trivia_start;
    if (lexeme.end < lexeme.start) lexeme.end = lexeme.start;
    return lexeme;
}

Lexeme TokenSource::next() {
    if (ahead_.empty()) return scan();
    Lexeme lexeme = ahead_.front().lexeme;
    ahead_.pop_front();
    return lexeme;
}

const Lexeme& TokenSource::peek(size_t ahead) {
    while (ahead_.size() <= ahead) {
        if (!ahead_.empty() && ahead_.back().lexeme.token.kind == TOKEN_EOF) return ahead_.back().lexeme;
        Lexer before = lexer_;
        Lexeme lexeme = scan();
        ahead_.push_back({lexeme, std::move(before)});
    }
    return ahead_[ahead].lexeme;
}

void TokenSource::begin_lens() {
    if (!ahead_.empty()) {
        lexer_ = std::move(ahead_.front().before);
        ahead_.clear();
    }
    lexer_begin_lens(&lexer_);
}
