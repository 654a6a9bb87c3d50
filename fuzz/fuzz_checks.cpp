#include "fuzz/fuzz_checks.h"

#include <unistd.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <cjson/cJSON.h>

#include "cli/check_source.h"
#include "cli/fix_file.h"
#include "cli/report_formats.h"
#include "cli/source_file.h"
#include "ide/analysis.h"
#include "ide/features.h"
#include "ide/outline.h"
#include "syntax/syntax_tree.h"
#include "lsp/dispatch.h"
#include "lsp/json_holder.h"
#include "text/line_index.h"
#include "lsp/publish.h"
#include "lsp/server_loop.h"
#include "lsp/server_state.h"
#include "lsp/transport.h"
#include "text/utf8.h"
#include "tests/e2e/framing.h"

namespace {

constexpr char kUri[] = "file:///fuzz.tov";

bool is_valid_utf8(const std::string& text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t i = 0; i < text.size();) {
        size_t length = utf8_sequence_length(bytes + i, text.size() - i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

// Everything `write` writes to the stream it is given.
template <typename Write>
std::string captured_file(Write write) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&buffer, &size);
    if (out == nullptr) std::abort();
    write(out);
    fclose(out);
    std::string bytes(buffer != nullptr ? buffer : "", size);
    free(buffer);
    return bytes;
}

// Everything the transport writes while `run` runs.
template <typename Run>
std::string captured(Run run) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&buffer, &size);
    if (out == nullptr) std::abort();
    transport_use_streams(stdin, out);
    run();
    transport_use_streams(stdin, stdout);
    fclose(out);
    std::string bytes(buffer != nullptr ? buffer : "", size);
    free(buffer);
    return bytes;
}

// Splits `output` into bodies that must each be UTF-8 JSON (when `utf8`).
std::string framed_json(const std::string& output, bool utf8, std::vector<std::string>* bodies) {
    std::string problem;
    if (!split_frames(output, bodies, &problem)) return "output is not only framed messages: " + problem;
    for (const std::string& body : *bodies) {
        if (utf8 && !is_valid_utf8(body)) return "a message is not UTF-8: " + body.substr(0, 200);
        JsonHolder json(cJSON_Parse(body.c_str()));
        if (!json) return "a message is not JSON: " + body.substr(0, 200);
    }
    return "";
}

// The furthest character a position may name on each line, the way editors
// count: the byte-order mark is a character of line 1. UTF-16 positions are
// cut to the line's end; UTF-8 ones may also stand just past it, on the line
// break itself (a finding about the break, like "unexpected NEWLINE").
// On a line that is not UTF-8, UTF-16 counting judges each sequence by its
// lead byte, and a prefix that cuts a sequence counts its bytes one unit
// each: up to one unit more than the whole line counts for it.
std::vector<int32_t> line_lengths(const char* text, PositionEncoding encoding) {
    std::vector<int32_t> lengths;
    const char* start = text;
    for (const char* p = text;; ++p) {
        if (*p == '\n' || *p == '\0') {
            size_t bytes = static_cast<size_t>(p - start);
            bool utf8 = is_valid_utf8(std::string(start, bytes));
            lengths.push_back(encoding == POSITION_ENCODING_UTF8 ? static_cast<int32_t>(bytes) + (*p == '\n')
                                                                : utf16_units(start, bytes) + (utf8 ? 0 : 1));
            if (*p == '\0') break;
            start = p + 1;
        }
    }
    return lengths;
}

bool read_position(const cJSON* json, int32_t* line, int32_t* character) {
    const cJSON* l = cJSON_GetObjectItemCaseSensitive(json, "line");
    const cJSON* c = cJSON_GetObjectItemCaseSensitive(json, "character");
    if (!cJSON_IsNumber(l) || !cJSON_IsNumber(c)) return false;
    *line = l->valueint;
    *character = c->valueint;
    return true;
}

