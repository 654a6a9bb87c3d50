#pragma once

#include <cjson/cJSON.h>

#include "lsp/server_state.h"

// params -> textDocument -> uri, or null when any step is missing.
const cJSON* text_document_uri(const cJSON* params);

// Each stores the new full text and publishes its diagnostics; close
// forgets the document and publishes an empty list, opened or not.
// Missing or mistyped members make a notification do nothing.
void on_did_open(ServerState* state, const cJSON* params);
void on_did_change(ServerState* state, const cJSON* params);
void on_did_close(ServerState* state, const cJSON* params);
