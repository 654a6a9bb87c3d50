#include "check/nesting_walk.h"

#include <vector>

#include "ast/ast.h"
#include "check/report_limit.h"
#include "check/subject.h"
#include "check/server_check.h"
#include "diag/diagnostic.h"

// Blocks nest as deeply as the parser allows, so the walk keeps its own stack
// of statement lists instead of recursing. A frame is pushed for each body in
// reverse order of visiting, which visits statements in the same order as a
// depth-first recursion would.

namespace {

// Functions, modifiers and libraries name the place of a misplaced server
// wherever they stand, so the innermost of them wins.
const char* own_context(StmtKind kind) {
    switch (kind) {
    case STMT_FUNCTION:
        return "a function";
    case STMT_MODIFIER:
        return "a modifier";
    case STMT_LIBRARY:
        return "a library";
    default:
        return nullptr;
    }
}

// The phrase a construct met at program level gives its bodies; null for
// statements whose bodies the walk does not enter. Every construct below the
// first keeps that phrase unless it names its own.
const char* top_level_context(StmtKind kind) {
    if (const char* own = own_context(kind)) {
        return own;
    }
    switch (kind) {
    case STMT_WATCH:
    case STMT_WITHOUT_WATCHERS:
        return "a watch body";
    case STMT_WITH_LOCK:
        return "a lock body";
    case STMT_WITH_PRINCIPAL:
        // Registered before anything runs, so a server here is as misplaced
        // as one under a lock.
        return "a principal body";
    case STMT_IF:
    case STMT_CONSIDER:
        return "a branch";
    case STMT_FOR_EACH:
    case STMT_FOR_RANGE:
    case STMT_WHILE:
    case STMT_DO_LOOP:
        return "a loop";
    default:
        return nullptr;
    }
}

struct Frame {
    StmtList list;
    size_t next;
    bool top_level;
    const char* context; // null at top level
};

struct Walk {
    DiagReporter* reporter;
    ServerNames* names;
    std::vector<Frame> stack;

    void push(StmtList list, bool top_level, const char* context) {
        if (list.count > 0) {
            stack.push_back(Frame{list, 0, top_level, context});
        }
    }
    void push_nested(StmtList list, const char* context) { push(list, false, context); }

    // Bodies of an if: the then-body is visited first, so it is pushed last.
    void push_if(const Stmt* stmt, const char* context) {
        push_nested(stmt->if_stmt.else_body, context);
        push_nested(stmt->if_stmt.then_body, context);
    }

    void push_consider(const Stmt* stmt, const char* context) {
        const StmtConsider& consider = stmt->consider;
        push_nested(consider.else_body, context);
        for (size_t i = consider.branches.count; i-- > 0;) {
            push_nested(consider.branches.items[i].body, context);
        }
    }

    void push_item_body(const ServerItem* item) {
        if (item != nullptr && (item->kind == ITEM_HANDLER || item->kind == ITEM_HOOK)) {
            push_nested(item->body, "a handler");
        }
    }

    // Handler and hook bodies of a top-level server, its sites' included, in
    // item order.
    void push_handler_bodies(const StmtServer& server) {
        for (size_t i = server.items.count; i-- > 0;) {
            const ServerItem* item = server.items.items[i];
            if (item != nullptr && item->kind == ITEM_SITE) {
                for (size_t j = item->items.count; j-- > 0;) {
                    push_item_body(item->items.items[j]);
                }
            } else {
                push_item_body(item);
            }
        }
    }

