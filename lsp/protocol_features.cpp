#include "lsp/protocol_features.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>

#include "diag/render.h"
#include "ide/editor_positions.h"
#include "ide/features.h"
#include "lsp/json_io.h"
#include "lsp/protocol_format.h"
#include "text/utf8.h"

namespace {

bool declared(const cJSON* text_document, const char* name) {
    return cJSON_IsObject(json_member(text_document, name));
}

bool lists(const cJSON* array, const char* word) {
    const cJSON* element = nullptr;
    cJSON_ArrayForEach(element, array) {
        if (cJSON_IsString(element) && std::strcmp(element->valuestring, word) == 0) return true;
    }
    return false;
}

void add_string_array(cJSON* object, const char* name, std::initializer_list<const char*> words) {
    cJSON* array = cJSON_AddArrayToObject(object, name);
    for (const char* word : words) cJSON_AddItemToArray(array, cJSON_CreateString(word));
}

// Large answers (the outline, the semantic tokens) are written as text, in
// the bytes cJSON would print, instead of through a tree: printing numbers
// through cJSON costs more than finding the symbols.
void append_symbol(std::string* out, const DocumentSymbolItem& symbol) {
    *out += "{\"name\":";
    append_json_string(out, symbol.name.empty() ? "?" : symbol.name.c_str());
    if (!symbol.detail.empty()) {
        *out += ",\"detail\":";
        append_json_string(out, symbol.detail.c_str());
    }
    *out += ",\"kind\":";
    append_integer(out, symbol.kind);
    *out += ",\"range\":";
    append_range(out, symbol.range);
    *out += ",\"selectionRange\":";
    append_range(out, symbol.selection);
    *out += ",\"children\":[";
    for (size_t i = 0; i < symbol.children.size(); ++i) {
        if (i > 0) *out += ',';
        append_symbol(out, symbol.children[i]);
    }
    *out += "]}";
}

size_t symbol_count(const std::vector<DocumentSymbolItem>& symbols) {
    size_t count = symbols.size();
    for (const DocumentSymbolItem& symbol : symbols) count += symbol_count(symbol.children);
    return count;
}

}  // namespace

ClientFeatures protocol_client_features(const cJSON* params) {
    const cJSON* text_document = json_member(json_member(params, "capabilities"), "textDocument");
    const cJSON* workspace = json_member(json_member(params, "capabilities"), "workspace");
    ClientFeatures features{};
    features.document_symbol = declared(text_document, "documentSymbol");
    features.folding_range = declared(text_document, "foldingRange");
    features.definition = declared(text_document, "definition");
    features.hover = declared(text_document, "hover");
    features.completion = declared(text_document, "completion");
    features.code_action = declared(text_document, "codeAction");
    features.semantic_tokens = declared(text_document, "semanticTokens");
    features.synchronization = declared(text_document, "synchronization");
    features.references = declared(text_document, "references");
    features.document_highlight = declared(text_document, "documentHighlight");
    features.rename = declared(text_document, "rename");
    features.prepare_rename = features.rename && cJSON_IsTrue(json_member(json_member(text_document, "rename"), "prepareSupport"));
    features.call_hierarchy = declared(text_document, "callHierarchy");
    features.workspace_symbol = declared(workspace, "symbol");
    features.signature_help = declared(text_document, "signatureHelp");
    features.inlay_hint = declared(text_document, "inlayHint");
    features.selection_range = declared(text_document, "selectionRange");
    features.document_link = declared(text_document, "documentLink");
    features.declaration_tokens = features.semantic_tokens && lists(json_member(json_member(text_document, "semanticTokens"), "tokenModifiers"), "declaration");
    const cJSON* code_action = json_member(text_document, "codeAction");
    features.preferred_fixes = features.code_action && cJSON_IsTrue(json_member(code_action, "isPreferredSupport"));
    const cJSON* kinds = json_member(json_member(json_member(code_action, "codeActionLiteralSupport"), "codeActionKind"), "valueSet");
    features.fix_all = features.code_action && (lists(kinds, "source.fixAll") || lists(kinds, "source"));
    features.formatting = declared(text_document, "formatting");
    features.range_formatting = declared(text_document, "rangeFormatting");
    features.on_type_formatting = declared(text_document, "onTypeFormatting");
    features.refined_diagnostics = declared(text_document, "publishDiagnostics");
    features.related_information =
        cJSON_IsTrue(json_member(json_member(text_document, "publishDiagnostics"), "relatedInformation"));
    return features;
}

ClientFeatures protocol_every_feature() {
    ClientFeatures f{};
    f.document_symbol = f.folding_range = f.definition = f.hover = f.completion = f.code_action = true;
    f.semantic_tokens = f.references = f.document_highlight = f.rename = f.prepare_rename = true;
    f.call_hierarchy = f.workspace_symbol = f.signature_help = f.inlay_hint = f.selection_range = true;
    f.document_link = f.declaration_tokens = f.refined_diagnostics = f.related_information = true;
    f.preferred_fixes = f.fix_all = true;
    f.formatting = f.range_formatting = f.on_type_formatting = true;
    return f;
}

