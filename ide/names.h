#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "text/text_range.h"

// The names of one document version: every declaration and every use, with
// the scope that resolves it, read off the syntax tree (so a text with
// mistakes is indexed wherever its tree is sound).
//
// How Tovel's names are scoped, as the index reads them:
// - Scopes. The file is one. A `program`, `library`, `function` or
//   `modifier` block opens a scope for its parameters and body, and so does
//   the body of a route or hook inside a server block. Control blocks (`if`,
//   loops, `consider`, `with`, `watch`) open none: what they declare belongs
//   to the scope around them.
// - Declarations.
//   * A parameter (with its default, if written) declares in its block.
//   * The first assignment to a plain name (`x = ...`, `x += ...`) declares
//     a variable in its scope, unless the name is already declared, before
//     that place, in the scope or one around it: then it writes that.
//     `for` and `for each` variables declare the same way.
//   * `name:` alone on its line declares a label in its scope.
//   * `use name`, `load name` and `use name from "path"` declare the module
//     name; `load name ... as alias` declares the alias instead.
//   * A function declares its (possibly dotted) name for the whole file,
//     wherever it stands; a modifier its words, joined by single spaces.
// - Resolution. A plain name in an expression (and the first part of a
//   dotted one) is the variable, parameter or alias declared under it in
//   the innermost scope around the use, looking outwards; a name called
//   (`f(...)`, `spawn f(...)`, `a.b(...)` when the file declares `a.b`) is
//   the function; `goto`, `gosub` and `on error goto` name a label of the
//   scope around them or one outside; a brace prefix or lens clause names
//   the modifier whose words start it. Names found nowhere stay unresolved:
//   they come from elsewhere (a loaded file, the runtime).
// - Fields. A name after `.` and a record literal's field name are fields,
//   never variables; after an alias or module (`store.save`), the name is
//   one of that module's members.
// - Words the language gives meaning by place (server options and
//   directives, route verbs, hooks, duration units, lock and warning words,
//   a modifier's context type) are not names.

enum NameKind : int32_t {
    NAME_FUNCTION,
    NAME_MODIFIER,
    NAME_PARAMETER,
    NAME_VARIABLE,
    NAME_LABEL,
    NAME_ALIAS,   // a module brought in by `use` or `load`, under its name or alias
    NAME_FIELD,   // after `.`, or a record literal's field: never resolved
    NAME_MEMBER,  // after an alias or module and `.`: never resolved
};

enum NameRole : int32_t {
    ROLE_DECLARATION,
    ROLE_WRITE,  // assigned again
    ROLE_READ,
    ROLE_CALL,   // a function called, a modifier applied, a label jumped to
};

enum ScopeKind : int32_t {
    SCOPE_FILE,
    SCOPE_PROGRAM,
    SCOPE_LIBRARY,
    SCOPE_FUNCTION,
    SCOPE_MODIFIER,
    SCOPE_HANDLER,  // a route's or hook's body
};

constexpr int32_t kNoName = -1;

struct NameScope {
    ScopeKind kind;
    int32_t parent;  // kNoName for the file
    TextRange range; // the whole block
    uint32_t body_end; // where its closing line starts (`end ...`), or the block's end without one
    int32_t owner;   // the function or modifier declared by the block, or kNoName
};

struct NameDecl {
    NameKind kind;
    std::string name;    // as written; a modifier's words joined by single spaces
    int32_t scope;       // where it is visible (the file for functions and modifiers)
    TextRange range;     // the name at its declaration
    TextRange block;     // functions, modifiers: their block; labels: their line; others: the name
    std::string detail;  // functions, modifiers: the parameter list as written; parameters: their default
    std::string context; // modifiers: the type after `for`, as written
    int32_t owner;       // parameters: the function or modifier (kNoName for other blocks)
    int32_t position;    // parameters: their place in the list, from 0
};

struct NameUse {
    TextRange range;
    NameKind kind;
    NameRole role;
    int32_t scope;  // the innermost scope around it
    int32_t decl;   // what it resolves to, or kNoName
    int32_t base;   // members: the use of the module before the `.`, or kNoName
};

// A name as declared in one scope; the view points into the document's
// text. The name's hash is computed once: a lookup tries it in every scope
// outwards.
struct ScopedName {
    int32_t scope;
    std::string_view name;
    size_t name_hash;
    bool operator==(const ScopedName& other) const { return scope == other.scope && name == other.name; }
};

inline ScopedName scoped_name(int32_t scope, std::string_view name) {
    return {scope, name, std::hash<std::string_view>()(name)};
}

// The names declared in each scope, the first declaration under each
// (scope, name) kept: open addressing over a power-of-two table of plain
// slots, since the index asks it once for every name it meets.
class NameMap {
public:
    void reserve(size_t count);
    // Keeps `decl` under `key` unless something is declared there already.
    void insert(const ScopedName& key, int32_t decl);
    // The declaration under `key`, or -1.
    int32_t find(const ScopedName& key) const;
    size_t size() const { return count_; }
    size_t weight() const { return slots_.capacity() * sizeof(Slot); }

private:
    struct Slot {
        std::string_view name;
        size_t hash;
        int32_t scope;
        int32_t decl;  // -1: empty
    };
    static size_t slot_hash(const ScopedName& key) {
        return key.name_hash ^ (static_cast<size_t>(key.scope) * 0x9E3779B97F4A7C15ull);
    }
    void grow();

    std::vector<Slot> slots_;
    size_t count_ = 0;
};

struct NameIndex {
    const char* text;  // borrowed: the text the tree was made of
    std::vector<NameScope> scopes;  // the file first; every scope after the one around it
    std::vector<NameDecl> decls;
    std::vector<NameUse> uses;      // in text order; a declaration's name is among them
    std::vector<uint32_t> first_use;  // per declaration: where its uses start in `by_decl`
    std::vector<uint32_t> by_decl;    // indices into `uses`, grouped by declaration, in text order
    NameMap values;   // variables, parameters, aliases: the first declared under each name per scope
    NameMap labels;
    std::unordered_map<std::string, int32_t> functions;  // the first declared under each name
    std::unordered_map<std::string, int32_t> modifiers;
};

struct SyntaxTree;

// Indexes the names of `tree`.
void name_index_build(NameIndex* index, const SyntaxTree& tree);

// The use whose range holds `offset` (or ends just there); kNoName if none.
int32_t name_use_at(const NameIndex& index, uint32_t offset);

// The uses of declaration `decl`, in text order, its own place included.
inline const uint32_t* name_uses_begin(const NameIndex& index, int32_t decl) {
    return index.by_decl.data() + index.first_use[static_cast<size_t>(decl)];
}
inline const uint32_t* name_uses_end(const NameIndex& index, int32_t decl) {
    return index.by_decl.data() + index.first_use[static_cast<size_t>(decl) + 1];
}

// The innermost scope holding `offset`.
int32_t name_scope_at(const NameIndex& index, uint32_t offset);

// Whether scope `inner` is `outer` or lies inside it.
bool name_scope_within(const NameIndex& index, int32_t inner, int32_t outer);

// The variable, parameter or alias `name` resolves to at scope `scope`, or
// kNoName; `label` looks among labels instead.
int32_t name_lookup(const NameIndex& index, int32_t scope, const std::string& name, bool label);

// The function or modifier declared under `name`, or kNoName.
int32_t name_find_callable(const NameIndex& index, NameKind kind, const std::string& name);

const char* name_kind_word(NameKind kind);
