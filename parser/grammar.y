/* The Tovel grammar.
 *
 * The rules are numbered and ordered deliberately: the driver, the value
 * discard and the error messages all rely on the rule, token and symbol
 * numbers bison derives from this file, so tokens are declared without
 * explicit codes in their fixed order and the rules keep their order.
 * Every action is a one-line call into parser/actions*.cpp.
 */

%code requires {
#include "diag/source_span.h"
#include "parser/parse_value.h"

struct ParseContext;

/* Both value and location are plain records, so the skeleton may relocate
   its stacks with memcpy; compiled as C++ it only grows them when told so. */
#define YYSTYPE_IS_TRIVIAL 1
#define YYLTYPE_IS_TRIVIAL 1
}


%code {
#include <cstddef>
#include <cstring>

#include "lexer/lexer.h"
#include "parser/token_bridge.h"
#include "parser/actions.h"
#include "parser/error_report.h"
#include "parser/grammar_tables.h"
#include "parser/parse_context.h"
#include "parser/value_discard.h"

#define YYINITDEPTH 200
#define YYMAXDEPTH 10000

/* A reduced symbol spans from the start of its first right-hand symbol to
   the end of its last; an empty one is the empty location at the end of the
   entry below it. The location is built whole and stored at once: the
   driver copies it to its stack right away, and a copy that reads a freshly
   stored record in one piece is slow when the record was stored field by
   field. */
#define YYLLOC_DEFAULT(Current, Rhs, N)                                   \
    ((Current) = (N) ? span_join(&YYRHSLOC(Rhs, 1), &YYRHSLOC(Rhs, N))    \
                     : span_join_end(&YYRHSLOC(Rhs, 0)))

static_assert(offsetof(SourceSpan, start_column) == offsetof(SourceSpan, start_line) + 4 &&
                  offsetof(SourceSpan, end_column) == offsetof(SourceSpan, end_line) + 4,
              "a span is two line-and-column pairs");

static inline SourceSpan span_halves(const int32_t* start, const int32_t* end) {
    SourceSpan span;
    memcpy(&span.start_line, start, 2 * sizeof(int32_t));
    memcpy(&span.end_line, end, 2 * sizeof(int32_t));
    return span;
}

static inline SourceSpan span_join(const SourceSpan* first, const SourceSpan* last) {
    return span_halves(&first->start_line, &last->end_line);
}

static inline SourceSpan span_join_end(const SourceSpan* before) {
    return span_halves(&before->end_line, &before->end_line);
}

/* Locations are never traced. */
#define YYLOCATION_PRINT(File, Loc) ((void)0)
}

%define api.pure full
%locations
%define api.location.type {SourceSpan}
%define api.value.type {ParseValue}
%define api.token.prefix {TOK_}
%define parse.error verbose
%parse-param {ParseContext* context}
%lex-param {ParseContext* context}
%expect 0

%token NUMBER IDENT STRING LENS_CONTENT QUALIFIED_IDENT MODIFIER_PREFIX
%token AS DIM PLUS_EQ MINUS_EQ STAR_EQ SLASH_EQ EXCLUDING INTERSECTING
%token IF CONSIDER_IF THEN ELSE CONSIDER_ELSE END END_CONSIDER PRINT
%token TRUE FALSE NOTHING UNKNOWN_VALUE AND OR NOT WITH NEW SPAWN
%token FOR TO STEP DO UNTIL IN EACH WHILE CONSIDER BREAK CONTINUE
%token FUNCTION RETURN GOTO GOSUB WATCH UNWATCH WITHOUT WATCHERS
%token ON NEXT STOP ERROR_VALUE MODIFIER PROGRAM LIBRARY LOAD USE EXPORT
%token OP_EQ OP_NE OP_GT OP_LT OP_GE OP_LE OP_NGT OP_NLT OP_NGE OP_NLE
%token PLUS MINUS STAR SLASH LPAREN RPAREN LBRACKET RBRACKET LBRACE RBRACE
%token COMMA COLON NEWLINE
%token IF_WITHOUT_ELSE NO_DOT DOT

/* The grammar has two shift/reduce ambiguities, and both are settled in
   favour of the shift by giving the empty alternative a marker token of
   lower precedence than the token it competes with:
   - after an inline `if ... then s` line, an ELSE continues that if rather
     than ending it with an empty tail (if_inline_tail, %prec IF_WITHOUT_ELSE);
   - after a plain name in an expression, a DOT starts the name's suffix
     rather than ending the name and becoming a postfix field access
     (ident_suffix, %prec NO_DOT). */
%precedence IF_WITHOUT_ELSE
%precedence ELSE
%precedence NO_DOT
%precedence DOT