// Every range starts inside its line and ends inside the document. In
// UTF-8 an end column is kept as the front end gives it, and the end of a
// token that runs over several lines (a string literal the parser stopped
// at) is reported on its first line, past that line's end.
std::string check_ranges(const cJSON* diagnostics, const std::vector<int32_t>& lengths, bool utf8) {
    const cJSON* diagnostic = nullptr;
    cJSON_ArrayForEach(diagnostic, diagnostics) {
        const cJSON* range = cJSON_GetObjectItemCaseSensitive(diagnostic, "range");
        int32_t start_line = 0, start_character = 0, end_line = 0, end_character = 0;
        if (!read_position(cJSON_GetObjectItemCaseSensitive(range, "start"), &start_line, &start_character) ||
            !read_position(cJSON_GetObjectItemCaseSensitive(range, "end"), &end_line, &end_character)) {
            return "a diagnostic has no range";
        }
        if (std::make_pair(start_line, start_character) > std::make_pair(end_line, end_character)) {
            return "a range ends before it starts";
        }
        bool is_start = true;
        for (auto [line, character] : {std::make_pair(start_line, start_character), std::make_pair(end_line, end_character)}) {
            bool past_line = character > lengths[static_cast<size_t>(line < 0 ? 0 : line) % lengths.size()];
            if (line < 0 || static_cast<size_t>(line) >= lengths.size() || character < 0 ||
                (past_line && (is_start || !utf8))) {
                return "a position lies outside the document: " + std::to_string(line) + ":" + std::to_string(character);
            }
            is_start = false;
        }
    }
    return "";
}

bool ordered_range(const cJSON* range) {
    int32_t start_line = 0, start_character = 0, end_line = 0, end_character = 0;
    return read_position(cJSON_GetObjectItemCaseSensitive(range, "start"), &start_line, &start_character) &&
           read_position(cJSON_GetObjectItemCaseSensitive(range, "end"), &end_line, &end_character) &&
           std::make_pair(start_line, start_character) <= std::make_pair(end_line, end_character);
}

// Outline symbols: ordered ranges, the selection inside the range, and the
// same for every child.
std::string check_symbols(const cJSON* symbols) {
    const cJSON* symbol = nullptr;
    cJSON_ArrayForEach(symbol, symbols) {
        const cJSON* range = cJSON_GetObjectItemCaseSensitive(symbol, "range");
        const cJSON* selection = cJSON_GetObjectItemCaseSensitive(symbol, "selectionRange");
        if (!ordered_range(range) || !ordered_range(selection)) return "a symbol's range is not ordered";
        std::string problem = check_symbols(cJSON_GetObjectItemCaseSensitive(symbol, "children"));
        if (!problem.empty()) return problem;
    }
    return "";
}

// Per line, the characters before its line break (a CRLF's carriage return
// is part of the break), counted as an editor decodes the bytes.
std::vector<int32_t> content_lengths(const char* text, PositionEncoding encoding) {
    std::vector<int32_t> lengths;
    const char* start = text;
    for (const char* p = text;; ++p) {
        if (*p == '\n' || *p == '\0') {
            size_t bytes = static_cast<size_t>(p - start);
            if (*p == '\n' && bytes > 0 && p[-1] == '\r') --bytes;
            lengths.push_back(encoding == POSITION_ENCODING_UTF8 ? static_cast<int32_t>(bytes)
                                                                : utf16_units_well_formed(start, bytes));
            if (*p == '\0') break;
            start = p + 1;
        }
    }
    return lengths;
}

