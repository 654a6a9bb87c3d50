#include "lexer/string_literal.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "ast/region.h"
#include "diag/render.h"

namespace {

constexpr const char* kCodepointRange =
    "invalid unicode escape: codepoint must be between 0 and 0x10FFFF";
constexpr const char* kSurrogate =
    "invalid unicode escape: surrogate codepoints (0xD800..0xDFFF) are not valid";
constexpr const char* kZeroCodepoint =
    "invalid unicode escape: \\u{0} is not allowed in a literal; use chr(0)";
constexpr const char* kUnterminatedEscape = "unterminated escape sequence";

constexpr uint32_t kMaxCodepoint = 0x10FFFF;
constexpr int32_t kMaxHexDigits = 6;

// The range starts at the token's position and walks its bytes, so a
// literal that runs over several lines ends on its last line.
SourceSpan token_span(int32_t line, int32_t column, const char* text, int32_t length) {
    SourceSpan span{line, column, line, column};
    for (int32_t i = 0; i < length; ++i) {
        if (text[i] == '\n') {
            ++span.end_line;
            span.end_column = 1;
        } else {
            ++span.end_column;
        }
    }
    return span;
}

DiagnosticList* context_list(const StringReport* context) {
    return context ? context->list : nullptr;
}

const char* context_path(const StringReport* context) {
    return context ? context->path : nullptr;
}

void add_span_error(const StringReport* context, DiagnosticKind kind, const SourceSpan& span,
                    const char* message) {
    diag_add_error(context_list(context), kind, 0, context_path(context), span, message);
}

void add_span_warning(const StringReport* context, DiagnosticKind kind, const SourceSpan& span,
                      const char* message) {
    DiagnosticList* list = context_list(context);
    if (list) {
        diag_list_push(list, SEVERITY_WARNING, kind, 0, context_path(context), span, message);
        return;
    }
    // Without a list a warning is written like an error would be: one text
    // line on standard error. The record only borrows its strings here.
    Diagnostic diagnostic{SEVERITY_WARNING, kind, 0, const_cast<char*>(context_path(context)),
                          span, const_cast<char*>(message ? message : ""), DiagFix{DIAG_FIX_NONE, 0, 0},
                          DiagSubject{}};
    diag_render_text(stderr, &diagnostic);
}

char* empty_string() {
    char* value = static_cast<char*>(tree_alloc(1));
    value[0] = '\0';
    return value;
}

// Reads the digits of a `\u{...}` escape starting at `i` (just after the
// `{`) up to the closing brace or `end`. Returns the index just past the
// escape and stores the message of the first problem in *error, or null.
// Values are accumulated only while they can still be valid, so an
// arbitrarily long digit run cannot overflow.
int32_t read_codepoint(const char* text, int32_t i, int32_t end, uint32_t* value,
                       const char** error) {
    uint32_t result = 0;
    int32_t digits = 0;
    int32_t bad_digit = 0;
    for (; i < end && text[i] != '}'; ++i) {
        int32_t digit = hex_digit_value(static_cast<unsigned char>(text[i]));
        if (digit < 0) bad_digit = 1;  // only direct callers can get here
        ++digits;
        if (digits <= kMaxHexDigits && digit >= 0) result = result * 16 + static_cast<uint32_t>(digit);
    }
    if (i < end) ++i;  // step over the `}`
    *value = result;
    if (bad_digit || digits > kMaxHexDigits || result > kMaxCodepoint) {
        *error = kCodepointRange;
    } else if (result >= 0xD800 && result <= 0xDFFF) {
        *error = kSurrogate;
    } else if (result == 0) {
        *error = kZeroCodepoint;
    } else {
        *error = nullptr;
    }
    return i;
}

char simple_escape_value(char escaped) {
    switch (escaped) {
        case 'n': return '\n';
        case 't': return '\t';
        case '"': return '"';
        case '\\': return '\\';
        default: return 0;
    }
}

// `backslash` points at the escape's backslash in the analysed text.
void warn_unknown_escape(const StringReport* context, const SourceSpan& span, const char* backslash) {
    char escaped = backslash[1];
    char message[96];
    snprintf(message, sizeof message,
             "unknown escape \\%c kept as the two characters; write \\\\%c to say so", escaped,
             escaped);
    add_span_warning(context, TV_DIAG_STRING_LITERAL, span, message);
    if (context != nullptr && context->source != nullptr && backslash >= context->source) {
        diag_list_mark_fix(context->list, {DIAG_FIX_UNKNOWN_ESCAPE,
                                           static_cast<uint32_t>(backslash - context->source), 2});
    }
}

}  // namespace