%type <number> NUMBER
%type <text> IDENT STRING LENS_CONTENT QUALIFIED_IDENT MODIFIER_PREFIX
%type <stmt_list> program statement_list consider_statement_list consider_else_opt
%type <stmt_list> if_block_tail if_inline_tail
%type <stmt> statement consider_body_statement inline_statement assignment
%type <stmt> print_statement call_statement with_lock_statement for_each_statement
%type <stmt> do_loop_statement while_statement consider_statement function_statement
%type <stmt> modifier_statement program_statement library_statement use_statement
%type <stmt> watch_statement unwatch_statement server_statement
%type <stmt> without_watchers_statement on_error_statement error_statement
%type <stmt> return_statement label_statement goto_statement gosub_statement
%type <stmt> break_statement continue_statement if_statement
%type <expr> lvalue expression or_expression and_expression not_expression
%type <expr> comparison_expression set_expression additive_expression
%type <expr> multiplicative_expression unary_expression postfix_expression primary
%type <expr> record_literal parameter_default
%type <text> variable_name modifier_word modifier_context
%type <text> comparison_operator field_name dot_field_name for_end
%type <growing> modifier_name watch_target_path
%type <op> compound_op
%type <modifier> comparison_lens
%type <signature> modifier_signature
%type <params> parameter_list_opt parameter_list watch_target_list server_string_list
%type <exprs> argument_list_opt argument_list array_argument_list
%type <fields> record_field_list
%type <branches> consider_branch_list
%type <items> server_item_list
%type <item> server_item
%type <policy> field_policy
%type <suffix> ident_suffix ident_dot_suffix
%type <duration> duration_terms

/* Every value the driver drops goes through the one discard routine, which
   knows by the symbol number what the value owns. The whole value record is
   passed, not the member selected by the symbol's tag. Symbols without a
   tag carry nothing to release. */
%destructor { parser_value_discard(static_cast<int>(yykind), yyvaluep); } <*>

%%

program
    : statement_list                        { $$ = finish_program(context, $1); }
    ;

statement_list
    : %empty                                { $$ = stmt_list_empty(); }
    | statement_list NEWLINE                { $$ = $1; }
    | statement_list statement              { $$ = stmt_list_append($1, $2); }
    ;

statement
    : assignment NEWLINE                    { $$ = stmt_at($1, @1); }
    | print_statement NEWLINE               { $$ = stmt_at($1, @1); }
    | call_statement NEWLINE                { $$ = stmt_at($1, @1); }
    | with_lock_statement                   { $$ = stmt_at($1, @1); }
    | for_each_statement                    { $$ = stmt_at($1, @1); }
    | while_statement                       { $$ = stmt_at($1, @1); }
    | do_loop_statement                     { $$ = stmt_at($1, @1); }
    | consider_statement                    { $$ = stmt_at($1, @1); }
    | function_statement                    { $$ = stmt_at($1, @1); }
    | modifier_statement                    { $$ = stmt_at($1, @1); }
    | program_statement                     { $$ = stmt_at($1, @1); }
    | library_statement                     { $$ = stmt_at($1, @1); }
    | use_statement NEWLINE                 { $$ = stmt_at($1, @1); }
    | watch_statement                       { $$ = stmt_at($1, @1); }
    | server_statement                      { $$ = stmt_at($1, @1); }
    | unwatch_statement NEWLINE             { $$ = stmt_at($1, @1); }
    | without_watchers_statement            { $$ = stmt_at($1, @1); }
    | on_error_statement NEWLINE            { $$ = stmt_at($1, @1); }
    | error_statement NEWLINE               { $$ = stmt_at($1, @1); }
    | return_statement NEWLINE              { $$ = stmt_at($1, @1); }
    | label_statement NEWLINE               { $$ = stmt_at($1, @1); }
    | goto_statement NEWLINE                { $$ = stmt_at($1, @1); }
    | gosub_statement NEWLINE               { $$ = stmt_at($1, @1); }
    | break_statement NEWLINE               { $$ = stmt_at($1, @1); }
    | continue_statement NEWLINE            { $$ = stmt_at($1, @1); }
    | if_statement                          { $$ = stmt_at($1, @1); }
    | DIM                                   { $$ = nullptr; reject_dim(context, @1); YYERROR; }
    ;

assignment
    : lvalue OP_EQ expression               { $$ = stmt_assign($1, modifier_ref_empty(), $3); }
    | lvalue compound_op expression         { $$ = stmt_assign_op($1, modifier_ref_empty(), $3, $2); }
    | lvalue comparison_lens compound_op expression
                                            { if (!lens_assign(context, $1, $2, $4, $3, &$$)) YYERROR; }
    | lvalue comparison_lens OP_EQ expression
                                            { if (!lens_assign(context, $1, $2, $4, 0, &$$)) YYERROR; }
    ;

compound_op
    : PLUS_EQ                               { $$ = '+'; }
    | MINUS_EQ                              { $$ = '-'; }
    | STAR_EQ                               { $$ = '*'; }
    | SLASH_EQ                              { $$ = '/'; }
    ;

lvalue
    : variable_name                         { $$ = expr_at(expr_identifier($1), @1); }
    | lvalue LBRACKET expression RBRACKET   { $$ = expr_at(expr_index($1, $3), @2); }
    | lvalue DOT dot_field_name             { $$ = expr_at(expr_field_access($1, $3), @2); }
    ;

variable_name
    : IDENT                                 { $$ = $1; }
    | END                                   { $$ = copy_string("end"); }
    | NEXT                                  { $$ = copy_string("next"); }
    ;

