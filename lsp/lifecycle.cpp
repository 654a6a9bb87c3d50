#include "lsp/lifecycle.h"

void on_initialize(ServerState* state, const IncomingMessage& message, const RequestTarget&) {
    InitializeParams params = protocol_initialize_params(message.params);
    state->position_encoding = params.offers_utf8 ? POSITION_ENCODING_UTF8 : POSITION_ENCODING_UTF16;
    state->features = params.features;
    send_initialize_result(message.id, state->position_encoding, state->features);
}

void on_initialized(ServerState*, const IncomingMessage&, const RequestTarget&) {}

void on_shutdown(ServerState* state, const IncomingMessage& message, const RequestTarget&) {
    state->shutdown_requested = true;
    send_null_result(message.id);
}

void on_exit(ServerState* state, const IncomingMessage&, const RequestTarget&) {
    state->exit_requested = true;
    state->exit_status = state->shutdown_requested ? 0 : 1;
}
