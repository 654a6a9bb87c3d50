// Semantic tokens for the whole document: every token and comment with its
// role, in text order. A token that runs over several lines (a string)
// comes line by line, each piece without its line break.
#include <cstring>
#include <string_view>
#include <unordered_set>

#include "ide/features.h"
#include "lexer/duration_units.h"

namespace {

constexpr uint32_t kNoType = UINT32_MAX;

std::string_view view(const Token& token) { return {token.start, static_cast<size_t>(token.length)}; }

// Who is who among the names: declared functions, each function's
// parameters (by token range), labels and route verbs.
struct NameRoles {
    std::unordered_set<std::string_view> functions;
    std::vector<int32_t> function_of;  // per token: the function block around it, or -1
    std::vector<std::unordered_set<std::string_view>> parameters;  // per block
    std::vector<bool> is_verb;         // per token
    std::vector<bool> is_label;        // per token
    std::vector<uint32_t> fixed;       // per token: a type settled by its place, or kNoType
};

void find_roles(const Outline& o, NameRoles* roles) {
    roles->function_of.assign(o.tokens.size(), -1);
    roles->parameters.resize(o.blocks.size());
    roles->is_verb.assign(o.tokens.size(), false);
    roles->is_label.assign(o.tokens.size(), false);
    roles->fixed.assign(o.tokens.size(), kNoType);
    for (size_t k = 1; k < o.tokens.size(); ++k) {
        // The word closing a block (`end get`, `end server`) is part of the keyword.
        if (o.tokens[k - 1].kind == TOKEN_END && o.tokens[k].kind == TOKEN_IDENT &&
            o.tokens[k].line == o.tokens[k - 1].line) {
            roles->fixed[k] = IDE_TOKEN_KEYWORD;
        }
    }
    for (size_t i = 0; i < o.blocks.size(); ++i) {
        const OutlineBlock& block = o.blocks[i];
        if (block.kind == BLOCK_SERVER || block.kind == BLOCK_SITE) {
            // `server shop(`: the block word is a keyword, the name a name.
            roles->fixed[block.opener] = IDE_TOKEN_KEYWORD;
            roles->fixed[block.name_token] = IDE_TOKEN_VARIABLE;
        }
        if (block.kind == BLOCK_ROUTE) roles->is_verb[block.name_token] = true;
        if (block.kind != BLOCK_FUNCTION && block.kind != BLOCK_ROUTE) continue;
        if (block.kind == BLOCK_FUNCTION) roles->functions.insert(view(o.tokens[block.name_token]));
        // Parameters: the names in the opener's parentheses before `,`, `=` or `)`.
        size_t t = block.name_token;
        while (t < o.tokens.size() && o.tokens[t].line == block.start_line && o.tokens[t].kind != TOKEN_LPAREN) ++t;
        for (++t; t + 1 < o.tokens.size() && o.tokens[t].line == block.start_line; ++t) {
            TokenKind next = o.tokens[t + 1].kind;
            if (o.tokens[t].kind == TOKEN_IDENT && (next == TOKEN_COMMA || next == TOKEN_RPAREN || next == TOKEN_OP_EQ)) {
                roles->parameters[i].insert(view(o.tokens[t]));
            }
            if (o.tokens[t].kind == TOKEN_RPAREN) break;
        }
        for (size_t k = block.opener; k < o.tokens.size(); ++k) {
            const Token& token = o.tokens[k];
            if (std::make_pair(token.line, token.column) > std::make_pair(block.end_line, block.end_column)) break;
            roles->function_of[k] = static_cast<int32_t>(i);
        }
    }
    for (size_t token : o.labels) roles->is_label[token] = true;
    for (size_t k = 1; k < o.tokens.size(); ++k) {
        TokenKind before = o.tokens[k - 1].kind;
        if ((before == TOKEN_GOTO || before == TOKEN_GOSUB) && o.tokens[k].kind == TOKEN_IDENT) roles->is_label[k] = true;
    }
}

uint32_t type_of(const Outline& o, const NameRoles& roles, size_t k) {
    const Token& token = o.tokens[k];
    if (token_is_keyword(token.kind)) return IDE_TOKEN_KEYWORD;
    if (token_is_operator(token.kind)) return IDE_TOKEN_OPERATOR;
    switch (token.kind) {
    case TOKEN_NUMBER: return IDE_TOKEN_NUMBER;
    case TOKEN_STRING: return IDE_TOKEN_STRING;
    case TOKEN_QUALIFIED_IDENT:
    case TOKEN_MODIFIER_PREFIX: return IDE_TOKEN_FUNCTION;
    case TOKEN_IDENT: break;
    default: return kNoType;  // brackets and punctuation
    }
    if (roles.fixed[k] != kNoType) return roles.fixed[k];
    if (roles.is_verb[k]) return IDE_TOKEN_METHOD;
    if (roles.is_label[k]) return IDE_TOKEN_LABEL;
    if (k > 0 && o.tokens[k - 1].kind == TOKEN_NUMBER && duration_unit_of(token.start, static_cast<size_t>(token.length)) >= 0) return IDE_TOKEN_NUMBER;
    bool called = k + 1 < o.tokens.size() && o.tokens[k + 1].kind == TOKEN_LPAREN;
    if (called || roles.functions.count(view(token)) > 0) return IDE_TOKEN_FUNCTION;
    int32_t function = roles.function_of[k];
    if (function >= 0 && roles.parameters[static_cast<size_t>(function)].count(view(token)) > 0) {
        return IDE_TOKEN_PARAMETER;
    }
    return IDE_TOKEN_VARIABLE;
}

// Collects the pieces in text order; a piece never holds a line break.
class Collector {
public:
    explicit Collector(const Analysis* analysis) : text_(analysis->text) {}

    void add(TextRange range, uint32_t type) {
        if (range.empty()) return;
        pieces_.push_back({range, static_cast<IdeTokenType>(type)});
    }

    // A token whose text may hold line breaks (a string literal): one piece
    // per line, a CRLF break left out whole.
    void add_lines(TextRange range, uint32_t type) {
        uint32_t from = range.start;
        for (uint32_t i = range.start; i <= range.end; ++i) {
            if (i == range.end || text_[i] == '\n') {
                uint32_t end = i;
                if (i < range.end && end > from && text_[end - 1] == '\r') --end;
                add({from, end}, type);
                from = i + 1;
            }
        }
    }

    std::vector<IdeHighlight> take() { return std::move(pieces_); }

private:
    const char* text_;
    std::vector<IdeHighlight> pieces_;
};

}  // namespace

std::vector<IdeHighlight> ide_semantic_tokens(Analysis* analysis) {
    const Outline& o = analysis_outline(analysis);
    NameRoles roles;
    find_roles(o, &roles);
    Collector collector(analysis);
    size_t comment = 0;
    for (size_t k = 0; k <= o.tokens.size(); ++k) {
        // Comments before this token come first: the pieces are in text order.
        while (comment < o.comments.size() &&
               (k == o.tokens.size() || o.comments[comment].offset < outline_token_offset(o, o.tokens[k]))) {
            const OutlineComment& c = o.comments[comment++];
            collector.add({c.offset, c.offset + static_cast<uint32_t>(c.length)}, IDE_TOKEN_COMMENT);
        }
        if (k == o.tokens.size()) break;
        const Token& token = o.tokens[k];
        uint32_t type = type_of(o, roles, k);
        if (type == kNoType) continue;
        uint32_t start = outline_token_offset(o, token);
        // A brace prefix is coloured on the name inside its braces.
        collector.add_lines({start, start + static_cast<uint32_t>(token.length)}, type);
    }
    return collector.take();
}