/* The lexer must hear about the lens right after the `{` is shifted and
   before it scans the next token: the marker is reduced in a state without
   a look-ahead, so the text up to `}` arrives as one LENS_CONTENT. */
comparison_lens
    : LBRACE { lexer_begin_lens(context->lexer); } LENS_CONTENT RBRACE
                                            { $$ = parse_lens($3); }
    | MODIFIER_PREFIX                       { $$ = parse_lens($1); }
    ;

/* Words join with single spaces: "approximately equal to". */
modifier_name
    : modifier_word                         { $$ = growing_text_start($1); }
    | modifier_name modifier_word           { $$ = growing_text_append($1, ' ', $2); }
    ;

modifier_word
    : IDENT                                 { $$ = $1; }
    | TO                                    { $$ = copy_string("to"); }
    | END                                   { $$ = copy_string("end"); }
    | NEXT                                  { $$ = copy_string("next"); }
    ;

print_statement
    : PRINT expression                      { $$ = stmt_print($2); }
    | PRINT TO ERROR_VALUE expression       { $$ = stmt_print_to_error($4); }
    ;

call_statement
    : IDENT LPAREN argument_list_opt RPAREN { $$ = stmt_expression(expr_call($1, $3)); }
    | QUALIFIED_IDENT LPAREN argument_list_opt RPAREN
                                            { $$ = stmt_expression(qualified_call($1, $3)); }
    | lvalue DOT IDENT LPAREN argument_list_opt RPAREN
                                            { $$ = stmt_expression(expr_at(expr_method_call($1, $3, $5), @2)); }
    | lvalue DOT QUALIFIED_IDENT LPAREN argument_list_opt RPAREN
                                            { $$ = stmt_expression(method_call_on_field($1, $3, $5, @2)); }
    | ERROR_VALUE DOT IDENT LPAREN argument_list_opt RPAREN
                                            { $$ = stmt_expression(error_member_call($3, $5)); }
    ;

with_lock_statement
    : WITH IDENT LPAREN expression RPAREN NEWLINE statement_list END WITH NEWLINE
                                            { if (!with_block(context, $2, $4, $7, &$$)) YYERROR; }
    ;

for_end
    : END FOR NEWLINE                       { $$ = nullptr; }
    | NEXT NEWLINE                          { $$ = nullptr; }
    | NEXT variable_name NEWLINE            { $$ = $2; }
    ;

for_each_statement
    : FOR IDENT IN expression NEWLINE statement_list for_end
                                            { if (!for_each_loop(context, $2, nullptr, $4, $6, $7, @7, @2, &$$)) YYERROR; }
    | FOR EACH IDENT IN expression NEWLINE statement_list for_end
                                            { if (!for_each_loop(context, $3, nullptr, $5, $7, $8, @8, @3, &$$)) YYERROR; }
    | FOR IDENT COMMA IDENT IN expression NEWLINE statement_list for_end
                                            { if (!for_each_loop(context, $2, $4, $6, $8, $9, @9, @4, &$$)) YYERROR; }
    | FOR EACH IDENT COMMA IDENT IN expression NEWLINE statement_list for_end
                                            { if (!for_each_loop(context, $3, $5, $7, $9, $10, @10, @5, &$$)) YYERROR; }
    | FOR IDENT OP_EQ expression TO expression NEWLINE statement_list for_end
                                            { if (!for_range_loop(context, $2, $4, $6, nullptr, $8, $9, @9, &$$)) YYERROR; }
    | FOR IDENT OP_EQ expression TO expression STEP expression NEWLINE statement_list for_end
                                            { if (!for_range_loop(context, $2, $4, $6, $8, $10, $11, @11, &$$)) YYERROR; }
    ;

do_loop_statement
    : DO NEWLINE statement_list UNTIL expression NEWLINE
                                            { $$ = stmt_do_loop($3, $5); }
    ;

while_statement
    : WHILE expression NEWLINE statement_list END WHILE NEWLINE
                                            { $$ = stmt_while($2, $4); }
    ;

consider_statement
    : CONSIDER expression NEWLINE consider_branch_list consider_else_opt END_CONSIDER NEWLINE
                                            { $$ = stmt_consider($2, $4, $5); }
    ;

consider_branch_list
    : CONSIDER_IF expression THEN NEWLINE consider_statement_list
                                            { $$ = branch_list_append(branch_list_empty(), $2, $5); }
    | consider_branch_list CONSIDER_IF expression THEN NEWLINE consider_statement_list
                                            { $$ = branch_list_append($1, $3, $6); }
    ;

consider_else_opt
    : %empty                                { $$ = stmt_list_empty(); }
    | CONSIDER_ELSE NEWLINE consider_statement_list
                                            { $$ = $3; }
    ;

consider_statement_list
    : %empty                                { $$ = stmt_list_empty(); }
    | consider_statement_list NEWLINE       { $$ = $1; }
    | consider_statement_list consider_body_statement
                                            { $$ = stmt_list_append($1, $2); }
    ;

