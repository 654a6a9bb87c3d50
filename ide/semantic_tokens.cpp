// Semantic tokens for the whole document: every token and comment with its
// role, in text order. Each kind of name has one role wherever it stands
// (a function where it is declared and where it is called alike);
// strings come in pieces around their escapes; a brace prefix gives its
// modifier's name one role and its arguments their own. A token that runs
// over several lines comes line by line, each piece without its line break.
#include <string>
#include <string_view>
#include <unordered_set>

#include "diag/ascii.h"
#include "ide/features.h"
#include "lexer/duration_units.h"
#include "lexer/string_literal.h"
#include "text/utf8.h"

namespace {

constexpr uint32_t kNoType = UINT32_MAX;

std::string_view view(const Token& token) { return {token.start, static_cast<size_t>(token.length)}; }

bool is_name(TokenKind kind) { return kind == TOKEN_IDENT || kind == TOKEN_QUALIFIED_IDENT; }

// The type every token has before its place is looked at.
uint32_t type_by_kind(TokenKind kind) {
    if (token_is_keyword(kind)) return IDE_TOKEN_KEYWORD;
    if (token_is_operator(kind)) return IDE_TOKEN_OPERATOR;
    switch (kind) {
    case TOKEN_NUMBER: return IDE_TOKEN_NUMBER;
    case TOKEN_STRING: return IDE_TOKEN_STRING;
    case TOKEN_IDENT:
    case TOKEN_QUALIFIED_IDENT: return IDE_TOKEN_VARIABLE;
    case TOKEN_MODIFIER_PREFIX: return IDE_TOKEN_DECORATOR;
    default: return kNoType;  // brackets and punctuation
    }
}

// Assigns every token its role from the outline: first what the token is,
// then what its place makes of a name.
class RolePass {
public:
    explicit RolePass(const Outline& o) : o_(o), types_(o.tokens.size(), kNoType), settled_(o.tokens.size(), false) {
        for (size_t k = 0; k < o.tokens.size(); ++k) types_[k] = type_by_kind(o.tokens[k].kind);
    }

    std::vector<uint32_t> run() {
        find_line_blocks();
        for (size_t i = 0; i < o_.blocks.size(); ++i) block_roles(i);
        for (size_t line = 0; line < o_.line_first.size(); ++line) line_roles(line);
        for (size_t token : o_.labels) settle(token, IDE_TOKEN_LABEL);
        for (size_t k = 0; k < o_.tokens.size(); ++k) name_roles(k);
        return std::move(types_);
    }

private:
    void settle(size_t k, uint32_t type) {
        if (k >= types_.size() || settled_[k]) return;
        types_[k] = type;
        settled_[k] = true;
    }

    TokenKind kind(size_t k) const { return k < o_.tokens.size() ? o_.tokens[k].kind : TOKEN_EOF; }
    bool same_line(size_t a, size_t b) const {
        return a < o_.tokens.size() && b < o_.tokens.size() && o_.tokens[a].line == o_.tokens[b].line;
    }

    // Declarations: the block's name, its parameters, its header fields.
    void block_roles(size_t i) {
        const OutlineBlock& block = o_.blocks[i];
        switch (block.kind) {
        case BLOCK_PROGRAM:
        case BLOCK_LIBRARY: settle(block.name_token, IDE_TOKEN_NAMESPACE); break;
        case BLOCK_FUNCTION: add_function_name(view(o_.tokens[block.name_token])); break;
        case BLOCK_MODIFIER:
            for (size_t k = block.name_token; k <= block.name_last; ++k) settle(k, IDE_TOKEN_DECORATOR);
            break;
        case BLOCK_SERVER:
        case BLOCK_SITE:
            settle(block.opener, IDE_TOKEN_KEYWORD);  // `server`, `web`
            settle(block.name_token, IDE_TOKEN_CLASS);
            break;
        case BLOCK_ROUTE: settle(block.name_token, IDE_TOKEN_METHOD); break;
        case BLOCK_HOOK: settle(block.name_token, IDE_TOKEN_EVENT); break;
        case BLOCK_CONTROL: return;
        }
        if (block.kind != BLOCK_CONTROL && block.kind != BLOCK_HOOK) parameter_roles(block);
    }

