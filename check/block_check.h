// Checks shared by a server block and the web sites inside it: options,
// directives, handlers and hooks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ast/ast.h"

struct DiagReporter;

// An option's name and the literal kind its value must have (EXPR_NUMBER,
// EXPR_STRING or EXPR_BOOLEAN).
struct OptionSpec {
    const char* name;
    ExprKind kind;
};

extern const OptionSpec kServerOptionSpecs[];
extern const size_t kServerOptionSpecCount;
extern const OptionSpec kSiteOptionSpecs[];
extern const size_t kSiteOptionSpecCount;
// The directives a block may hold and the hooks a server may hold; the
// checker's messages and the editor's completions both read these.
constexpr const char* kDirectiveRoot = "root";
constexpr const char* kDirectiveTrustProxy = "trust_proxy";
constexpr const char* kServerHookDrain = "drain";
extern const char* const kServerOptionHint;
extern const char* const kSiteOptionHint;

// Block labels are formatted into buffers of this size; longer ones are cut.
constexpr size_t BLOCK_LABEL_SIZE = 192;

void format_server_label(char* buffer, const char* name);
void format_site_label(char* buffer, const char* name);

// Option checks of one block; every message is placed at (line, column).
void check_block_options(DiagReporter* reporter, RecordFieldList options, const OptionSpec* specs,
                         size_t spec_count, const char* label, const char* hint, int32_t line,
                         int32_t column);

// Directive, handler, site and hook checks of one block's items. is_server is
// nonzero for the server's own items and zero for a site's items.
void check_block_items(DiagReporter* reporter, const char* label, ServerItemList items,
                       int32_t is_server);

// Text of the first option called `name` whose value is a string literal, or
// null. Options of that name with another kind of value are passed over.
const char* site_string_option(RecordFieldList options, const char* name);
