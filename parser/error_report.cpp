#include "parser/error_report.h"

#include <cstdio>
#include <cstring>

#include "diag/ascii.h"
#include "lexer/lexer.h"
#include "parser/parse_context.h"

namespace {

constexpr size_t REWRITTEN_MESSAGE_SIZE = 512;

const char* const LET_HINT = "`let` is not a Tovel statement; assign directly (x = 1)";
const char* const REM_HINT =
    "`rem` is not a Tovel comment; a comment starts with ' and runs to the end of the line";

// Writers coming from BASIC start lines with `let` or `rem`. The line
// examined is the one holding the end of the last token read; when that
// token was a line break its end already lies on the next line, and that
// line is the one looked at. `word` receives where the habit's word stands.
const char* line_hint(const ParseContext* context, const char** habit) {
    const char* end = context->token_end;
    if (end == nullptr || context->lexer == nullptr) {
        return nullptr;
    }
    const char* source = context->lexer->source;
    if (source == nullptr || end < source) {
        return nullptr;
    }
    const char* p = end;
    while (p > source && p[-1] != '\n') {
        --p;
    }
    while (is_space_or_tab(*p)) {
        ++p;
    }
    const char* word = p;
    while (is_ascii_letter(*p)) {
        ++p;
    }
    if (p - word != 3) {
        return nullptr;
    }
    char lowered[4] = {ascii_lower(word[0]), ascii_lower(word[1]), ascii_lower(word[2]), '\0'};
    while (is_space_or_tab(*p)) {
        ++p;
    }
    if (*p == '(') {
        return nullptr;  // a call such as let(x) is not a BASIC habit
    }
    *habit = word;
    if (std::strcmp(lowered, "let") == 0) {
        return LET_HINT;
    }
    if (std::strcmp(lowered, "rem") == 0) {
        return REM_HINT;
    }
    return nullptr;
}

void mark_fix_at(ParseContext* context, DiagFixKind kind, const char* at, uint32_t length) {
    diag_list_mark_fix(context->diagnostics,
                       {kind, static_cast<uint32_t>(at - context->lexer->source), length});
}

bool followed_by_equals(const char* end) {
    if (end == nullptr) {
        return false;
    }
    while (is_space_or_tab(*end)) {
        ++end;
    }
    return *end == '=';
}

// The keyword that was most likely meant as a name, or null.
const char* misused_reserved_word(const ParseContext* context, const char* message) {
    const char* word = context->token_word;
    const bool word_reserved = is_reserved_word(word) != 0;
    if (word_reserved && std::strstr(message, "IDENT") != nullptr) {
        return word;
    }
    if (context->token_kind == TOKEN_OP_EQ && is_reserved_word(context->prev_token_word)) {
        return context->prev_token_word;  // a keyword on the left of `=`
    }
    if (word_reserved && followed_by_equals(context->token_end)) {
        return word;
    }
    return nullptr;
}

// Inside the body of a block whose keyword is not `server`, whatever went
// wrong is best explained by the keyword itself: the message names the block
// and moves onto its keyword. The keyword is used up by the first report.
const char* take_pending_block(ParseContext* context, char* buffer, size_t size,
                               SourceSpan* at) {
    format_unknown_block_message(buffer, size, context->pending_block);
    at->start_line = context->pending_line;
    at->start_column = context->pending_column;
    at->end_line = context->pending_line;
    at->end_column =
        context->pending_column + static_cast<int32_t>(std::strlen(context->pending_block));
    context->pending_block[0] = '\0';
    return buffer;
}

// A report without a line stands where the lexer is; none starts before
// line 1, column 1 or ends before it starts.
void clamp_location(const ParseContext* context, SourceSpan* at) {
    if (at->start_line <= 0 && context->lexer != nullptr) {
        at->start_line = context->lexer->line;
        at->start_column = context->lexer->column;
    }
    if (at->start_line < 1) {
        at->start_line = 1;
    }
    if (at->start_column < 1) {
        at->start_column = 1;
    }
    if (at->end_line < at->start_line ||
        (at->end_line == at->start_line && at->end_column < at->start_column)) {
        at->end_line = at->start_line;
        at->end_column = at->start_column;
    }
}

}  // namespace

int32_t is_reserved_word(const char* word) {
    if (word == nullptr || word[0] == '\0') {
        return 0;
    }
    return keyword_lookup(word, std::strlen(word)) != TOKEN_IDENT ? 1 : 0;
}

void add_parse_error(ParseContext* context, DiagnosticKind kind, int32_t start_line,
                     int32_t start_column, int32_t end_line, int32_t end_column,
                     const char* message) {
    SourceSpan span = {start_line, start_column, end_line, end_column};
    diag_add_error(context != nullptr ? context->diagnostics : nullptr, kind, 0,
                   context != nullptr ? context->path : nullptr, span, message);
}

void report_parse_error(ParseContext* context, int32_t start_line, int32_t start_column,
                        int32_t end_line, int32_t end_column, const char* message) {
    if (context == nullptr || context->failed) {
        return;
    }
    if (message == nullptr) {
        message = "syntax error";
    }
    SourceSpan at = {start_line, start_column, end_line, end_column};

    char block_message[UNKNOWN_BLOCK_MESSAGE_SIZE];
    if (context->pending_block[0] != '\0') {
        message = take_pending_block(context, block_message, sizeof block_message, &at);
    }

    const char* habit = nullptr;
    DiagFixKind fix = DIAG_FIX_NONE;
    if (const char* hint = line_hint(context, &habit)) {
        message = hint;
        fix = hint == LET_HINT ? DIAG_FIX_LET : DIAG_FIX_REM;
    }

    char rewritten[REWRITTEN_MESSAGE_SIZE];
    if (const char* word = misused_reserved_word(context, message)) {
        std::snprintf(rewritten, sizeof rewritten,
                      "%s -- '%s' is a reserved word and cannot be used as a name", message, word);
        message = rewritten;
    }

    clamp_location(context, &at);
    add_parse_error(context, TV_DIAG_PARSE_ERROR, at.start_line, at.start_column, at.end_line,
                    at.end_column, message);
    if (fix != DIAG_FIX_NONE) mark_fix_at(context, fix, habit, 3);
}

void report_at_token(ParseContext* context, const char* message) {
    if (context == nullptr) {
        return;
    }
    const SourceSpan& at = context->token_location;
    report_parse_error(context, at.start_line, at.start_column, at.end_line, at.end_column,
                       message);
}

void yyerror(SourceSpan* location, ParseContext* context, const char* message) {
    SourceSpan at = location != nullptr ? *location : SourceSpan{0, 0, 0, 0};
    report_parse_error(context, at.start_line, at.start_column, at.end_line, at.end_column,
                       message);
}
