// Lens text to modifier references.
//
// A lens names one modifier or several separated by ';' (a ';' inside a
// double-quoted string does not count), each optionally written as
// qualifier.name. Argument text inside a lens is kept as part of the name;
// it is never parsed.

#include <cstdlib>
#include <cstring>

#include "diag/ascii.h"
#include "parser/actions.h"


static char* copy_range(const char* begin, const char* end) {
    return tree_copy_text(begin, static_cast<size_t>(end - begin));
}

// The first ';' outside double-quoted strings, or null.
static char* find_separator(char* text) {
    bool in_string = false;
    for (char* p = text; *p; ++p) {
        if (in_string && *p == '\\') {
            if (p[1] == '\0') break;
            ++p;
        } else if (*p == '"') {
            in_string = !in_string;
        } else if (*p == ';' && !in_string) {
            return p;
        }
    }
    return nullptr;
}

// One reference; `text` is taken over. A dotted text with something on both
// sides of its first dot splits into qualifier and name, blanks around the
// dot dropped; anything else is the name exactly as written.
static ModifierRef single_reference(char* text) {
    ModifierRef ref = modifier_ref_empty();
    ref.name = text;
    char* dot = std::strchr(text, '.');
    if (!dot) return ref;
    const char* left_begin = text;
    while (left_begin < dot && is_space_or_tab(*left_begin)) ++left_begin;
    const char* left_end = dot;
    while (left_end > left_begin && is_space_or_tab(left_end[-1])) --left_end;
    const char* right = dot + 1;
    while (is_space_or_tab(*right)) ++right;
    if (left_end == left_begin || *right == '\0') return ref;
    ref.qualifier = copy_range(left_begin, left_end);
    ref.name = copy_string(right);
    tree_free(text);
    return ref;
}

ModifierRef parse_lens(char* text) {
    // One pass over the text, copying each part out of it: re-copying the
    // rest after every ';' (or recursing on it) would cost time and stack in
    // proportion to the number of parts times the length of the text.
    char* separator = find_separator(text);
    if (!separator) return single_reference(text);
    ModifierRef first;
    ModifierRef* slot = &first;
    char* current = text;
    for (;;) {
        const char* begin = current;
        while (begin < separator && is_space_or_tab(*begin)) ++begin;
        const char* end = separator;
        while (end > begin && is_space_or_tab(end[-1])) --end;
        *slot = single_reference(copy_range(begin, end));
        slot->next = static_cast<ModifierRef*>(tree_alloc(sizeof(ModifierRef)));
        slot = slot->next;
        current = separator + 1;
        while (is_space_or_tab(*current)) ++current;
        separator = find_separator(current);
        if (!separator) break;
    }
    *slot = single_reference(copy_string(current));
    tree_free(text);
    return first;
}
