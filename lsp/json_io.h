#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <cjson/cJSON.h>

#include "text/line_index.h"

// The JSON both protocol files read and write: member lookups, positions
// and ranges, and response envelopes. Large answers are written as text, in
// exactly the bytes cJSON would print for the equivalent tree.

// --- Reading ---------------------------------------------------------------

// A member of an object; null when missing, and for a missing object too.
const cJSON* json_member(const cJSON* object, const char* name);
// A string member's text, or null when missing or not a string.
const char* string_member(const cJSON* object, const char* name);
// params -> textDocument -> uri as a string, or null when any step is missing.
const char* text_document_uri(const cJSON* params);
// {line, character} of non-negative numbers within the 32-bit range.
bool read_position(const cJSON* json, ProtocolPosition* position);
bool read_range(const cJSON* json, ProtocolRange* range);

// --- Writing ---------------------------------------------------------------

// A new response envelope: jsonrpc "2.0", then a deep copy of the request's
// id (null when absent). The caller adds result or error, sends, deletes.
cJSON* make_response(const cJSON* id);
// Sends {jsonrpc, id, result} with `result` taken over.
void send_result(const cJSON* id, cJSON* result);
// Sends {jsonrpc, id, result} around `result`, the answer's JSON text.
void send_result_text(const cJSON* id, std::string_view result);

// Plain decimal digits, as cJSON prints small integers.
void append_integer(std::string* out, int64_t value);
void append_position(std::string* out, ProtocolPosition position);
void append_range(std::string* out, ProtocolRange range);
cJSON* range_json(ProtocolRange range);
