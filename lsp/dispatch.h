#pragma once

#include <cstdint>

#include <cjson/cJSON.h>

#include "lsp/protocol.h"
#include "lsp/request_target.h"
#include "lsp/server_state.h"

// Routes one parsed message by its method. Returns 1 to keep reading and 0
// after exit; only exit writes *exit_code.
int32_t dispatch_message(ServerState* state, const cJSON* message, int* exit_code);

enum MethodKind : int32_t {
    METHOD_REQUEST,       // answered with a response
    METHOD_NOTIFICATION,  // never answered
};

// What a request is about, resolved before its handler runs.
enum MethodTarget : int32_t {
    TARGET_NONE,      // the handler reads its params itself
    TARGET_DOCUMENT,  // params.textDocument names an open document
    TARGET_POSITION,  // ... and params.position a place inside it
};

using MethodHandler = void (*)(ServerState* state, const IncomingMessage& message, const RequestTarget& target);

// One method the server knows. A method is matched by name alone, whether
// or not the message carries an id; any other request gets "Method not
// found" and any other notification is dropped. The dispatcher decides,
// once for every method:
// - a feature the client did not declare at initialize answers "Method not
//   found", exactly as an unknown method, and a notification of a feature's
//   request method is dropped;
// - a request whose document is not open, or whose position is missing or
//   outside the text, answers null.
struct MethodRow {
    const char* method;
    MethodKind kind;
    bool ClientFeatures::*feature;  // null: served to every client
    MethodTarget target;
    MethodHandler handler;
};

// The methods in table order, and how many there are.
const MethodRow* method_table(int32_t* count);