    void visit_top_level_server(const Stmt* stmt) {
        const char* name = stmt->server.name ? stmt->server.name : "";
        int32_t& seen = names->counts[name];
        int32_t times = seen < CHECK_REPEAT_REPORT_LIMIT ? seen : CHECK_REPEAT_REPORT_LIMIT;
        auto first = names->first.try_emplace(name, stmt->span.start_line, stmt->span.start_column).first->second;
        for (int32_t i = 0; i < times; ++i) {
            diag_reportf(reporter, stmt->span.start_line, stmt->span.start_column,
                         "server '%s' declared twice", name);
            diag_about(reporter, diag_part(DIAG_SUBJECT_BLOCK_NAME, stmt->span.start_line, stmt->span.start_column),
                       diag_part(DIAG_SUBJECT_BLOCK_NAME, first.first, first.second));
        }
        ++seen;
        check_server(reporter, stmt);
        push_handler_bodies(stmt->server);
    }

    // Pushes the bodies the walk enters, each with `context` as its phrase;
    // statements without such bodies push nothing.
    void push_bodies(const Stmt* stmt, const char* context) {
        switch (stmt->kind) {
        case STMT_FUNCTION:
            push_nested(stmt->function.body, context);
            break;
        case STMT_MODIFIER:
            push_nested(stmt->modifier.body, context);
            break;
        case STMT_LIBRARY:
            push_nested(stmt->library.body, context);
            break;
        case STMT_PROGRAM_BLOCK:
            push_nested(stmt->program_block.body, context);
            break;
        case STMT_WATCH:
            push_nested(stmt->watch.body, context);
            break;
        case STMT_WITHOUT_WATCHERS:
            push_nested(stmt->without_watchers.body, context);
            break;
        case STMT_WITH_LOCK:
            push_nested(stmt->with_lock.body, context);
            break;
        case STMT_WITH_PRINCIPAL:
            push_nested(stmt->with_principal.body, context);
            break;
        case STMT_IF:
            push_if(stmt, context);
            break;
        case STMT_CONSIDER:
            push_consider(stmt, context);
            break;
        case STMT_FOR_EACH:
            push_nested(stmt->for_each.body, context);
            break;
        case STMT_FOR_RANGE:
            push_nested(stmt->for_range.body, context);
            break;
        case STMT_WHILE:
            push_nested(stmt->while_stmt.body, context);
            break;
        case STMT_DO_LOOP:
            push_nested(stmt->do_loop.body, context);
            break;
        default:
            break;
        }
    }

    void visit_top_level(const Stmt* stmt) {
        if (stmt->kind == STMT_SERVER) {
            visit_top_level_server(stmt);
        } else if (stmt->kind == STMT_PROGRAM_BLOCK) {
            push(stmt->program_block.body, true, nullptr);
        } else if (const char* context = top_level_context(stmt->kind)) {
            push_bodies(stmt, context);
        }
    }

    void visit_nested(const Stmt* stmt, const char* context) {
        if (stmt->kind == STMT_SERVER) {
            diag_reportf(reporter, stmt->span.start_line, stmt->span.start_column,
                         "a server block cannot be declared inside %s", context);
            diag_about(reporter, diag_part(DIAG_SUBJECT_BLOCK_WORD, stmt->span.start_line, stmt->span.start_column));
            return;
        }
        const char* own = own_context(stmt->kind);
        push_bodies(stmt, own != nullptr ? own : context);
    }

    void run() {
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (frame.next == frame.list.count) {
                stack.pop_back();
                continue;
            }
            const Stmt* stmt = frame.list.items[frame.next++];
            // Visiting may push frames and move the stack, so copy first.
            const bool top_level = frame.top_level;
            const char* context = frame.context;
            if (stmt == nullptr) {
                continue;
            }
            if (top_level) {
                visit_top_level(stmt);
            } else {
                visit_nested(stmt, context);
            }
        }
    }
};

} // namespace

void check_top_level(DiagReporter* reporter, StmtList statements, ServerNames* server_names) {
    Walk walk{reporter, server_names, {}};
    walk.push(statements, true, nullptr);
    walk.run();
}

void check_nested(DiagReporter* reporter, StmtList statements, const char* context) {
    Walk walk{reporter, nullptr, {}};
    walk.push_nested(statements, context);
    walk.run();
}