consider_body_statement
    : assignment NEWLINE                    { $$ = stmt_at($1, @1); }
    | print_statement NEWLINE               { $$ = stmt_at($1, @1); }
    | call_statement NEWLINE                { $$ = stmt_at($1, @1); }
    | with_lock_statement                   { $$ = stmt_at($1, @1); }
    | for_each_statement                    { $$ = stmt_at($1, @1); }
    | while_statement                       { $$ = stmt_at($1, @1); }
    | do_loop_statement                     { $$ = stmt_at($1, @1); }
    | consider_statement                    { $$ = stmt_at($1, @1); }
    | function_statement                    { $$ = stmt_at($1, @1); }
    | modifier_statement                    { $$ = stmt_at($1, @1); }
    | program_statement                     { $$ = stmt_at($1, @1); }
    | library_statement                     { $$ = stmt_at($1, @1); }
    | use_statement NEWLINE                 { $$ = stmt_at($1, @1); }
    | watch_statement                       { $$ = stmt_at($1, @1); }
    | unwatch_statement NEWLINE             { $$ = stmt_at($1, @1); }
    | without_watchers_statement            { $$ = stmt_at($1, @1); }
    | on_error_statement NEWLINE            { $$ = stmt_at($1, @1); }
    | error_statement NEWLINE               { $$ = stmt_at($1, @1); }
    | return_statement NEWLINE              { $$ = stmt_at($1, @1); }
    | label_statement NEWLINE               { $$ = stmt_at($1, @1); }
    | goto_statement NEWLINE                { $$ = stmt_at($1, @1); }
    | gosub_statement NEWLINE               { $$ = stmt_at($1, @1); }
    | break_statement NEWLINE               { $$ = stmt_at($1, @1); }
    | continue_statement NEWLINE            { $$ = stmt_at($1, @1); }
    | if_statement                          { $$ = stmt_at($1, @1); }
    | DIM                                   { $$ = nullptr; reject_dim(context, @1); YYERROR; }
    ;

function_statement
    : FUNCTION IDENT LPAREN parameter_list_opt RPAREN NEWLINE statement_list END FUNCTION NEWLINE
                                            { $$ = stmt_function($2, $4, $7); }
    | FUNCTION QUALIFIED_IDENT LPAREN parameter_list_opt RPAREN NEWLINE statement_list END FUNCTION NEWLINE
                                            { $$ = stmt_function($2, $4, $7); }
    ;

modifier_statement
    : MODIFIER modifier_signature FOR modifier_context NEWLINE statement_list END MODIFIER NEWLINE
                                            { $$ = stmt_modifier($2.name, $2.params, $4, 0, $6); }
    | EXPORT MODIFIER modifier_signature FOR modifier_context NEWLINE statement_list END MODIFIER NEWLINE
                                            { $$ = stmt_modifier($3.name, $3.params, $5, 1, $7); }
    ;

program_statement
    : PROGRAM IDENT LPAREN parameter_list_opt RPAREN NEWLINE statement_list END PROGRAM NEWLINE
                                            { $$ = stmt_program_block($2, $4, $7); }
    ;

library_statement
    : LIBRARY IDENT NEWLINE statement_list END LIBRARY NEWLINE
                                            { $$ = stmt_library($2, $4); }
    ;

use_statement
    : USE IDENT                             { $$ = stmt_use($2, nullptr, nullptr); }
    | LOAD IDENT                            { $$ = stmt_use($2, nullptr, nullptr); }
    | USE STRING                            { $$ = stmt_use($2, nullptr, nullptr); }
    | LOAD STRING                           { $$ = stmt_use($2, nullptr, nullptr); }
    | LOAD IDENT AS IDENT                   { $$ = stmt_use($2, nullptr, $4); }
    | USE IDENT IDENT STRING                { if (!use_from(context, "expected from in use statement", $2, $3, $4, nullptr, &$$)) YYERROR; }
    | LOAD IDENT IDENT STRING               { if (!use_from(context, "expected from in load statement", $2, $3, $4, nullptr, &$$)) YYERROR; }
    | LOAD IDENT IDENT STRING AS IDENT      { if (!use_from(context, "expected from in load statement", $2, $3, $4, $6, &$$)) YYERROR; }
    ;

modifier_signature
    : modifier_name                         { $$ = modifier_signature_make($1.text, param_list_empty()); }
    | modifier_name LPAREN parameter_list_opt RPAREN
                                            { $$ = modifier_signature_make($1.text, $3); }
    ;

modifier_context
    : IDENT                                 { $$ = $1; }
    ;

watch_statement
    : WATCH LPAREN watch_target_list RPAREN NEWLINE statement_list END WATCH NEWLINE
                                            { $$ = stmt_watch(nullptr, $3, $6); }
    | WATCH watch_target_list NEWLINE statement_list END WATCH NEWLINE
                                            { $$ = stmt_watch(nullptr, $2, $4); }
    | WATCH IDENT LPAREN watch_target_list RPAREN NEWLINE statement_list END WATCH NEWLINE
                                            { $$ = stmt_watch($2, $4, $7); }
    ;

unwatch_statement
    : UNWATCH expression                    { $$ = stmt_unwatch($2); }
    ;

watch_target_list
    : watch_target_path                     { $$ = param_list_append(param_list_empty(), $1.text); }
    | watch_target_list COMMA watch_target_path
                                            { $$ = param_list_append($1, $3.text); }
    ;

