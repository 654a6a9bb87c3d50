// Semantic tokens for the whole document: every token and comment with its
// type, delta-encoded as the protocol says, lengths and columns in the
// negotiated encoding. A token that runs over several lines (a string) is
// sent line by line.
#include <cstring>
#include <string_view>
#include <unordered_set>

#include "lsp/features.h"

namespace {

constexpr uint32_t kNoType = UINT32_MAX;

bool is_keyword(TokenKind kind) { return kind >= TOKEN_PROGRAM && kind <= TOKEN_EACH; }
bool is_operator(TokenKind kind) { return kind >= TOKEN_OP_EQ && kind <= TOKEN_SLASH_EQ; }

bool is_unit_word(std::string_view word) {
    for (const char* unit : {"year", "month", "week", "day", "hour", "minute", "second"}) {
        std::string_view u(unit);
        if (word == u || (word.size() == u.size() + 1 && word.substr(0, u.size()) == u && word.back() == 's')) {
            return true;
        }
    }
    return false;
}

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
            roles->fixed[k] = SEMANTIC_KEYWORD;
        }
    }
    for (size_t i = 0; i < o.blocks.size(); ++i) {
        const OutlineBlock& block = o.blocks[i];
        if (block.kind == BLOCK_SERVER || block.kind == BLOCK_SITE) {
            // `server shop(`: the block word is a keyword, the name a name.
            roles->fixed[block.opener] = SEMANTIC_KEYWORD;
            roles->fixed[block.name_token] = SEMANTIC_VARIABLE;
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
    if (is_keyword(token.kind)) return SEMANTIC_KEYWORD;
    if (is_operator(token.kind)) return SEMANTIC_OPERATOR;
    switch (token.kind) {
    case TOKEN_NUMBER: return SEMANTIC_NUMBER;
    case TOKEN_STRING: return SEMANTIC_STRING;
    case TOKEN_QUALIFIED_IDENT:
    case TOKEN_MODIFIER_PREFIX: return SEMANTIC_FUNCTION;
    case TOKEN_IDENT: break;
    default: return kNoType;  // brackets and punctuation
    }
    if (roles.fixed[k] != kNoType) return roles.fixed[k];
    if (roles.is_verb[k]) return SEMANTIC_METHOD;
    if (roles.is_label[k]) return SEMANTIC_LABEL;
    if (k > 0 && o.tokens[k - 1].kind == TOKEN_NUMBER && is_unit_word(view(token))) return SEMANTIC_NUMBER;
    bool called = k + 1 < o.tokens.size() && o.tokens[k + 1].kind == TOKEN_LPAREN;
    if (called || roles.functions.count(view(token)) > 0) return SEMANTIC_FUNCTION;
    int32_t function = roles.function_of[k];
    if (function >= 0 && roles.parameters[static_cast<size_t>(function)].count(view(token)) > 0) {
        return SEMANTIC_PARAMETER;
    }
    return SEMANTIC_VARIABLE;
}

class Encoder {
public:
    explicit Encoder(FeatureDocument* document)
        : document_(document), has_mark_(std::strncmp(document->text, "\xEF\xBB\xBF", 3) == 0) {}

    // One single-line range, from (line, column) over `bytes` bytes.
    void add(int32_t line, int32_t column, int32_t bytes, uint32_t type) {
        if (bytes <= 0) return;
        ProtocolPosition start = document_->at(line, column);
        // The length is counted on the bytes themselves, where the token lies.
        const char* first = document_->text + document_->index.starts[static_cast<size_t>(line - 1)] +
                            (column - 1) + (line == 1 && has_mark_ ? 3 : 0);
        int32_t length = document_->encoding == POSITION_ENCODING_UTF8
                             ? bytes
                             : utf16_units(first, static_cast<size_t>(bytes));
        uint32_t delta_line = static_cast<uint32_t>(start.line - last_line_);
        uint32_t delta_start = static_cast<uint32_t>(delta_line == 0 ? start.character - last_character_ : start.character);
        data_.insert(data_.end(), {delta_line, delta_start, static_cast<uint32_t>(length), type, 0});
        last_line_ = start.line;
        last_character_ = start.character;
    }

    // A token whose text may hold line breaks (a string literal).
    void add_text(int32_t line, int32_t column, const char* text, int32_t length, uint32_t type) {
        int32_t from = 0;
        for (int32_t i = 0; i <= length; ++i) {
            if (i == length || text[i] == '\n') {
                add(line, column, i - from, type);
                ++line;
                column = 1;
                from = i + 1;
            }
        }
    }

    const std::vector<uint32_t>& data() const { return data_; }

private:
    FeatureDocument* document_;
    bool has_mark_;  // line 1 starts after a byte-order mark
    std::vector<uint32_t> data_;
    int32_t last_line_ = 0;
    int32_t last_character_ = 0;
};

}  // namespace

void on_semantic_tokens(ServerState* state, const IncomingMessage& message) {
    if (!feature_enabled(state->features.semantic_tokens, message)) return;
    FeatureDocument document;
    if (!feature_document_open(state, text_document_uri(message.params), &document)) {
        send_null_result(message.id);
        return;
    }
    const Outline& o = document.outline;
    NameRoles roles;
    find_roles(o, &roles);
    Encoder encoder(&document);
    size_t comment = 0;
    for (size_t k = 0; k <= o.tokens.size(); ++k) {
        // Comments before this token come first: the data is in text order.
        while (comment < o.comments.size() &&
               (k == o.tokens.size() || std::make_pair(o.comments[comment].line, o.comments[comment].column) <
                                            std::make_pair(o.tokens[k].line, o.tokens[k].column))) {
            const OutlineComment& c = o.comments[comment++];
            encoder.add(c.line, c.column, c.length, SEMANTIC_COMMENT);
        }
        if (k == o.tokens.size()) break;
        const Token& token = o.tokens[k];
        uint32_t type = type_of(o, roles, k);
        if (type == kNoType) continue;
        if (token.kind == TOKEN_MODIFIER_PREFIX) {
            // The name inside the braces; the token stands at its `{`.
            const char* brace = document.text + document.index.starts[static_cast<size_t>(token.line - 1)] + (token.column - 1);
            encoder.add(token.line, token.column + static_cast<int32_t>(token.start - brace), token.length, type);
        } else {
            encoder.add_text(token.line, token.column, token.start, token.length, type);
        }
    }
    send_semantic_tokens(message.id, encoder.data());
}
