#pragma once

#include "lsp/protocol.h"
#include "lsp/request_target.h"
#include "lsp/server_state.h"

// Each stores the new full text and publishes its diagnostics; close
// forgets the document and publishes an empty list, opened or not.
// Missing or mistyped members make a notification do nothing.
void on_did_open(ServerState* state, const IncomingMessage& message, const RequestTarget&);
void on_did_change(ServerState* state, const IncomingMessage& message, const RequestTarget&);
void on_did_close(ServerState* state, const IncomingMessage& message, const RequestTarget&);
