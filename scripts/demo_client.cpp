// A small editor stand-in for the demo: starts tovel-lsp, talks to it over
// pipes one message at a time and prints what it sent and what came back.
//
//   demo_client <path-to-tovel-lsp> [file.tov ...]
//
// Two sessions show the lifecycle and position-encoding negotiation; when
// files are given, a third opens each one and shows the published
// diagnostics, then (with --fix) replaces one document by its corrected
// text, closes it and shuts down. With --editor a last session declares the
// editor features: the outline of a program, a hover on a call, its
// references and rename, and the quick fix of a mistake, applied and sent
// back as a range edit.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <cjson/cJSON.h>

#include "tests/e2e/framing.h"
#include "tests/e2e/lsp_process.h"
#include "tests/test_files.h"

namespace {

constexpr int kAnswerTimeoutMs = 10000;

struct Session {
    ChildProcess child;
    std::string output;  // bytes not yet shown
    std::string error;
    int next_id = 1;
};

constexpr size_t kShownTextBytes = 48;

// Long document texts are cut so that each message stays one readable line.
void abbreviate_text(cJSON* object) {
    cJSON* text = cJSON_GetObjectItemCaseSensitive(object, "text");
    if (cJSON_IsString(text) && strlen(text->valuestring) > kShownTextBytes) {
        std::string cut(text->valuestring, kShownTextBytes);
        cut += "...";
        cJSON_ReplaceItemInObjectCaseSensitive(object, "text", cJSON_CreateString(cut.c_str()));
    }
}

void show_diagnostics(const cJSON* params) {
    const cJSON* uri = cJSON_GetObjectItemCaseSensitive(params, "uri");
    const cJSON* list = cJSON_GetObjectItemCaseSensitive(params, "diagnostics");
    int count = cJSON_GetArraySize(list);
    printf("      %s: %d diagnostic(s)\n", cJSON_IsString(uri) ? uri->valuestring : "?", count);
    const cJSON* item = nullptr;
    cJSON_ArrayForEach(item, list) {
        const cJSON* range = cJSON_GetObjectItemCaseSensitive(item, "range");
        const cJSON* start = cJSON_GetObjectItemCaseSensitive(range, "start");
        const cJSON* end = cJSON_GetObjectItemCaseSensitive(range, "end");
        auto number = [](const cJSON* object, const char* name) {
            return static_cast<int>(cJSON_GetNumberValue(cJSON_GetObjectItemCaseSensitive(object, name)));
        };
        const char* severities[] = {"?", "error", "warning", "information", "hint"};
        int severity = number(item, "severity");
        const cJSON* code = cJSON_GetObjectItemCaseSensitive(item, "code");
        const cJSON* message = cJSON_GetObjectItemCaseSensitive(item, "message");
        printf("        line %d col %d .. line %d col %d  %s %s: %s\n", number(start, "line") + 1,
               number(start, "character") + 1, number(end, "line") + 1, number(end, "character") + 1,
               severities[severity >= 1 && severity <= 4 ? severity : 0],
               cJSON_IsString(code) ? code->valuestring : "?",
               cJSON_IsString(message) ? message->valuestring : "");
    }
}

void show(const char* arrow, const std::string& body) {
    cJSON* json = cJSON_Parse(body.c_str());
    if (json == nullptr) {
        printf("  %s %s\n", arrow, body.c_str());
        return;
    }
    cJSON* params = cJSON_GetObjectItemCaseSensitive(json, "params");
    abbreviate_text(cJSON_GetObjectItemCaseSensitive(params, "textDocument"));
    cJSON* change = nullptr;
    cJSON_ArrayForEach(change, cJSON_GetObjectItemCaseSensitive(params, "contentChanges")) {
        abbreviate_text(change);
    }
    const cJSON* method = cJSON_GetObjectItemCaseSensitive(json, "method");
    if (cJSON_IsString(method) && strcmp(method->valuestring, "textDocument/publishDiagnostics") == 0) {
        // The summary reads better than the raw notification.
        printf("  %s textDocument/publishDiagnostics\n", arrow);
        show_diagnostics(params);
    } else {
        char* text = cJSON_PrintUnformatted(json);
        printf("  %s %s\n", arrow, text != nullptr ? text : body.c_str());
        cJSON_free(text);
    }
    cJSON_Delete(json);
}

// Takes the complete frames off the front of the session's output; a
// partial frame stays for the next read.
size_t take_frames(Session* session, std::vector<std::string>* bodies) {
    static const std::string kPrefix = "Content-Length: ";
    std::string& output = session->output;
    size_t consumed = 0;
    while (consumed < output.size()) {
        size_t header_end = output.find("\r\n\r\n", consumed);
        if (header_end == std::string::npos) break;
        size_t length = 0;
        size_t digit = consumed + kPrefix.size();
        bool well_formed = output.compare(consumed, kPrefix.size(), kPrefix) == 0 && digit < header_end;
        for (; well_formed && digit < header_end; ++digit) {
            well_formed = output[digit] >= '0' && output[digit] <= '9';
            length = length * 10 + static_cast<size_t>(output[digit] - '0');
        }
        if (!well_formed) {
            printf("  !! output that is not a framed message: %s\n", output.substr(consumed).c_str());
            consumed = output.size();
            break;
        }
        size_t end = header_end + 4 + length;
        if (end > output.size()) break;
        bodies->push_back(output.substr(header_end + 4, length));
        consumed = end;
    }
    output.erase(0, consumed);
    return bodies->size();
}

// Sends one message and shows the expected number of answers as they arrive.
void exchange(Session* session, const std::string& body, size_t answers) {
    show("-->", body);
    child_write(&session->child, frame(body), &session->output, &session->error, kAnswerTimeoutMs);
    std::vector<std::string> bodies;
    for (int waited = 0; take_frames(session, &bodies) < answers && waited < kAnswerTimeoutMs;
         waited += 50) {
        child_read_idle(&session->child, &session->output, &session->error, 50);
    }
    for (const std::string& answer : bodies) {
        show("<--", answer);
    }
    if (bodies.size() < answers) {
        printf("  !! expected %zu answer(s), got %zu\n", answers, bodies.size());
    }
}

std::string request(Session* session, const char* method, const std::string& params) {
    std::string body = "{\"jsonrpc\":\"2.0\",\"id\":" + std::to_string(session->next_id++) +
                       ",\"method\":\"" + method + "\"";
    if (!params.empty()) body += ",\"params\":" + params;
    return body + "}";
}

std::string notification(const char* method, const std::string& params) {
    std::string body = std::string("{\"jsonrpc\":\"2.0\",\"method\":\"") + method + "\"";
    if (!params.empty()) body += ",\"params\":" + params;
    return body + "}";
}

bool start(Session* session, const char* server) {
    if (!child_start(&session->child, server)) {
        printf("could not start %s\n", server);
        return false;
    }
    return true;
}

void finish(Session* session) {
    exchange(session, request(session, "shutdown", ""), 1);
    exchange(session, notification("exit", ""), 0);
    ChildExit result = child_finish(&session->child, &session->output, &session->error,
                                    kAnswerTimeoutMs);
    if (result.timed_out) {
        printf("  server did not exit in time\n");
    } else if (result.signaled) {
        printf("  server died from signal %d\n", result.status);
    } else {
        printf("  server exited with status %d\n", result.status);
    }
    if (!session->error.empty()) {
        printf("  standard error: %s\n", session->error.c_str());
    }
}

void lifecycle_session(const char* server, bool offer_utf8) {
    printf("\n== Session: initialize %s, shutdown, exit\n",
           offer_utf8 ? "offering utf-8" : "without encodings (utf-16 is used)");
    Session session;
    if (!start(&session, server)) return;
    std::string capabilities = offer_utf8
        ? "{\"capabilities\":{\"general\":{\"positionEncodings\":[\"utf-16\",\"utf-8\"]}}}"
        : "{\"capabilities\":{}}";
    exchange(&session, request(&session, "initialize", capabilities), 1);
    exchange(&session, notification("initialized", "{}"), 0);
    finish(&session);
}

// file:///demo/ followed by the path below examples/ (or the file name).
std::string uri_of(const std::string& path) {
    size_t examples = path.rfind("examples/");
    if (examples != std::string::npos) {
        return "file:///demo/" + path.substr(examples + 9);
    }
    return "file:///demo/" + path.substr(path.find_last_of('/') + 1);
}

std::string open_params(const std::string& uri, const std::string& text) {
    return "{\"textDocument\":{\"uri\":" + json_string(uri) +
           ",\"languageId\":\"tovel\",\"version\":1,\"text\":" + json_string(text) + "}}";
}

void documents_session(const char* server, const std::vector<const char*>& files,
                       const char* fix_target, const char* fixed_text_path) {
    printf("\n== Session: open every example, fix one, close it\n");
    Session session;
    if (!start(&session, server)) return;
    exchange(&session, request(&session, "initialize", "{\"capabilities\":{}}"), 1);
    exchange(&session, notification("initialized", "{}"), 0);
    for (const char* file : files) {
        printf("\n-- %s\n", file);
        exchange(&session, notification("textDocument/didOpen", open_params(uri_of(file), read_file_bytes(file))), 1);
    }
    if (fix_target != nullptr && fixed_text_path != nullptr) {
        std::string uri = uri_of(fix_target);
        printf("\n-- change %s to the corrected text of %s\n", uri.c_str(), fixed_text_path);
        std::string change = "{\"textDocument\":{\"uri\":" + json_string(uri) +
                             ",\"version\":2},\"contentChanges\":[{\"text\":" +
                             json_string(read_file_bytes(fixed_text_path)) + "}]}";
        exchange(&session, notification("textDocument/didChange", change), 1);
        printf("\n-- close %s\n", uri.c_str());
        exchange(&session, notification("textDocument/didClose",
                                        "{\"textDocument\":{\"uri\":" + json_string(uri) + "}}"), 1);
    }
    printf("\n");
    finish(&session);
}

// The answer of one request: sends it and returns the parsed result (the
// caller deletes it), showing the request and, unless `quiet`, the answer.
cJSON* ask(Session* session, const char* method, const std::string& params, bool quiet) {
    std::string body = request(session, method, params);
    show("-->", body);
    child_write(&session->child, frame(body), &session->output, &session->error, kAnswerTimeoutMs);
    std::vector<std::string> bodies;
    for (int waited = 0; take_frames(session, &bodies) < 1 && waited < kAnswerTimeoutMs; waited += 50) {
        child_read_idle(&session->child, &session->output, &session->error, 50);
    }
    if (bodies.empty()) {
        printf("  !! no answer\n");
        return nullptr;
    }
    if (!quiet) show("<--", bodies[0]);
    cJSON* answer = cJSON_Parse(bodies[0].c_str());
    cJSON* result = cJSON_DetachItemFromObjectCaseSensitive(answer, "result");
    cJSON_Delete(answer);
    return result;
}

void show_symbols(const cJSON* symbols, int depth) {
    const cJSON* symbol = nullptr;
    cJSON_ArrayForEach(symbol, symbols) {
        const cJSON* name = cJSON_GetObjectItemCaseSensitive(symbol, "name");
        const cJSON* detail = cJSON_GetObjectItemCaseSensitive(symbol, "detail");
        const cJSON* start = cJSON_GetObjectItemCaseSensitive(cJSON_GetObjectItemCaseSensitive(symbol, "range"), "start");
        printf("      %*s%s%s%s  (line %d)\n", depth * 2, "", name->valuestring,
               cJSON_IsString(detail) && detail->valuestring[0] != '(' ? " " : "",
               cJSON_IsString(detail) ? detail->valuestring : "",
               static_cast<int>(cJSON_GetNumberValue(cJSON_GetObjectItemCaseSensitive(start, "line"))) + 1);
        show_symbols(cJSON_GetObjectItemCaseSensitive(symbol, "children"), depth + 1);
    }
}

std::string position(int line, int character) {
    return "{\"line\":" + std::to_string(line) + ",\"character\":" + std::to_string(character) + "}";
}

int number_at(const cJSON* object, const char* first, const char* second) {
    return static_cast<int>(cJSON_GetNumberValue(
        cJSON_GetObjectItemCaseSensitive(cJSON_GetObjectItemCaseSensitive(object, first), second)));
}

// Applies a one-line edit in UTF-16 positions to `lines`.
void apply_edit(std::vector<std::string>* lines, const cJSON* edit) {
    const cJSON* range = cJSON_GetObjectItemCaseSensitive(edit, "range");
    int line = number_at(range, "start", "line");
    if (line < 0 || static_cast<size_t>(line) >= lines->size() || number_at(range, "end", "line") != line) return;
    // The demo's texts are ASCII, so characters are bytes.
    std::string& text = (*lines)[static_cast<size_t>(line)];
    size_t from = static_cast<size_t>(number_at(range, "start", "character"));
    size_t to = static_cast<size_t>(number_at(range, "end", "character"));
    if (from > text.size() || to > text.size() || to < from) return;
    text.replace(from, to - from, cJSON_GetObjectItemCaseSensitive(edit, "newText")->valuestring);
}

// Where the name at a place is used, and what renaming it would edit.
void show_references_and_rename(Session* session, const std::string& place) {
    printf("\n-- the references of restock, and its rename to replenish\n");
    cJSON* references = ask(session, "textDocument/references", place + ",\"context\":{\"includeDeclaration\":true}}", true);
    printf("  <-- %d place(s), on line(s)", cJSON_GetArraySize(references));
    const cJSON* reference = nullptr;
    cJSON_ArrayForEach(reference, references) printf(" %d", number_at(cJSON_GetObjectItemCaseSensitive(reference, "range"), "start", "line") + 1);
    printf("\n");
    cJSON_Delete(references);
    cJSON* rename = ask(session, "textDocument/rename", place + ",\"newName\":\"replenish\"}", true);
    const cJSON* changes = cJSON_GetObjectItemCaseSensitive(rename, "changes");
    printf("  <-- %d edit(s) to replenish\n", changes != nullptr && changes->child != nullptr ? cJSON_GetArraySize(changes->child) : 0);
    cJSON_Delete(rename);
}

// What an editor with the features asks: the outline of a program, a hover
// on a call, and the quick fix of a mistake, applied as a range edit.
void editor_session(const char* server, const char* program, const char* mistakes) {
    printf("\n== Session: an editor with the features: outline, hover, references, rename, a quick fix\n");
    Session session;
    if (!start(&session, server)) return;
    exchange(&session, request(&session, "initialize",
                               "{\"capabilities\":{\"textDocument\":{\"documentSymbol\":{},\"hover\":{},"
                               "\"codeAction\":{},\"synchronization\":{},\"references\":{},\"rename\":{}}}}"),
             1);
    std::string program_uri = uri_of(program);
    std::string text = read_file_bytes(program);
    exchange(&session, notification("textDocument/didOpen", open_params(program_uri, text)), 1);
    std::string document = "{\"textDocument\":{\"uri\":" + json_string(program_uri) + "}";
    printf("\n-- the outline of %s\n", program);
    cJSON* symbols = ask(&session, "textDocument/documentSymbol", document + "}", true);
    printf("  <-- %d top-level symbol(s):\n", cJSON_GetArraySize(symbols));
    show_symbols(symbols, 0);
    cJSON_Delete(symbols);
    size_t call = text.find("restock(req");
    if (call != std::string::npos) {
        int line = static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(call), '\n'));
        int character = static_cast<int>(call - (text.rfind('\n', call) + 1)) + 2;
        printf("\n-- hover on the call of restock\n");
        cJSON_Delete(ask(&session, "textDocument/hover", document + ",\"position\":" + position(line, character) + "}", false));
        show_references_and_rename(&session, document + ",\"position\":" + position(line, character));
    }

    std::string uri = uri_of(mistakes);
    printf("\n-- open %s and ask for the fix of its first mistake\n", mistakes);
    std::string mistaken = read_file_bytes(mistakes);
    exchange(&session, notification("textDocument/didOpen", open_params(uri, mistaken)), 1);
    size_t at = mistaken.find("<>");
    int line = static_cast<int>(std::count(mistaken.begin(), mistaken.begin() + static_cast<long>(at), '\n'));
    int character = static_cast<int>(at - (mistaken.rfind('\n', at) + 1));
    cJSON* fixes = ask(&session, "textDocument/codeAction",
                       "{\"textDocument\":{\"uri\":" + json_string(uri) + "},\"range\":{\"start\":" +
                           position(line, character) + ",\"end\":" + position(line, character) +
                           "},\"context\":{\"diagnostics\":[]}}", false);
    const cJSON* edits = cJSON_GetObjectItemCaseSensitive(
        cJSON_GetObjectItemCaseSensitive(cJSON_GetObjectItemCaseSensitive(cJSON_GetArrayItem(fixes, 0), "edit"), "changes"),
        uri.c_str());
    std::vector<std::string> lines;
    std::istringstream in(mistaken);
    for (std::string each; std::getline(in, each);) lines.push_back(each);
    const cJSON* edit = nullptr;
    std::string changes;
    cJSON_ArrayForEach(edit, edits) {
        apply_edit(&lines, edit);
        // A text edit becomes a content change: its range and its text.
        char* range = cJSON_PrintUnformatted(cJSON_GetObjectItemCaseSensitive(edit, "range"));
        changes += std::string(changes.empty() ? "" : ",") + "{\"range\":" + range + ",\"text\":" +
                   json_string(cJSON_GetObjectItemCaseSensitive(edit, "newText")->valuestring) + "}";
        cJSON_free(range);
    }
    cJSON_Delete(fixes);
    if (changes.empty()) {
        printf("  !! no fix was offered\n");
    } else {
        printf("\n   fixed line %d: %s\n", line + 1, lines[static_cast<size_t>(line)].c_str());
        printf("\n-- the fix sent back as a range edit; the next mistake is reported\n");
        exchange(&session, notification("textDocument/didChange", "{\"textDocument\":{\"uri\":" + json_string(uri) +
                                                                     ",\"version\":2},\"contentChanges\":[" + changes + "]}"), 1);
    }
    printf("\n");
    finish(&session);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr,
                "usage: %s <tovel-lsp> [--fix <opened.tov> <corrected.tov>] [--editor <program.tov> <mistakes.tov>] "
                "[file.tov ...]\n",
                argv[0]);
        return 2;
    }
    setvbuf(stdout, nullptr, _IOLBF, 0);
    const char* server = argv[1];
    const char* fix_target = nullptr;
    const char* fixed = nullptr;
    const char* editor_program = nullptr;
    const char* editor_mistakes = nullptr;
    std::vector<const char*> files;
    for (int i = 2; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--fix" && i + 2 < argc) {
            fix_target = argv[++i];
            fixed = argv[++i];
        } else if (argument == "--editor" && i + 2 < argc) {
            editor_program = argv[++i];
            editor_mistakes = argv[++i];
        } else {
            files.push_back(argv[i]);
        }
    }
    lifecycle_session(server, true);
    lifecycle_session(server, false);
    if (!files.empty()) {
        documents_session(server, files, fix_target, fixed);
    }
    if (editor_program != nullptr && editor_mistakes != nullptr) {
        editor_session(server, editor_program, editor_mistakes);
    }
    return 0;
}
