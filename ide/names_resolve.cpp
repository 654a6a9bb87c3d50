// Resolution of the names the walk recorded, and lookups on the index.
#include <algorithm>
#include <string_view>

#include "ide/names.h"
#include "ide/names_internal.h"

namespace {

std::string_view text_of(const NameIndex& index, TextRange range) {
    return {index.text + range.start, static_cast<size_t>(range.length())};
}

// `a.b(` names a function of the file, or member `b` of whatever `a` is.
void split_qualified(NameIndex* index, int32_t use) {
    NameUse& call = index->uses[static_cast<size_t>(use)];
    std::string_view name = text_of(*index, call.range);
    auto function = index->functions.find(std::string(name));
    if (function != index->functions.end()) {
        call.decl = function->second;
        return;
    }
    size_t dot = name.find('.');
    if (dot == std::string_view::npos) return;
    TextRange member{call.range.start + static_cast<uint32_t>(dot) + 1, call.range.end};
    call.range.end = call.range.start + static_cast<uint32_t>(dot);
    call.kind = NAME_VARIABLE;
    call.role = ROLE_READ;
    int32_t scope = call.scope;
    index->uses.push_back({member, NAME_FIELD, ROLE_CALL, scope, kNoName, kNoName});
}

// A brace prefix or lens clause names the modifier whose words start it,
// the longest such; an unknown one is named by its first word.
void resolve_modifier(NameIndex* index, NameUse* use) {
    std::string_view words = text_of(*index, use->range);
    for (size_t end = words.size();;) {
        auto found = index->modifiers.find(std::string(words.substr(0, end)));
        if (found != index->modifiers.end()) {
            use->decl = found->second;
            use->range.end = use->range.start + static_cast<uint32_t>(end);
            return;
        }
        size_t space = words.rfind(' ', end - 1);
        if (space == std::string_view::npos) break;
        end = space;
    }
    size_t first = words.find(' ');
    if (first != std::string_view::npos) use->range.end = use->range.start + static_cast<uint32_t>(first);
}

void resolve_use(NameIndex* index, NameUse* use) {
    std::string_view name = text_of(*index, use->range);
    switch (use->kind) {
    case NAME_FUNCTION: {
        auto found = index->functions.find(std::string(name));
        if (found != index->functions.end()) {
            use->decl = found->second;
            return;
        }
        // A variable holding something callable.
        use->decl = name_lookup_view(*index, index->values, use->scope, name);
        if (use->decl != kNoName) {
            use->kind = index->decls[static_cast<size_t>(use->decl)].kind;
            use->role = ROLE_READ;
        }
        return;
    }
    case NAME_VARIABLE:
        use->decl = name_lookup_view(*index, index->values, use->scope, name);
        if (use->decl != kNoName) use->kind = index->decls[static_cast<size_t>(use->decl)].kind;
        return;
    case NAME_LABEL: use->decl = name_lookup_view(*index, index->labels, use->scope, name); return;
    case NAME_MODIFIER: resolve_modifier(index, use); return;
    default: return;
    }
}

// Only blanks and one dot between two uses: the second is a member of the first.
bool dotted_after(const NameIndex& index, const NameUse& base, const NameUse& member) {
    if (base.range.end > member.range.start) return false;
    int dots = 0;
    for (uint32_t i = base.range.end; i < member.range.start; ++i) {
        char c = index.text[i];
        if (c == '.') {
            ++dots;
        } else if (c != ' ' && c != '\t') {
            return false;
        }
    }
    return dots == 1;
}

void find_members(NameIndex* index) {
    for (size_t i = 1; i < index->uses.size(); ++i) {
        NameUse& use = index->uses[i];
        const NameUse& before = index->uses[i - 1];
        if (use.kind != NAME_FIELD || before.decl == kNoName) continue;
        if (before.kind == NAME_ALIAS && dotted_after(*index, before, use)) {
            use.kind = NAME_MEMBER;
            use.base = static_cast<int32_t>(i - 1);
        }
    }
}

void group_by_declaration(NameIndex* index) {
    index->first_use.assign(index->decls.size() + 1, 0);
    for (const NameUse& use : index->uses) {
        if (use.decl != kNoName) ++index->first_use[static_cast<size_t>(use.decl) + 1];
    }
    for (size_t i = 1; i < index->first_use.size(); ++i) index->first_use[i] += index->first_use[i - 1];
    index->by_decl.resize(index->first_use.back());
    std::vector<uint32_t> next(index->first_use.begin(), index->first_use.end() - 1);
    for (size_t i = 0; i < index->uses.size(); ++i) {
        int32_t decl = index->uses[i].decl;
        if (decl != kNoName) index->by_decl[next[static_cast<size_t>(decl)]++] = static_cast<uint32_t>(i);
    }
}

}  // namespace

