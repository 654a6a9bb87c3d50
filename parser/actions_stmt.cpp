// Semantic actions for statements: the program, assignments with lenses,
// calls on `error`, loops with their closing-line checks, if chains and the
// `on` statements.

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "diag/diagnostic.h"
#include "parser/actions.h"
#include "parser/error_report.h"
#include "parser/parse_context.h"

StmtList finish_program(ParseContext* context, StmtList list) {
    context->program = list;
    return list;
}

StmtList stmt_list_single(Stmt* stmt) { return stmt_list_append(stmt_list_empty(), stmt); }

void reject_dim(ParseContext* context, SourceSpan where) {
    if (context == nullptr || context->failed) return;
    // Inside an unknown declarative block the report names the block instead.
    bool names_dim = context->pending_block[0] == '\0';
    report_parse_error(context, where.start_line, where.start_column, where.end_line,
                       where.end_column,
                       "`dim` is not a Tovel statement; assign to create a variable (x = 0)");
    // The action runs with the `dim` token last read, or just before the
    // look-ahead.
    if (!names_dim) return;
    if (context->token_kind == TOKEN_DIM) {
        diag_list_mark_fix(context->diagnostics, {DIAG_FIX_DIM, context->token_offset, 3});
    } else if (context->prev_token_kind == TOKEN_DIM) {
        diag_list_mark_fix(context->diagnostics, {DIAG_FIX_DIM, context->prev_token_offset, 3});
    }
}

int32_t lens_assign(ParseContext* context, Expr* target, ModifierRef lens, Expr* value, char op,
                    Stmt** out) {
    if (!is_modifier_target(target)) {
        expr_free(target);
        modifier_ref_free(lens);
        expr_free(value);
        report_at_token(context, "modifier target must be a variable, field, or index");
        return 0;
    }
    *out = op ? stmt_assign_op(target, lens, value, op) : stmt_assign(target, lens, value);
    return 1;
}

Expr* error_member_call(char* name, ExprList args) {
    size_t size = std::strlen(name) + sizeof "error.";
    char* full = static_cast<char*>(tree_alloc(size));
    std::snprintf(full, size, "error.%s", name);
    tree_free(name);
    return expr_call(full, args);
}

// Reported through the reporter at a single point, start equal to end.
static void report_at_point(ParseContext* context, SourceSpan at, const char* message) {
    report_parse_error(context, at.start_line, at.start_column, at.start_line, at.start_column,
                       message);
}

// A `next` line that names a variable must name the loop's own. Reported at
// the `next` word. Takes over `closing`.
static int32_t check_closing_name(ParseContext* context, const char* variable, char* closing,
                                  SourceSpan closing_at) {
    if (!closing) return 1;
    bool matches = variable && std::strcmp(closing, variable) == 0;
    if (!matches) {
        char message[256];
        std::snprintf(message, sizeof message,
                      "next %s does not close this loop: it iterates %s (write `next %s`, `next`, "
                      "or `end for`)",
                      closing, variable ? variable : "another variable", variable ? variable : "");
        report_at_point(context, closing_at, message);
    }
    tree_free(closing);
    return matches ? 1 : 0;
}

// `for each x, x`: the index would overwrite the element on every pass.
// Reported at the index name.
static int32_t check_distinct_names(ParseContext* context, const char* element, const char* index,
                                    SourceSpan index_at) {
    if (!index || std::strcmp(element, index) != 0) return 1;
    char message[192];
    std::snprintf(message, sizeof message,
                  "`for each %s, %s` names the element and the index the same thing; the index "
                  "would overwrite the element",
                  element, index);
    report_at_point(context, index_at, message);
    return 0;
}

