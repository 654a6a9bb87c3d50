// A `{` opens a brace prefix (`{scale}`, `{within 0.5}`) when a name and
// its close follow on the same line, and a bracket (record or lens)
// otherwise. Lens text is the raw text up to the `}`, taken when the
// parser asks for it.
#include "lexer/lexer.h"
#include "lexer/scanner_internal.h"

namespace scanner {
namespace {

// A dotted name: `a`, `a.b`, `a.b.c` (each part starting with a letter or
// `_`).
const char* skip_dotted_name(const char* p) {
    p = skip_class(p, CLASS_NAME);
    while (p[0] == '.' && is_name_start(p[1])) p = skip_class(p + 1, CLASS_NAME);
    return p;
}

Token prefix_token(Lexer* lexer, TokenStart at, const char* text, const char* text_end,
                   const char* close) {
    advance_to(lexer, close + 1);
    return Token{text, TOKEN_MODIFIER_PREFIX, static_cast<int32_t>(text_end - text), at.line,
                 at.column};
}

}  // namespace

Token scan_brace(Lexer* lexer, TokenStart at) {
    const char* name = lexer->cur;
    while (is_space_or_tab(*name)) ++name;
    if (is_name_start(*name)) {
        const char* name_end = skip_dotted_name(name);
        const char* after = name_end;
        while (is_space_or_tab(*after)) ++after;
        if (*after == '}') return prefix_token(lexer, at, name, name_end, after);
        if (*after != ':' && *after != '=' && *after != '(') {
            const char* close = find_prefix_close(lexer, after);
            if (close != nullptr) {
                const char* text_end = close;
                while (text_end > name && is_space_or_tab(text_end[-1])) --text_end;
                return prefix_token(lexer, at, name, text_end, close);
            }
        }
    }
    bracket_push(lexer, '{', at.line);
    return make_token(lexer, TOKEN_LBRACE, at);
}

// Lens text runs up to the first `}` outside a string. Inside a string a
// `\` takes the next byte as it is, a line feed too, so a quoted argument
// may carry an escaped line break; the reader keeps the line count right.
Token scan_lens_text(Lexer* lexer) {
    lexer->lens_pending = 0;
    TokenStart at = token_start(lexer);
    bool in_string = false;
    for (;;) {
        char c = peek(lexer);
        if (c == '\0' || c == '\n') return error_token(lexer, at);
        if (c == '}' && !in_string) return make_token(lexer, TOKEN_LENS_CONTENT, at);
        advance(lexer);
        if (c == '"') {
            in_string = !in_string;
        } else if (c == '\\' && in_string) {
            advance(lexer);  // at the end of the text this consumes nothing
        }
    }
}

}  // namespace scanner
