// Formatting as the user types, on a text that is usually unfinished: the
// lines are read by their first and last tokens (as the lexer sees them,
// so a branch `if` in the column of its `consider` is known as one), never
// through a parse that has to succeed.
#include <algorithm>

#include "ide/format.h"

namespace {

enum LineRole : int32_t {
    LINE_OTHER,
    LINE_OPENS,   // a block's header: its body comes one level deeper
    LINE_MIDDLE,  // `else`, `else if`, a branch of `consider`: at the opener's column, body deeper
    LINE_CLOSES,  // `end ...`, `next`, `until`, `end consider`
};

// The tokens of one physical line: [first, end) in the outline's tokens.
struct LineTokens {
    size_t first;
    size_t end;
    bool empty() const { return first == end; }
};

LineTokens tokens_on_line(const Outline& outline, int32_t line) {
    auto by_line = [](const Token& token, int32_t value) { return token.line < value; };
    auto first = std::lower_bound(outline.tokens.begin(), outline.tokens.end(), line, by_line);
    auto end = first;
    while (end != outline.tokens.end() && end->line == line) ++end;
    return {static_cast<size_t>(first - outline.tokens.begin()), static_cast<size_t>(end - outline.tokens.begin())};
}

bool next_is_name_use(const Outline& outline, LineTokens line) {
    if (line.end - line.first < 2) return false;
    TokenKind after = outline.tokens[line.first + 1].kind;
    return after == TOKEN_OP_EQ || after == TOKEN_COLON || after == TOKEN_DOT || after == TOKEN_LBRACKET ||
           token_is_operator(after);
}

LineRole line_role(const Outline& outline, LineTokens line) {
    if (line.empty()) return LINE_OTHER;
    const Token& first = outline.tokens[line.first];
    TokenKind last = outline.tokens[line.end - 1].kind;
    size_t count = line.end - line.first;
    switch (first.kind) {
    case TOKEN_END:
    case TOKEN_NEXT:  // `end = 1` and `next: ...` use them as names
        return next_is_name_use(outline, line) ? LINE_OTHER : LINE_CLOSES;
    case TOKEN_END_CONSIDER:
    case TOKEN_UNTIL:
        return LINE_CLOSES;
    case TOKEN_ELSE:
        return count == 1 || last == TOKEN_THEN ? LINE_MIDDLE : LINE_OTHER;
    case TOKEN_CONSIDER_ELSE:
    case TOKEN_CONSIDER_IF:
        return LINE_MIDDLE;
    case TOKEN_IF:
        return last == TOKEN_THEN ? LINE_OPENS : LINE_OTHER;
    case TOKEN_FOR:
    case TOKEN_WHILE:
    case TOKEN_DO:
    case TOKEN_CONSIDER:
    case TOKEN_FUNCTION:
    case TOKEN_MODIFIER:
    case TOKEN_EXPORT:
    case TOKEN_PROGRAM:
    case TOKEN_LIBRARY:
    case TOKEN_WATCH:
    case TOKEN_WITHOUT:
    case TOKEN_WITH:
        return LINE_OPENS;
    case TOKEN_ON:  // a hook, `on drain`, but not `on error ...`
        return count == 2 && last == TOKEN_IDENT ? LINE_OPENS : LINE_OTHER;
    case TOKEN_IDENT: {
        // `server name(...)`, `web name(...)`, `get "/path" (req)`
        if (count < 4 || last != TOKEN_RPAREN) return LINE_OTHER;
        TokenKind second = outline.tokens[line.first + 1].kind;
        return second == TOKEN_IDENT || second == TOKEN_STRING ? LINE_OPENS : LINE_OTHER;
    }
    default:
        return LINE_OTHER;
    }
}

// Bytes of blanks at the start of 0-based line `line`.
TextRange leading_blanks(Analysis* analysis, uint32_t line) {
    TextRange bytes = line_index_line(analysis_index(analysis), line);
    uint32_t end = bytes.start;
    while (end < bytes.end && (analysis->text[end] == ' ' || analysis->text[end] == '\t')) ++end;
    return {bytes.start, end};
}

std::string indent_unit(FormatOptions options) {
    return options.use_tabs ? std::string("\t") : std::string(std::max(options.indent_width, 1u), ' ');
}

// The nearest line above `line` (0-based) with a token on it, or -1.
int32_t line_above_with_tokens(const Outline& outline, int32_t line) {
    for (int32_t above = line - 1; above >= 0; --above) {
        if (!tokens_on_line(outline, above + 1).empty()) return above;
    }
    return -1;
}

// The header of the block a closing or middle line at `line` belongs to:
// backwards over the lines, skipping whole inner blocks and the middle
// lines of its own; -1 when none is open.
int32_t opener_line(const Outline& outline, int32_t line) {
    int32_t depth = 0;
    for (int32_t above = line - 1; above >= 0; --above) {
        LineRole role = line_role(outline, tokens_on_line(outline, above + 1));
        if (role == LINE_CLOSES) {
            ++depth;
        } else if (role == LINE_OPENS) {
            if (depth == 0) return above;
            --depth;
        }
    }
    return -1;
}

std::vector<IdeTextEdit> reindent(Analysis* analysis, uint32_t line, std::string indent) {
    TextRange blanks = leading_blanks(analysis, line);
    if (std::string_view(analysis->text + blanks.start, blanks.length()) == indent) return {};
    return {{blanks, std::move(indent)}};
}

// A line break: the new line gets the indentation of the line above, one
// level more when that line opens a body or leaves a bracket open.
std::vector<IdeTextEdit> indent_new_line(Analysis* analysis, uint32_t line, FormatOptions options) {
    const Outline& outline = analysis_outline(analysis);
    int32_t above = line_above_with_tokens(outline, static_cast<int32_t>(line));
    if (above < 0) return reindent(analysis, line, "");
    LineTokens tokens = tokens_on_line(outline, above + 1);
    std::string indent(analysis_text(analysis, leading_blanks(analysis, static_cast<uint32_t>(above))));
    LineRole role = line_role(outline, tokens);
    TokenKind last = outline.tokens[tokens.end - 1].kind;
    bool opens = role == LINE_OPENS || role == LINE_MIDDLE;
    if (outline.tokens[tokens.first].kind == TOKEN_CONSIDER) opens = false;  // its branches stand in its column
    if (last == TOKEN_LPAREN || last == TOKEN_LBRACKET || last == TOKEN_LBRACE || last == TOKEN_COMMA) opens = true;
    if (opens) indent += indent_unit(options);
    return reindent(analysis, line, std::move(indent));
}

// A closing word or `else` just typed: when it is all the line holds up to
// the cursor, the line moves to its opener's column.
std::vector<IdeTextEdit> align_closing_line(Analysis* analysis, uint32_t line, uint32_t offset) {
    const Outline& outline = analysis_outline(analysis);
    LineTokens tokens = tokens_on_line(outline, static_cast<int32_t>(line) + 1);
    while (tokens.end > tokens.first &&
           outline_token_offset(outline, outline.tokens[tokens.end - 1]) >= offset) {
        --tokens.end;  // what stands after the cursor is not what was typed
    }
    if (tokens.empty()) return {};
    const Token& last = outline.tokens[tokens.end - 1];
    if (outline_token_offset(outline, last) + static_cast<uint32_t>(last.length) != offset) return {};
    LineRole role = line_role(outline, tokens);
    size_t count = tokens.end - tokens.first;
    TokenKind first = outline.tokens[tokens.first].kind;
    bool closing_phrase = (role == LINE_CLOSES && (first == TOKEN_END ? count == 2 : count == 1)) ||
                          (role == LINE_MIDDLE && count == 1);
    if (!closing_phrase) return {};
    int32_t opener = opener_line(outline, static_cast<int32_t>(line));
    if (opener < 0) return {};
    TextRange opener_indent = leading_blanks(analysis, static_cast<uint32_t>(opener));
    return reindent(analysis, line, std::string(analysis_text(analysis, opener_indent)));
}

}  // namespace

std::vector<IdeTextEdit> ide_format_on_type(Analysis* analysis, uint32_t offset, const std::string& typed,
                                            FormatOptions options) {
    if (offset > analysis->length) return {};
    uint32_t line = line_index_line_of(analysis_index(analysis), offset);
    if (typed == "\n") return indent_new_line(analysis, line, options);
    return align_closing_line(analysis, line, offset);
}
