// Lexer state: initialisation, the public scanning call, the parser's lens
// request and error messages.
#include "lexer/lexer.h"

#include <cstring>

#include "lexer/scanner_internal.h"

void lexer_init(Lexer* lexer, const char* text, int32_t first_line) {
    *lexer = Lexer{};
    lexer->source = text;
    lexer->cur = text;
    // A byte-order mark is not part of the program; the first real byte
    // still stands in column 1. The checks stop at the NUL of a short text.
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    if (bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) lexer->cur = text + 3;
    lexer->line = first_line;
    lexer->column = 1;
}

Token lexer_next_token(Lexer* lexer) { return scanner::scan_next_token(lexer); }

void lexer_begin_lens(Lexer* lexer) { lexer->lens_pending = 1; }

namespace scanner {

Token error_with_message(Lexer* lexer, TokenStart at, const char* message, DiagFixKind fix) {
    size_t length = std::strlen(message);
    if (length >= LEXER_MESSAGE_SIZE) length = LEXER_MESSAGE_SIZE - 1;
    std::memcpy(lexer->error_message, message, length);
    lexer->error_message[length] = '\0';
    lexer->error_fix = fix;
    return error_token(lexer, at);
}

}  // namespace scanner