// Quick fixes: each names one finding and edits inside the text (an edit
// may end on a line's carriage return, never past the line).
std::string check_code_actions(const cJSON* actions, const std::vector<int32_t>& content) {
    if (!cJSON_IsArray(actions)) return "code actions are not a list";
    const cJSON* action = nullptr;
    cJSON_ArrayForEach(action, actions) {
        if (cJSON_GetArraySize(cJSON_GetObjectItemCaseSensitive(action, "diagnostics")) != 1) {
            return "a fix does not name its finding";
        }
        const cJSON* changes = cJSON_GetObjectItemCaseSensitive(cJSON_GetObjectItemCaseSensitive(action, "edit"), "changes");
        const cJSON* edits = cJSON_GetObjectItemCaseSensitive(changes, kUri);
        const cJSON* edit = nullptr;
        if (cJSON_GetArraySize(edits) < 1) return "a fix edits nothing";
        cJSON_ArrayForEach(edit, edits) {
            const cJSON* range = cJSON_GetObjectItemCaseSensitive(edit, "range");
            int32_t start_line = 0, start_character = 0, end_line = 0, end_character = 0;
            if (!read_position(cJSON_GetObjectItemCaseSensitive(range, "start"), &start_line, &start_character) ||
                !read_position(cJSON_GetObjectItemCaseSensitive(range, "end"), &end_line, &end_character) ||
                !ordered_range(range)) {
                return "a fix's edit has no ordered range";
            }
            for (auto [line, character] : {std::make_pair(start_line, start_character), std::make_pair(end_line, end_character)}) {
                if (line < 0 || static_cast<size_t>(line) >= content.size() || character < 0 ||
                    character > content[static_cast<size_t>(line)] + 1) {
                    return "a fix edits outside the text";
                }
            }
        }
    }
    return "";
}

// Semantic tokens come in fives, strictly forward: each starts after the
// one before ends, and lies within its line's content (never on the line
// break, a CRLF's carriage return included).
std::string check_semantic_tokens_in(const cJSON* data, const std::vector<int32_t>& content) {
    int size = cJSON_GetArraySize(data);
    if (size % 5 != 0) return "semantic token data is not in fives";
    int64_t line = 0, start = 0, end = -1;
    for (int i = 0; i < size; i += 5) {
        double delta_line = cJSON_GetArrayItem(data, i)->valuedouble;
        double delta_start = cJSON_GetArrayItem(data, i + 1)->valuedouble;
        double length = cJSON_GetArrayItem(data, i + 2)->valuedouble;
        if (delta_line < 0 || delta_start < 0 || length <= 0) return "a semantic token goes backwards or is empty";
        if (delta_line > 0) {
            line += static_cast<int64_t>(delta_line);
            start = static_cast<int64_t>(delta_start);
        } else {
            start += static_cast<int64_t>(delta_start);
            if (i > 0 && start < end) return "semantic tokens overlap or start together";
        }
        end = start + static_cast<int64_t>(length);
        if (line >= static_cast<int64_t>(content.size()) || end > content[static_cast<size_t>(line)]) {
            return "a semantic token leaves its line: " + std::to_string(line) + ":" + std::to_string(start);
        }
    }
    return "";
}

// A position inside the text: its line exists and the character is within it.
bool position_inside(const cJSON* position, const std::vector<int32_t>& content) {
    int32_t line = 0, character = 0;
    return read_position(position, &line, &character) && static_cast<size_t>(line) < content.size() &&
           character <= content[static_cast<size_t>(line)];
}

// Every range and position anywhere in an answer (references, rename edits,
// call items, nested selection ranges, hints): inside the text, in order.
std::string check_places(const cJSON* json, const std::vector<int32_t>& content) {
    if (json == nullptr) return "";
    for (const char* name : {"range", "selectionRange"}) {
        const cJSON* range = cJSON_GetObjectItemCaseSensitive(json, name);
        if (range == nullptr || !cJSON_IsObject(range) || cJSON_GetObjectItemCaseSensitive(range, "start") == nullptr) continue;
        if (!ordered_range(range) || !position_inside(cJSON_GetObjectItemCaseSensitive(range, "start"), content) ||
            !position_inside(cJSON_GetObjectItemCaseSensitive(range, "end"), content)) {
            return std::string("a ") + name + " lies outside the text or is not ordered";
        }
    }
    const cJSON* position = cJSON_GetObjectItemCaseSensitive(json, "position");
    if (cJSON_IsObject(position) && !position_inside(position, content)) return "a position lies outside the text";
    const cJSON* child = nullptr;
    cJSON_ArrayForEach(child, json) {
        if (!cJSON_IsObject(child) && !cJSON_IsArray(child)) continue;
        std::string problem = check_places(child, content);
        if (!problem.empty()) return problem;
    }
    return "";
}

