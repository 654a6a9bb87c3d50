#pragma once

#include <string>

#include "lsp/outline.h"
#include "lsp/position.h"
#include "lsp/protocol.h"
#include "lsp/server_state.h"

// The editor features beyond diagnostics. Each handler answers "Method not
// found" to a client that did not declare the feature, null (or an empty
// list) for a document that is not open or a position outside it.

void on_document_symbol(ServerState* state, const IncomingMessage& message);
void on_folding_range(ServerState* state, const IncomingMessage& message);
void on_definition(ServerState* state, const IncomingMessage& message);
void on_hover(ServerState* state, const IncomingMessage& message);
void on_completion(ServerState* state, const IncomingMessage& message);
void on_code_action(ServerState* state, const IncomingMessage& message);
void on_semantic_tokens(ServerState* state, const IncomingMessage& message);

// An open document with its outline and line index, for one request.
struct FeatureDocument {
    const char* uri = nullptr;
    const char* text = nullptr;
    PositionEncoding encoding = POSITION_ENCODING_UTF16;
    Outline outline;
    LineIndex index{};

    FeatureDocument() = default;
    FeatureDocument(const FeatureDocument&) = delete;
    FeatureDocument& operator=(const FeatureDocument&) = delete;
    ~FeatureDocument() { if (text != nullptr) line_index_free(&index); }

    ProtocolPosition at(int32_t line, int32_t column) {
        return position_in_index(&index, line, column, encoding);
    }
    ProtocolRange span(int32_t start_line, int32_t start_column, int32_t end_line, int32_t end_column) {
        return ordered_range(at(start_line, start_column), at(end_line, end_column));
    }
    ProtocolRange token_range(const Token& token) {
        int32_t length = token.kind == TOKEN_MODIFIER_PREFIX ? 1 : token.length;
        return span(token.line, token.column, token.line, token.column + length);
    }
};

// True when the request may be served. A client that did not declare the
// feature gets "Method not found", exactly as for a method the server does
// not know; a notification of a request method is dropped.
bool feature_enabled(bool declared, const IncomingMessage& message);

// Loads the document `uri`; false when it is not open (or uri is null).
bool feature_document_open(ServerState* state, const char* uri, FeatureDocument* document);

// The request's document and the token under its position; false (after
// answering null) when the feature is not declared, the document is not
// open or no token stands there. `token` is the index in the outline.
bool feature_position_request(ServerState* state, const IncomingMessage& message, bool declared,
                              FeatureDocument* document, size_t* token);
