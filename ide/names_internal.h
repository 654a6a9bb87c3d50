#pragma once

#include <string_view>
#include <vector>

#include "ide/names.h"

// Shared by the index's walk and its resolution.

// The declaration `name` has in `map`, seen from `scope` and the scopes
// around it, or kNoName.
int32_t name_lookup_view(const NameIndex& index, const NameMap& map, int32_t scope, std::string_view name);

// Resolves what the walk left open, puts the uses in text order and groups
// them by declaration. `qualified` are the uses of `a.b(` calls.
void name_index_resolve(NameIndex* index, const std::vector<int32_t>& qualified);

inline bool name_starts_with(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
inline bool name_continues_with(char c) { return name_starts_with(c) || (c >= '0' && c <= '9'); }