/* The markers run right after the header's line break, so that a report
   anywhere inside a block with an unknown keyword can name that keyword. */
server_statement
    : IDENT IDENT LPAREN record_field_list RPAREN NEWLINE { note_pending_block(context, $1, @1); }
      server_item_list END IDENT NEWLINE    { $$ = server_block(context, $1, $2, $4, $8, $10); }
    | IDENT IDENT LPAREN RPAREN NEWLINE { note_pending_block(context, $1, @1); }
      server_item_list END IDENT NEWLINE    { $$ = server_block(context, $1, $2, field_list_empty(), $7, $9); }
    ;

server_item_list
    : %empty                                { $$ = item_list_empty(); }
    | server_item_list NEWLINE              { $$ = $1; }
    | server_item_list server_item          { $$ = item_list_append($1, $2); }
    ;

server_item
    : IDENT server_string_list NEWLINE      { $$ = item_directive($1, $2, @1.start_line, @1.start_column); }
    | IDENT STRING LPAREN parameter_list_opt RPAREN NEWLINE statement_list END IDENT NEWLINE
                                            { $$ = item_handler($1, $2, $4, $7, $9, @1.start_line, @1.start_column); }
    | IDENT IDENT LPAREN record_field_list RPAREN NEWLINE server_item_list END IDENT NEWLINE
                                            { $$ = item_site($1, $2, $4, $7, $9, @1.start_line, @1.start_column); }
    | IDENT IDENT LPAREN RPAREN NEWLINE server_item_list END IDENT NEWLINE
                                            { $$ = item_site($1, $2, field_list_empty(), $6, $8, @1.start_line, @1.start_column); }
    | ON IDENT NEWLINE statement_list END ON NEWLINE
                                            { $$ = item_hook($2, $4, @1.start_line, @1.start_column); }
    ;

server_string_list
    : STRING                                { $$ = param_list_append(param_list_empty(), $1); }
    | server_string_list COMMA STRING       { $$ = param_list_append($1, $3); }
    ;

watch_target_path
    : variable_name                         { $$ = growing_text_start($1); }
    | watch_target_path DOT IDENT           { $$ = growing_text_append($1, '.', $3); }
    ;

without_watchers_statement
    : WITHOUT WATCHERS NEWLINE statement_list END WITHOUT NEWLINE
                                            { $$ = stmt_without_watchers($4); }
    ;

on_error_statement
    : ON ERROR_VALUE GOTO IDENT             { $$ = stmt_on_error_goto($4); }
    | ON ERROR_VALUE GOTO NEXT              { $$ = stmt_on_error_goto_next(); }
    | ON ERROR_VALUE STOP                   { $$ = stmt_on_error_stop(); }
    | ON IDENT GOTO NEXT                    { if (!on_warning(context, $2, @2, WARNING_MODE_GOTO_NEXT, &$$)) YYERROR; }
    | ON IDENT GOTO IDENT                   { $$ = nullptr; reject_on_warning_goto(context, $2, @2, $4, @3); YYERROR; }
    | ON IDENT STOP                         { if (!on_warning(context, $2, @2, WARNING_MODE_STOP, &$$)) YYERROR; }
    | ON IDENT PRINT                        { if (!on_warning(context, $2, @2, WARNING_MODE_PRINT, &$$)) YYERROR; }
    | ON IDENT IDENT                        { if (!on_warning_mode(context, $2, @2, $3, @3, &$$)) YYERROR; }
    ;

error_statement
    : ERROR_VALUE expression                { $$ = stmt_error($2); }
    ;

return_statement
    : RETURN                                { $$ = stmt_return(nullptr); }
    | RETURN expression                     { $$ = stmt_return($2); }
    ;

label_statement
    : variable_name COLON                   { $$ = stmt_label($1); }
    ;

goto_statement
    : GOTO variable_name                    { $$ = stmt_goto($2); }
    ;

gosub_statement
    : GOSUB variable_name                   { $$ = stmt_gosub($2); }
    ;

break_statement
    : BREAK                                 { $$ = stmt_break(nullptr); }
    | BREAK IDENT                           { $$ = stmt_break($2); }
    ;

continue_statement
    : CONTINUE                              { $$ = stmt_continue(nullptr); }
    | CONTINUE IDENT                        { $$ = stmt_continue($2); }
    ;

if_statement
    : IF expression THEN NEWLINE statement_list if_block_tail
                                            { $$ = if_with_else($2, $5, $6); }
    | IF expression THEN inline_statement NEWLINE if_inline_tail
                                            { $$ = if_with_else($2, stmt_list_single($4), $6); }
    ;

if_block_tail
    : END IF NEWLINE                        { $$ = stmt_list_empty(); }
    | ELSE inline_statement NEWLINE         { $$ = stmt_list_single($2); }
    | ELSE NEWLINE statement_list END IF NEWLINE
                                            { $$ = $3; }
    | ELSE IF expression THEN NEWLINE statement_list if_block_tail
                                            { $$ = else_if_link($3, $6, $7, @2); }
    ;

