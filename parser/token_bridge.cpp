#include "parser/token_bridge.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "ast/region.h"
#include "lexer/lexer.h"
#include "lexer/scanner_internal.h"
#include "lexer/string_literal.h"
#include "parser/parse_context.h"
#include "parser/parse_value.h"

namespace {

struct KindCode {
    TokenKind kind;
    ParserTokenCode code;
};

// Every lexer kind with a parser token. The keyword `unknown` becomes
// UNKNOWN_VALUE on the parser side; TOKEN_ERROR has no parser token.
constexpr KindCode kKindCodes[] = {
    {TOKEN_EOF, PTOK_END_OF_INPUT},
    {TOKEN_IDENT, PTOK_IDENT},
    {TOKEN_QUALIFIED_IDENT, PTOK_QUALIFIED_IDENT},
    {TOKEN_NUMBER, PTOK_NUMBER},
    {TOKEN_STRING, PTOK_STRING},
    {TOKEN_LENS_CONTENT, PTOK_LENS_CONTENT},
    {TOKEN_PROGRAM, PTOK_PROGRAM},
    {TOKEN_LIBRARY, PTOK_LIBRARY},
    {TOKEN_LOAD, PTOK_LOAD},
    {TOKEN_USE, PTOK_USE},
    {TOKEN_EXPORT, PTOK_EXPORT},
    {TOKEN_IF, PTOK_IF},
    {TOKEN_CONSIDER_IF, PTOK_CONSIDER_IF},
    {TOKEN_THEN, PTOK_THEN},
    {TOKEN_ELSE, PTOK_ELSE},
    {TOKEN_CONSIDER_ELSE, PTOK_CONSIDER_ELSE},
    {TOKEN_END, PTOK_END},
    {TOKEN_END_CONSIDER, PTOK_END_CONSIDER},
    {TOKEN_FOR, PTOK_FOR},
    {TOKEN_TO, PTOK_TO},
    {TOKEN_STEP, PTOK_STEP},
    {TOKEN_DO, PTOK_DO},
    {TOKEN_UNTIL, PTOK_UNTIL},
    {TOKEN_WHILE, PTOK_WHILE},
    {TOKEN_CONSIDER, PTOK_CONSIDER},
    {TOKEN_BREAK, PTOK_BREAK},
    {TOKEN_CONTINUE, PTOK_CONTINUE},
    {TOKEN_FUNCTION, PTOK_FUNCTION},
    {TOKEN_RETURN, PTOK_RETURN},
    {TOKEN_PRINT, PTOK_PRINT},
    {TOKEN_DIM, PTOK_DIM},
    {TOKEN_AS, PTOK_AS},
    {TOKEN_WATCH, PTOK_WATCH},
    {TOKEN_UNWATCH, PTOK_UNWATCH},
    {TOKEN_WITHOUT, PTOK_WITHOUT},
    {TOKEN_WATCHERS, PTOK_WATCHERS},
    {TOKEN_MODIFIER, PTOK_MODIFIER},
    {TOKEN_GOTO, PTOK_GOTO},
    {TOKEN_GOSUB, PTOK_GOSUB},
    {TOKEN_WITH, PTOK_WITH},
    {TOKEN_NEW, PTOK_NEW},
    {TOKEN_SPAWN, PTOK_SPAWN},
    {TOKEN_ON, PTOK_ON},
    {TOKEN_NEXT, PTOK_NEXT},
    {TOKEN_STOP, PTOK_STOP},
    {TOKEN_ERROR_VALUE, PTOK_ERROR_VALUE},
    {TOKEN_TRUE, PTOK_TRUE},
    {TOKEN_FALSE, PTOK_FALSE},
    {TOKEN_NOTHING, PTOK_NOTHING},
    {TOKEN_UNKNOWN, PTOK_UNKNOWN_VALUE},
    {TOKEN_AND, PTOK_AND},
    {TOKEN_OR, PTOK_OR},
    {TOKEN_NOT, PTOK_NOT},
    {TOKEN_EXCLUDING, PTOK_EXCLUDING},
    {TOKEN_INTERSECTING, PTOK_INTERSECTING},
    {TOKEN_IN, PTOK_IN},
    {TOKEN_EACH, PTOK_EACH},
    {TOKEN_OP_EQ, PTOK_OP_EQ},
    {TOKEN_OP_NE, PTOK_OP_NE},
    {TOKEN_OP_GT, PTOK_OP_GT},
    {TOKEN_OP_LT, PTOK_OP_LT},
    {TOKEN_OP_GE, PTOK_OP_GE},
    {TOKEN_OP_LE, PTOK_OP_LE},
    {TOKEN_OP_NGT, PTOK_OP_NGT},
    {TOKEN_OP_NLT, PTOK_OP_NLT},
    {TOKEN_OP_NGE, PTOK_OP_NGE},
    {TOKEN_OP_NLE, PTOK_OP_NLE},
    {TOKEN_PLUS, PTOK_PLUS},
    {TOKEN_MINUS, PTOK_MINUS},
    {TOKEN_STAR, PTOK_STAR},
    {TOKEN_SLASH, PTOK_SLASH},
    {TOKEN_PLUS_EQ, PTOK_PLUS_EQ},
    {TOKEN_MINUS_EQ, PTOK_MINUS_EQ},
    {TOKEN_STAR_EQ, PTOK_STAR_EQ},
    {TOKEN_SLASH_EQ, PTOK_SLASH_EQ},
    {TOKEN_LPAREN, PTOK_LPAREN},
    {TOKEN_RPAREN, PTOK_RPAREN},
    {TOKEN_LBRACKET, PTOK_LBRACKET},
    {TOKEN_RBRACKET, PTOK_RBRACKET},
    {TOKEN_MODIFIER_PREFIX, PTOK_MODIFIER_PREFIX},
    {TOKEN_LBRACE, PTOK_LBRACE},
    {TOKEN_RBRACE, PTOK_RBRACE},
    {TOKEN_COMMA, PTOK_COMMA},
    {TOKEN_DOT, PTOK_DOT},
    {TOKEN_COLON, PTOK_COLON},
    {TOKEN_NEWLINE, PTOK_NEWLINE},
};

constexpr int32_t kNoParserToken = -1;

constexpr std::array<int32_t, TOKEN_KIND_COUNT> build_code_table() {
    std::array<int32_t, TOKEN_KIND_COUNT> table{};
    table.fill(kNoParserToken);
    for (const KindCode& entry : kKindCodes) table[entry.kind] = entry.code;
    return table;
}

constexpr std::array<int32_t, TOKEN_KIND_COUNT> kCodeOfKind = build_code_table();

constexpr bool every_kind_but_error_mapped() {
    for (int32_t kind = 0; kind < TOKEN_KIND_COUNT; ++kind) {
        bool mapped = kCodeOfKind[kind] != kNoParserToken;
        if (mapped == (kind == TOKEN_ERROR)) return false;
    }
    return true;
}
static_assert(every_kind_but_error_mapped(), "each token kind except ERROR needs a parser token");
static_assert(sizeof kKindCodes / sizeof kKindCodes[0] == TOKEN_KIND_COUNT - 1,
              "a token kind is listed twice");

constexpr int32_t kNumberBufferSize = 64;

// Shifts the current facts to the previous ones and records the new token.
void record_token_facts(ParseContext* context, const Token& token, const SourceSpan& span) {
    context->token_location = span;
    context->prev_token_kind = context->token_kind;
    memcpy(context->prev_token_word, context->token_word, sizeof context->prev_token_word);
    context->token_kind = token.kind;
    context->token_end = token.start + token.length;
    if (token.length >= 1 && token.length < PARSE_WORD_SIZE && scanner::is_name_start(token.start[0])) {
        memcpy(context->token_word, token.start, static_cast<size_t>(token.length));
        context->token_word[token.length] = '\0';
    } else {
        context->token_word[0] = '\0';
    }
}

bool is_digit_of_base(char byte, int base) {
    return base == 16 ? scanner::is_hex_digit(byte) : scanner::is_digit(byte);
}

// A whole decimal or 0x-hexadecimal integer within the signed 64-bit range.
bool read_integer(const char* numeral, int64_t* value) {
    int base = 10;
    const char* rest = numeral;
    if (numeral[0] == '0' && (numeral[1] == 'x' || numeral[1] == 'X')) {
        base = 16;
        rest += 2;
    }
    if (rest[0] == '\0') return false;
    for (const char* p = rest; *p; ++p) {
        if (!is_digit_of_base(*p, base)) return false;
    }
    errno = 0;
    char* end = nullptr;
    long long integer = strtoll(rest, &end, base);
    if (errno != 0 || *end != '\0') return false;
    *value = integer;
    return true;
}

int lexical_error(ParseContext* context, const Token& token) {
    const char* detail = context->lexer->error_message;
    if (detail[0] != '\0') {
        add_token_error(context, TV_DIAG_LEX_DETAIL, token.line, token.column, token.start,
                        token.length, detail);
    } else {
        add_token_error(context, TV_DIAG_LEX_ERROR, token.line, token.column, token.start,
                        token.length, "unexpected token");
    }
    context->failed = 1;
    return PTOK_END_OF_INPUT;
}

}  // namespace