void add_feature_providers(cJSON* capabilities, const ClientFeatures& features) {
    if (features.document_symbol) cJSON_AddTrueToObject(capabilities, "documentSymbolProvider");
    if (features.folding_range) cJSON_AddTrueToObject(capabilities, "foldingRangeProvider");
    if (features.definition) cJSON_AddTrueToObject(capabilities, "definitionProvider");
    if (features.hover) cJSON_AddTrueToObject(capabilities, "hoverProvider");
    if (features.completion) cJSON_AddObjectToObject(capabilities, "completionProvider");
    if (features.code_action) {
        cJSON* provider = cJSON_AddObjectToObject(capabilities, "codeActionProvider");
        cJSON* kinds = cJSON_AddArrayToObject(provider, "codeActionKinds");
        cJSON_AddItemToArray(kinds, cJSON_CreateString("quickfix"));
        if (features.fix_all) cJSON_AddItemToArray(kinds, cJSON_CreateString("source.fixAll.tovel"));
    }
    if (features.semantic_tokens) {
        cJSON* provider = cJSON_AddObjectToObject(capabilities, "semanticTokensProvider");
        cJSON* legend = cJSON_AddObjectToObject(provider, "legend");
        cJSON* types = cJSON_AddArrayToObject(legend, "tokenTypes");
        for (const char* type : kIdeTokenTypeNames) cJSON_AddItemToArray(types, cJSON_CreateString(type));
        cJSON* modifiers = cJSON_AddArrayToObject(legend, "tokenModifiers");
        // The declaration bit, last, is announced only to a client that
        // knows it, so the others keep their legend.
        size_t announced = IDE_MODIFIER_COUNT + (features.declaration_tokens ? 1 : 0);
        for (size_t bit = 0; bit < announced; ++bit) {
            cJSON_AddItemToArray(modifiers, cJSON_CreateString(kIdeTokenModifierNames[bit]));
        }
        cJSON_AddTrueToObject(provider, "full");
    }
    if (features.references) cJSON_AddTrueToObject(capabilities, "referencesProvider");
    if (features.document_highlight) cJSON_AddTrueToObject(capabilities, "documentHighlightProvider");
    if (features.prepare_rename) {
        cJSON_AddTrueToObject(cJSON_AddObjectToObject(capabilities, "renameProvider"), "prepareProvider");
    } else if (features.rename) {
        cJSON_AddTrueToObject(capabilities, "renameProvider");
    }
    if (features.call_hierarchy) cJSON_AddTrueToObject(capabilities, "callHierarchyProvider");
    if (features.workspace_symbol) cJSON_AddTrueToObject(capabilities, "workspaceSymbolProvider");
    if (features.signature_help) {
        cJSON* provider = cJSON_AddObjectToObject(capabilities, "signatureHelpProvider");
        add_string_array(provider, "triggerCharacters", {"(", ",", "{"});
        add_string_array(provider, "retriggerCharacters", {")"});
    }
    if (features.inlay_hint) cJSON_AddTrueToObject(capabilities, "inlayHintProvider");
    if (features.selection_range) cJSON_AddTrueToObject(capabilities, "selectionRangeProvider");
    if (features.document_link) cJSON_AddObjectToObject(capabilities, "documentLinkProvider");
    if (features.formatting) cJSON_AddTrueToObject(capabilities, "documentFormattingProvider");
    if (features.range_formatting) cJSON_AddTrueToObject(capabilities, "documentRangeFormattingProvider");
    if (features.on_type_formatting) {
        cJSON* provider = cJSON_AddObjectToObject(capabilities, "documentOnTypeFormattingProvider");
        cJSON_AddStringToObject(provider, "firstTriggerCharacter", kOnTypeTriggers[0]);
        cJSON* more = cJSON_AddArrayToObject(provider, "moreTriggerCharacter");
        for (size_t i = 1; i < kOnTypeTriggerCount; ++i) cJSON_AddItemToArray(more, cJSON_CreateString(kOnTypeTriggers[i]));
    }
}

PositionRequest protocol_position_params(const cJSON* params) {
    PositionRequest request{text_document_uri(params), {0, 0}, false};
    request.valid = request.uri != nullptr && read_position(json_member(params, "position"), &request.position);
    return request;
}

namespace {

// Whether a kind the client asks for (`only`) covers `kind`: the same, or a
// kind above it (`source` covers `source.fixAll.tovel`).
bool covers(const char* asked, const char* kind) {
    size_t length = std::strlen(asked);
    return std::strncmp(asked, kind, length) == 0 && (kind[length] == '\0' || kind[length] == '.');
}

bool only_covers(const cJSON* only, const char* kind) {
    const cJSON* element = nullptr;
    cJSON_ArrayForEach(element, only) {
        if (cJSON_IsString(element) && covers(element->valuestring, kind)) return true;
    }
    return false;
}

}  // namespace

CodeActionRequest protocol_code_action_params(const cJSON* params) {
    CodeActionRequest request{text_document_uri(params), {{0, 0}, {0, 0}}, false, true, false};
    request.valid = request.uri != nullptr && read_range(json_member(params, "range"), &request.range);
    const cJSON* only = json_member(json_member(params, "context"), "only");
    if (cJSON_IsArray(only)) {
        request.wants_quick_fixes = only_covers(only, "quickfix");
        request.wants_fix_all = only_covers(only, "source.fixAll.tovel");
    }
    return request;
}

