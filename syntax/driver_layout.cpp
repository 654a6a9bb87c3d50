// The layout-reading mode: lines that show a block, a bracket or a string
// was left open close it where the user meant.
#include "syntax/driver.h"

#include <climits>
#include <cstring>

// A string running over line breaks, closed only by what was meant as
// the next literal's opening quote, most often should have closed on
// its own line: it is taken so when the parse then goes through the
// next lines (the text holds a mistake somewhere, or this pass would
// not run).
void SyntaxDriver::try_cutting_string() {
    if (std::memchr(text_ + lookahead_.start, '\n', lookahead_.end - lookahead_.start) == nullptr) return;
    TokenSource::Saved written = source_.save();
    Lexeme as_written = lookahead_;
    if (source_.cut_string(&lookahead_) && lines_go_on()) return;
    source_.restore(std::move(written));
    lookahead_ = as_written;
}

// Whether the look-ahead and the tokens after it, up to the end of the
// second line break, go through, brackets still open taken as closed at
// the first line break, as close_open_brackets would.
bool SyntaxDriver::lines_go_on() { return goes_on_by_lines({}, closing_brackets(), 32, 2); }

// Words that only begin a statement or close a block.
bool SyntaxDriver::only_starts_statement(TokenKind kind) {
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
std::vector<TokenKind> SyntaxDriver::closing_line_of_brackets() const {
    std::string open = source_.open_brackets();
    std::vector<TokenKind> line;
    if (open.empty()) return line;
    for (size_t i = open.size(); i-- > 0;) {
        line.push_back(open[i] == '(' ? TOKEN_RPAREN : open[i] == '[' ? TOKEN_RBRACKET : TOKEN_RBRACE);
    }
    line.push_back(TOKEN_NEWLINE);
    return line;
}

bool SyntaxDriver::close_open_brackets() {
    std::vector<TokenKind> line = closing_line_of_brackets();
    if (line.empty()) return false;
    std::vector<int32_t> symbols = symbols_of(line);
    if (only_starts_statement(lookahead_.token.kind)) {
        if (!takes_lookahead_after(symbols)) return false;
    } else if (!goes_on_by_lines(symbols, {grammar_symbol_of(TOKEN_NEWLINE)}, kRepairLookahead, INT_MAX)) {
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
bool SyntaxDriver::starts_declaration() {
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

bool SyntaxDriver::same_word(TextRange a, const Token& b) const {
    return a.length() == static_cast<uint32_t>(b.length) && std::memcmp(text_ + a.start, b.start, a.length()) == 0;
}

// Whether the closing line starting with the look-ahead ends `block`.
bool SyntaxDriver::closes(const OpenBlock& block) {
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
std::vector<TokenKind> SyntaxDriver::closing_line(const OpenBlock& block) {
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
bool SyntaxDriver::close_open_blocks() {
    std::vector<OpenBlock> open = builder_.open_blocks(kMaxOpenBlocks);
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
bool SyntaxDriver::skip_misnamed_end() {
    if (lookahead_.token.kind != TOKEN_END) return false;
    const Lexeme& word = source_.peek(0);
    if (word.token.kind != TOKEN_IDENT) return false;
    std::vector<OpenBlock> open = builder_.open_blocks(kMaxOpenBlocks);
    if (open.empty() || open.back().kind != TOKEN_IDENT) return false;
    for (const OpenBlock& block : open) {
        if (block.kind == TOKEN_IDENT && same_word(block.word, word.token)) return false;
    }
    builder_.skip_token(lookahead_);
    builder_.skip_token(source_.next());
    has_lookahead_ = false;
    return true;
}

bool SyntaxDriver::takes_lookahead_after(const std::vector<int32_t>& symbols) {
    TrialStack trial(states_, states_.size());
    bool accepted = false;
    return trial_feed_all(&trial, symbols, &accepted) && trial_feed(&trial, lookahead_.symbol, &accepted);
}

// Whether inserting `line` and then taking the look-ahead leaves the
// stack no deeper than the block's first entry (plus the look-ahead).
bool SyntaxDriver::closes_block(const std::vector<TokenKind>& line, size_t entry) {
    TrialStack trial(states_, states_.size());
    bool accepted = false;
    return trial_feed_all(&trial, symbols_of(line), &accepted) &&
           trial_feed(&trial, lookahead_.symbol, &accepted) && trial.size() <= entry + 1;
}
