// References, highlights and rename, all read off the name index.
#include <string>
#include <string_view>

#include "ide/features.h"
#include "ide/names_internal.h"

namespace {

IdeReference reference_of(const NameUse& use) {
    return {use.range, use.role == ROLE_DECLARATION || use.role == ROLE_WRITE, use.role == ROLE_DECLARATION};
}

bool renamable(NameKind kind) { return kind != NAME_FIELD && kind != NAME_MEMBER; }

// Why the name of `use` cannot be renamed; empty when it can.
std::string rename_refusal(const Analysis* analysis, const NameIndex& index, int32_t use) {
    const NameUse& u = index.uses[static_cast<size_t>(use)];
    std::string name(analysis_text(analysis, u.range));
    if (!renamable(u.kind)) return "`" + name + "` is a field; fields are not tracked by name, so they are not renamed.";
    if (u.decl == kNoName) return "`" + name + "` is not declared in this file, so it cannot be renamed here.";
    return "";
}

// Why the place at `offset`, which holds no name, cannot be renamed.
std::string keyword_refusal(Analysis* analysis, uint32_t offset) {
    size_t token = analysis_token_at(analysis, offset);
    if (token == kNoToken) return "There is no name here to rename.";
    const Token& t = analysis_outline(analysis).tokens[token];
    if (token_is_keyword(t.kind)) return "`" + token_text(t) + "` is a keyword of Tovel and cannot be renamed.";
    if (t.kind == TOKEN_IDENT) return "`" + token_text(t) + "` is a word of the language here, not a name.";
    return "There is no name here to rename.";
}

bool valid_word(std::string_view word, bool modifier_word) {
    if (word.empty() || !name_starts_with(word[0])) return false;
    for (char c : word) {
        if (!name_continues_with(c)) return false;
    }
    TokenKind kind = keyword_lookup(word.data(), word.size());
    return kind == TOKEN_IDENT || (modifier_word && (kind == TOKEN_TO || kind == TOKEN_END || kind == TOKEN_NEXT));
}

// Whether `name` is a name Tovel accepts for a declaration of `kind`.
bool valid_name(const std::string& name, NameKind kind) {
    if (kind == NAME_MODIFIER) {
        // Words joined by single spaces, as a modifier is declared and applied.
        size_t start = 0;
        for (;;) {
            size_t space = name.find(' ', start);
            std::string_view word = std::string_view(name).substr(start, space == std::string::npos ? std::string::npos : space - start);
            if (!valid_word(word, true)) return false;
            if (space == std::string::npos) return true;
            start = space + 1;
        }
    }
    size_t dot = name.find('.');
    if (kind == NAME_FUNCTION && dot != std::string::npos) {
        return valid_word(std::string_view(name).substr(0, dot), false) && valid_word(std::string_view(name).substr(dot + 1), false);
    }
    return valid_word(name, false);
}

bool value_kind(NameKind kind) { return kind == NAME_VARIABLE || kind == NAME_PARAMETER || kind == NAME_ALIAS; }

// A declaration under `new_name` that the renamed one would meet: one that
// its uses would see instead, or one it would hide.
int32_t collision(const NameIndex& index, int32_t decl, const std::string& new_name) {
    const NameDecl& d = index.decls[static_cast<size_t>(decl)];
    for (size_t i = 0; i < index.decls.size(); ++i) {
        const NameDecl& other = index.decls[i];
        if (static_cast<int32_t>(i) == decl || other.name != new_name) continue;
        bool same_space = other.kind == d.kind || (value_kind(other.kind) && value_kind(d.kind)) ||
                          (other.kind == NAME_FUNCTION && value_kind(d.kind)) || (d.kind == NAME_FUNCTION && value_kind(other.kind));
        if (!same_space) continue;
        if (d.kind == NAME_FUNCTION || d.kind == NAME_MODIFIER || other.kind == NAME_FUNCTION) return static_cast<int32_t>(i);
        if (name_scope_within(index, other.scope, d.scope) || name_scope_within(index, d.scope, other.scope)) return static_cast<int32_t>(i);
    }
    return kNoName;
}

}  // namespace

bool ide_references(Analysis* analysis, uint32_t offset, bool include_declaration, std::vector<IdeReference>* out) {
    const NameIndex& index = analysis_names(analysis);
    int32_t at = name_use_at(index, offset);
    if (at == kNoName) return false;
    const NameUse& use = index.uses[static_cast<size_t>(at)];
    if (use.decl != kNoName) {
        for (const uint32_t* u = name_uses_begin(index, use.decl); u != name_uses_end(index, use.decl); ++u) {
            const NameUse& other = index.uses[*u];
            if (other.role == ROLE_DECLARATION && !include_declaration) continue;
            out->push_back(reference_of(other));
        }
        return true;
    }
    std::string_view name = analysis_text(analysis, use.range);
    for (const NameUse& other : index.uses) {
        if (other.decl == kNoName && other.kind == use.kind && analysis_text(analysis, other.range) == name) {
            out->push_back(reference_of(other));
        }
    }
    return true;
}

bool ide_prepare_rename(Analysis* analysis, uint32_t offset, IdeRenameTarget* target, std::string* refusal) {
    const NameIndex& index = analysis_names(analysis);
    int32_t use = name_use_at(index, offset);
    *refusal = use == kNoName ? keyword_refusal(analysis, offset) : rename_refusal(analysis, index, use);
    if (!refusal->empty()) return false;
    target->range = index.uses[static_cast<size_t>(use)].range;
    target->placeholder = std::string(analysis_text(analysis, target->range));
    return true;
}

bool ide_rename(Analysis* analysis, uint32_t offset, const std::string& new_name, std::vector<IdeTextEdit>* edits,
                std::string* refusal) {
    IdeRenameTarget target;
    if (!ide_prepare_rename(analysis, offset, &target, refusal)) return false;
    const NameIndex& index = analysis_names(analysis);
    int32_t decl = index.uses[static_cast<size_t>(name_use_at(index, offset))].decl;
    const NameDecl& d = index.decls[static_cast<size_t>(decl)];
    if (!valid_name(new_name, d.kind)) {
        *refusal = "`" + new_name + "` is not a valid name for a " + name_kind_word(d.kind) + " in Tovel.";
        return false;
    }
    if (new_name == d.name) return true;
    if (int32_t other = collision(index, decl, new_name); other != kNoName) {
        const NameDecl& o = index.decls[static_cast<size_t>(other)];
        *refusal = "`" + new_name + "` is already the name of a " + name_kind_word(o.kind) + " visible here (line " +
                   std::to_string(line_index_line_of(analysis_index(analysis), o.range.start) + 1) + ").";
        return false;
    }
    for (const uint32_t* u = name_uses_begin(index, decl); u != name_uses_end(index, decl); ++u) {
        edits->push_back({index.uses[*u].range, new_name});
    }
    return true;
}