void send_document_symbols(const cJSON* id, const std::vector<DocumentSymbolItem>& symbols) {
    std::string result = "[";
    result.reserve(symbol_count(symbols) * 192);
    for (size_t i = 0; i < symbols.size(); ++i) {
        if (i > 0) result += ',';
        append_symbol(&result, symbols[i]);
    }
    result += ']';
    send_result_text(id, result);
}

void send_folding_ranges(const cJSON* id, const std::vector<FoldingItem>& ranges) {
    std::string result = "[";
    result.reserve(ranges.size() * 48 + 2);
    for (size_t i = 0; i < ranges.size(); ++i) {
        if (i > 0) result += ',';
        result += "{\"startLine\":";
        append_integer(&result, ranges[i].start_line);
        result += ",\"endLine\":";
        append_integer(&result, ranges[i].end_line);
        result += ranges[i].comment ? ",\"kind\":\"comment\"}" : "}";
    }
    result += ']';
    send_result_text(id, result);
}

void send_location(const cJSON* id, const char* uri, ProtocolRange range) {
    cJSON* result = cJSON_CreateObject();
    cJSON_AddStringToObject(result, "uri", uri);
    cJSON_AddItemToObject(result, "range", range_json(range));
    send_result(id, result);
}

void send_hover(const cJSON* id, const std::string& markdown, ProtocolRange range) {
    cJSON* result = cJSON_CreateObject();
    cJSON* contents = cJSON_AddObjectToObject(result, "contents");
    cJSON_AddStringToObject(contents, "kind", "markdown");
    cJSON_AddStringToObject(contents, "value", valid_utf8(markdown.c_str()).c_str());
    cJSON_AddItemToObject(result, "range", range_json(range));
    send_result(id, result);
}

void send_completions(const cJSON* id, const std::vector<CompletionEntry>& items) {
    cJSON* result = cJSON_CreateArray();
    for (const CompletionEntry& item : items) {
        cJSON* json = cJSON_CreateObject();
        // Names and details quote the document, which may hold bytes that are not UTF-8.
        cJSON_AddStringToObject(json, "label", valid_utf8(item.label.c_str()).c_str());
        cJSON_AddNumberToObject(json, "kind", item.kind);
        if (!item.detail.empty()) cJSON_AddStringToObject(json, "detail", valid_utf8(item.detail.c_str()).c_str());
        cJSON_AddItemToArray(result, json);
    }
    send_result(id, result);
}

void send_code_actions(const cJSON* id, const char* uri, const std::vector<QuickFix>& fixes) {
    std::string result = "[";
    for (size_t i = 0; i < fixes.size(); ++i) {
        const QuickFix& fix = fixes[i];
        if (i > 0) result += ',';
        result += "{\"title\":";
        append_json_string(&result, fix.title.c_str());
        if (fix.fix_all) {
            result += ",\"kind\":\"source.fixAll.tovel\",\"edit\":{\"changes\":{\"";
        } else {
            result += ",\"kind\":\"quickfix\",\"diagnostics\":[" + fix.diagnostic + "]";
            if (fix.preferred) result += ",\"isPreferred\":true";
            result += ",\"edit\":{\"changes\":{\"";
        }
        json_append_escaped(&result, uri, std::strlen(uri));
        result += "\":[";
        for (size_t e = 0; e < fix.edits.size(); ++e) {
            if (e > 0) result += ',';
            result += "{\"range\":";
            append_range(&result, fix.edits[e].range);
            result += ",\"newText\":";
            append_json_string(&result, fix.edits[e].new_text.c_str());
            result += '}';
        }
        result += "]}}}";
    }
    result += ']';
    send_result_text(id, result);
}

namespace {

// Most numbers of the encoding are below a hundred.
char* write_number(char* at, uint32_t value) {
    if (value < 10) {
        *at = static_cast<char>('0' + value);
        return at + 1;
    }
    if (value < 100) {
        at[0] = static_cast<char>('0' + value / 10);
        at[1] = static_cast<char>('0' + value % 10);
        return at + 2;
    }
    return std::to_chars(at, at + 10, value).ptr;
}

}  // namespace

void send_semantic_tokens(const cJSON* id, const std::vector<uint32_t>& data) {
    // Printed straight into one buffer: a large document has a million
    // numbers here, each at most ten digits and a comma.
    constexpr std::string_view kOpen = "{\"data\":[";
    std::unique_ptr<char[]> buffer(new char[kOpen.size() + data.size() * 11 + 2]);
    char* at = buffer.get();
    at = std::copy(kOpen.begin(), kOpen.end(), at);
    for (size_t i = 0; i < data.size(); ++i) {
        if (i > 0) *at++ = ',';
        at = write_number(at, data[i]);
    }
    *at++ = ']';
    *at++ = '}';
    send_result_text(id, std::string_view(buffer.get(), static_cast<size_t>(at - buffer.get())));
}

