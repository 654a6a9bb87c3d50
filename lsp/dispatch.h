#pragma once

#include <cstdint>

#include <cjson/cJSON.h>

#include "lsp/server_state.h"

// Routes one parsed message by its method. Returns 1 to keep reading and 0
// after exit; only exit writes *exit_code.
int32_t dispatch_message(ServerState* state, const cJSON* message, int* exit_code);

// Negotiates the position encoding afresh and answers with the capabilities.
void on_initialize(ServerState* state, const cJSON* id, const cJSON* params);
// Remembers the request (so a later exit ends with status 0) and answers null.
void on_shutdown(ServerState* state, const cJSON* id);
