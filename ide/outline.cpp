#include "ide/outline.h"

#include <algorithm>
#include <cstring>

namespace {

struct LineTokens {
    size_t first;
    size_t end;  // one past the last token of the line
    size_t size() const { return end - first; }
};

// The text from the start of token `from` to the end of token `to`.
std::string raw_text(const Outline& o, size_t from, size_t to) {
    const Token& last = o.tokens[to];
    return std::string(o.tokens[from].start, static_cast<size_t>(last.start + last.length - o.tokens[from].start));
}

// "(a, b = 1)" as written: from the line's first `(` after `from` to its
// matching `)` (or the line's end when unbalanced); empty without one.
std::string parameter_text(const Outline& o, LineTokens line, size_t from) {
    size_t open = from;
    while (open < line.end && o.tokens[open].kind != TOKEN_LPAREN) ++open;
    if (open == line.end) return "";
    int depth = 0;
    size_t close = open;
    for (; close < line.end; ++close) {
        TokenKind kind = o.tokens[close].kind;
        depth += kind == TOKEN_LPAREN || kind == TOKEN_LBRACKET || kind == TOKEN_LBRACE;
        depth -= kind == TOKEN_RPAREN || kind == TOKEN_RBRACKET || kind == TOKEN_RBRACE;
        if (depth == 0) break;
    }
    return raw_text(o, open, close < line.end ? close : line.end - 1);
}

bool kind_at(const Outline& o, LineTokens line, size_t offset, TokenKind kind) {
    return line.first + offset < line.end && o.tokens[line.first + offset].kind == kind;
}

bool text_is(const Token& token, const char* word) {
    size_t length = std::strlen(word);
    return static_cast<size_t>(token.length) == length && std::memcmp(token.start, word, length) == 0;
}

class Builder {
public:
    explicit Builder(Outline* outline) : o_(*outline) {}

    void classify(LineTokens line) {
        const Token& first = o_.tokens[line.first];
        switch (first.kind) {
        case TOKEN_FUNCTION:
            if (kind_at(o_, line, 1, TOKEN_IDENT) || kind_at(o_, line, 1, TOKEN_QUALIFIED_IDENT)) {
                open(BLOCK_FUNCTION, line, line.first + 1, parameter_text(o_, line, line.first + 1));
            }
            return;
        case TOKEN_EXPORT:
            if (kind_at(o_, line, 1, TOKEN_MODIFIER)) open_modifier(line, line.first + 2);
            return;
        case TOKEN_MODIFIER: open_modifier(line, line.first + 1); return;
        case TOKEN_PROGRAM:
            if (kind_at(o_, line, 1, TOKEN_IDENT)) {
                open(BLOCK_PROGRAM, line, line.first + 1, parameter_text(o_, line, line.first + 1));
            }
            return;
        case TOKEN_LIBRARY:
            if (kind_at(o_, line, 1, TOKEN_IDENT)) open(BLOCK_LIBRARY, line, line.first + 1, "");
            return;
        case TOKEN_IDENT: classify_word_line(line); return;
        case TOKEN_ON:
            if (line.size() == 2 && kind_at(o_, line, 1, TOKEN_IDENT)) {
                open(BLOCK_HOOK, line, line.first + 1, "");
            }
            return;
        case TOKEN_IF:
            if (o_.tokens[line.end - 1].kind == TOKEN_THEN) open(BLOCK_CONTROL, line, line.first, "");
            return;
        case TOKEN_DO:
            if (line.size() == 1) open(BLOCK_CONTROL, line, line.first, "");
            return;
        case TOKEN_WITHOUT:
        case TOKEN_FOR:
        case TOKEN_WHILE:
        case TOKEN_CONSIDER:
        case TOKEN_WATCH:
        case TOKEN_WITH: open(BLOCK_CONTROL, line, line.first, ""); return;
        case TOKEN_END:
        case TOKEN_END_CONSIDER:
        case TOKEN_NEXT:
        case TOKEN_UNTIL: close(line); return;
        default: return;
        }
    }

    // Blocks still open at the end of the text end with it.
    void finish() {
        const Token* last = o_.tokens.empty() ? nullptr : &o_.tokens.back();
        while (!open_.empty()) {
            OutlineBlock& block = o_.blocks[static_cast<size_t>(open_.back())];
            block.end_line = last ? last->line : block.start_line;
            block.end_column = last ? last->column + last->length : block.start_column;
            if (last) block.range.end = end_offset(*last);
            open_.pop_back();
        }
    }

private:
    // A line that starts with a plain word: a label, a declarative block
    // (two words and a parenthesis) or a route inside one.
    void classify_word_line(LineTokens line) {
        if (line.size() == 2 && kind_at(o_, line, 1, TOKEN_COLON)) {
            o_.labels.push_back(line.first);
            o_.label_blocks.push_back(open_.empty() ? -1 : open_.back());
            return;
        }
        if (kind_at(o_, line, 1, TOKEN_IDENT) && kind_at(o_, line, 2, TOKEN_LPAREN)) {
            bool site = text_is(o_.tokens[line.first], "web") && inside_server();
            OutlineBlock& block = open(site ? BLOCK_SITE : BLOCK_SERVER, line, line.first + 1, "");
            block.detail = token_text(o_.tokens[line.first]);
            return;
        }
        // `get "/path" (req)`; a directive (`root "public"`) has no parentheses.
        if (kind_at(o_, line, 1, TOKEN_STRING) && kind_at(o_, line, 2, TOKEN_LPAREN) && inside_server()) {
            const Token& path = o_.tokens[line.first + 1];
            std::string name = token_text(o_.tokens[line.first]) + " " +
                               std::string(path.start + 1, static_cast<size_t>(path.length > 1 ? path.length - 2 : 0));
            OutlineBlock& block = open(BLOCK_ROUTE, line, line.first, parameter_text(o_, line, line.first + 2));
            block.name = name;
            block.name_last = line.first + 1;
        }
    }

