// Incremental sync against a model: the same edits sent as range edits to a
// server that offered incremental sync, and as the whole texts a model
// computes to one that did not, must leave the same text and publish the
// same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <cjson/cJSON.h>

#include "diag/render.h"
#include "fuzz/fuzz_checks.h"
#include "ide/analysis.h"
#include "lsp/analysis_cache.h"
#include "lsp/dispatch.h"
#include "lsp/json_holder.h"
#include "lsp/server_state.h"
#include "lsp/transport.h"
#include "syntax/syntax_tree.h"
#include "text/line_index.h"
#include "text/utf8.h"

namespace {

constexpr char kUri[] = "file:///sync.tov";

struct Random {
    uint64_t state;
    uint64_t next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int64_t below(int64_t bound) { return bound <= 0 ? 0 : static_cast<int64_t>(next() % static_cast<uint64_t>(bound)); }
};

struct Edit {
    bool whole;  // no range: the text replaces the document
    int64_t start_line, start_character, end_line, end_character;
    std::string text;
};

// What the server reads a number of a range as.
int64_t as_read(int64_t value) { return value < 0 ? 0 : value > INT32_MAX ? INT32_MAX : value; }

// The model: the byte offset of a position, walking the text from its start.
size_t model_offset(const std::string& text, int64_t line, int64_t character, bool utf8) {
    line = as_read(line);
    character = as_read(character);
    size_t start = 0;
    for (int64_t l = 0; l < line; ++l) {
        size_t feed = text.find('\n', start);
        if (feed == std::string::npos) return text.size();
        start = feed + 1;
    }
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (end > start && text[end - 1] == '\r') --end;  // never inside a CRLF break
    if (utf8) return start + static_cast<size_t>(character) < end ? start + static_cast<size_t>(character) : end;
    size_t at = start;
    int64_t units = 0;
    while (at < end) {
        size_t sequence = utf8_sequence_length(reinterpret_cast<const unsigned char*>(text.data()) + at, end - at);
        if (sequence == 0) sequence = 1;
        int64_t next = units + (sequence == 4 ? 2 : 1);
        if (next > character) break;
        units = next;
        at += sequence;
    }
    return at;
}

void model_apply(std::string* text, const Edit& edit, bool utf8) {
    if (edit.whole) {
        *text = edit.text;
        return;
    }
    size_t a = model_offset(*text, edit.start_line, edit.start_character, utf8);
    size_t b = model_offset(*text, edit.end_line, edit.end_character, utf8);
    if (b < a) std::swap(a, b);
    text->replace(a, b - a, edit.text);
}

std::string json_text(const std::string& text) {
    std::string out = "\"";
    json_append_escaped(&out, text.data(), text.size());
    return out + "\"";
}

std::string open_message(const std::string& text) {
    return std::string("{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/didOpen\",\"params\":{\"textDocument\":{\"uri\":\"") +
           kUri + "\",\"languageId\":\"tovel\",\"version\":1,\"text\":" + json_text(text) + "}}}";
}

std::string change_message(const std::vector<Edit>& edits) {
    std::string changes;
    for (const Edit& edit : edits) {
        if (!changes.empty()) changes += ',';
        changes += "{";
        if (!edit.whole) {
            changes += "\"range\":{\"start\":{\"line\":" + std::to_string(edit.start_line) + ",\"character\":" +
                       std::to_string(edit.start_character) + "},\"end\":{\"line\":" + std::to_string(edit.end_line) +
                       ",\"character\":" + std::to_string(edit.end_character) + "}},";
        }
        changes += "\"text\":" + json_text(edit.text) + "}";
    }
    return std::string("{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/didChange\",\"params\":{\"textDocument\":{\"uri\":\"") +
           kUri + "\",\"version\":2},\"contentChanges\":[" + changes + "]}}";
}

// Everything the server writes for one message.
std::string send(ServerState* state, const std::string& message) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&buffer, &size);
    if (out == nullptr) std::abort();
    transport_use_streams(stdin, out);
    JsonHolder json(cJSON_Parse(message.c_str()));
    int exit_code = 0;
    if (json) dispatch_message(state, json.get(), &exit_code);
    transport_use_streams(stdin, stdout);
    fclose(out);
    std::string bytes(buffer != nullptr ? buffer : "", size);
    free(buffer);
    return json ? bytes : "unparsable message";
}

