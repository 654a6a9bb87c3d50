#pragma once

#include <cstdint>

#include "ast/region.h"
#include "lsp/document_store.h"
#include "text/line_index.h"
#include "lsp/protocol_features.h"

// Everything the server remembers between messages.
struct ServerState {
    bool shutdown_requested;
    bool exit_requested;  // exit arrived: the loop stops after this message
    int exit_status;      // the process status exit asked for
    PositionEncoding position_encoding;
    ClientFeatures features;  // the editor features the client declared at initialize
    DocumentStore documents;
    AstRegion tree_region;  // the syntax tree of the analysis under way
    uint64_t analysis_clock;  // counts analysis uses, for dropping the least recent
};

void server_state_init(ServerState* state);
// Frees every stored document and the tree region.
void server_state_destroy(ServerState* state);