    // The names in the opener's parentheses: before `,`, `=` or `)` (or
    // the end of a header whose `)` is missing) they are parameters, before `:` the fields of a server's header. Inside
    // the block, the parameters' other uses are parameters too.
    void parameter_roles(const OutlineBlock& block) {
        size_t t = block.name_last + 1;
        while (same_line(t, block.opener) && kind(t) != TOKEN_LPAREN) ++t;
        // Few names: compared one by one, cheaper than hashing every name
        // of the block's body.
        std::vector<std::string_view> names;
        int depth = 0;
        for (; same_line(t, block.opener); ++t) {
            depth += kind(t) == TOKEN_LPAREN || kind(t) == TOKEN_LBRACKET || kind(t) == TOKEN_LBRACE;
            depth -= kind(t) == TOKEN_RPAREN || kind(t) == TOKEN_RBRACKET || kind(t) == TOKEN_RBRACE;
            if (depth == 0) break;
            if (depth != 1 || kind(t) != TOKEN_IDENT) continue;
            TokenKind next = kind(t + 1);
            if (next == TOKEN_COLON) {
                settle(t, IDE_TOKEN_PROPERTY);
            } else if (next == TOKEN_COMMA || next == TOKEN_RPAREN || next == TOKEN_OP_EQ || !same_line(t + 1, t)) {
                settle(t, IDE_TOKEN_PARAMETER);
                names.push_back(view(o_.tokens[t]));
            }
        }
        if (names.empty()) return;
        for (size_t k = t; k < o_.tokens.size(); ++k) {
            if (outline_token_offset(o_, o_.tokens[k]) > block.range.end) break;
            if (kind(k) != TOKEN_IDENT || settled_[k]) continue;
            std::string_view name = view(o_.tokens[k]);
            for (std::string_view parameter : names) {
                if (parameter == name) settle(k, IDE_TOKEN_PARAMETER);
            }
        }
    }

    // Statement lines: closing words, directives, and the names of `use`
    // and `load`.
    void line_roles(size_t line) {
        size_t first = o_.line_first[line];
        TokenKind head = kind(first);
        if (head == TOKEN_END && kind(first + 1) == TOKEN_IDENT && same_line(first, first + 1)) {
            settle(first + 1, IDE_TOKEN_KEYWORD);  // `end get`, `end server`
        } else if (head == TOKEN_IDENT && kind(first + 1) == TOKEN_STRING && same_line(first, first + 1) &&
                   inside_server(line) && !has_parenthesis(first)) {
            settle(first, IDE_TOKEN_MACRO);  // `root "public"`
        } else if (head == TOKEN_USE || head == TOKEN_LOAD) {
            module_roles(first);
        }
    }

    // `use name [from "path"]`, `load name [from "path"] [as alias]`.
    void module_roles(size_t first) {
        for (size_t k = first + 1; same_line(k, first); ++k) {
            if (kind(k) != TOKEN_IDENT) continue;
            bool from = view(o_.tokens[k]) == "from" && kind(k + 1) == TOKEN_STRING;
            settle(k, from ? IDE_TOKEN_KEYWORD : IDE_TOKEN_NAMESPACE);
        }
    }

    bool has_parenthesis(size_t first) const {
        for (size_t k = first; same_line(k, first); ++k) {
            if (kind(k) == TOKEN_LPAREN) return true;
        }
        return false;
    }

    // Directly inside a server or site block: no handler body between.
    bool inside_server(size_t line) const {
        int32_t block = line_blocks_[line];
        for (; block >= 0; block = o_.blocks[static_cast<size_t>(block)].parent) {
            OutlineBlockKind k = o_.blocks[static_cast<size_t>(block)].kind;
            if (k == BLOCK_SERVER || k == BLOCK_SITE) return true;
            if (k != BLOCK_CONTROL) return false;
        }
        return false;
    }

