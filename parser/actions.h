#pragma once

#include <cstdint>

#include "ast/ast.h"
#include "diag/source_span.h"
#include "parser/parse_value.h"

// The semantic actions of the grammar. Each grammar action is one call into
// these helpers, so the rules stay readable and the helpers testable.
//
// Ownership: every string, node and list passed in is taken over; what a
// helper does not hand on it frees. A helper that rejects its construct
// returns 0 after reporting and after releasing everything it was given (the
// driver then drops the rule's right-hand side without releasing it again);
// otherwise it stores its result in *out and returns 1.

struct ParseContext;

// ---- Strings (actions_text.cpp) ----

// A heap copy of text; aborts when memory runs out.
char* copy_string(const char* text);

// Cuts a dotted name in place at its first '.': *head is the text itself (now
// ending before the dot), *tail a new copy of everything after the dot.
// Without a dot *head is the whole text and *tail a new empty string.
void split_qualified_name(char* text, char** head, char** tail);

// Reference forms of the growing names below, which the grammar uses: joining
// word by word with these copies the whole name each time.
// "a b" and "a.b" as new strings; both parts are freed.
char* join_with_space(char* a, char* b);
char* join_with_dot(char* a, char* b);

// A growing name holding `word`, which it takes over.
GrowingText growing_text_start(char* word);

// Appends the separator and `word` (which is freed); the buffer grows by
// doubling, so a name of n parts costs time linear in its length.
GrowingText growing_text_append(GrowingText name, char separator, char* word);

// ---- Positions ----

// Places a new expression at the start of the given location.
Expr* expr_at(Expr* expr, SourceSpan where);

// Gives a statement the whole span of its syntax.
Stmt* stmt_at(Stmt* stmt, SourceSpan span);

// ---- Expressions (actions_expr.cpp) ----

Expr* number_expr(NumberValue number);

// The number with its sign flipped; the one integer without a positive
// counterpart stops counting as an integer.
NumberValue negate_number(NumberValue number);

// Binary and unary operators with a fresh copy of the operator spelling,
// placed at `at`.
Expr* binary_at(const char* op, Expr* left, Expr* right, SourceSpan at);
Expr* unary_at(const char* op, Expr* operand, SourceSpan at);

// qualifier.name(args) from a QUALIFIED_IDENT; not placed.
Expr* qualified_call(char* qualified, ExprList args);

// receiver.a.b(args) where a.b arrived as one QUALIFIED_IDENT: the method b
// called on the field access receiver.a, both placed at the dot.
Expr* method_call_on_field(Expr* receiver, char* qualified, ExprList args, SourceSpan dot);

NameSuffix name_suffix(int32_t kind, char* name, ExprList args);

// A plain name combined with what follows it (nothing, a call, a field, a
// qualified call or a method call on a field).
Expr* name_with_suffix(char* name, NameSuffix suffix, SourceSpan name_at, SourceSpan suffix_at);

// True for an identifier, or a field access or index whose innermost object
// is an identifier: the places a lens assignment may modify.
int32_t is_modifier_target(const Expr* expr);

// ---- Lenses (actions_lens.cpp) ----

// The modifier reference(s) written in a lens: one per ';'-separated part,
// each optionally qualifier.name. Takes over `text`.
ModifierRef parse_lens(char* text);

// ---- Durations and field policies (actions_literal.cpp) ----

Duration duration_zero(void);

// Adds number units to one count of the duration. An unknown unit word is
// not freed but handed back in *bad_unit (the first one only); a known one
// is freed.
Duration add_duration_term(Duration duration, NumberValue number, char* unit, char** bad_unit);

// What to write instead of an operator word of other languages, or null.
const char* operator_word_hint(const char* word);

// Reports an unknown duration unit at `where` and frees the unit.
void report_unknown_unit(ParseContext* context, char* unit, SourceSpan where);

// One `number unit` term added to `base`; rejects an unknown unit.
int32_t duration_term(ParseContext* context, Duration base, NumberValue number, char* unit,
                      SourceSpan unit_at, Duration* out);

// `(word)` and `(word value)` after a record field's name.
int32_t policy_word(ParseContext* context, char* word, PolicySpec* out);
int32_t policy_with_value(ParseContext* context, char* word, Expr* value, PolicySpec* out);

// ---- Statements (actions_stmt.cpp) ----

// Records the top-level list as the parse result and passes it on.
StmtList finish_program(ParseContext* context, StmtList list);

StmtList stmt_list_single(Stmt* stmt);

// `dim` is always rejected, with a hint.
void reject_dim(ParseContext* context, SourceSpan where);

// target {lens} op value; op 0 for plain `=`. Rejects a target that is not
// a variable, field or index.
int32_t lens_assign(ParseContext* context, Expr* target, ModifierRef lens, Expr* value, char op,
                    Stmt** out);

// error.name(args) as a plain call named "error.name"; not placed.
Expr* error_member_call(char* name, ExprList args);

// for [each] element[, index] in iterable ... closing line. `closing` is the
// name after `next`, or null; rejects equal element and index names and a
// `next` that names another variable.
int32_t for_each_loop(ParseContext* context, char* element, char* index, Expr* iterable,
                      StmtList body, char* closing, SourceSpan closing_at, SourceSpan index_at,
                      Stmt** out);
int32_t for_range_loop(ParseContext* context, char* variable, Expr* start, Expr* limit, Expr* step,
                       StmtList body, char* closing, SourceSpan closing_at, Stmt** out);

Stmt* if_with_else(Expr* condition, StmtList then_body, StmtList else_body);

// The else part holding one nested if, which spans only its `if` word.
StmtList else_if_link(Expr* condition, StmtList then_body, StmtList else_body, SourceSpan if_at);

// on <channel> goto next / stop / print: the channel must be "warning".
int32_t on_warning(ParseContext* context, char* channel, SourceSpan channel_at, WarningMode mode,
                   Stmt** out);
// on <channel> <word>: the only word form is "ignore".
int32_t on_warning_mode(ParseContext* context, char* channel, SourceSpan channel_at, char* word,
                        SourceSpan word_at, Stmt** out);
// on <channel> goto <label>: never valid; reports why.
void reject_on_warning_goto(ParseContext* context, char* channel, SourceSpan channel_at,
                            char* label, SourceSpan goto_at);

// ---- Declarations and blocks (actions_decl.cpp) ----

// with lock(...) / with principal(...) blocks.
int32_t with_block(ParseContext* context, char* word, Expr* subject, StmtList body, Stmt** out);

// use/load name from "path" [as alias]: the word must be "from".
int32_t use_from(ParseContext* context, const char* message, char* name, char* word, char* from,
                 char* alias, Stmt** out);

// Remembers the keyword of a declarative block header that is not "server",
// so that any report inside the block names the unknown block instead.
void note_pending_block(ParseContext* context, const char* keyword, SourceSpan keyword_at);

// Closes a declarative block: forgets the pending keyword and builds it.
Stmt* server_block(ParseContext* context, char* keyword, char* name, RecordFieldList options,
                   ServerItemList items, char* end_word);
