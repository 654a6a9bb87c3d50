#include "parser/token_bridge.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "ast/region.h"
#include "lexer/lexer.h"
#include "lexer/scanner_internal.h"
#include "lexer/string_literal.h"
#include "parser/grammar.tab.h"
#include "parser/parse_context.h"
#include "parser/parse_value.h"

namespace {

// The grammar token of every lexer kind, straight from the vocabulary.
constexpr int32_t kCodeOfKind[TOKEN_KIND_COUNT] = {
#define TOVEL_GRAMMAR_TOKEN(kind, grammar_token) TOK_##grammar_token,
    TOVEL_TOKEN_KINDS(TOVEL_GRAMMAR_TOKEN)
#undef TOVEL_GRAMMAR_TOKEN
};

constexpr bool only_error_is_undefined() {
    for (int32_t kind = 0; kind < TOKEN_KIND_COUNT; ++kind) {
        if ((kCodeOfKind[kind] == TOK_YYUNDEF) != (kind == TOKEN_ERROR)) return false;
    }
    return kCodeOfKind[TOKEN_EOF] == TOK_YYEOF;
}
static_assert(only_error_is_undefined(),
              "every kind but ERROR has a grammar token, and EOF is the end of input");

constexpr int32_t kNumberBufferSize = 64;

// Shifts the current facts to the previous ones and records the new token.
void record_token_facts(ParseContext* context, const Token& token, const SourceSpan& span) {
    context->token_location = span;
    context->prev_token_kind = context->token_kind;
    memcpy(context->prev_token_word, context->token_word, sizeof context->prev_token_word);
    context->token_kind = token.kind;
    context->token_end = token.start + token.length;
    context->prev_token_offset = context->token_offset;
    context->token_offset = static_cast<uint32_t>(token.start - context->lexer->source);
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

StringReport string_report(const ParseContext* context) {
    return StringReport{context->diagnostics, context->path, context->lexer->source};
}

int lexical_error(ParseContext* context, const Token& token) {
    const char* detail = context->lexer->error_message;
    StringReport report = string_report(context);
    if (detail[0] != '\0') {
        add_token_error(&report, TV_DIAG_LEX_DETAIL, token.line, token.column, token.start,
                        token.length, detail);
        if (context->lexer->error_fix != DIAG_FIX_NONE) {
            diag_list_mark_fix(context->diagnostics,
                               {context->lexer->error_fix, static_cast<uint32_t>(token.start - context->lexer->source),
                                static_cast<uint32_t>(token.length)});
        }
    } else {
        add_token_error(&report, TV_DIAG_LEX_ERROR, token.line, token.column, token.start,
                        token.length, "unexpected token");
    }
    context->failed = 1;
    return TOK_YYEOF;
}

}  // namespace

int32_t grammar_token_code(int32_t kind) {
    return kind >= 0 && kind < TOKEN_KIND_COUNT ? kCodeOfKind[kind] : TOK_YYUNDEF;
}

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
            return TOK_YYEOF;
        case TOKEN_IDENT:
        case TOKEN_QUALIFIED_IDENT:
        case TOKEN_LENS_CONTENT:
        case TOKEN_MODIFIER_PREFIX:
            value->text = tree_copy_text(token.start, static_cast<size_t>(token.length));
            return kCodeOfKind[token.kind];
        case TOKEN_NUMBER:
            convert_number_token(token.start, token.length, &value->number);
            return TOK_NUMBER;
        case TOKEN_STRING: {
            int32_t ok = 0;
            StringReport report = string_report(context);
            char* decoded = decode_string_literal(&report, token.start, token.length, token.line,
                                                  token.column, &ok);
            if (!ok) {
                context->failed = 1;
                return TOK_YYEOF;
            }
            value->text = decoded;
            return TOK_STRING;
        }
        case TOKEN_ERROR:
            return lexical_error(context, token);
        default:
            // Every other kind has a parser token (checked at compile time).
            return kCodeOfKind[token.kind];
    }
}
