// String helpers shared by the semantic actions, and the position setters.

#include <cstdlib>
#include <cstring>

#include "parser/actions.h"

char* copy_string(const char* text) { return tree_copy_text(text, std::strlen(text)); }

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

char* join_with_space(char* a, char* b) { return growing_text_append(growing_text_start(a), ' ', b).text; }

char* join_with_dot(char* a, char* b) { return growing_text_append(growing_text_start(a), '.', b).text; }

GrowingText growing_text_start(char* word) {
    GrowingText name;
    name.text = word;
    name.length = std::strlen(word);
    name.capacity = name.length + 1;
    return name;
}

GrowingText growing_text_append(GrowingText name, char separator, char* word) {
    size_t added = std::strlen(word);
    size_t needed = name.length + 1 + added + 1;
    if (needed > name.capacity) {
        size_t capacity = name.capacity * 2;
        if (capacity < needed) capacity = needed;
        name.text = static_cast<char*>(tree_resize(name.text, name.capacity, capacity));
        name.capacity = capacity;
    }
    name.text[name.length] = separator;
    std::memcpy(name.text + name.length + 1, word, added + 1);
    name.length += 1 + added;
    tree_free(word);
    return name;
}

Expr* expr_at(Expr* expr, SourceSpan where) {
    return expr_set_position(expr, where.start_line, where.start_column);
}

Stmt* stmt_at(Stmt* stmt, SourceSpan span) {
    return stmt_set_span(stmt, span.start_line, span.start_column, span.end_line, span.end_column);
}
