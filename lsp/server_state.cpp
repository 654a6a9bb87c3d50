#include "lsp/server_state.h"

void server_state_init(ServerState* state) {
    state->shutdown_requested = false;
    state->exit_requested = false;
    state->exit_status = 0;
    state->position_encoding = POSITION_ENCODING_UTF16;
    state->features = ClientFeatures{};
    document_store_init(&state->documents);
    ast_region_init(&state->tree_region);
    state->analysis_clock = 0;
}

void server_state_destroy(ServerState* state) {
    document_store_destroy(&state->documents);
    ast_region_release(&state->tree_region);
}
