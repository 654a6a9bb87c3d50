#include "parser/parse.h"

#include "ast/ast.h"
#include "lexer/lexer.h"
#include "parser/grammar.tab.h"
#include "parser/parse_context.h"

int32_t parse_program(const char* text, const char* path, int32_t first_line,
                      DiagnosticList* diagnostics, StmtList* program) {
    ParseContext context = {};
    context.path = path;
    context.diagnostics = diagnostics;

    Lexer lexer;
    lexer_init(&lexer, text != nullptr ? text : "", first_line);
    context.lexer = &lexer;

    // The generated driver never frees the program list itself: rule 2 hands
    // it to the context, and it is either given to the caller or dropped
    // here.
    int32_t result = yyparse(&context);
    if (result != 0 || context.failed) {
        stmt_list_free(context.program);
        return result != 0 ? result : 1;
    }
    if (program != nullptr) {
        *program = context.program;
    } else {
        stmt_list_free(context.program);
    }
    return 0;
}
