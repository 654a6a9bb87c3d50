#include "fuzz/front_end_trace.h"

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#define YYDEBUG 1

#include "ast/lists.h"
#include "ast/region.h"
#include "lexer/lexer.h"
#include "parser/actions.h"
#include "parser/error_report.h"
#include "parser/grammar.tab.h"
#include "parser/grammar_tables.h"
#include "parser/parse_context.h"
#include "parser/token_bridge.h"
#include "parser/value_discard.h"

namespace {

std::vector<int32_t>* trace_sink = nullptr;

// Bison's trace printer: only "Reducing stack by rule N ..." is kept.
int trace_fprintf(FILE*, const char* format, ...) {
    static const char kReducing[] = "Reducing stack by rule ";
    if (trace_sink == nullptr || std::strncmp(format, kReducing, sizeof kReducing - 1) != 0) return 0;
    va_list arguments;
    va_start(arguments, format);
    trace_sink->push_back(va_arg(arguments, int));
    va_end(arguments);
    return 0;
}

}  // namespace

#define YYFPRINTF trace_fprintf
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#pragma GCC diagnostic ignored "-Wunused-parameter"
namespace traced_front_end {
#include "parser/grammar.tab.cpp"
}
#pragma GCC diagnostic pop

bool front_end_reductions(const char* text, std::vector<int32_t>* reductions) {
    reductions->clear();
    AstRegion region;
    ast_region_init(&region);
    bool accepted = false;
    {
        AstRegionScope tree_memory(&region);
        ParseContext context = {};
        context.path = "trace.tov";
        DiagnosticList diagnostics;
        diag_list_init(&diagnostics);
        context.diagnostics = &diagnostics;
        Lexer lexer;
        lexer_init(&lexer, text, 1);
        context.lexer = &lexer;
        trace_sink = reductions;
        traced_front_end::yydebug = 1;
        int result = traced_front_end::yyparse(&context);
        traced_front_end::yydebug = 0;
        trace_sink = nullptr;
        accepted = result == 0 && !context.failed;
        stmt_list_free(context.program);
        diag_list_free(&diagnostics);
    }
    ast_region_release(&region);
    return accepted;
}
