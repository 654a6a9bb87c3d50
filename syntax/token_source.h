// Tokens for the tolerant parse, with their bytes and the trivia before
// them, and a look further ahead for trying repairs. Looking ahead lexes
// early; when the parse then asks for raw lens text, the lexer goes back to
// where the first early token began, as the front end's lexer never read
// past the parser's one look-ahead.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "lexer/lexer.h"

struct Lexeme {
    Token token;
    int32_t symbol;         // the grammar's symbol
    uint32_t trivia_start;  // where the blanks and comments before it start
    uint32_t start;         // its first byte (a brace prefix: its `{`)
    uint32_t end;           // just after its last byte, closing brace and all
    bool cut;               // an unclosed string taken as ending with its line
};

class TokenSource {
public:
    // With `cut_strings`, a string never closed ends at the end of its own
    // line instead of running to the end of the text.
    TokenSource(const char* text, bool cut_strings);

    Lexeme next();                  // the next token, taken
    const Lexeme& peek(size_t ahead);  // a later one, not taken: 0 is what next() returns
    void begin_lens();              // the next token is raw lens text

    // The brackets open after the tokens taken so far, innermost last
    // (as far as the lexer remembers them).
    std::string open_brackets() const;
    // Takes them as closed: line breaks end statements again.
    void drop_brackets();
    // Takes the innermost as closed by an inserted `closer`, when it is
    // the bracket that closer closes.
    void close_bracket(char closer);

    // A string just taken that runs over a line break, taken instead as
    // ending with its own line; the lexer goes on from the line break.
    // The state before can be kept and put back when that does not help.
    struct Saved {
        Lexer lexer;
        std::deque<std::pair<Lexeme, Lexer>> ahead;
    };
    Saved save() const;

    // Nothing looked at ahead and nothing open in the lexer: where a parse
    // can be taken up again from the position alone.
    bool at_rest() const;
    uint32_t offset() const { return static_cast<uint32_t>(lexer_.cur - text_); }
    int32_t line() const { return lexer_.line; }
    int32_t column() const { return lexer_.column; }
    // How far any scan has read, looking ahead included.
    uint32_t furthest() const { return furthest_; }
    // Starts scanning again at `offset`, on `line` and `column`, counting
    // the text as read up to `furthest` already.
    void resume(uint32_t offset, int32_t line, int32_t column, uint32_t furthest);
    void restore(Saved&& saved);
    bool cut_string(Lexeme* lexeme);

private:
    struct Ahead {
        Lexeme lexeme;
        Lexer before;  // the lexer as it was before this token
    };

    Lexeme scan();

    void cut_unclosed_string(Lexeme* lexeme);
    void cut_at_line_end(Lexeme* lexeme, const char* line_end);

    const char* text_;
    bool cut_strings_;
    Lexer lexer_;
    std::deque<Ahead> ahead_;  // lexed early, only while repairs are tried
    uint32_t furthest_ = 0;
};
