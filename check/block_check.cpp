#include "check/block_check.h"

#include <cstdio>
#include <cstring>
#include <string_view>
#include <unordered_set>

#include "check/route_table.h"
#include "diag/diagnostic.h"
#include "diag/memory.h"

const OptionSpec kServerOptionSpecs[] = {
    {"port", EXPR_NUMBER},    {"address", EXPR_STRING}, {"inherit", EXPR_BOOLEAN},
    {"workers", EXPR_NUMBER}, {"timeout", EXPR_NUMBER}, {"cert", EXPR_STRING},
    {"key", EXPR_STRING},
};
const size_t kServerOptionSpecCount = sizeof kServerOptionSpecs / sizeof kServerOptionSpecs[0];

const OptionSpec kSiteOptionSpecs[] = {
    {"host", EXPR_STRING},
    {"cert", EXPR_STRING},
    {"key", EXPR_STRING},
};
const size_t kSiteOptionSpecCount = sizeof kSiteOptionSpecs / sizeof kSiteOptionSpecs[0];

const char* const kServerOptionHint =
    "set it from configuration at serve time with web.configure(name, { option: value })";
const char* const kSiteOptionHint =
    "a site option stays in the source: `host` is read here to refuse two sites claiming one name";

namespace {

// A block rarely has more than a handful of options; past this many, repeated
// names are found through a set instead of rescanning the earlier options.
constexpr size_t kOptionScanLimit = 16;

bool same_text(const char* a, const char* b) {
    return std::strcmp(text_or_empty(a), text_or_empty(b)) == 0;
}

const char* kind_phrase(ExprKind kind) {
    switch (kind) {
    case EXPR_NUMBER:
        return "a number literal";
    case EXPR_STRING:
        return "a string literal";
    default:
        return "true or false";
    }
}

const OptionSpec* find_spec(const OptionSpec* specs, size_t spec_count, const char* name) {
    for (size_t i = 0; i < spec_count; ++i) {
        if (same_text(specs[i].name, name)) {
            return &specs[i];
        }
    }
    return nullptr;
}

bool named_earlier(RecordFieldList options, size_t index) {
    for (size_t i = 0; i < index; ++i) {
        if (same_text(options.items[i].name, options.items[index].name)) {
            return true;
        }
    }
    return false;
}

void check_directive(DiagReporter* reporter, const char* label, const ServerItem* item,
                     bool is_server, bool* root_seen) {
    const char* word = text_or_empty(item->word);
    if (std::strcmp(word, kDirectiveRoot) == 0) {
        if (item->values.count != 1) {
            diag_reportf(reporter, item->line, item->column, "%s: root takes exactly one directory",
                         label);
        }
        if (*root_seen) {
            diag_reportf(reporter, item->line, item->column, "%s: root declared twice", label);
        }
        *root_seen = true;
    } else if (std::strcmp(word, kDirectiveTrustProxy) == 0) {
        if (!is_server) {
            diag_reportf(reporter, item->line, item->column,
                         "trust_proxy belongs to the server, not to a site: the direct peer is a "
                         "fact of the listener");
        } else if (item->values.count == 0) {
            diag_reportf(reporter, item->line, item->column,
                         "trust_proxy needs at least one proxy address");
        }
    } else {
        diag_reportf(reporter, item->line, item->column,
                     "%s: unknown directive '%s' (root, trust_proxy)", label, word);
    }
}

void check_hook(DiagReporter* reporter, const ServerItem* item, bool is_server) {
    const char* word = text_or_empty(item->word);
    if (!is_server) {
        diag_reportf(reporter, item->line, item->column,
                     "an 'on %s' hook belongs to the server, not to a site", word);
    } else if (std::strcmp(word, kServerHookDrain) != 0) {
        diag_reportf(reporter, item->line, item->column,
                     "unknown hook 'on %s' (only 'on drain' exists)", word);
    }
}

} // namespace

void format_server_label(char* buffer, const char* name) {
    std::snprintf(buffer, BLOCK_LABEL_SIZE, "server '%s'", text_or_empty(name));
}

void format_site_label(char* buffer, const char* name) {
    std::snprintf(buffer, BLOCK_LABEL_SIZE, "web '%s'", text_or_empty(name));
}

void check_block_options(DiagReporter* reporter, RecordFieldList options, const OptionSpec* specs,
                         size_t spec_count, const char* label, const char* hint, int32_t line,
                         int32_t column) {
    const bool use_set = options.count > kOptionScanLimit;
    std::unordered_set<std::string_view> seen;
    for (size_t i = 0; i < options.count; ++i) {
        const RecordField& option = options.items[i];
        const char* name = text_or_empty(option.name);
        bool repeated = use_set ? !seen.insert(name).second : named_earlier(options, i);
        const OptionSpec* spec = find_spec(specs, spec_count, name);
        if (spec == nullptr) {
            diag_reportf(reporter, line, column, "%s: unknown option '%s'", label, name);
            continue;
        }
        if (repeated) {
            diag_reportf(reporter, line, column, "%s: option '%s' given twice", label, name);
        }
        ExprKind kind = option.value ? option.value->kind : EXPR_NOTHING;
        if (kind != spec->kind) {
            diag_reportf(reporter, line, column,
                         "%s: option '%s' must be %s -- the block is registered before anything "
                         "runs, so an option here has nowhere to evaluate an expression; %s",
                         label, name, kind_phrase(spec->kind), hint);
        }
    }
}

void check_block_items(DiagReporter* reporter, const char* label, ServerItemList items,
                       int32_t is_server) {
    bool root_seen = false;
    RouteTable routes;
    route_table_init(&routes, items.count);
    for (size_t i = 0; i < items.count; ++i) {
        const ServerItem* item = items.items[i];
        if (item == nullptr) {
            continue;
        }
        switch (item->kind) {
        case ITEM_DIRECTIVE:
            check_directive(reporter, label, item, is_server != 0, &root_seen);
            break;
        case ITEM_HANDLER:
            check_handler(reporter, label, item, &routes);
            break;
        case ITEM_SITE:
            // The server checks its sites itself, after its own items.
            if (!is_server) {
                diag_reportf(reporter, item->line, item->column,
                             "a web block cannot contain another web block");
            }
            break;
        case ITEM_HOOK:
            check_hook(reporter, item, is_server != 0);
            break;
        }
    }
}

const char* site_string_option(RecordFieldList options, const char* name) {
    for (size_t i = 0; i < options.count; ++i) {
        const RecordField& option = options.items[i];
        if (same_text(option.name, name) && option.value != nullptr &&
            option.value->kind == EXPR_STRING) {
            return option.value->string.text;
        }
    }
    return nullptr;
}