if_inline_tail
    : %empty %prec IF_WITHOUT_ELSE          { $$ = stmt_list_empty(); }
    | ELSE inline_statement NEWLINE         { $$ = stmt_list_single($2); }
    | ELSE NEWLINE statement_list END IF NEWLINE
                                            { $$ = $3; }
    | ELSE IF expression THEN inline_statement NEWLINE if_inline_tail
                                            { $$ = else_if_link($3, stmt_list_single($5), $7, @2); }
    | ELSE IF expression THEN NEWLINE statement_list if_block_tail
                                            { $$ = else_if_link($3, $6, $7, @2); }
    ;

inline_statement
    : assignment                            { $$ = stmt_at($1, @1); }
    | print_statement                       { $$ = stmt_at($1, @1); }
    | call_statement                        { $$ = stmt_at($1, @1); }
    | use_statement                         { $$ = stmt_at($1, @1); }
    | on_error_statement                    { $$ = stmt_at($1, @1); }
    | error_statement                       { $$ = stmt_at($1, @1); }
    | return_statement                      { $$ = stmt_at($1, @1); }
    | goto_statement                        { $$ = stmt_at($1, @1); }
    | gosub_statement                       { $$ = stmt_at($1, @1); }
    | break_statement                       { $$ = stmt_at($1, @1); }
    | continue_statement                    { $$ = stmt_at($1, @1); }
    ;

expression
    : or_expression
    ;

or_expression
    : and_expression
    | or_expression OR and_expression       { $$ = binary_at("or", $1, $3, @2); }
    ;

and_expression
    : not_expression
    | and_expression AND not_expression     { $$ = binary_at("and", $1, $3, @2); }
    ;

not_expression
    : comparison_expression
    | NOT not_expression                    { $$ = unary_at("not", $2, @1); }
    ;

comparison_expression
    : set_expression
    | set_expression comparison_operator set_expression
                                            { $$ = expr_at(expr_binary($2, modifier_ref_empty(), $1, $3), @2); }
    | set_expression comparison_lens comparison_operator set_expression
                                            { $$ = expr_at(expr_binary($3, $2, $1, $4), @3); }
    ;

set_expression
    : additive_expression
    | set_expression EXCLUDING additive_expression
                                            { $$ = binary_at("excluding", $1, $3, @2); }
    | set_expression INTERSECTING additive_expression
                                            { $$ = binary_at("intersecting", $1, $3, @2); }
    ;

additive_expression
    : multiplicative_expression
    | additive_expression PLUS multiplicative_expression
                                            { $$ = binary_at("+", $1, $3, @2); }
    | additive_expression MINUS multiplicative_expression
                                            { $$ = binary_at("-", $1, $3, @2); }
    ;

multiplicative_expression
    : unary_expression
    | multiplicative_expression STAR unary_expression
                                            { $$ = binary_at("*", $1, $3, @2); }
    | multiplicative_expression SLASH unary_expression
                                            { $$ = binary_at("/", $1, $3, @2); }
    ;

unary_expression
    : postfix_expression
    | MINUS unary_expression                { $$ = unary_at("-", $2, @1); }
    | MODIFIER_PREFIX unary_expression      { $$ = expr_at(expr_modifier_apply(parse_lens($1), $2), @1); }
    | NEW postfix_expression                { $$ = expr_at(expr_new_object($2, nullptr), @1); }
    | NEW postfix_expression WITH record_literal
                                            { $$ = expr_at(expr_new_object($2, $4), @1); }
    | SPAWN IDENT LPAREN argument_list_opt RPAREN
                                            { $$ = expr_at(expr_spawn($2, $4), @1); }
    ;

postfix_expression
    : primary
    | postfix_expression LBRACKET expression RBRACKET
                                            { $$ = expr_at(expr_index($1, $3), @2); }
    | postfix_expression DOT dot_field_name { $$ = expr_at(expr_field_access($1, $3), @2); }
    | postfix_expression DOT IDENT LPAREN argument_list_opt RPAREN
                                            { $$ = expr_at(expr_method_call($1, $3, $5), @2); }
    | postfix_expression DOT QUALIFIED_IDENT LPAREN argument_list_opt RPAREN
                                            { $$ = method_call_on_field($1, $3, $5, @2); }
    ;

comparison_operator
    : OP_EQ                                 { $$ = copy_string("="); }
    | OP_NE                                 { $$ = copy_string("!="); }
    | OP_GT                                 { $$ = copy_string(">"); }
    | OP_LT                                 { $$ = copy_string("<"); }
    | OP_GE                                 { $$ = copy_string(">="); }
    | OP_LE                                 { $$ = copy_string("<="); }
    | OP_NGT                                { $$ = copy_string("!>"); }
    | OP_NLT                                { $$ = copy_string("!<"); }
    | OP_NGE                                { $$ = copy_string("!>="); }
    | OP_NLE                                { $$ = copy_string("!<="); }
    ;