// The answer of one feature request, by method.
std::string check_answer(const std::string& method, const cJSON* result, const std::vector<int32_t>& content) {
    size_t lines = content.size();
    if (method == "documentSymbol") return check_symbols(result);
    if (method == "foldingRange") {
        const cJSON* range = nullptr;
        cJSON_ArrayForEach(range, result) {
            int32_t start = cJSON_GetObjectItemCaseSensitive(range, "startLine")->valueint;
            int32_t end = cJSON_GetObjectItemCaseSensitive(range, "endLine")->valueint;
            if (start < 0 || start > end || static_cast<size_t>(end) >= lines) return "a folding range is out of order";
        }
    }
    if (method == "semanticTokens/full") return check_semantic_tokens_in(cJSON_GetObjectItemCaseSensitive(result, "data"), content);
    if (method == "codeAction") return check_code_actions(result, content);
    if ((method == "hover" || method == "definition") && cJSON_IsObject(result) &&
        !ordered_range(cJSON_GetObjectItemCaseSensitive(result, "range"))) {
        return "an answer's range is not ordered";
    }
    if (method == "references" || method == "documentHighlight" || method == "prepareRename" || method == "rename" ||
        method == "prepareCallHierarchy" || method == "inlayHint" || method == "selectionRange" ||
        method == "documentLink") {
        return check_places(result, content);
    }
    return "";
}

std::string request(const char* method, const char* params) {
    return std::string("{\"jsonrpc\":\"2.0\",\"id\":7,\"method\":\"textDocument/") + method +
           "\",\"params\":{\"textDocument\":{\"uri\":\"" + kUri + "\"}" + params + "}}";
}

std::string check_features(ServerState* state, const char* text, size_t seed) {
    std::vector<int32_t> lengths = line_lengths(text, state->position_encoding);
    int32_t line = static_cast<int32_t>(seed % lengths.size());
    std::string at = ",\"position\":{\"line\":" + std::to_string(line) + ",\"character\":" +
                     std::to_string(seed % 17) + "}";
    auto range = [](int64_t a, int64_t b, int64_t c, int64_t d) {
        return ",\"range\":{\"start\":{\"line\":" + std::to_string(a) + ",\"character\":" + std::to_string(b) +
               "},\"end\":{\"line\":" + std::to_string(c) + ",\"character\":" + std::to_string(d) +
               "}},\"context\":{\"diagnostics\":[{\"range\":{\"start\":{\"line\":" + std::to_string(d) +
               ",\"character\":-3},\"end\":{\"line\":0,\"character\":0}},\"message\":\"stale\"}]}";
    };
    int64_t last = static_cast<int64_t>(lengths.size());
    const std::pair<const char*, std::string> methods[] = {
        {"documentSymbol", ""}, {"foldingRange", ""}, {"semanticTokens/full", ""},
        {"hover", at}, {"definition", at}, {"completion", at},
        {"codeAction", range(0, 0, last - 1, 1 << 20)},                   // the whole text
        {"codeAction", range(last - 1, 1 << 20, 0, 0)},                   // reversed
        {"codeAction", range(line, static_cast<int64_t>(seed % 29), line, static_cast<int64_t>(seed % 31))},
        {"codeAction", range(last + 3, 0, last + 9, 4)},                  // past the end
        {"references", at + ",\"context\":{\"includeDeclaration\":true}"},
        {"documentHighlight", at}, {"prepareRename", at}, {"rename", at + ",\"newName\":\"fuzzed\""},
        {"prepareCallHierarchy", at}, {"signatureHelp", at}, {"documentLink", ""},
        {"inlayHint", ",\"range\":{\"start\":{\"line\":0,\"character\":0},\"end\":{\"line\":" +
                          std::to_string(last) + ",\"character\":0}}"},
        {"selectionRange", ",\"positions\":[" + at.substr(at.find('{')) + "]"},
    };
    for (const auto& [method, params] : methods) {
        JsonHolder json(cJSON_Parse(request(method, params.c_str()).c_str()));
        int exit_code = 0;
        std::string output = captured([&] { dispatch_message(state, json.get(), &exit_code); });
        std::vector<std::string> bodies;
        std::string problem = framed_json(output, true, &bodies);
        if (problem.empty() && bodies.size() != 1) problem = "got " + std::to_string(bodies.size()) + " answers";
        if (problem.empty()) {
            JsonHolder answer(cJSON_Parse(bodies[0].c_str()));
            problem = check_answer(method, cJSON_GetObjectItemCaseSensitive(answer.get(), "result"),
                                   content_lengths(text, state->position_encoding));
        }
        if (!problem.empty()) return std::string(method) + ": " + problem;
    }
    return "";
}

