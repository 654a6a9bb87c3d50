// Semantic actions for declarations and blocks: `with` blocks, `use`/`load`
// with `from`, and the headers and closings of declarative server blocks.

#include <cstdlib>
#include <cstring>

#include "parser/actions.h"
#include "parser/error_report.h"
#include "parser/parse_context.h"

int32_t with_block(ParseContext* context, char* word, Expr* subject, StmtList body, Stmt** out) {
    bool lock = std::strcmp(word, "lock") == 0;
    bool principal = std::strcmp(word, "principal") == 0;
    tree_free(word);
    if (!lock && !principal) {
        expr_free(subject);
        stmt_list_free(body);
        // The rule is reduced after the line break that ends `end with`,
        // so the report lands there.
        report_at_token(context, "expected lock or principal in a with block");
        return 0;
    }
    *out = lock ? stmt_with_lock(subject, body) : stmt_with_principal(subject, body);
    return 1;
}

int32_t use_from(ParseContext* context, const char* message, char* name, char* word, char* from,
                 char* alias, Stmt** out) {
    bool is_from = std::strcmp(word, "from") == 0;
    tree_free(word);
    if (!is_from) {
        tree_free(name);
        tree_free(from);
        tree_free(alias);
        report_at_token(context, message);
        return 0;
    }
    *out = stmt_use(name, from, alias);
    return 1;
}

void note_pending_block(ParseContext* context, const char* keyword, SourceSpan keyword_at) {
    context->pending_block[0] = '\0';
    size_t length = std::strlen(keyword);
    if (std::strcmp(keyword, "server") == 0 || length >= sizeof context->pending_block) return;
    std::memcpy(context->pending_block, keyword, length + 1);
    context->pending_line = keyword_at.start_line;
    context->pending_column = keyword_at.start_column;
}

Stmt* server_block(ParseContext* context, char* keyword, char* name, RecordFieldList options,
                   ServerItemList items, char* end_word) {
    context->pending_block[0] = '\0';
    return stmt_server(keyword, name, options, items, end_word);
}
