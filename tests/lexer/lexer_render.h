// Renders a token stream as text, one token per line, for table-driven
// scanner tests:  KIND 'text' line:column/length [! "message"]
#ifndef TOVEL_TESTS_LEXER_LEXER_RENDER_H
#define TOVEL_TESTS_LEXER_LEXER_RENDER_H

#include <cstdio>
#include <string>

#include "lexer/lexer.h"

namespace lexer_test {

inline std::string escape_text(const char* text, int32_t length) {
    std::string out;
    for (int32_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

inline std::string render_token(const Lexer& lexer, const Token& token) {
    char position[64];
    std::snprintf(position, sizeof position, " %d:%d/%d", token.line, token.column, token.length);
    std::string out = token_kind_name(token.kind);
    out += " '" + escape_text(token.start, token.length) + "'" + position;
    if (token.kind == TOKEN_ERROR && lexer.error_message[0] != '\0') {
        out += std::string(" ! \"") + lexer.error_message + "\"";
    }
    return out;
}

struct RenderOptions {
    bool lens_first = false;        // ask for lens text before the first token
    bool lens_after_lbrace = false;  // ask for lens text after every LBRACE
    bool kinds_only = false;         // render kind names only, space-separated
};

// Every token up to and including the first EOF.
inline std::string render_tokens(const std::string& text, RenderOptions options = {}) {
    Lexer lexer;
    lexer_init(&lexer, text.c_str(), 1);
    if (options.lens_first) lexer_begin_lens(&lexer);
    std::string out;
    for (int guard = 0; guard < 100000; ++guard) {
        Token token = lexer_next_token(&lexer);
        if (!out.empty()) out += options.kinds_only ? " " : "\n";
        out += options.kinds_only ? std::string(token_kind_name(token.kind)) : render_token(lexer, token);
        if (token.kind == TOKEN_EOF) break;
        if (token.kind == TOKEN_LBRACE && options.lens_after_lbrace) lexer_begin_lens(&lexer);
    }
    return out;
}

}  // namespace lexer_test

#endif
