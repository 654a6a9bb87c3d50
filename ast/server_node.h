#pragma once

#include <cstdint>

#include "ast/expr.h"
#include "ast/lists.h"
#include "ast/stmt.h"

// Items of a server block or of a web site inside one. One flat record for
// every kind; the fields a kind does not use stay null, empty or 0.

enum ServerItemKind : int32_t {
    ITEM_DIRECTIVE = 0,  // word "value", "value", ...
    ITEM_HANDLER = 1,    // verb "path" (params) ... end word
    ITEM_SITE = 2,       // keyword name (options) ... end word
    ITEM_HOOK = 3,       // on word ... end on
};

struct ServerItem {
    ServerItemKind kind;
    char* word;             // directive name, verb, site keyword or hook name
    char* path;             // handler: the route path
    char* name;             // site: its name
    char* end_word;         // handler and site: the word after END
    ParamList values;       // directive: its strings, as names without defaults
    RecordFieldList options;  // site: options in parentheses
    ParamList params;       // handler: its parameters
    StmtList body;          // handler and hook
    ServerItemList items;   // site: nested items
    int32_t line;           // first token of the item, 1-based
    int32_t column;
};

ServerItemList item_list_empty(void);
ServerItemList item_list_append(ServerItemList list, ServerItem* item);

Stmt* stmt_server(char* keyword, char* name, RecordFieldList options, ServerItemList items,
                  char* end_word);

ServerItem* item_new(ServerItemKind kind, int32_t line, int32_t column);
ServerItem* item_directive(char* name, ParamList values, int32_t line, int32_t column);
ServerItem* item_handler(char* verb, char* path, ParamList params, StmtList body, char* end_word,
                         int32_t line, int32_t column);
ServerItem* item_site(char* keyword, char* name, RecordFieldList options, ServerItemList items,
                      char* end_word, int32_t line, int32_t column);
ServerItem* item_hook(char* name, StmtList body, int32_t line, int32_t column);