// Each fix the features offer for the whole text edits exactly the mistake
// its finding names: it starts on the mistake's first byte and replaces
// all of it, or (an escape) inserts just before it; nothing outside the text.
std::string check_fixes_edit_their_mistakes(const char* text) {
    AstRegion region;
    ast_region_init(&region);
    Analysis* analysis = analysis_create(text, kUri, &region);
    std::string problem;
    for (const IdeQuickFix& fix : ide_quick_fixes(analysis, {0, analysis->length})) {
        const DiagFix& mistake = analysis->diagnostics.items[fix.diagnostic].fix;
        if (mistake.kind == DIAG_FIX_NONE) continue;  // a syntax error's fix: checked below
        for (const IdeTextEdit& edit : fix.edits) {
            bool inside = edit.range.start <= edit.range.end && edit.range.end <= analysis->length;
            bool insertion = mistake.kind == DIAG_FIX_UNKNOWN_ESCAPE && edit.range.empty();
            bool replaces = edit.range.end >= mistake.offset + mistake.length;
            if (!inside || edit.range.start != mistake.offset || (!insertion && !replaces)) {
                problem = "a fix does not edit the mistake it names: " + fix.title;
            }
        }
    }
    analysis_destroy(analysis);
    ast_region_release(&region);
    return problem;
}

// Whether the front end stopped before the server-block checker ran: any
// error that is not the checker's own (a syntax error, or a mistake the
// lexer reports, such as a type sigil) means the text did not parse.
bool stopped_before_checking(const Analysis* analysis) {
    for (size_t i = 0; i < analysis->diagnostics.count; ++i) {
        const Diagnostic& d = analysis->diagnostics.items[i];
        if (d.severity == SEVERITY_ERROR && d.kind != TV_DIAG_SERVER_BLOCK) return true;
    }
    return false;
}

// The findings that start before `offset`, as their place and kind: a
// syntax error's wording may change once a hint about a later line no
// longer applies. Without server-block findings when `unchecked`: the
// checker reads only a text that parses, so fixing the mistake that
// stopped the parse shows what it had no chance to find before.
std::vector<std::string> findings_before(Analysis* analysis, uint32_t offset, bool unchecked) {
    std::vector<std::string> out;
    for (size_t i = 0; i < analysis->diagnostics.count; ++i) {
        const Diagnostic& d = analysis->diagnostics.items[i];
        if (unchecked && d.kind == TV_DIAG_SERVER_BLOCK) continue;
        TextRange range = analysis_span_range(analysis, d.span);
        if (range.start < offset) out.push_back(std::to_string(range.start) + " " + diag_kind_name(d.kind));
    }
    return out;
}

// Applying any fix offered makes nothing worse: the fixed text has no
// finding before the fixed line that the text did not have. The fixed line
// itself may read on further once its mistake is gone (`sgrver s$()` fixed
// is a block whose word is unknown), and say so from its start.
std::string check_fixes_make_nothing_worse(const char* text) {
    AstRegion region;
    ast_region_init(&region);
    Analysis* analysis = analysis_create(text, kUri, &region);
    std::string problem;
    for (const IdeQuickFix& fix : ide_quick_fixes(analysis, {0, analysis->length})) {
        if (fix.edits.empty() || !problem.empty()) continue;
        std::string fixed(text);
        std::vector<IdeTextEdit> edits = fix.edits;
        std::sort(edits.begin(), edits.end(), [](const IdeTextEdit& a, const IdeTextEdit& b) { return a.range.start > b.range.start; });
        for (const IdeTextEdit& edit : edits) fixed.replace(edit.range.start, edit.range.length(), edit.new_text);
        uint32_t place = edits.back().range.start;
        while (place > 0 && text[place - 1] != '\n') --place;
        AstRegion other_region;
        ast_region_init(&other_region);
        Analysis* after = analysis_create(fixed.c_str(), kUri, &other_region);
        bool unchecked = stopped_before_checking(analysis);
        std::vector<std::string> before = findings_before(analysis, place, unchecked);
        for (const std::string& finding : findings_before(after, place, unchecked)) {
            if (std::find(before.begin(), before.end(), finding) == before.end()) {
                problem = "the fix \"" + fix.title + "\" adds a finding before its place: " + finding;
            }
        }
        analysis_destroy(after);
        ast_region_release(&other_region);
    }
    analysis_destroy(analysis);
    ast_region_release(&region);
    return problem;
}

