#include "tests/e2e/cli_server.h"

#include <cjson/cJSON.h>

#include "lsp/json_holder.h"
#include "tests/e2e/framing.h"
#include "tests/e2e/lsp_process.h"

namespace {

constexpr int kTimeoutMs = 60000;

const cJSON* member(const cJSON* object, const char* name) {
    return cJSON_GetObjectItemCaseSensitive(object, name);
}

int number_at(const cJSON* object, const char* outer, const char* inner) {
    const cJSON* value = member(member(object, outer), inner);
    return cJSON_IsNumber(value) ? value->valueint : -1;
}

bool read_diagnostic(const cJSON* item, PublishedDiagnostic* out) {
    const cJSON* range = member(item, "range");
    const cJSON* severity = member(item, "severity");
    const cJSON* code = member(item, "code");
    const cJSON* message = member(item, "message");
    if (range == nullptr || !cJSON_IsNumber(severity) || !cJSON_IsString(code) ||
        !cJSON_IsString(message)) {
        return false;
    }
    out->start_line = number_at(range, "start", "line");
    out->start_character = number_at(range, "start", "character");
    out->end_line = number_at(range, "end", "line");
    out->end_character = number_at(range, "end", "character");
    out->severity = severity->valueint;
    out->code = code->valuestring;
    out->message = message->valuestring;
    return true;
}

std::string session_input(const std::string& text, const std::string& uri) {
    std::string input;
    input += frame(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":)"
                   R"({"capabilities":{"general":{"positionEncodings":["utf-8"]}}}})");
    input += frame(R"({"jsonrpc":"2.0","method":"initialized","params":{}})");
    input += frame(R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":)"
                   R"({"uri":)" + json_string(uri) +
                   R"(,"languageId":"tovel","version":1,"text":)" + json_string(text) + "}}}");
    input += frame(R"({"jsonrpc":"2.0","id":2,"method":"shutdown"})");
    input += frame(R"({"jsonrpc":"2.0","method":"exit"})");
    return input;
}

}  // namespace

bool published_diagnostics(const std::string& text, const std::string& uri,
                           std::vector<PublishedDiagnostic>* diagnostics, std::string* problem) {
    diagnostics->clear();
    RunResult run = run_with_input(TOVEL_LSP_PATH, session_input(text, uri), kTimeoutMs);
    if (run.exit.timed_out || run.exit.signaled || run.exit.status != 0) {
        *problem = "the server did not end cleanly: " + run.error;
        return false;
    }
    std::vector<std::string> bodies;
    if (!split_frames(run.output, &bodies, problem)) {
        return false;
    }
    int publications = 0;
    for (const std::string& body : bodies) {
        JsonHolder message(cJSON_Parse(body.c_str()));
        const cJSON* method = member(message.get(), "method");
        if (!cJSON_IsString(method) ||
            std::string(method->valuestring) != "textDocument/publishDiagnostics") {
            continue;
        }
        ++publications;
        const cJSON* list = member(member(message.get(), "params"), "diagnostics");
        if (!cJSON_IsArray(list)) {
            *problem = "diagnostics is not an array: " + body;
            return false;
        }
        const cJSON* item = nullptr;
        cJSON_ArrayForEach(item, list) {
            PublishedDiagnostic diagnostic;
            if (!read_diagnostic(item, &diagnostic)) {
                *problem = "malformed diagnostic in " + body;
                return false;
            }
            diagnostics->push_back(diagnostic);
        }
    }
    if (publications != 1) {
        *problem = "expected one publication, got " + std::to_string(publications);
        return false;
    }
    return true;
}
