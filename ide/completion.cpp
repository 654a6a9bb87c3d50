// Completion by place: keywords in the case the user started typing, the
// names visible at the cursor, and inside server blocks the words the
// checker accepts there, read from its own tables.
#include <cctype>
#include <cstring>
#include <iterator>
#include <string>
#include <unordered_set>

#include "check/block_check.h"
#include "check/route_pattern.h"
#include "diag/ascii.h"
#include "ide/features.h"
#include "ide/keyword_places.h"

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

enum Place { PLACE_STATEMENT, PLACE_EXPRESSION, PLACE_JUMP, PLACE_MODIFIER, PLACE_MEMBER };

struct Context {
    Place place;
    uint32_t word_start;  // where the word being typed starts
    std::string module;   // PLACE_MEMBER: the name before the dot
};

Context context_at(Analysis* analysis, uint32_t offset, const std::string& prefix) {
    const char* text = analysis->text;
    uint32_t line_start = line_index_line(analysis_index(analysis), line_index_line_of(analysis_index(analysis), offset)).start;
    Context context{PLACE_EXPRESSION, offset - static_cast<uint32_t>(prefix.size()), ""};
    uint32_t at = context.word_start;
    // In an unclosed brace holding only words so far: a modifier's name.
    for (uint32_t i = at; i > line_start; --i) {
        char c = text[i - 1];
        if (c == '{') {
            context.place = PLACE_MODIFIER;
            return context;
        }
        if (!(is_ascii_letter(c) || is_ascii_digit(c) || c == '_' || c == ' ')) break;
    }
    if (at > line_start && text[at - 1] == '.') {
        uint32_t start = at - 1;
        while (start > line_start && (is_ascii_letter(text[start - 1]) || is_ascii_digit(text[start - 1]) || text[start - 1] == '_')) --start;
        context.place = PLACE_MEMBER;
        context.module.assign(text + start, at - 1 - start);
        return context;
    }
    while (at > line_start && (text[at - 1] == ' ' || text[at - 1] == '\t')) --at;
    if (at == line_start || (at == 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0)) {
        context.place = PLACE_STATEMENT;
        return context;
    }
    uint32_t word = at;
    while (word > line_start && is_ascii_letter(text[word - 1])) --word;
    std::string before(text + word, at - word);
    for (char& c : before) c = ascii_lower(c);
    if (before == "goto" || before == "gosub") context.place = PLACE_JUMP;
    return context;
}

void add_keywords(std::vector<IdeCompletion>* items, const TokenKind* kinds, size_t count, LetterCase letter_case) {
    for (size_t i = 0; i < count; ++i) {
        if (const char* word = keyword_spelling(kinds[i])) items->push_back({in_case(word, letter_case), IDE_COMPLETION_KEYWORD, ""});
    }
}

// The variables, parameters and modules visible at `offset`, then the
// file's functions.
void add_names(const NameIndex& index, uint32_t offset, std::vector<IdeCompletion>* items) {
    int32_t scope = name_scope_at(index, offset);
    for (const NameDecl& d : index.decls) {
        bool value = d.kind == NAME_VARIABLE || d.kind == NAME_PARAMETER || d.kind == NAME_ALIAS;
        if (!value || !name_scope_within(index, scope, d.scope)) continue;
        IdeCompletionKind kind = d.kind == NAME_ALIAS ? IDE_COMPLETION_MODULE : IDE_COMPLETION_VARIABLE;
        items->push_back({d.name, kind, d.kind == NAME_PARAMETER && !d.detail.empty() ? "parameter = " + d.detail : name_kind_word(d.kind)});
    }
    for (const NameDecl& d : index.decls) {
        if (d.kind == NAME_FUNCTION && d.name.find('.') == std::string::npos) {
            items->push_back({d.name, IDE_COMPLETION_FUNCTION, "function" + d.detail});
        }
    }
}

void add_labels(const NameIndex& index, uint32_t offset, std::vector<IdeCompletion>* items) {
    int32_t scope = name_scope_at(index, offset);
    for (const NameDecl& d : index.decls) {
        if (d.kind == NAME_LABEL && name_scope_within(index, scope, d.scope)) items->push_back({d.name, IDE_COMPLETION_LABEL, "label"});
    }
}

// What the file shows of module `name`: `name.x` used, `function name.x` declared.
void add_members(const NameIndex& index, uint32_t offset, const std::string& name, std::vector<IdeCompletion>* items) {
    int32_t module = name_lookup(index, name_scope_at(index, offset), name, false);
    if (module == kNoName || index.decls[static_cast<size_t>(module)].kind != NAME_ALIAS) return;
    for (const NameUse& use : index.uses) {
        if (use.kind != NAME_MEMBER || index.uses[static_cast<size_t>(use.base)].decl != module || use.range.end == offset) continue;
        items->push_back({std::string(index.text + use.range.start, use.range.length()), IDE_COMPLETION_MEMBER, "member of " + name});
    }
    for (const NameDecl& d : index.decls) {
        if (d.kind == NAME_FUNCTION && d.name.size() > name.size() && d.name.compare(0, name.size(), name) == 0 && d.name[name.size()] == '.') {
            items->push_back({d.name.substr(name.size() + 1), IDE_COMPLETION_MEMBER, "function" + d.detail});
        }
    }
}

void code_words(Analysis* analysis, uint32_t offset, const std::string& prefix, std::vector<IdeCompletion>* items) {
    const NameIndex& index = analysis_names(analysis);
    Context context = context_at(analysis, offset, prefix);
    switch (context.place) {
    case PLACE_JUMP: add_labels(index, offset, items); return;
    case PLACE_MODIFIER:
        for (const NameDecl& d : index.decls) {
            if (d.kind == NAME_MODIFIER) items->push_back({d.name, IDE_COMPLETION_MODIFIER, "modifier" + d.detail});
        }
        return;
    case PLACE_MEMBER: add_members(index, offset, context.module, items); return;
    case PLACE_STATEMENT:
        add_keywords(items, kStatementKeywords, std::size(kStatementKeywords), case_of(prefix));
        break;
    case PLACE_EXPRESSION:
        add_keywords(items, kExpressionKeywords, std::size(kExpressionKeywords), case_of(prefix));
        break;
    }
    add_names(index, offset, items);
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
        code_words(analysis, offset, prefix, &candidates);
    }
    std::vector<IdeCompletion> items;
    std::unordered_set<std::string> seen;
    for (IdeCompletion& entry : candidates) {
        if (starts_with_folded(entry.label, prefix) && seen.insert(entry.label).second) items.push_back(std::move(entry));
    }
    return items;
}
