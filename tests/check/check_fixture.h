// Helpers for the checker tests: build small syntax trees by hand and collect
// the checker's findings as (message, line, column).
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "ast/ast.h"
#include "diag/diagnostic.h"

namespace check_test {

struct Finding {
    std::string message;
    int32_t line;
    int32_t column;

    bool operator==(const Finding& other) const {
        return message == other.message && line == other.line && column == other.column;
    }
};

inline std::ostream& operator<<(std::ostream& out, const Finding& finding) {
    return out << finding.line << ":" << finding.column << " " << finding.message;
}

inline char* dup(const char* text) {
    if (text == nullptr) {
        return nullptr;
    }
    size_t length = std::strlen(text);
    char* copy = static_cast<char*>(alloc_or_abort(length + 1));
    std::memcpy(copy, text, length + 1);
    return copy;
}

// Every finding in the list, which must all be server-block errors.
inline std::vector<Finding> findings_of(const DiagnosticList* list) {
    std::vector<Finding> result;
    for (size_t i = 0; i < diag_list_count(list); ++i) {
        const Diagnostic* d = diag_list_at(list, i);
        result.push_back(Finding{d->message, d->span.start_line, d->span.start_column});
    }
    return result;
}

inline ParamList params_of(std::initializer_list<const char*> names) {
    ParamList list = param_list_empty();
    for (const char* name : names) {
        list = param_list_append(list, dup(name));
    }
    return list;
}

inline ParamList req_params(int count) {
    ParamList list = param_list_empty();
    for (int i = 0; i < count; ++i) {
        list = param_list_append(list, dup(i == 0 ? "req" : "extra"));
    }
    return list;
}

inline StmtList stmts(std::initializer_list<Stmt*> items) {
    StmtList list = stmt_list_empty();
    for (Stmt* stmt : items) {
        list = stmt_list_append(list, stmt);
    }
    return list;
}

inline ServerItemList items_of(std::initializer_list<ServerItem*> items) {
    ServerItemList list = item_list_empty();
    for (ServerItem* item : items) {
        list = item_list_append(list, item);
    }
    return list;
}

struct Option {
    const char* name;
    Expr* value;
};

inline RecordFieldList options_of(std::initializer_list<Option> options) {
    RecordFieldList list = field_list_empty();
    for (const Option& option : options) {
        list = field_list_append(list, dup(option.name), option.value);
    }
    return list;
}

inline Expr* num(int64_t value) {
    return expr_number(static_cast<double>(value), value, 1);
}
inline Expr* str(const char* text) {
    return expr_string(dup(text));
}
inline Expr* boolean(bool value) {
    return expr_boolean(value ? 1 : 0);
}
inline Expr* ident(const char* name) {
    return expr_identifier(dup(name));
}
inline Expr* sum(Expr* left, Expr* right) {
    return expr_binary(dup("+"), modifier_ref_empty(), left, right);
}

inline ServerItem* handler(const char* verb, const char* path, int32_t line, int param_count = 1,
                           const char* end_word = nullptr, StmtList body = {nullptr, 0}) {
    return item_handler(dup(verb), dup(path), req_params(param_count), body,
                        dup(end_word ? end_word : verb), line, 5);
}

inline ServerItem* directive(const char* word, std::initializer_list<const char*> values,
                             int32_t line) {
    return item_directive(dup(word), params_of(values), line, 5);
}

inline ServerItem* hook(const char* word, int32_t line, StmtList body = {nullptr, 0}) {
    return item_hook(dup(word), body, line, 5);
}

inline ServerItem* site(const char* name, RecordFieldList options,
                        std::initializer_list<ServerItem*> items, int32_t line,
                        const char* keyword = "web", const char* end_word = nullptr) {
    return item_site(dup(keyword), dup(name), options, items_of(items),
                     dup(end_word ? end_word : keyword), line, 5);
}

inline Stmt* server(const char* name, RecordFieldList options,
                    std::initializer_list<ServerItem*> items, int32_t line,
                    const char* keyword = "server", const char* end_word = nullptr) {
    Stmt* stmt = stmt_server(dup(keyword), dup(name), options, items_of(items),
                             dup(end_word ? end_word : keyword));
    return stmt_set_span(stmt, line, 1, line + 1, 11);
}

inline Stmt* at(Stmt* stmt, int32_t line, int32_t column = 1) {
    return stmt_set_span(stmt, line, column, line, column + 1);
}

// Runs the checker over a hand-built program, frees the program, and returns
// what was found.
std::vector<Finding> check_tree(StmtList program);

} // namespace check_test
