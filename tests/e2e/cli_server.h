#pragma once

#include <string>
#include <vector>

// What tovel-lsp publishes for one document, as the editor sees it:
// 0-based lines and byte characters (the session negotiates utf-8).
struct PublishedDiagnostic {
    int start_line = -1;
    int start_character = -1;
    int end_line = -1;
    int end_character = -1;
    int severity = -1;  // 1 error, 2 warning, 3 note
    std::string code;   // "TV_DIAG_PARSE_ERROR", ...
    std::string message;
};

// Opens `text` (any bytes; a NUL byte is sent as \u0000) in a fresh server
// session under `uri` and collects the diagnostics of the one
// publishDiagnostics notification. False with a reason when the session
// did not go as an editor expects.
bool published_diagnostics(const std::string& text, const std::string& uri,
                           std::vector<PublishedDiagnostic>* diagnostics, std::string* problem);