primary
    : NUMBER                                { $$ = expr_at(number_expr($1), @1); }
    | WATCHERS LPAREN RPAREN                { $$ = expr_at(expr_call(copy_string("watchers"), expr_list_empty()), @1); }
    | duration_terms                        { $$ = expr_at(expr_duration($1), @1); }
    | STRING                                { $$ = expr_at(expr_string($1), @1); }
    | variable_name ident_suffix            { $$ = name_with_suffix($1, $2, @1, @2); }
    | QUALIFIED_IDENT LPAREN argument_list_opt RPAREN
                                            { $$ = expr_at(qualified_call($1, $3), @1); }
    | ERROR_VALUE                           { $$ = expr_at(expr_identifier(copy_string("error")), @1); }
    | TRUE                                  { $$ = expr_at(expr_boolean(1), @1); }
    | FALSE                                 { $$ = expr_at(expr_boolean(0), @1); }
    | NOTHING                               { $$ = expr_at(expr_nothing(), @1); }
    | UNKNOWN_VALUE                         { $$ = expr_at(expr_unknown(), @1); }
    | LPAREN expression RPAREN              { $$ = $2; }
    | LBRACKET optional_newlines RBRACKET   { $$ = expr_at(expr_array(expr_list_empty()), @1); }
    | LBRACKET optional_newlines array_argument_list optional_newlines RBRACKET
                                            { $$ = expr_at(expr_array($3), @1); }
    | record_literal
    ;

record_literal
    : LBRACE optional_newlines RBRACE       { $$ = expr_at(expr_record(field_list_empty()), @1); }
    | LBRACE optional_newlines record_field_list optional_newlines RBRACE
                                            { $$ = expr_at(expr_record($3), @1); }
    ;

ident_suffix
    : %empty %prec NO_DOT                   { $$ = name_suffix(SUFFIX_NONE, nullptr, expr_list_empty()); }
    | LPAREN argument_list_opt RPAREN       { $$ = name_suffix(SUFFIX_CALL, nullptr, $2); }
    | DOT dot_field_name ident_dot_suffix   { $$ = name_suffix($3.kind, $2, $3.args); }
    | DOT QUALIFIED_IDENT LPAREN argument_list_opt RPAREN
                                            { $$ = name_suffix(SUFFIX_METHOD_CALL, $2, $4); }
    ;

ident_dot_suffix
    : %empty                                { $$ = name_suffix(SUFFIX_FIELD, nullptr, expr_list_empty()); }
    | LPAREN argument_list_opt RPAREN       { $$ = name_suffix(SUFFIX_QUALIFIED_CALL, nullptr, $2); }
    ;

duration_terms
    : NUMBER IDENT                          { if (!duration_term(context, duration_zero(), $1, $2, @2, &$$)) YYERROR; }
    | duration_terms NUMBER IDENT           { if (!duration_term(context, $1, $2, $3, @3, &$$)) YYERROR; }
    ;

argument_list_opt
    : %empty                                { $$ = expr_list_empty(); }
    | argument_list
    ;

argument_list
    : expression                            { $$ = expr_list_append(expr_list_empty(), $1); }
    | argument_list COMMA expression        { $$ = expr_list_append($1, $3); }
    ;

array_argument_list
    : expression                            { $$ = expr_list_append(expr_list_empty(), $1); }
    | array_argument_list COMMA optional_newlines expression
                                            { $$ = expr_list_append($1, $4); }
    ;

parameter_list_opt
    : %empty                                { $$ = param_list_empty(); }
    | parameter_list
    ;

parameter_default
    : NUMBER                                { $$ = expr_at(number_expr($1), @1); }
    | MINUS NUMBER                          { $$ = expr_at(number_expr(negate_number($2)), @1); }
    | PLUS NUMBER                           { $$ = expr_at(number_expr($2), @1); }
    | STRING                                { $$ = expr_at(expr_string($1), @1); }
    | TRUE                                  { $$ = expr_at(expr_boolean(1), @1); }
    | FALSE                                 { $$ = expr_at(expr_boolean(0), @1); }
    | NOTHING                               { $$ = expr_at(expr_nothing(), @1); }
    | UNKNOWN_VALUE                         { $$ = expr_at(expr_unknown(), @1); }
    ;

parameter_list
    : IDENT                                 { $$ = param_list_append(param_list_empty(), $1); }
    | IDENT OP_EQ parameter_default         { $$ = param_list_append_default(param_list_empty(), $1, $3); }
    | parameter_list COMMA IDENT            { $$ = param_list_append($1, $3); }
    | parameter_list COMMA IDENT OP_EQ parameter_default
                                            { $$ = param_list_append_default($1, $3, $5); }
    ;

field_name
    : dot_field_name
    | STRING
    ;

/* After a dot, and as a record field's name, every keyword below is an
   ordinary name. */