bool same_token(const Token& a, const Token& b) {
    return a.kind == b.kind && a.start == b.start && a.length == b.length && a.line == b.line && a.column == b.column;
}

// The lexer's own tokens of `text`, as the outline keeps them.
std::vector<Token> plain_tokens(const char* text) {
    std::vector<Token> tokens;
    Lexer lexer;
    lexer_init(&lexer, text, 1);
    for (Token token = lexer_next_token(&lexer); token.kind != TOKEN_EOF; token = lexer_next_token(&lexer)) {
        if (token.kind != TOKEN_NEWLINE && token.kind != TOKEN_ERROR) tokens.push_back(token);
    }
    return tokens;
}

// Where comments stand by the lexer's tokens: from a `'` between two
// tokens up to the line break.
bool comments_between_tokens(const char* text, const std::vector<Token>& tokens,
                             const std::vector<OutlineComment>& comments) {
    size_t next = 0;
    const char* from = text;
    for (size_t k = 0; k <= tokens.size(); ++k) {
        const char* to = k < tokens.size() ? tokens[k].start : text + std::strlen(text);
        for (const char* p = from; p < to; ++p) {
            if (*p != '\'') continue;
            const char* end = p;
            while (end < to && *end != '\n') ++end;
            if (next == comments.size() || comments[next].offset != static_cast<uint32_t>(p - text) ||
                comments[next].length != end - p) {
                return false;
            }
            ++next;
            p = end;
        }
        if (k < tokens.size()) from = std::max(from, tokens[k].start + tokens[k].length);
    }
    return next == comments.size();
}

// The outline read off the tree is well formed whatever the text: blocks
// after their parents and inside the text, names among their tokens. Where
// the tree holds no mistake and no raw lens text, its tokens are exactly
// the lexer's, lines and columns included, and its comments stand between
// them.
std::string check_outline_of_tree(const char* text) {
    SyntaxTree tree;
    syntax_parse(&tree, text, static_cast<uint32_t>(std::strlen(text)));
    Outline outline;
    outline_build_from_tree(&outline, tree);
    for (size_t i = 0; i < outline.blocks.size(); ++i) {
        const OutlineBlock& block = outline.blocks[i];
        if (block.parent >= static_cast<int32_t>(i) || block.name_last >= outline.tokens.size() ||
            block.name_token > block.name_last || block.opener > block.name_token ||
            block.range.start > block.range.end || block.range.end > tree.length) {
            return "a block of the outline is malformed";
        }
    }
    for (size_t i = 1; i < outline.tokens.size(); ++i) {
        const Token& before = outline.tokens[i - 1];
        if (outline.tokens[i].start < before.start + before.length) return "the outline's tokens overlap";
    }
    bool raw_lens = std::any_of(tree.nodes.begin(), tree.nodes.end(),
                                [](const SyntaxNode& n) { return n.token == TOKEN_LENS_CONTENT; });
    if (tree.errors > 0 || raw_lens) return "";
    std::vector<Token> tokens = plain_tokens(text);
    if (!std::equal(outline.tokens.begin(), outline.tokens.end(), tokens.begin(), tokens.end(), same_token)) {
        return "the tree's tokens differ from the lexer's";
    }
    if (!comments_between_tokens(text, tokens, outline.comments)) return "the tree's comments differ from the lexer's";
    return "";
}

