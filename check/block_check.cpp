#include "check/block_check.h"

#include <cstdio>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "check/route_table.h"
#include "check/subject.h"
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

// The first option before `index` under the same name, or -1.
int32_t named_earlier(RecordFieldList options, size_t index) {
    for (size_t i = 0; i < index; ++i) {
        if (same_text(options.items[i].name, options.items[index].name)) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

DiagPart part_of(const ServerItem* item, DiagSubjectKind kind) {
    return diag_part(kind, item->line, item->column);
}

void check_directive(DiagReporter* reporter, const char* label, const ServerItem* item,
                     bool is_server, const ServerItem** root_seen) {
    const char* word = text_or_empty(item->word);
    if (std::strcmp(word, kDirectiveRoot) == 0) {
        if (item->values.count != 1) {
            diag_reportf(reporter, item->line, item->column, "%s: root takes exactly one directory",
                         label);
            diag_about(reporter, part_of(item, item->values.count == 0 ? DIAG_SUBJECT_DIRECTIVE_WORD
                                                                       : DIAG_SUBJECT_DIRECTIVE_ARGUMENTS));
        }
        if (*root_seen != nullptr) {
            diag_reportf(reporter, item->line, item->column, "%s: root declared twice", label);
            diag_about(reporter, part_of(item, DIAG_SUBJECT_DIRECTIVE_WORD),
                       part_of(*root_seen, DIAG_SUBJECT_DIRECTIVE_WORD));
        } else {
            *root_seen = item;
        }
    } else if (std::strcmp(word, kDirectiveTrustProxy) == 0) {
        if (!is_server) {
            diag_reportf(reporter, item->line, item->column,
                         "trust_proxy belongs to the server, not to a site: the direct peer is a "
                         "fact of the listener");
            diag_about(reporter, part_of(item, DIAG_SUBJECT_DIRECTIVE_WORD));
        } else if (item->values.count == 0) {
            diag_reportf(reporter, item->line, item->column,
                         "trust_proxy needs at least one proxy address");
            diag_about(reporter, part_of(item, DIAG_SUBJECT_DIRECTIVE_WORD));
        }
    } else {
        diag_reportf(reporter, item->line, item->column,
                     "%s: unknown directive '%s' (root, trust_proxy)", label, word);
        diag_about(reporter, part_of(item, DIAG_SUBJECT_DIRECTIVE_WORD));
    }
}

void check_hook(DiagReporter* reporter, const ServerItem* item, bool is_server) {
    const char* word = text_or_empty(item->word);
    if (!is_server) {
        diag_reportf(reporter, item->line, item->column,
                     "an 'on %s' hook belongs to the server, not to a site", word);
        diag_about(reporter, part_of(item, DIAG_SUBJECT_HOOK_NAME));
    } else if (std::strcmp(word, kServerHookDrain) != 0) {
        diag_reportf(reporter, item->line, item->column,
                     "unknown hook 'on %s' (only 'on drain' exists)", word);
        diag_about(reporter, part_of(item, DIAG_SUBJECT_HOOK_NAME));
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
    std::unordered_map<std::string_view, int32_t> first_named;
    for (size_t i = 0; i < options.count; ++i) {
        const RecordField& option = options.items[i];
        const char* name = text_or_empty(option.name);
        int32_t at = static_cast<int32_t>(i);
        int32_t earlier = use_set ? first_named.try_emplace(name, at).first->second : named_earlier(options, i);
        if (earlier == at) earlier = -1;
        const OptionSpec* spec = find_spec(specs, spec_count, name);
        if (spec == nullptr) {
            diag_reportf(reporter, line, column, "%s: unknown option '%s'", label, name);
            diag_about(reporter, diag_part(DIAG_SUBJECT_OPTION_NAME, line, column, at));
            continue;
        }
        if (earlier >= 0) {
            diag_reportf(reporter, line, column, "%s: option '%s' given twice", label, name);
            diag_about(reporter, diag_part(DIAG_SUBJECT_OPTION_NAME, line, column, at),
                       diag_part(DIAG_SUBJECT_OPTION_NAME, line, column, earlier));
        }
        ExprKind kind = option.value ? option.value->kind : EXPR_NOTHING;
        if (kind != spec->kind) {
            diag_reportf(reporter, line, column,
                         "%s: option '%s' must be %s -- the block is registered before anything "
                         "runs, so an option here has nowhere to evaluate an expression; %s",
                         label, name, kind_phrase(spec->kind), hint);
            diag_about(reporter, diag_part(DIAG_SUBJECT_OPTION_VALUE, line, column, at));
        }
    }
}

void check_block_items(DiagReporter* reporter, const char* label, ServerItemList items,
                       int32_t is_server) {
    const ServerItem* root_seen = nullptr;
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
                diag_about(reporter, part_of(item, DIAG_SUBJECT_BLOCK_WORD));
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