    // Names whose role their neighbours tell.
    void name_roles(size_t k) {
        const Token& token = o_.tokens[k];
        if (k > 0 && (kind(k - 1) == TOKEN_GOTO || kind(k - 1) == TOKEN_GOSUB) && token.kind == TOKEN_IDENT) {
            settle(k, IDE_TOKEN_LABEL);
        } else if (k > 0 && kind(k - 1) == TOKEN_NUMBER && token.kind == TOKEN_IDENT && same_line(k - 1, k) &&
                   duration_unit_of(token.start, static_cast<size_t>(token.length)) >= 0) {
            settle(k, IDE_TOKEN_NUMBER);  // the unit of `2 days`
        } else if (is_name(token.kind) && kind(k + 1) == TOKEN_LPAREN) {
            settle(k, IDE_TOKEN_FUNCTION);
        } else if ((token.kind == TOKEN_IDENT || token_is_keyword(token.kind)) && kind(k + 1) == TOKEN_COLON &&
                   same_line(k, k + 1)) {
            settle(k, IDE_TOKEN_PROPERTY);  // a record field, keywords too
        } else if (is_name(token.kind) && is_function_name(view(token))) {
            settle(k, IDE_TOKEN_FUNCTION);
        }
    }

    // The innermost block holding each statement line, in one sweep: blocks
    // come in the order they open and nest, so a stack of the open ones is
    // enough.
    void find_line_blocks() {
        line_blocks_.assign(o_.line_first.size(), -1);
        std::vector<int32_t> open;
        size_t next = 0;
        for (size_t line = 0; line < o_.line_first.size(); ++line) {
            uint32_t at = outline_token_offset(o_, o_.tokens[o_.line_first[line]]);
            while (next < o_.blocks.size() && o_.blocks[next].range.start <= at) {
                while (!open.empty() && o_.blocks[static_cast<size_t>(open.back())].range.end < o_.blocks[next].range.start) {
                    open.pop_back();
                }
                open.push_back(static_cast<int32_t>(next++));
            }
            while (!open.empty() && o_.blocks[static_cast<size_t>(open.back())].range.end < at) open.pop_back();
            line_blocks_[line] = open.empty() ? -1 : open.back();
        }
    }

    // Most names are no function's: a set of the lengths function names
    // have turns them away before any hashing.
    void add_function_name(std::string_view name) {
        functions_.insert(name);
        function_lengths_ |= uint64_t{1} << (name.size() < 63 ? name.size() : 63);
    }

    bool is_function_name(std::string_view name) const {
        if ((function_lengths_ & (uint64_t{1} << (name.size() < 63 ? name.size() : 63))) == 0) return false;
        return functions_.count(name) > 0;
    }

    const Outline& o_;
    uint64_t function_lengths_ = 0;
    std::vector<int32_t> line_blocks_;
    std::vector<uint32_t> types_;
    std::vector<bool> settled_;
    std::unordered_set<std::string_view> functions_;
};

// Collects the pieces in text order; a piece never holds a line break.
class Collector {
public:
    // Most tokens and comments make one piece each.
    Collector(const Analysis* analysis, size_t expected) : text_(analysis->text) { pieces_.reserve(expected); }

    void add(TextRange range, uint32_t type, uint32_t modifiers = 0) {
        if (range.empty()) return;
        pieces_.push_back({range, static_cast<IdeTokenType>(type), modifiers});
    }

    // Text on one line, up to (not into) its line break: a comment ends
    // right before the break, so a CRLF's carriage return is left out.
    void add_line(TextRange range, uint32_t type, uint32_t modifiers = 0) {
        if (range.end > range.start && text_[range.end] == '\n' && text_[range.end - 1] == '\r') --range.end;
        add(range, type, modifiers);
    }

    // Text that may hold line breaks: one piece per line, a CRLF break left
    // out whole (also where the text ends right before one, as a comment
    // does).
    void add_lines(TextRange range, uint32_t type, uint32_t modifiers = 0) {
        uint32_t from = range.start;
        for (uint32_t i = range.start; i <= range.end; ++i) {
            if (i == range.end || text_[i] == '\n') {
                uint32_t end = i;
                if (text_[i] == '\n' && end > from && text_[end - 1] == '\r') --end;
                add({from, end}, type, modifiers);
                from = i + 1;
            }
        }
    }

