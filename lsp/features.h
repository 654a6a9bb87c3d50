#pragma once

#include "ide/features.h"
#include "lsp/protocol.h"
#include "lsp/protocol_features.h"
#include "lsp/request_target.h"
#include "lsp/server_state.h"

// The editor features beyond diagnostics, at the protocol's edge: each
// handler reads what its params add to the target the dispatcher resolved,
// asks the feature in ide/ and converts its byte ranges to positions in the
// negotiated encoding. Whether the client declared the feature, and whether
// its document and position exist, the dispatcher has decided already.

void on_document_symbol(ServerState* state, const IncomingMessage& message, const RequestTarget& target);
void on_folding_range(ServerState* state, const IncomingMessage& message, const RequestTarget& target);
void on_definition(ServerState* state, const IncomingMessage& message, const RequestTarget& target);
void on_hover(ServerState* state, const IncomingMessage& message, const RequestTarget& target);
void on_completion(ServerState* state, const IncomingMessage& message, const RequestTarget& target);
void on_code_action(ServerState* state, const IncomingMessage& message, const RequestTarget& target);
void on_semantic_tokens(ServerState* state, const IncomingMessage& message, const RequestTarget& target);

void on_references(ServerState* state, const IncomingMessage& message, const RequestTarget& target);
void on_document_highlight(ServerState* state, const IncomingMessage& message, const RequestTarget& target);
void on_prepare_rename(ServerState* state, const IncomingMessage& message, const RequestTarget& target);
void on_rename(ServerState* state, const IncomingMessage& message, const RequestTarget& target);
void on_prepare_call_hierarchy(ServerState* state, const IncomingMessage& message, const RequestTarget& target);
// Their item names the document: they resolve it themselves.
void on_incoming_calls(ServerState* state, const IncomingMessage& message, const RequestTarget& target);
void on_outgoing_calls(ServerState* state, const IncomingMessage& message, const RequestTarget& target);
void on_workspace_symbol(ServerState* state, const IncomingMessage& message, const RequestTarget& target);
void on_signature_help(ServerState* state, const IncomingMessage& message, const RequestTarget& target);
void on_inlay_hint(ServerState* state, const IncomingMessage& message, const RequestTarget& target);
void on_selection_range(ServerState* state, const IncomingMessage& message, const RequestTarget& target);
void on_document_link(ServerState* state, const IncomingMessage& message, const RequestTarget& target);

// The protocol's symbol kind of an outline symbol.
SymbolKind protocol_symbol_kind(IdeSymbolKind kind);

// Formatting (format_handlers.cpp).
void on_formatting(ServerState* state, const IncomingMessage& message, const RequestTarget& target);
void on_range_formatting(ServerState* state, const IncomingMessage& message, const RequestTarget& target);
void on_type_formatting(ServerState* state, const IncomingMessage& message, const RequestTarget& target);
