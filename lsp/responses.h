#pragma once

#include <cjson/cJSON.h>

// A new response envelope: jsonrpc "2.0", then a deep copy of the request's
// id (null when absent). The caller adds result or error, sends, deletes.
cJSON* make_response(const cJSON* id);

// Error -32601 "Method not found" for the given id.
void send_method_not_found(const cJSON* id);

// Error -32700 "Parse error" with id null, for a body that is not JSON.
void send_parse_error();