    // A string literal: its text in pieces, its escapes on their own, marked
    // as the decoder takes them.
    void add_string(TextRange literal) {
        uint32_t from = literal.start;
        // The closing quote; a string never closed (cut at its line's end) has none.
        bool closed = literal.end > literal.start + 1 && text_[literal.end - 1] == '"';
        uint32_t last = closed ? literal.end - 1 : literal.end;
        for (uint32_t i = literal.start + 1; i < last; ++i) {
            if (text_[i] != '\\') continue;
            uint32_t end = escape_end(i, last);
            add_lines({from, i}, IDE_TOKEN_STRING);
            add({i, end}, IDE_TOKEN_ESCAPE, escape_modifiers(i, end));
            from = end;
            i = end - 1;
        }
        add_lines({from, literal.end}, IDE_TOKEN_STRING);
    }

    std::vector<IdeHighlight> take() { return std::move(pieces_); }

private:
    // `\n`, `\q`, and `\u` with its braced hex digits as far as they go;
    // never past the closing quote or over a line break.
    uint32_t escape_end(uint32_t backslash, uint32_t limit) const {
        uint32_t next = backslash + 1;
        if (next >= limit || text_[next] == '\n' || text_[next] == '\r') return next;
        if (text_[next] != 'u' || next + 1 >= limit || text_[next + 1] != '{') {
            // The escaped character whole, so no piece starts inside it.
            size_t character = utf8_sequence_length(reinterpret_cast<const unsigned char*>(text_) + next, limit - next);
            return next + static_cast<uint32_t>(character == 0 ? 1 : character);
        }
        uint32_t end = next + 2;
        while (end < limit && hex_digit_value(static_cast<unsigned char>(text_[end])) >= 0) ++end;
        return end < limit && text_[end] == '}' ? end + 1 : end;
    }

    // No modifier for an escape the decoder takes, `deprecated` for one it
    // keeps as written with a warning, `invalid` for one it rejects.
    uint32_t escape_modifiers(uint32_t start, uint32_t end) const {
        switch (escape_kind(text_ + start, end - start)) {
        case ESCAPE_KNOWN: return 0;
        case ESCAPE_UNKNOWN: return IDE_MODIFIER_DEPRECATED;
        case ESCAPE_INVALID: break;
        }
        return IDE_MODIFIER_INVALID;
    }

    const char* text_;
    std::vector<IdeHighlight> pieces_;
};

// What a keyword is for; the words of a closing line (`end get`) close a
// block, whatever they are on their own.
uint32_t keyword_modifiers(const Outline& o, size_t k) {
    if (k > 0 && o.tokens[k - 1].kind == TOKEN_END && o.tokens[k - 1].line == o.tokens[k].line) {
        return IDE_MODIFIER_CONTROL;
    }
    switch (keyword_class(o.tokens[k].kind)) {
    case KEYWORD_CONTROL: return IDE_MODIFIER_CONTROL;
    case KEYWORD_OPERATOR: return IDE_MODIFIER_WORD;
    case KEYWORD_CONSTANT: return IDE_MODIFIER_CONSTANT;
    case KEYWORD_DECLARATOR: return IDE_MODIFIER_DECLARATOR;
    default: return 0;
    }
}

// `{round 2}`: the modifier's name, then its arguments as the tokens they are.
void add_brace_prefix(const Analysis* analysis, const Token& prefix, uint32_t start, Collector* collector) {
    const char* name_end = prefix.start;
    const char* end = prefix.start + prefix.length;
    while (name_end < end && (is_ascii_letter(*name_end) || is_ascii_digit(*name_end) || *name_end == '_' ||
                              *name_end == '.')) {
        ++name_end;
    }
    uint32_t name_length = static_cast<uint32_t>(name_end - prefix.start);
    collector->add({start, start + name_length}, IDE_TOKEN_DECORATOR);
    if (name_end == end) return;
    // The arguments are scanned on their own copy; offsets map back by
    // where the copy starts in the text.
    std::string arguments(name_end, end);
    uint32_t base = static_cast<uint32_t>(name_end - analysis->text);
    Lexer lexer;
    lexer_init(&lexer, arguments.c_str(), 1);
    for (Token t = lexer_next_token(&lexer); t.kind != TOKEN_EOF; t = lexer_next_token(&lexer)) {
        uint32_t at = base + static_cast<uint32_t>(t.start - arguments.c_str());
        uint32_t type = type_by_kind(t.kind);
        if (t.kind == TOKEN_MODIFIER_PREFIX || type == kNoType) continue;
        if (t.kind == TOKEN_STRING) {
            collector->add_string({at, at + static_cast<uint32_t>(t.length)});
        } else {
            collector->add({at, at + static_cast<uint32_t>(t.length)}, type);
        }
    }
}

}  // namespace

