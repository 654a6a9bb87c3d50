#pragma once

#include "lsp/protocol.h"
#include "lsp/request_target.h"
#include "lsp/server_state.h"

// The session's lifecycle: initialize, initialized, shutdown, exit.

// Negotiates the position encoding afresh and answers with the capabilities.
void on_initialize(ServerState* state, const IncomingMessage& message, const RequestTarget&);
// The client's acknowledgement; nothing to do.
void on_initialized(ServerState* state, const IncomingMessage& message, const RequestTarget&);
// Remembers the request (so a later exit ends with status 0) and answers null.
void on_shutdown(ServerState* state, const IncomingMessage& message, const RequestTarget&);
// Ends the session: status 0 after shutdown, else 1.
void on_exit(ServerState* state, const IncomingMessage& message, const RequestTarget&);