void NameMap::reserve(size_t count) {
    size_t capacity = 16;
    while (capacity < count * 2) capacity *= 2;
    if (capacity > slots_.size()) {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(capacity, Slot{{}, 0, 0, kNoName});
        count_ = 0;
        for (const Slot& slot : old) {
            if (slot.decl != kNoName) insert({slot.scope, slot.name, slot.hash}, slot.decl);
        }
    }
}

void NameMap::grow() { reserve(slots_.empty() ? 8 : slots_.size()); }

void NameMap::insert(const ScopedName& key, int32_t decl) {
    if ((count_ + 1) * 2 > slots_.size()) grow();
    size_t mask = slots_.size() - 1;
    for (size_t at = slot_hash(key) & mask;; at = (at + 1) & mask) {
        Slot& slot = slots_[at];
        if (slot.decl == kNoName) {
            slot = {key.name, key.name_hash, key.scope, decl};
            ++count_;
            return;
        }
        if (slot.scope == key.scope && slot.hash == key.name_hash && slot.name == key.name) return;
    }
}

int32_t NameMap::find(const ScopedName& key) const {
    if (slots_.empty()) return kNoName;
    size_t mask = slots_.size() - 1;
    for (size_t at = slot_hash(key) & mask;; at = (at + 1) & mask) {
        const Slot& slot = slots_[at];
        if (slot.decl == kNoName) return kNoName;
        if (slot.scope == key.scope && slot.hash == key.name_hash && slot.name == key.name) return slot.decl;
    }
}

int32_t name_lookup_view(const NameIndex& index, const NameMap& map, int32_t scope, std::string_view name) {
    ScopedName key = scoped_name(scope, name);
    for (int32_t s = scope; s != kNoName; s = index.scopes[static_cast<size_t>(s)].parent) {
        key.scope = s;
        int32_t found = map.find(key);
        if (found != kNoName) return found;
    }
    return kNoName;
}

void name_index_resolve(NameIndex* index, const std::vector<int32_t>& qualified) {
    // The walk records the uses in text order; the members split off
    // dotted calls come after them and are merged in.
    size_t walked = index->uses.size();
    for (int32_t use : qualified) split_qualified(index, use);
    for (NameUse& use : index->uses) {
        if (use.decl == kNoName) resolve_use(index, &use);
    }
    auto by_start = [](const NameUse& a, const NameUse& b) { return a.range.start < b.range.start; };
    auto middle = index->uses.begin() + static_cast<ptrdiff_t>(walked);
    if (!std::is_sorted(index->uses.begin(), middle, by_start)) std::stable_sort(index->uses.begin(), middle, by_start);
    std::stable_sort(middle, index->uses.end(), by_start);
    std::inplace_merge(index->uses.begin(), middle, index->uses.end(), by_start);
    find_members(index);
    group_by_declaration(index);
}

int32_t name_use_at(const NameIndex& index, uint32_t offset) {
    auto after = std::upper_bound(index.uses.begin(), index.uses.end(), offset,
                                  [](uint32_t at, const NameUse& use) { return at < use.range.start; });
    if (after == index.uses.begin()) return kNoName;
    const NameUse& use = *(after - 1);
    if (offset > use.range.end) return kNoName;
    return static_cast<int32_t>(after - 1 - index.uses.begin());
}

int32_t name_scope_at(const NameIndex& index, uint32_t offset) {
    int32_t found = 0;
    for (size_t s = 1; s < index.scopes.size(); ++s) {
        TextRange range = index.scopes[s].range;
        if (range.start <= offset && offset <= range.end) found = static_cast<int32_t>(s);
    }
    return found;
}

bool name_scope_within(const NameIndex& index, int32_t inner, int32_t outer) {
    for (int32_t s = inner; s != kNoName; s = index.scopes[static_cast<size_t>(s)].parent) {
        if (s == outer) return true;
    }
    return false;
}

int32_t name_lookup(const NameIndex& index, int32_t scope, const std::string& name, bool label) {
    return name_lookup_view(index, label ? index.labels : index.values, scope, name);
}

int32_t name_find_callable(const NameIndex& index, NameKind kind, const std::string& name) {
    const auto& map = kind == NAME_MODIFIER ? index.modifiers : index.functions;
    auto found = map.find(name);
    return found == map.end() ? kNoName : found->second;
}

const char* name_kind_word(NameKind kind) {
    switch (kind) {
    case NAME_FUNCTION: return "function";
    case NAME_MODIFIER: return "modifier";
    case NAME_PARAMETER: return "parameter";
    case NAME_VARIABLE: return "variable";
    case NAME_LABEL: return "label";
    case NAME_ALIAS: return "module";
    case NAME_FIELD: return "field";
    case NAME_MEMBER: return "member";
    }
    return "name";
}