namespace {

// What the name index adds: parameters, variables, fields and modules as
// they resolve, and the places that declare them.
std::vector<uint32_t> index_roles(Analysis* analysis, std::vector<uint32_t>* types) {
    const Outline& o = analysis_outline(analysis);
    const NameIndex& index = analysis_names(analysis);
    std::vector<uint32_t> modifiers(o.tokens.size(), 0);
    size_t use = 0;
    for (size_t k = 0; k < o.tokens.size(); ++k) {
        const Token& token = o.tokens[k];
        if (token.kind == TOKEN_MODIFIER_PREFIX) continue;
        uint32_t start = outline_token_offset(o, token);
        uint32_t end = start + static_cast<uint32_t>(token.length);
        while (use < index.uses.size() && index.uses[use].range.end <= start) ++use;
        if (use == index.uses.size() || index.uses[use].range.start >= end) continue;
        const NameUse& u = index.uses[use];
        if (u.role == ROLE_DECLARATION) modifiers[k] = IDE_MODIFIER_DECLARATION;
        if (u.range.start != start || ((*types)[k] != IDE_TOKEN_VARIABLE && (*types)[k] != IDE_TOKEN_PARAMETER)) continue;
        switch (u.kind) {
        case NAME_PARAMETER: (*types)[k] = IDE_TOKEN_PARAMETER; break;
        case NAME_VARIABLE: (*types)[k] = IDE_TOKEN_VARIABLE; break;
        case NAME_FIELD: (*types)[k] = IDE_TOKEN_PROPERTY; break;
        case NAME_ALIAS: (*types)[k] = IDE_TOKEN_NAMESPACE; break;
        default: break;
        }
    }
    return modifiers;
}

}  // namespace

std::vector<IdeHighlight> ide_semantic_tokens(Analysis* analysis, bool with_names) {
    const Outline& o = analysis_outline(analysis);
    std::vector<uint32_t> types = RolePass(o).run();
    std::vector<uint32_t> declared = with_names ? index_roles(analysis, &types) : std::vector<uint32_t>();
    Collector collector(analysis, o.tokens.size() + o.comments.size());
    size_t comment = 0;
    for (size_t k = 0; k <= o.tokens.size(); ++k) {
        // Comments before this token come first: the pieces are in text order.
        while (comment < o.comments.size() &&
               (k == o.tokens.size() || o.comments[comment].offset < outline_token_offset(o, o.tokens[k]))) {
            const OutlineComment& c = o.comments[comment++];
            collector.add_line({c.offset, c.offset + static_cast<uint32_t>(c.length)}, IDE_TOKEN_COMMENT);
        }
        if (k == o.tokens.size()) break;
        const Token& token = o.tokens[k];
        if (types[k] == kNoType) continue;
        uint32_t start = outline_token_offset(o, token);
        if (token.kind == TOKEN_MODIFIER_PREFIX && types[k] == IDE_TOKEN_DECORATOR) {
            add_brace_prefix(analysis, token, start, &collector);
        } else if (token.kind == TOKEN_STRING) {
            collector.add_string({start, start + static_cast<uint32_t>(token.length)});
        } else {
            // Every other token stands on one line.
            uint32_t modifiers = types[k] == IDE_TOKEN_KEYWORD ? keyword_modifiers(o, k) : 0;
            collector.add_line({start, start + static_cast<uint32_t>(token.length)}, types[k],
                               modifiers | (declared.empty() ? 0 : declared[k]));
        }
    }
    return collector.take();
}
