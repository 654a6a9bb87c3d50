// Completion: keywords in the case the user started typing, the functions
// and labels of the document, and inside server blocks the words the
// checker accepts there, read from its own tables.
#include <cctype>
#include <string>
#include <unordered_set>

#include "check/block_check.h"
#include "check/route_pattern.h"
#include "diag/ascii.h"
#include "ide/features.h"

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

// The word being typed: the name bytes right before `offset` on its line.
std::string prefix_before(Analysis* analysis, uint32_t offset) {
    uint32_t line_start = line_index_line(analysis_index(analysis), line_index_line_of(analysis_index(analysis), offset)).start;
    uint32_t start = offset;
    while (start > line_start && (is_ascii_letter(analysis->text[start - 1]) || is_ascii_digit(analysis->text[start - 1]) ||
                                  analysis->text[start - 1] == '_')) {
        --start;
    }
    return std::string(analysis->text + start, offset - start);
}

// The server or site block around `offset`, or -1.
int32_t enclosing_server(const Outline& outline, uint32_t offset) {
    for (int32_t block = outline_block_at(outline, offset); block >= 0;
         block = outline.blocks[static_cast<size_t>(block)].parent) {
        OutlineBlockKind kind = outline.blocks[static_cast<size_t>(block)].kind;
        if (kind == BLOCK_SERVER || kind == BLOCK_SITE) return block;
        if (kind == BLOCK_ROUTE || kind == BLOCK_HOOK) return -1;  // a handler body is code
    }
    return -1;
}

void add_server_words(std::vector<IdeCompletion>* items, bool is_server) {
    const OptionSpec* specs = is_server ? kServerOptionSpecs : kSiteOptionSpecs;
    size_t count = is_server ? kServerOptionSpecCount : kSiteOptionSpecCount;
    for (size_t i = 0; i < count; ++i) items->push_back({specs[i].name, IDE_COMPLETION_OPTION, "option"});
    items->push_back({kDirectiveRoot, IDE_COMPLETION_KEYWORD, "directive"});
    if (is_server) {
        items->push_back({kDirectiveTrustProxy, IDE_COMPLETION_KEYWORD, "directive"});
        items->push_back({kServerHookDrain, IDE_COMPLETION_HOOK, "hook (on drain)"});
    }
    for (const char* verb : kRouteVerbs) items->push_back({verb, IDE_COMPLETION_KEYWORD, "route verb"});
}

}  // namespace

std::vector<IdeCompletion> ide_completion(Analysis* analysis, uint32_t offset) {
    const Outline& outline = analysis_outline(analysis);
    std::string prefix = prefix_before(analysis, offset);
    std::vector<IdeCompletion> candidates;
    int32_t server = enclosing_server(outline, offset);
    if (server >= 0) {
        add_server_words(&candidates, outline.blocks[static_cast<size_t>(server)].kind == BLOCK_SERVER);
    } else {
        LetterCase letter_case = case_of(prefix);
        for (const std::string& word : keyword_spellings()) {
            candidates.push_back({in_case(word, letter_case), IDE_COMPLETION_KEYWORD, ""});
        }
        for (const OutlineBlock& block : outline.blocks) {
            if (block.kind == BLOCK_FUNCTION) candidates.push_back({block.name, IDE_COMPLETION_FUNCTION, "function" + block.detail});
        }
        for (size_t token : outline.labels) {
            candidates.push_back({token_text(outline.tokens[token]), IDE_COMPLETION_LABEL, "label"});
        }
    }
    std::vector<IdeCompletion> items;
    std::unordered_set<std::string> seen;
    for (IdeCompletion& entry : candidates) {
        if (starts_with_folded(entry.label, prefix) && seen.insert(entry.label).second) items.push_back(std::move(entry));
    }
    return items;
}