    // `modifier roughly equal to(tolerance) for number`: the words are the
    // name, the parentheses its parameters.
    void open_modifier(LineTokens line, size_t name) {
        size_t end = name;
        while (end < line.end && o_.tokens[end].kind != TOKEN_FOR && o_.tokens[end].kind != TOKEN_LPAREN) ++end;
        if (end == name) return;
        OutlineBlock& block = open(BLOCK_MODIFIER, line, name, parameter_text(o_, line, end));
        block.name = raw_text(o_, name, end - 1);
        block.name_last = end - 1;
    }

    uint32_t end_offset(const Token& token) const {
        return outline_token_offset(o_, token) + static_cast<uint32_t>(token.length);
    }

    bool inside_server() const {
        for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
            OutlineBlockKind kind = o_.blocks[static_cast<size_t>(*it)].kind;
            if (kind == BLOCK_SERVER || kind == BLOCK_SITE) return true;
            if (kind != BLOCK_CONTROL) return false;
        }
        return false;
    }

    OutlineBlock& open(OutlineBlockKind kind, LineTokens line, size_t name_token, std::string detail) {
        const Token& first = o_.tokens[line.first];
        OutlineBlock block{kind, open_.empty() ? -1 : open_.back(), line.first, name_token, name_token,
                           token_text(o_.tokens[name_token]), std::move(detail), first.line, first.column,
                           first.line, first.column, false,
                           {outline_token_offset(o_, first), end_offset(first)}};
        o_.blocks.push_back(std::move(block));
        open_.push_back(static_cast<int32_t>(o_.blocks.size() - 1));
        return o_.blocks.back();
    }

    void close(LineTokens line) {
        if (open_.empty()) return;
        OutlineBlock& block = o_.blocks[static_cast<size_t>(open_.back())];
        const Token& last = o_.tokens[line.end - 1];
        block.end_line = last.line;
        block.end_column = last.column + last.length;
        block.range.end = end_offset(last);
        block.closed = true;
        open_.pop_back();
    }

    Outline& o_;
    std::vector<int32_t> open_;  // indices of the open blocks, innermost last
};

}  // namespace

void outline_build(Outline* o, const char* text) {
    LexLog log;
    // Real text runs at four to five bytes a token: one allocation mostly.
    log.tokens.reserve(std::strlen(text) / 5 + 16);
    Lexer lexer;
    lexer_init(&lexer, text, 1);
    lexer_keep_log(&lexer, &log);
    lexer_log_rest(&lexer);
    outline_build_from_log(o, text, std::move(log));
}

void outline_build_from_log(Outline* o, const char* text, LexLog&& log) {
    *o = Outline{};
    o->text = text;
    o->comments = std::move(log.comments);
    // The statement tokens are kept in place: line breaks, errors and the
    // end only mark where lines end.
    std::vector<Token>& tokens = log.tokens;
    std::vector<size_t> line_ends;
    size_t kept = 0;
    bool line_open = false;
    for (const Token& token : tokens) {
        if (token.kind == TOKEN_EOF) break;
        if (token.kind == TOKEN_ERROR) continue;
        if (token.kind == TOKEN_NEWLINE) {
            if (line_open) line_ends.push_back(kept);
            line_open = false;
            continue;
        }
        if (!line_open) o->line_first.push_back(kept);
        line_open = true;
        tokens[kept++] = token;
    }
    if (line_open) line_ends.push_back(kept);
    tokens.resize(kept);
    o->tokens = std::move(tokens);
    Builder builder(o);
    for (size_t i = 0; i < o->line_first.size(); ++i) builder.classify({o->line_first[i], line_ends[i]});
    builder.finish();
}

int32_t outline_find_function(const Outline& o, const std::string& name) {
    for (size_t i = 0; i < o.blocks.size(); ++i) {
        if (o.blocks[i].kind == BLOCK_FUNCTION && o.blocks[i].name == name) return static_cast<int32_t>(i);
    }
    return -1;
}

size_t outline_find_label(const Outline& o, const std::string& name) {
    for (size_t token : o.labels) {
        if (token_text(o.tokens[token]) == name) return token;
    }
    return static_cast<size_t>(-1);
}

int32_t outline_block_at(const Outline& o, uint32_t offset) {
    int32_t found = -1;
    for (size_t i = 0; i < o.blocks.size(); ++i) {
        const TextRange& range = o.blocks[i].range;
        if (range.start <= offset && offset <= range.end) {
            found = static_cast<int32_t>(i);  // blocks are in opening order: later ones are inner
        }
    }
    return found;
}
