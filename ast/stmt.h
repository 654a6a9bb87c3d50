#pragma once

#include <cstddef>
#include <cstdint>

#include "ast/expr.h"
#include "ast/lists.h"
#include "diag/source_span.h"

// Statement nodes. Like expressions, constructors take ownership of what
// they are given; the span is stamped afterwards with stmt_set_span.

enum StmtKind : int32_t {
    STMT_ASSIGN = 0,
    STMT_PRINT = 1,
    STMT_EXPRESSION = 2,
    STMT_WITH_LOCK = 3,
    STMT_WITH_PRINCIPAL = 4,
    STMT_FOR_EACH = 5,
    STMT_FOR_RANGE = 6,
    STMT_FUNCTION = 7,
    STMT_RETURN = 8,
    STMT_LABEL = 9,
    STMT_GOTO = 10,
    STMT_GOSUB = 11,
    STMT_WATCH = 12,
    STMT_UNWATCH = 13,
    STMT_WITHOUT_WATCHERS = 14,
    STMT_ON_ERROR_GOTO = 15,
    STMT_ON_ERROR_GOTO_NEXT = 16,
    STMT_ON_WARNING = 17,
    STMT_WARNING = 18,
    STMT_ON_ERROR_STOP = 19,
    STMT_ERROR = 20,
    STMT_MODIFIER = 21,
    STMT_PROGRAM_BLOCK = 22,
    STMT_LIBRARY = 23,
    STMT_USE = 24,
    STMT_IF = 25,
    STMT_WHILE = 26,
    STMT_DO_LOOP = 27,
    STMT_CONSIDER = 28,
    STMT_BREAK = 29,
    STMT_CONTINUE = 30,
    STMT_SERVER = 31,
};

// Mode of an on-warning statement, by the word after the channel.
enum WarningMode : int32_t {
    WARNING_MODE_PRINT = 1,
    WARNING_MODE_IGNORE = 2,
    WARNING_MODE_GOTO_NEXT = 3,
    WARNING_MODE_STOP = 4,
};

struct ConsiderBranch {
    Expr* match;
    StmtList body;
};

// Head of a modifier declaration, carried by the parser until the statement exists.
struct ModifierSignature {
    char* name;
    ParamList params;
};

// The top-level statements of one document, in source order.
using Program = StmtList;

// Per-kind payloads; Stmt holds exactly one, named after its kind. Kinds whose
// name is a C++ keyword get a `_stmt` suffix (return_stmt, goto_stmt, if_stmt,
// while_stmt, break_stmt, continue_stmt).
struct StmtAssign {
    Expr* target;
    ModifierRef modifier;  // empty unless a lens stands before the operator
    Expr* value;
    char op;               // 0 for '=', else '+', '-', '*' or '/'
};
struct StmtPrint {
    Expr* value;
    int32_t to_error;
};
struct StmtExpression {
    Expr* expr;  // always a call
};
struct StmtWithLock {
    Expr* resource;
    StmtList body;
};
struct StmtWithPrincipal {
    Expr* principal;
    StmtList body;
};
struct StmtForEach {
    char* element;
    char* index;  // or null
    Expr* iterable;
    StmtList body;
};
struct StmtForRange {
    char* variable;
    Expr* start;
    Expr* limit;
    Expr* step;  // or null
    StmtList body;
};
// A plain function has `name`; an attached one (declared as target.member)
// has a null name and both attach fields set.
struct StmtFunction {
    char* name;
    ParamList params;
    StmtList body;
    char* attach_target;
    char* attach_member;
};
struct StmtReturn {
    Expr* value;  // null for a bare return
};
struct StmtLabel {
    char* name;
};
struct StmtGoto {
    char* label;
};
struct StmtGosub {
    char* label;
};
struct StmtWatch {
    char* name;         // or null
    ParamList targets;  // dotted paths, every default null
    StmtList body;
};
struct StmtUnwatch {
    Expr* target;
};
struct StmtWithoutWatchers {
    StmtList body;
};
struct StmtOnErrorGoto {
    char* label;
};
struct StmtOnWarning {
    WarningMode mode;
};
struct StmtWarning {
    Expr* value;
};
struct StmtError {
    Expr* value;
};
struct StmtModifier {
    char* name;
    ParamList params;
    char* context;
    int32_t exported;
    StmtList body;
};
struct StmtProgramBlock {
    char* name;
    ParamList params;
    StmtList body;
};
struct StmtLibrary {
    char* name;
    StmtList body;
};
struct StmtUse {
    char* name;
    char* from;   // or null
    char* alias;  // or null
};
// An else-if chain is an else_body holding exactly one nested If.
struct StmtIf {
    Expr* condition;
    StmtList then_body;
    StmtList else_body;
};
struct StmtWhile {
    Expr* condition;
    StmtList body;
};
struct StmtDoLoop {
    StmtList body;
    Expr* condition;
};
struct StmtConsider {
    Expr* subject;
    ConsiderBranchList branches;
    StmtList else_body;
};
struct StmtBreak {
    char* label;  // or null
};
struct StmtContinue {
    char* label;  // or null
};
// A declarative server block; its items are ServerItem records (server_node.h).
struct StmtServer {
    char* keyword;
    char* name;
    char* end_word;
    RecordFieldList options;
    ServerItemList items;
};