std::string check_document_in(const char* text, PositionEncoding encoding, size_t seed) {
    ServerState state;
    server_state_init(&state);
    state.position_encoding = encoding;
    state.features = protocol_every_feature();
    document_store_put(&state.documents, kUri, text);
    std::string first = captured([&] { analyze_and_publish(&state, kUri, text); });
    std::string second = captured([&] { analyze_and_publish(&state, kUri, text); });
    std::string problem;
    std::vector<std::string> bodies;
    if (first != second) {
        problem = "the same text published different bytes";
    } else if (problem = framed_json(first, true, &bodies); problem.empty()) {
        if (bodies.size() != 1) {
            problem = "one analysis published " + std::to_string(bodies.size()) + " messages";
        } else {
            JsonHolder json(cJSON_Parse(bodies[0].c_str()));
            const cJSON* params = cJSON_GetObjectItemCaseSensitive(json.get(), "params");
            const cJSON* diagnostics = cJSON_GetObjectItemCaseSensitive(params, "diagnostics");
            problem = check_ranges(diagnostics, line_lengths(text, encoding), encoding == POSITION_ENCODING_UTF8);
            if (problem.empty() && encoding == POSITION_ENCODING_UTF16) {
                problem = check_playground_agrees(text, diagnostics);
            }
        }
    }
    if (problem.empty()) problem = check_features(&state, text, seed);
    if (problem.empty()) problem = check_fixes_edit_their_mistakes(text);
    if (problem.empty()) problem = check_fixes_make_nothing_worse(text);
    if (problem.empty()) problem = check_outline_of_tree(text);
    server_state_destroy(&state);
    return problem;
}

}  // namespace

std::string check_document(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);  // the server sees up to a NUL
    for (PositionEncoding encoding : {POSITION_ENCODING_UTF16, POSITION_ENCODING_UTF8}) {
        std::string problem = check_document_in(text.c_str(), encoding, size);
        if (!problem.empty()) {
            return (encoding == POSITION_ENCODING_UTF8 ? "utf-8: " : "utf-16: ") + problem;
        }
    }
    return "";
}

std::string check_session(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    FILE* in = size == 0 ? fopen("/dev/null", "rb") : fmemopen(input.data(), size, "rb");
    if (in == nullptr) std::abort();
    char* buffer = nullptr;
    size_t out_size = 0;
    FILE* out = open_memstream(&buffer, &out_size);
    if (out == nullptr) std::abort();
    int status = run_server_on(in, out);
    fclose(in);
    fclose(out);
    std::string output(buffer != nullptr ? buffer : "", out_size);
    free(buffer);
    if (status != 0 && status != 1) return "exit status " + std::to_string(status);
    // The server echoes what the client sent (ids, uris); those are UTF-8
    // only when the client's bytes were.
    std::vector<std::string> bodies;
    return framed_json(output, is_valid_utf8(input), &bodies);
}

// A SARIF location's region starts at line and column 1 or later and ends
// no earlier.
bool sarif_region_in_order(const cJSON* location) {
    const cJSON* region = cJSON_GetObjectItemCaseSensitive(
        cJSON_GetObjectItemCaseSensitive(location, "physicalLocation"), "region");
    auto number = [region](const char* name) { return cJSON_GetNumberValue(cJSON_GetObjectItemCaseSensitive(region, name)); };
    return number("startLine") >= 1 && number("startColumn") >= 1 &&
           std::make_pair(number("endLine"), number("endColumn")) >= std::make_pair(number("startLine"), number("startColumn"));
}