std::string without_nul(const std::string& bytes) {
    std::string out;
    for (char c : bytes) {
        if (c != '\0') out += c;
    }
    return out;
}

// Edits drawn from the input itself: positions on, around and past its
// lines, replacements cut from its bytes.
std::vector<std::vector<Edit>> draw_edits(const std::string& input, Random* random) {
    std::vector<std::vector<Edit>> notifications(static_cast<size_t>(1 + random->below(4)));
    int64_t lines = 1;
    for (char c : input) lines += c == '\n';
    auto position = [&](int64_t* line, int64_t* character) {
        *line = random->below(8) == 0 ? -1 - random->below(3) : random->below(lines + 2);
        *character = random->below(8) == 0 ? int64_t{1} << 33 : random->below(12) == 0 ? -2 : random->below(40);
    };
    for (std::vector<Edit>& changes : notifications) {
        changes.resize(static_cast<size_t>(1 + random->below(3)));
        for (Edit& edit : changes) {
            edit.whole = random->below(10) == 0;
            position(&edit.start_line, &edit.start_character);
            position(&edit.end_line, &edit.end_character);
            size_t from = static_cast<size_t>(random->below(static_cast<int64_t>(input.size()) + 1));
            size_t length = static_cast<size_t>(random->below(24));
            edit.text = input.substr(from, length);
        }
    }
    return notifications;
}

// The tree each version's analysis reparses from the one before is the
// tree of a fresh parse.
std::string check_reparsed_tree(ServerState* state, Document* document) {
    const SyntaxTree& tree = analysis_tree(document_analysis(state, document));
    SyntaxTree fresh;
    syntax_parse(&fresh, document->text, static_cast<uint32_t>(document->length));
    if (syntax_tree_dump(tree) != syntax_tree_dump(fresh)) return "a reparsed syntax tree differs from a fresh parse";
    return "";
}

std::string check_sync_in(const std::string& input, bool utf8) {
    std::string text = input;
    uint64_t seed = 1469598103934665603ull;
    for (char c : input) seed = (seed ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    Random random{seed};
    ServerState incremental;
    ServerState whole;
    for (ServerState* state : {&incremental, &whole}) {
        server_state_init(state);
        state->position_encoding = utf8 ? POSITION_ENCODING_UTF8 : POSITION_ENCODING_UTF16;
    }
    incremental.features.synchronization = true;
    std::string problem;
    if (send(&incremental, open_message(text)) != send(&whole, open_message(text))) problem = "didOpen differs";
    for (const std::vector<Edit>& changes : draw_edits(input, &random)) {
        if (!problem.empty()) break;
        for (const Edit& edit : changes) model_apply(&text, edit, utf8);
        std::string by_edits = send(&incremental, change_message(changes));
        std::string by_text = send(&whole, change_message({Edit{true, 0, 0, 0, 0, text}}));
        Document* stored = document_store_find(&incremental.documents, kUri);
        if (stored == nullptr || stored->text != text) {
            problem = "range edits left another text than the model";
        } else if (by_edits != by_text) {
            problem = "range edits published other bytes than the whole text";
        } else {
            problem = check_reparsed_tree(&incremental, stored);
        }
    }
    server_state_destroy(&incremental);
    server_state_destroy(&whole);
    return problem;
}

}  // namespace

std::string check_incremental_sync(const uint8_t* data, size_t size) {
    std::string input = without_nul(std::string(reinterpret_cast<const char*>(data), size));
    for (bool utf8 : {false, true}) {
        std::string problem = check_sync_in(input, utf8);
        if (!problem.empty()) return (utf8 ? "utf-8: " : "utf-16: ") + problem;
    }
    return "";
}
