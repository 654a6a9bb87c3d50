#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <cjson/cJSON.h>

#include "lsp/json_io.h"
#include "lsp/protocol_features.h"
#include "text/line_index.h"

// The protocol as this server speaks it. Every JSON member name lives in
// protocol.cpp: incoming params are read into the plain structs below, and
// outgoing messages are written from plain values. A missing member, or one
// of the wrong type, reads as null (or false), never as an error.

// --- Reading ---------------------------------------------------------------

// The envelope of one incoming message.
struct IncomingMessage {
    const char* method;    // null for responses, batches and stray values
    const cJSON* id;       // null when absent
    const cJSON* params;   // null when absent
    bool is_request;       // an id other than null
};

IncomingMessage protocol_read_envelope(const cJSON* message);

struct InitializeParams {
    // "utf-8" appears among capabilities.general.positionEncodings.
    bool offers_utf8;
    // The editor features the client declared.
    ClientFeatures features;
};

InitializeParams protocol_initialize_params(const cJSON* params);

// A document and its new full text; either may be null.
struct DocumentText {
    const char* uri;
    const char* text;
};

// textDocument.uri and textDocument.text.
DocumentText protocol_did_open_params(const cJSON* params);
// textDocument.uri and the text of the last content change (full sync: the
// last change holds the whole new text and any range in it is ignored).
DocumentText protocol_did_change_params(const cJSON* params);

// One entry of didChange's contentChanges as an editor that declared
// synchronization sends it: a range edit, or the whole new text.
struct ContentChange {
    const char* text;     // never null in a change that was read
    bool has_range;
    ProtocolRange range;  // numbers held within 0 .. INT32_MAX
};

// textDocument.uri and every readable change in order; a change without a
// text, or with a range that is not two positions of numbers, is left out.
std::vector<ContentChange> protocol_content_changes(const cJSON* params);

// --- Writing ---------------------------------------------------------------

// The answer to initialize: full text sync (incremental for a client that
// declared synchronization), the chosen position encoding,
// then the providers of the features the client declared (none for a client
// that declared none, which gets exactly the diagnostics-only answer).
void send_initialize_result(const cJSON* id, PositionEncoding encoding, const ClientFeatures& features);

// A response whose result is null.
void send_null_result(const cJSON* id);

// Error -32601 "Method not found" for the given id.
void send_method_not_found(const cJSON* id);

// Error -32700 "Parse error" with id null, for a body that is not JSON.
void send_parse_error();

// textDocument/publishDiagnostics, written directly rather than through a
// cJSON tree (a document can carry hundreds of thousands of findings), byte
// for byte as cJSON would print the tree.
//
// The notification up to its diagnostics array ...
std::string publish_notification_start(const char* uri);
// ... one element of the array (the caller writes the commas) ...
void append_protocol_diagnostic(std::string* out, ProtocolPosition start, ProtocolPosition end,
                                int32_t severity, const char* code, const char* message);
// ... and the closing of params and notification, then the framed write.
void send_publish_notification(std::string* message);