// The SARIF log of a file parses, and every region of its results, and of
// the earlier places they refer to, is in order.
std::string check_sarif_log(const char* text) {
    CheckOptions options{OUTPUT_SARIF, 0, 0, 0, 0, 0, 0, nullptr, 0};
    SarifLog log;
    std::string printed = captured_file([&](FILE* out) {
        check_source(text, "f.tov", &options, out, &log);
        log.write(out);
    });
    JsonHolder json(cJSON_Parse(printed.c_str()));
    if (!json) return "the SARIF log does not parse";
    const cJSON* run = cJSON_GetArrayItem(cJSON_GetObjectItemCaseSensitive(json.get(), "runs"), 0);
    const cJSON* result = nullptr;
    cJSON_ArrayForEach(result, cJSON_GetObjectItemCaseSensitive(run, "results")) {
        const cJSON* locations = cJSON_GetObjectItemCaseSensitive(result, "locations");
        if (cJSON_GetArraySize(locations) != 1 || !sarif_region_in_order(cJSON_GetArrayItem(locations, 0))) {
            return "a SARIF result has no single region in order";
        }
        const cJSON* related = nullptr;
        cJSON_ArrayForEach(related, cJSON_GetObjectItemCaseSensitive(result, "relatedLocations")) {
            if (!sarif_region_in_order(related)) return "a SARIF related location is out of order";
        }
    }
    return "";
}

// --fix converges and is idempotent: fixing a fixed text changes nothing.
std::string check_fix_is_idempotent(const char* text) {
    int rounds = 0;
    std::string fixed = fix_text(text, &rounds);
    if (rounds >= kMaxFixRounds) return "";  // stopped by the bound, not settled
    int again = 0;
    std::string twice = fix_text(fixed.c_str(), &again);
    return twice == fixed ? "" : "fixing the fixed text changed it again";
}

std::string check_cli_file(const uint8_t* data, size_t size) {
    int fd = memfd_create("fuzz.tov", 0);
    if (fd < 0) std::abort();
    if (size > 0 && write(fd, data, size) != static_cast<ssize_t>(size)) std::abort();
    std::string path = "/proc/self/fd/" + std::to_string(fd);
    SourceText source{nullptr, 0};
    char reason[256];
    std::string problem;
    if (!read_source(path.c_str(), &source, reason, sizeof reason)) {
        problem = std::string("the file could not be read: ") + reason;
    } else if (source.length != size) {
        problem = "read " + std::to_string(source.length) + " of " + std::to_string(size) + " bytes";
    }
    for (OutputFormat format : {OUTPUT_TEXT, OUTPUT_JSON}) {
        if (!problem.empty()) break;
        CheckOptions options{format, 1, 1, 0, 0, 0, 0, nullptr, 0};
        std::string runs[2];
        for (std::string& run : runs) {
            char* buffer = nullptr;
            size_t out_size = 0;
            FILE* out = open_memstream(&buffer, &out_size);
            check_source(source.bytes, "f.tov", &options, out);
            fclose(out);
            run.assign(buffer != nullptr ? buffer : "", out_size);
            free(buffer);
        }
        if (runs[0] != runs[1]) {
            problem = "the same file printed different bytes";
            break;
        }
        // Diagnostics come first, one per line; the dump and the tree (text) follow.
        size_t start = 0;
        while (start < runs[0].size()) {
            size_t end = runs[0].find('\n', start);
            if (end == std::string::npos) {
                problem = "output does not end with a line break";
                break;
            }
            std::string line = runs[0].substr(start, end - start);
            start = end + 1;
            if (format == OUTPUT_JSON) {
                JsonHolder json(cJSON_Parse(line.c_str()));
                if (!json) {
                    if (line.rfind("Program", 0) == 0 || line.rfind("$accept", 0) == 0) break;  // a dump or the tree
                    problem = "a JSON line does not parse: " + line.substr(0, 200);
                    break;
                }
                for (const char* field : {"severity", "code", "path", "start", "end", "message"}) {
                    if (cJSON_GetObjectItemCaseSensitive(json.get(), field) == nullptr) {
                        problem = std::string("a JSON line has no ") + field;
                    }
                }
            } else if (line.find(" at f.tov:") == std::string::npos) {
                break;  // the dump begins
            }
            if (!problem.empty()) break;
        }
    }
    // The text as the front end sees it, up to a zero byte.
    if (problem.empty()) problem = check_sarif_log(source.bytes);
    if (problem.empty()) problem = check_fix_is_idempotent(source.bytes);
    source_free(&source);
    close(fd);
    return problem;
}
