#include "diag/diagnostic.h"

namespace {

struct KindEntry {
    int32_t kind;
    const char* name;
    const char* label;
};

// Errors on a text line are labelled by the stage that found them. Lexer
// details and string-literal problems read as runtime errors, and the
// server-block checker's findings as parse errors: that is how users have
// always seen them.
constexpr KindEntry kKinds[] = {
    {TV_DIAG_NONE, "TV_DIAG_NONE", "error"},
    {TV_DIAG_LEX_ERROR, "TV_DIAG_LEX_ERROR", "lexer error"},
    {TV_DIAG_LEX_DETAIL, "TV_DIAG_LEX_DETAIL", "runtime error"},
    {TV_DIAG_PARSE_ERROR, "TV_DIAG_PARSE_ERROR", "parse error"},
    {TV_DIAG_STRING_LITERAL, "TV_DIAG_STRING_LITERAL", "runtime error"},
    {TV_DIAG_SERVER_BLOCK, "TV_DIAG_SERVER_BLOCK", "parse error"},
    {TV_DIAG_RUNTIME_ERROR, "TV_DIAG_RUNTIME_ERROR", "runtime error"},
};

const KindEntry* find_kind(int32_t kind) {
    for (const KindEntry& entry : kKinds) {
        if (entry.kind == kind) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace

const char* diag_kind_name(int32_t kind) {
    const KindEntry* entry = find_kind(kind);
    return entry != nullptr ? entry->name : "TV_DIAG_UNKNOWN";
}

const char* diag_kind_label(int32_t kind) {
    const KindEntry* entry = find_kind(kind);
    return entry != nullptr ? entry->label : "error";
}

const char* diag_severity_name(int32_t severity) {
    switch (severity) {
    case SEVERITY_WARNING:
        return "warning";
    case SEVERITY_NOTE:
        return "note";
    default:
        return "error";
    }
}
