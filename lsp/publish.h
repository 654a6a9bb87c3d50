#pragma once

#include <cstdint>

#include <cjson/cJSON.h>

#include "lsp/position.h"
#include "lsp/server_state.h"

// Analyses one document text and sends all its findings in one
// textDocument/publishDiagnostics notification (an empty list too, so fixed
// problems disappear in the editor).
void analyze_and_publish(ServerState* state, const char* uri, const char* text);

// Sends the notification for `uri`; takes ownership of the array.
void publish_diagnostics(const char* uri, cJSON* diagnostics);

// Protocol severity: error 1, warning 2, note 3; anything else 1.
int32_t lsp_severity(int32_t severity);

// A position object: line, then character.
cJSON* lsp_position(LineIndex* index, int32_t line, int32_t column, PositionEncoding encoding);