int32_t for_each_loop(ParseContext* context, char* element, char* index, Expr* iterable,
                      StmtList body, char* closing, SourceSpan closing_at, SourceSpan index_at,
                      Stmt** out) {
    // The names are checked before the closing line, which is then only freed.
    int32_t ok = check_distinct_names(context, element, index, index_at);
    if (ok) {
        ok = check_closing_name(context, element, closing, closing_at);
    } else {
        tree_free(closing);
    }
    if (!ok) {
        tree_free(element);
        tree_free(index);
        expr_free(iterable);
        stmt_list_free(body);
        return 0;
    }
    *out = stmt_for_each(element, index, iterable, body);
    return 1;
}

int32_t for_range_loop(ParseContext* context, char* variable, Expr* start, Expr* limit, Expr* step,
                       StmtList body, char* closing, SourceSpan closing_at, Stmt** out) {
    if (!check_closing_name(context, variable, closing, closing_at)) {
        tree_free(variable);
        expr_free(start);
        expr_free(limit);
        expr_free(step);
        stmt_list_free(body);
        return 0;
    }
    *out = stmt_for_range(variable, start, limit, step, body);
    return 1;
}

Stmt* if_with_else(Expr* condition, StmtList then_body, StmtList else_body) {
    Stmt* stmt = stmt_if(condition, then_body);
    stmt->if_stmt.else_body = else_body;
    return stmt;
}

StmtList else_if_link(Expr* condition, StmtList then_body, StmtList else_body, SourceSpan if_at) {
    return stmt_list_single(stmt_at(if_with_else(condition, then_body, else_body), if_at));
}

// Added as is, at a single point: these messages carry their own advice,
// so the reporter's rewriting must not touch them.
static void add_direct_error(ParseContext* context, SourceSpan at, const char* message) {
    add_parse_error(context, TV_DIAG_PARSE_ERROR, at.start_line, at.start_column, at.start_line,
                    at.start_column, message);
}

// The same for a message naming the word it rejects; a very long word is
// cut with the rest of the message at 191 bytes.
__attribute__((format(printf, 3, 4)))
static void add_direct_errorf(ParseContext* context, SourceSpan at, const char* format, ...) {
    char message[192];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(message, sizeof message, format, arguments);
    va_end(arguments);
    add_direct_error(context, at, message);
}

// The word after `on` is an identifier unless it is `error`; only
// "warning" is another channel. Frees the channel word.
static int32_t check_channel(ParseContext* context, char* channel, SourceSpan channel_at) {
    bool known = std::strcmp(channel, "warning") == 0;
    if (!known) {
        add_direct_errorf(context, channel_at,
                          "unknown diagnostic channel '%s'; `on` takes `error` or `warning`",
                          channel);
    }
    tree_free(channel);
    return known ? 1 : 0;
}

int32_t on_warning(ParseContext* context, char* channel, SourceSpan channel_at, WarningMode mode,
                   Stmt** out) {
    if (!check_channel(context, channel, channel_at)) return 0;
    *out = stmt_on_warning(mode);
    return 1;
}

int32_t on_warning_mode(ParseContext* context, char* channel, SourceSpan channel_at, char* word,
                        SourceSpan word_at, Stmt** out) {
    if (!check_channel(context, channel, channel_at)) {
        tree_free(word);
        return 0;
    }
    bool ignore = std::strcmp(word, "ignore") == 0;
    if (!ignore) {
        add_direct_errorf(context, word_at,
                          "unknown warning mode '%s'; expected print, ignore, stop, or goto next",
                          word);
    }
    tree_free(word);
    if (!ignore) return 0;
    *out = stmt_on_warning(WARNING_MODE_IGNORE);
    return 1;
}

void reject_on_warning_goto(ParseContext* context, char* channel, SourceSpan channel_at,
                            char* label, SourceSpan goto_at) {
    tree_free(label);
    if (!check_channel(context, channel, channel_at)) return;
    add_direct_error(context, goto_at,
                     "on warning has no goto-label form: a warning does not abandon its "
                     "statement, so there is nothing to jump away from (use goto next, stop, "
                     "ignore or print)");
}
