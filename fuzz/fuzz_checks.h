#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct cJSON;

// The properties every input must keep, whatever its bytes. Each check runs
// one part of the system on the input and returns an empty string when all
// holds, or what broke. The libFuzzer targets abort on a broken property;
// the regression tests run the same checks on the inputs kept under
// tests/fuzz/.

// A document text through the whole analysis and publication, in UTF-16 and
// in UTF-8, and through the outline, folding and semantic-token requests:
// every message is one framed, valid UTF-8 JSON body; every published range
// has start <= end and lies inside the document in its encoding; the same
// text twice gives the same bytes; the playground shows the same findings.
std::string check_document(const uint8_t* data, size_t size);

// The browser playground's findings for `text` against the ones the server
// published to a client that takes refined places (`published`, the
// protocol's diagnostics array in UTF-16): the same messages, in the same
// order, at the same places, with the same earlier places.
std::string check_playground_agrees(const char* text, const cJSON* published);

// The input as a document and, drawn from it, a sequence of edits: sent as
// range edits to a client session with incremental sync and as the whole
// texts a model computes to one without, they leave the same stored text
// and the same publications, in UTF-16 and in UTF-8.
std::string check_incremental_sync(const uint8_t* data, size_t size);

// Raw bytes as the server's standard input, through the real server loop
// (framing, JSON, dispatch, documents) over memory streams: the output is
// nothing but framed messages, each a valid UTF-8 JSON body, and the session
// ends (exit ends only the session, never the process).
std::string check_session(const uint8_t* data, size_t size);

// A file's bytes through the command-line checker's file reading and both
// renderings: every byte is read, each JSON line is a JSON object with the
// fields a tool relies on, every text line names its path, and the same
// file twice prints the same bytes.
std::string check_cli_file(const uint8_t* data, size_t size);

// Any bytes through the tolerant parse: the leaves of the tree give the text
// back byte for byte; where the front end accepts the text, the tree has no
// ERROR or MISSING node and the parse made exactly the front end's
// reductions.
std::string check_syntax_tree(const uint8_t* data, size_t size);

// Any bytes through the formatter: a text that parses is laid out with the
// front end's tree unchanged (never withheld as unsafe), in edits that are
// ordered and inside the text; formatting the result changes nothing; the
// result has the same findings; the editor's formatting equals the command
// line's; range and on-type formatting give ordered edits inside the text,
// on-type ones touching only one line's blanks.
std::string check_format(const uint8_t* data, size_t size);
