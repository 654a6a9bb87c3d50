#include "syntax/token_source.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>

#include "parser/grammar_tables.h"

TokenSource::TokenSource(const char* text, bool cut_strings) : text_(text), cut_strings_(cut_strings) {
    lexer_init(&lexer_, text, 1);
    // Looking for a byte-order mark reads the first three bytes.
    furthest_ = static_cast<uint32_t>(strnlen(text, 3));
}

// The lexer reads an unclosed string to the end of the text, or to the
// opening quote of the next literal, which then leaves that literal's text
// as words right after a quote (`"...print "done"`): most often the quote
// was meant to close on its own line. The token becomes a string up to the
// line's end and the lexer goes on from the line break.
void TokenSource::cut_unclosed_string(Lexeme* lexeme) {
    const Token& token = lexeme->token;
    if (token.length < 1 || token.start[0] != '"') return;
    const char* after = token.start + token.length;
    bool runs_into_next_literal = token.kind == TOKEN_STRING && (std::isalnum(static_cast<unsigned char>(*after)) || *after == '_');
    if (token.kind != TOKEN_ERROR && !runs_into_next_literal) return;
    const char* line_end = static_cast<const char*>(std::memchr(token.start, '\n', static_cast<size_t>(token.length)));
    if (line_end == nullptr) return;
    cut_at_line_end(lexeme, line_end);
}

void TokenSource::cut_at_line_end(Lexeme* lexeme, const char* line_end) {
    const Token& token = lexeme->token;
    if (line_end > token.start && line_end[-1] == '\r') --line_end;
    int32_t length = static_cast<int32_t>(line_end - token.start);
    lexeme->token.kind = TOKEN_STRING;
    lexeme->token.length = length;
    lexeme->symbol = grammar_symbol_of(TOKEN_STRING);
    lexeme->end = static_cast<uint32_t>(line_end - text_);
    lexeme->cut = true;
    lexer_.cur = line_end;
    lexer_.line = token.line;
    lexer_.column = token.column + length;
}

Lexeme TokenSource::scan() {
    Lexeme lexeme;
    lexeme.trivia_start = static_cast<uint32_t>(lexer_.cur - text_);
    // A byte-order mark, which the lexer steps over, is trivia of the first token.
    if (lexeme.trivia_start == 3 && std::memcmp(text_, "\xEF\xBB\xBF", 3) == 0) lexeme.trivia_start = 0;
    lexeme.token = lexer_next_token(&lexer_);
    lexeme.symbol = grammar_symbol_of(lexeme.token.kind);
    lexeme.end = static_cast<uint32_t>(lexer_.cur - text_);
    if (lexeme.end > furthest_) furthest_ = lexeme.end;
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
    lexeme.cut = false;
    if (cut_strings_ && (lexeme.token.kind == TOKEN_STRING || lexeme.token.kind == TOKEN_ERROR)) cut_unclosed_string(&lexeme);
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

std::string TokenSource::open_brackets() const {
    const Lexer& after_taken = ahead_.empty() ? lexer_ : ahead_.front().before;
    int32_t kept = after_taken.bracket_depth < LEXER_STACK_LIMIT ? after_taken.bracket_depth : LEXER_STACK_LIMIT;
    return std::string(after_taken.bracket_chars, after_taken.bracket_chars + (kept > 0 ? kept : 0));
}

void TokenSource::drop_brackets() {
    if (!ahead_.empty()) {
        lexer_ = std::move(ahead_.front().before);
        ahead_.clear();
    }
    lexer_.bracket_depth = 0;
}

void TokenSource::close_bracket(char closer) {
    const Lexer& after_taken = ahead_.empty() ? lexer_ : ahead_.front().before;
    int32_t depth = after_taken.bracket_depth;
    if (depth <= 0 || depth > LEXER_STACK_LIMIT) return;
    char open = after_taken.bracket_chars[depth - 1];
    if ((open == '(' ? ')' : open == '[' ? ']' : '}') != closer) return;
    if (!ahead_.empty()) {
        lexer_ = std::move(ahead_.front().before);
        ahead_.clear();
    }
    --lexer_.bracket_depth;
}

bool TokenSource::at_rest() const {
    return ahead_.empty() && lexer_.bracket_depth == 0 && lexer_.consider_depth == 0 && lexer_.lens_pending == 0;
}

void TokenSource::resume(uint32_t offset, int32_t line, int32_t column, uint32_t furthest) {
    lexer_init(&lexer_, text_, 1);
    lexer_.cur = text_ + offset;
    lexer_.line = line;
    lexer_.column = column;
    ahead_.clear();
    furthest_ = std::max(offset, furthest);
}

TokenSource::Saved TokenSource::save() const {
    Saved saved{lexer_, {}};
    for (const Ahead& a : ahead_) saved.ahead.emplace_back(a.lexeme, a.before);
    return saved;
}

void TokenSource::restore(Saved&& saved) {
    lexer_ = std::move(saved.lexer);
    ahead_.clear();
    for (auto& [lexeme, before] : saved.ahead) ahead_.push_back({lexeme, std::move(before)});
}

bool TokenSource::cut_string(Lexeme* lexeme) {
    const Token& token = lexeme->token;
    if (token.kind != TOKEN_STRING || lexeme->cut || token.length < 1 || token.start[0] != '"') return false;
    const char* line_end = static_cast<const char*>(std::memchr(token.start, '\n', static_cast<size_t>(token.length)));
    if (line_end == nullptr) return false;
    // The lexer as it stood right after the string, not after what was looked at beyond it.
    if (!ahead_.empty()) lexer_ = std::move(ahead_.front().before);
    ahead_.clear();
    cut_at_line_end(lexeme, line_end);
    return true;
}
