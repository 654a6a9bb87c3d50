// Completion: keywords in the case the user started typing, the functions
// and labels of the document, and inside server blocks the words the
// checker accepts there, read from its own tables.
#include <cctype>
#include <string>
#include <unordered_set>

#include "check/block_check.h"
#include "check/route_pattern.h"
#include "diag/ascii.h"
#include "lsp/features.h"

namespace {

enum LetterCase { CASE_LOWER, CASE_UPPER, CASE_CAPITALISED };

LetterCase case_of(const std::string& prefix) {
    bool any_lower = false;
    bool any_upper = false;
    for (char c : prefix) {
        any_lower |= c >= 'a' && c <= 'z';
        any_upper |= c >= 'A' && c <= 'Z';
    }
    if (any_upper && !any_lower) return prefix.size() > 1 ? CASE_UPPER : CASE_CAPITALISED;
    if (!prefix.empty() && prefix[0] >= 'A' && prefix[0] <= 'Z') return CASE_CAPITALISED;
    return CASE_LOWER;
}

std::string in_case(std::string word, LetterCase letter_case) {
    for (size_t i = 0; i < word.size(); ++i) {
        bool upper = letter_case == CASE_UPPER || (letter_case == CASE_CAPITALISED && i == 0);
        if (upper) word[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(word[i])));
    }
    return word;
}

bool starts_with_folded(const std::string& word, const std::string& prefix) {
    if (word.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (ascii_lower(word[i]) != ascii_lower(prefix[i])) return false;
    }
    return true;
}

// The reserved words, as the lexer spells them.
std::vector<std::string> keyword_spellings() {
    std::vector<std::string> words;
    for (int32_t kind = 0; kind < TOKEN_KIND_COUNT; ++kind) {
        if (const char* word = keyword_spelling(static_cast<TokenKind>(kind))) words.push_back(word);
    }
    return words;
}

// The word being typed: the name bytes right before (line, column).
std::string prefix_before(const FeatureDocument& document, int32_t line, int32_t column) {
    const char* line_start = document.text + document.index.starts[static_cast<size_t>(line - 1)];
    int32_t end = column - 1;
    int32_t start = end;
    while (start > 0 && (std::isalnum(static_cast<unsigned char>(line_start[start - 1])) || line_start[start - 1] == '_')) {
        --start;
    }
    return std::string(line_start + start, static_cast<size_t>(end - start));
}

// The server or site block around (line, column), or -1.
int32_t enclosing_server(const Outline& outline, int32_t line, int32_t column) {
    for (int32_t block = outline_block_at(outline, line, column); block >= 0;
         block = outline.blocks[static_cast<size_t>(block)].parent) {
        OutlineBlockKind kind = outline.blocks[static_cast<size_t>(block)].kind;
        if (kind == BLOCK_SERVER || kind == BLOCK_SITE) return block;
        if (kind == BLOCK_ROUTE || kind == BLOCK_HOOK) return -1;  // a handler body is code
    }
    return -1;
}

void add_server_words(std::vector<CompletionEntry>* items, bool is_server) {
    const OptionSpec* specs = is_server ? kServerOptionSpecs : kSiteOptionSpecs;
    size_t count = is_server ? kServerOptionSpecCount : kSiteOptionSpecCount;
    for (size_t i = 0; i < count; ++i) items->push_back({specs[i].name, COMPLETION_PROPERTY, "option"});
    items->push_back({kDirectiveRoot, COMPLETION_KEYWORD, "directive"});
    if (is_server) {
        items->push_back({kDirectiveTrustProxy, COMPLETION_KEYWORD, "directive"});
        items->push_back({kServerHookDrain, COMPLETION_EVENT, "hook (on drain)"});
    }
    for (const char* verb : kRouteVerbs) items->push_back({verb, COMPLETION_KEYWORD, "route verb"});
}

}  // namespace

void on_completion(ServerState* state, const IncomingMessage& message) {
    if (!feature_enabled(state->features.completion, message)) return;
    PositionRequest request = protocol_position_params(message.params);
    FeatureDocument document;
    int32_t line = 0;
    int32_t column = 0;
    if (!request.valid || !feature_document_open(state, request.uri, &document) ||
        !source_position_in_index(&document.index, request.position, document.encoding, &line, &column)) {
        send_null_result(message.id);
        return;
    }
    const Outline& outline = document.outline;
    std::string prefix = prefix_before(document, line, column);
    std::vector<CompletionEntry> candidates;
    int32_t server = enclosing_server(outline, line, column);
    if (server >= 0) {
        add_server_words(&candidates, outline.blocks[static_cast<size_t>(server)].kind == BLOCK_SERVER);
    } else {
        LetterCase letter_case = case_of(prefix);
        for (const std::string& word : keyword_spellings()) {
            candidates.push_back({in_case(word, letter_case), COMPLETION_KEYWORD, ""});
        }
        for (const OutlineBlock& block : outline.blocks) {
            if (block.kind == BLOCK_FUNCTION) candidates.push_back({block.name, COMPLETION_FUNCTION, "function" + block.detail});
        }
        for (size_t token : outline.labels) candidates.push_back({token_text(outline.tokens[token]), COMPLETION_REFERENCE, "label"});
    }
    std::vector<CompletionEntry> items;
    std::unordered_set<std::string> seen;
    for (CompletionEntry& entry : candidates) {
        if (starts_with_folded(entry.label, prefix) && seen.insert(entry.label).second) items.push_back(std::move(entry));
    }
    send_completions(message.id, items);
}