struct Stmt {
    StmtKind kind;
    SourceSpan span;
    union {
        StmtAssign assign;
        StmtPrint print;
        StmtExpression expression;
        StmtWithLock with_lock;
        StmtWithPrincipal with_principal;
        StmtForEach for_each;
        StmtForRange for_range;
        StmtFunction function;
        StmtReturn return_stmt;
        StmtLabel label;
        StmtGoto goto_stmt;
        StmtGosub gosub;
        StmtWatch watch;
        StmtUnwatch unwatch;
        StmtWithoutWatchers without_watchers;
        StmtOnErrorGoto on_error_goto;
        StmtOnWarning on_warning;
        StmtWarning warning;
        StmtError error;
        StmtModifier modifier;
        StmtProgramBlock program_block;
        StmtLibrary library;
        StmtUse use;
        StmtIf if_stmt;
        StmtWhile while_stmt;
        StmtDoLoop do_loop;
        StmtConsider consider;
        StmtBreak break_stmt;
        StmtContinue continue_stmt;
        StmtServer server;
    };
};

// Lists.
StmtList stmt_list_empty(void);
StmtList stmt_list_append(StmtList list, Stmt* stmt);  // a null stmt is stored as given
ConsiderBranchList branch_list_empty(void);
ConsiderBranchList branch_list_append(ConsiderBranchList list, Expr* match, StmtList body);

// Constructors. The span stays zero until stmt_set_span.
Stmt* stmt_assign(Expr* target, ModifierRef modifier, Expr* value);
Stmt* stmt_assign_op(Expr* target, ModifierRef modifier, Expr* value, char op);
Stmt* stmt_print(Expr* value);
Stmt* stmt_print_to_error(Expr* value);
Stmt* stmt_expression(Expr* expr);
Stmt* stmt_with_lock(Expr* resource, StmtList body);
Stmt* stmt_with_principal(Expr* principal, StmtList body);
Stmt* stmt_for_each(char* element, char* index, Expr* iterable, StmtList body);
Stmt* stmt_for_range(char* variable, Expr* start, Expr* limit, Expr* step, StmtList body);
Stmt* stmt_function(char* name, ParamList params, StmtList body);
Stmt* stmt_return(Expr* value);
Stmt* stmt_label(char* name);
Stmt* stmt_goto(char* label);
Stmt* stmt_gosub(char* label);
Stmt* stmt_watch(char* name, ParamList targets, StmtList body);
Stmt* stmt_unwatch(Expr* target);
Stmt* stmt_without_watchers(StmtList body);
Stmt* stmt_on_error_goto(char* label);
Stmt* stmt_on_error_goto_next(void);
Stmt* stmt_on_error_stop(void);
Stmt* stmt_on_warning(WarningMode mode);
Stmt* stmt_error(Expr* value);
Stmt* stmt_modifier(char* name, ParamList params, char* context, int32_t exported, StmtList body);
Stmt* stmt_program_block(char* name, ParamList params, StmtList body);
Stmt* stmt_library(char* name, StmtList body);
Stmt* stmt_use(char* name, char* from, char* alias);
Stmt* stmt_if(Expr* condition, StmtList then_body);
Stmt* stmt_while(Expr* condition, StmtList body);
Stmt* stmt_do_loop(StmtList body, Expr* condition);
Stmt* stmt_consider(Expr* subject, ConsiderBranchList branches, StmtList else_body);
Stmt* stmt_break(char* label);
Stmt* stmt_continue(char* label);

// Stores the span and returns the node; stmt must not be null.
Stmt* stmt_set_span(Stmt* stmt, int32_t start_line, int32_t start_column, int32_t end_line,
                    int32_t end_column);

ModifierSignature modifier_signature_make(char* name, ParamList params);