dot_field_name
    : IDENT
    | AS                                    { $$ = copy_string("as"); }
    | NEXT                                  { $$ = copy_string("next"); }
    | STOP                                  { $$ = copy_string("stop"); }
    | ERROR_VALUE                           { $$ = copy_string("error"); }
    | END                                   { $$ = copy_string("end"); }
    | TO                                    { $$ = copy_string("to"); }
    | IN                                    { $$ = copy_string("in"); }
    | ON                                    { $$ = copy_string("on"); }
    | NEW                                   { $$ = copy_string("new"); }
    | EACH                                  { $$ = copy_string("each"); }
    | WITH                                  { $$ = copy_string("with"); }
    | WITHOUT                               { $$ = copy_string("without"); }
    | THEN                                  { $$ = copy_string("then"); }
    | ELSE                                  { $$ = copy_string("else"); }
    | FOR                                   { $$ = copy_string("for"); }
    | IF                                    { $$ = copy_string("if"); }
    | WHILE                                 { $$ = copy_string("while"); }
    | DO                                    { $$ = copy_string("do"); }
    | UNTIL                                 { $$ = copy_string("until"); }
    | PRINT                                 { $$ = copy_string("print"); }
    | RETURN                                { $$ = copy_string("return"); }
    | LOAD                                  { $$ = copy_string("load"); }
    | USE                                   { $$ = copy_string("use"); }
    | NOT                                   { $$ = copy_string("not"); }
    | AND                                   { $$ = copy_string("and"); }
    | OR                                    { $$ = copy_string("or"); }
    | TRUE                                  { $$ = copy_string("true"); }
    | FALSE                                 { $$ = copy_string("false"); }
    | NOTHING                               { $$ = copy_string("nothing"); }
    | BREAK                                 { $$ = copy_string("break"); }
    | CONTINUE                              { $$ = copy_string("continue"); }
    | GOTO                                  { $$ = copy_string("goto"); }
    | GOSUB                                 { $$ = copy_string("gosub"); }
    | SPAWN                                 { $$ = copy_string("spawn"); }
    | EXPORT                                { $$ = copy_string("export"); }
    | LIBRARY                               { $$ = copy_string("library"); }
    | FUNCTION                              { $$ = copy_string("function"); }
    | MODIFIER                              { $$ = copy_string("modifier"); }
    | PROGRAM                               { $$ = copy_string("program"); }
    | WATCH                                 { $$ = copy_string("watch"); }
    | WATCHERS                              { $$ = copy_string("watchers"); }
    | CONSIDER                              { $$ = copy_string("consider"); }
    | STEP                                  { $$ = copy_string("step"); }
    | UNWATCH                               { $$ = copy_string("unwatch"); }
    | UNKNOWN_VALUE                         { $$ = copy_string("unknown"); }
    | DIM                                   { $$ = copy_string("dim"); }
    ;

record_field_list
    : field_name OP_EQ expression           { $$ = field_list_append(field_list_empty(), $1, $3); }
    | field_name COLON expression           { $$ = field_list_append(field_list_empty(), $1, $3); }
    | IDENT LPAREN field_policy RPAREN COLON expression
                                            { $$ = field_list_append_policy(field_list_empty(), $1, $6, $3.policy, $3.reset_value); }
    | record_field_list COMMA optional_newlines field_name OP_EQ expression
                                            { $$ = field_list_append($1, $4, $6); }
    | record_field_list COMMA optional_newlines field_name COLON expression
                                            { $$ = field_list_append($1, $4, $6); }
    | record_field_list COMMA optional_newlines IDENT LPAREN field_policy RPAREN COLON expression
                                            { $$ = field_list_append_policy($1, $4, $9, $6.policy, $6.reset_value); }
    ;

field_policy
    : IDENT                                 { if (!policy_word(context, $1, &$$)) YYERROR; }
    | IDENT expression                      { if (!policy_with_value(context, $1, $2, &$$)) YYERROR; }
    ;

optional_newlines
    : %empty                                { }
    | optional_newlines NEWLINE             { }
    ;

%%

namespace {

template <typename T, size_t N>
std::vector<int32_t> widen(const T (&array)[N]) {
    return std::vector<int32_t>(array, array + N);
}

GrammarTables copy_tables() {
    GrammarTables t;
    t.pact = widen(yypact);
    t.defact = widen(yydefact);
    t.pgoto = widen(yypgoto);
    t.defgoto = widen(yydefgoto);
    t.table = widen(yytable);
    t.check = widen(yycheck);
    t.r1 = widen(yyr1);
    t.r2 = widen(yyr2);
    t.translate = widen(yytranslate);
    t.symbol_names.assign(yytname, yytname + YYNTOKENS + YYNNTS);
    t.final_state = YYFINAL;
    t.last = YYLAST;
    t.tokens = YYNTOKENS;
    t.pact_ninf = YYPACT_NINF;
    t.table_ninf = YYTABLE_NINF;
    t.max_token_code = YYMAXUTOK;
    t.undefined_symbol = YYSYMBOL_YYUNDEF;
    // The lens request is the action in the middle of `comparison_lens`, the
    // grammar's first mid-rule action: its empty rule has the symbol "$@1".
    t.lens_rule = -1;
    for (int32_t rule = 1; rule < YYNRULES + 1; ++rule) {
        if (t.r2[rule] == 0 && std::strcmp(yytname[t.r1[rule]], "$@1") == 0) t.lens_rule = rule;
    }
    return t;
}

}  // namespace

const GrammarTables& grammar_tables() {
    static const GrammarTables tables = copy_tables();
    return tables;
}

int32_t grammar_symbol_of(TokenKind kind) {
    int32_t code = grammar_token_code(kind);
    return YYTRANSLATE(code);
}
