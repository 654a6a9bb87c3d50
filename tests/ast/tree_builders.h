#pragma once

#include <gtest/gtest.h>
#include <pthread.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>

#include "ast/ast.h"

// Small helpers for building trees by hand in tests. Every string handed to
// a constructor must be a heap copy, since the tree takes ownership.
namespace tree {

inline char* s(const char* text) { return strdup(text); }

inline Expr* num(double value) {
    return expr_number(value, static_cast<int64_t>(value), 1);
}

inline Expr* id(const char* name) { return expr_identifier(s(name)); }

inline ExprList exprs(std::initializer_list<Expr*> items) {
    ExprList list = expr_list_empty();
    for (Expr* e : items) list = expr_list_append(list, e);
    return list;
}

inline StmtList stmts(std::initializer_list<Stmt*> items) {
    StmtList list = stmt_list_empty();
    for (Stmt* st : items) list = stmt_list_append(list, st);
    return list;
}

inline ParamList names(std::initializer_list<const char*> items) {
    ParamList list = param_list_empty();
    for (const char* n : items) list = param_list_append(list, s(n));
    return list;
}

// A chain of `count` modifiers named m1, m2, ... linked through `next`.
inline ModifierRef modifier_chain(int count, const char* qualifier) {
    ModifierRef head = modifier_ref_make(s("m1"), exprs({num(1)}));
    if (qualifier != nullptr) head.qualifier = s(qualifier);
    ModifierRef* tail = &head;
    for (int i = 2; i <= count; i++) {
        ModifierRef* link = static_cast<ModifierRef*>(alloc_or_abort(sizeof(ModifierRef)));
        std::string name = "m" + std::to_string(i);
        *link = modifier_ref_make(s(name.c_str()), exprs({num(i)}));
        tail->next = link;
        tail = link;
    }
    return head;
}

// Captures what a dump routine writes.
template <typename Fn>
std::string capture(Fn&& write) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&buffer, &size);
    write(out);
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

// Runs `work` on a thread whose stack is far too small for a walk that
// recurses once per level of the deep trees the tests build.
inline void run_on_small_stack(void (*work)(void*), void* arg, size_t stack_bytes = 512 * 1024) {
    struct Call {
        void (*work)(void*);
        void* arg;
    } call{work, arg};
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, stack_bytes);
    pthread_t thread;
    auto entry = [](void* raw) -> void* {
        Call* c = static_cast<Call*>(raw);
        c->work(c->arg);
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attr, entry, &call), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
}

}  // namespace tree
