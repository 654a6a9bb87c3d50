#pragma once

#include <cstdint>

#include "ast/region.h"
#include "lsp/document_store.h"

// How protocol positions count characters within a line.
enum PositionEncoding : int32_t {
    POSITION_ENCODING_UTF16 = 0,  // UTF-16 code units, the protocol's default
    POSITION_ENCODING_UTF8 = 1,   // bytes, when the editor offers it
};

// Everything the server remembers between messages.
struct ServerState {
    bool shutdown_requested;
    PositionEncoding position_encoding;
    DocumentStore documents;
    AstRegion tree_region;  // the syntax tree of the analysis under way
};

void server_state_init(ServerState* state);
// Frees every stored document and the tree region.
void server_state_destroy(ServerState* state);