EscapeKind escape_kind(const char* escape, size_t length) {
    if (length < 2 || escape[1] != 'u') {
        return length == 2 && simple_escape_value(escape[1]) ? ESCAPE_KNOWN : ESCAPE_UNKNOWN;
    }
    if (length < 4 || escape[2] != '{' || escape[length - 1] != '}') return ESCAPE_INVALID;
    uint32_t code_point = 0;
    const char* error = nullptr;
    read_codepoint(escape, 3, static_cast<int32_t>(length), &code_point, &error);
    return error == nullptr ? ESCAPE_KNOWN : ESCAPE_INVALID;
}

int32_t hex_digit_value(unsigned char byte) {
    if (byte >= '0' && byte <= '9') return byte - '0';
    if (byte >= 'a' && byte <= 'f') return byte - 'a' + 10;
    if (byte >= 'A' && byte <= 'F') return byte - 'A' + 10;
    return -1;
}

int32_t encode_utf8(uint32_t v, char buffer[4]) {
    if (v < 0x80) {
        buffer[0] = static_cast<char>(v);
        return 1;
    }
    if (v < 0x800) {
        buffer[0] = static_cast<char>(0xC0 | v >> 6);
        buffer[1] = static_cast<char>(0x80 | (v & 0x3F));
        return 2;
    }
    if (v <= 0xFFFF) {
        buffer[0] = static_cast<char>(0xE0 | v >> 12);
        buffer[1] = static_cast<char>(0x80 | ((v >> 6) & 0x3F));
        buffer[2] = static_cast<char>(0x80 | (v & 0x3F));
        return 3;
    }
    buffer[0] = static_cast<char>(0xF0 | ((v >> 18) & 0x07));
    buffer[1] = static_cast<char>(0x80 | ((v >> 12) & 0x3F));
    buffer[2] = static_cast<char>(0x80 | ((v >> 6) & 0x3F));
    buffer[3] = static_cast<char>(0x80 | (v & 0x3F));
    return 4;
}

void add_token_error(const StringReport* context, DiagnosticKind kind, int32_t line, int32_t column,
                     const char* text, int32_t length, const char* message) {
    add_span_error(context, kind, token_span(line, column, text, length), message);
}

void add_token_warning(const StringReport* context, DiagnosticKind kind, int32_t line, int32_t column,
                       const char* text, int32_t length, const char* message) {
    add_span_warning(context, kind, token_span(line, column, text, length), message);
}

char* decode_string_literal(const StringReport* context, const char* text, int32_t length, int32_t line,
                            int32_t column, int32_t* ok) {
    *ok = 1;
    if (length <= 1) return empty_string();

    // Decoding never lengthens a literal, so the text between the quotes
    // plus a terminator always fits.
    char* value = static_cast<char*>(tree_alloc(static_cast<size_t>(length) - 1));
    int32_t out = 0;
    const int32_t end = length - 1;  // index of the closing quote
    const char* error = nullptr;
    // The literal's range is walked out on the first diagnostic that needs
    // it and reused by every later one: a literal full of unknown escapes
    // costs one walk, not one per warning.
    std::optional<SourceSpan> range;
    auto literal_span = [&]() -> const SourceSpan& {
        if (!range) range = token_span(line, column, text, length);
        return *range;
    };
    int32_t i = 1;
    while (i < end && !error) {
        char byte = text[i];
        if (byte != '\\') {
            value[out++] = byte;
            ++i;
            continue;
        }
        if (i + 1 >= end) {
            error = kUnterminatedEscape;
            break;
        }
        char escaped = text[i + 1];
        if (escaped == 'u') {
            // The scanner has checked that `{` follows, so the byte after the
            // `u` is stepped over unseen; the closing quote still bounds it.
            int32_t digits_start = i + 3 < end ? i + 3 : end;
            uint32_t code_point = 0;
            i = read_codepoint(text, digits_start, end, &code_point, &error);
            if (!error) out += encode_utf8(code_point, value + out);
            continue;
        }
        char simple = simple_escape_value(escaped);
        if (simple) {
            value[out++] = simple;
        } else {
            warn_unknown_escape(context, literal_span(), text + i);
            value[out++] = '\\';
            value[out++] = escaped;
        }
        i += 2;
    }

    if (error) {
        add_span_error(context, TV_DIAG_STRING_LITERAL, literal_span(), error);
        *ok = 0;
        tree_free(value);
        return nullptr;
    }
    value[out] = '\0';
    return value;
}
