#include "ast/server_node.h"

#include "ast/region.h"

Stmt* stmt_server(char* keyword, char* name, RecordFieldList options, ServerItemList items,
                  char* end_word) {
    Stmt* stmt = static_cast<Stmt*>(tree_alloc_zeroed(sizeof(Stmt)));
    stmt->kind = STMT_SERVER;
    stmt->server.keyword = keyword;
    stmt->server.name = name;
    stmt->server.end_word = end_word;
    stmt->server.options = options;
    stmt->server.items = items;
    return stmt;
}

ServerItem* item_new(ServerItemKind kind, int32_t line, int32_t column) {
    ServerItem* item = static_cast<ServerItem*>(tree_alloc_zeroed(sizeof(ServerItem)));
    item->kind = kind;
    item->line = line;
    item->column = column;
    return item;
}

ServerItem* item_directive(char* name, ParamList values, int32_t line, int32_t column) {
    ServerItem* item = item_new(ITEM_DIRECTIVE, line, column);
    item->word = name;
    item->values = values;
    return item;
}

ServerItem* item_handler(char* verb, char* path, ParamList params, StmtList body, char* end_word,
                         int32_t line, int32_t column) {
    ServerItem* item = item_new(ITEM_HANDLER, line, column);
    item->word = verb;
    item->path = path;
    item->params = params;
    item->body = body;
    item->end_word = end_word;
    return item;
}

ServerItem* item_site(char* keyword, char* name, RecordFieldList options, ServerItemList items,
                      char* end_word, int32_t line, int32_t column) {
    ServerItem* item = item_new(ITEM_SITE, line, column);
    item->word = keyword;
    item->name = name;
    item->options = options;
    item->items = items;
    item->end_word = end_word;
    return item;
}

ServerItem* item_hook(char* name, StmtList body, int32_t line, int32_t column) {
    ServerItem* item = item_new(ITEM_HOOK, line, column);
    item->word = name;
    item->body = body;
    return item;
}
