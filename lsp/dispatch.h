#pragma once

#include <cstdint>

#include <cjson/cJSON.h>

#include "lsp/protocol.h"
#include "lsp/server_state.h"

// Routes one parsed message by its method. Returns 1 to keep reading and 0
// after exit; only exit writes *exit_code.
int32_t dispatch_message(ServerState* state, const cJSON* message, int* exit_code);

enum MethodKind : int32_t {
    METHOD_REQUEST,       // answered with a response
    METHOD_NOTIFICATION,  // never answered
};

using MethodHandler = void (*)(ServerState* state, const IncomingMessage& message);

// One method the server knows. A method is matched by name alone, whether
// or not the message carries an id; any other request gets "Method not
// found" and any other notification is dropped.
struct MethodRow {
    const char* method;
    MethodKind kind;
    MethodHandler handler;
};

// The methods in table order, and how many there are.
const MethodRow* method_table(int32_t* count);
