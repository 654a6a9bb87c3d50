// String helpers shared by the semantic actions, and the position setters.

#include <cstdlib>
#include <cstring>

#include "parser/actions.h"

char* copy_string(const char* text) {
    size_t length = std::strlen(text);
    char* copy = static_cast<char*>(alloc_or_abort(length + 1));
    std::memcpy(copy, text, length + 1);
    return copy;
}

void split_qualified_name(char* text, char** head, char** tail) {
    char* dot = std::strchr(text, '.');
    *head = text;
    if (!dot) {
        *tail = copy_string("");
        return;
    }
    *tail = copy_string(dot + 1);
    *dot = '\0';
}

static char* join_with(char* a, char separator, char* b) {
    size_t left = std::strlen(a);
    size_t right = std::strlen(b);
    char* joined = static_cast<char*>(alloc_or_abort(left + right + 2));
    std::memcpy(joined, a, left);
    joined[left] = separator;
    std::memcpy(joined + left + 1, b, right + 1);
    std::free(a);
    std::free(b);
    return joined;
}

char* join_with_space(char* a, char* b) { return join_with(a, ' ', b); }

char* join_with_dot(char* a, char* b) { return join_with(a, '.', b); }

Expr* expr_at(Expr* expr, SourceSpan where) {
    return expr_set_position(expr, where.start_line, where.start_column);
}

Stmt* stmt_at(Stmt* stmt, SourceSpan span) {
    return stmt_set_span(stmt, span.start_line, span.start_column, span.end_line, span.end_column);
}