void convert_number_token(const char* text, int32_t length, NumberValue* number) {
    // Numerals longer than the buffer are read from their first 63 bytes.
    char buffer[kNumberBufferSize];
    size_t used = length < 0 ? 0 : static_cast<size_t>(length);
    if (used > kNumberBufferSize - 1) used = kNumberBufferSize - 1;
    memcpy(buffer, text, used);
    buffer[used] = '\0';

    number->integer_value = 0;
    number->is_integer = 0;
    if (read_integer(buffer, &number->integer_value)) {
        number->is_integer = 1;
        number->value = static_cast<double>(number->integer_value);
    } else {
        number->value = strtod(buffer, nullptr);
    }
}

int yylex(ParseValue* value, SourceSpan* location, ParseContext* context) {
    Token token = lexer_next_token(context->lexer);
    SourceSpan span{token.line, token.column, token.line, token.column + token.length};
    *location = span;
    record_token_facts(context, token, span);

    switch (token.kind) {
        case TOKEN_EOF:
            return PTOK_END_OF_INPUT;
        case TOKEN_IDENT:
        case TOKEN_QUALIFIED_IDENT:
        case TOKEN_LENS_CONTENT:
        case TOKEN_MODIFIER_PREFIX:
            value->text = tree_copy_text(token.start, static_cast<size_t>(token.length));
            return kCodeOfKind[token.kind];
        case TOKEN_NUMBER:
            convert_number_token(token.start, token.length, &value->number);
            return PTOK_NUMBER;
        case TOKEN_STRING: {
            int32_t ok = 0;
            char* decoded = decode_string_literal(context, token.start, token.length, token.line,
                                                  token.column, &ok);
            if (!ok) {
                context->failed = 1;
                return PTOK_END_OF_INPUT;
            }
            value->text = decoded;
            return PTOK_STRING;
        }
        case TOKEN_ERROR:
            return lexical_error(context, token);
        default:
            // Every other kind has a parser token (checked at compile time).
            return kCodeOfKind[token.kind];
    }
}
