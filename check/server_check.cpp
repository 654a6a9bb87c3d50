#include "check/server_check.h"

#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ast/ast.h"
#include "check/block_check.h"
#include "check/report_limit.h"
#include "check/subject.h"
#include "diag/diagnostic.h"
#include "diag/memory.h"
#include "diag/messages.h"

namespace {

bool differs(const char* word, const char* expected) {
    return word != nullptr && std::strcmp(word, expected) != 0;
}

// Sites met so far in one server, looked up by host and by name. Every site
// item takes part, whatever its keyword; sites sharing a host are chained
// oldest first so each repeat names the sites it collides with.
struct SiteIndex {
    struct Chain {
        int32_t first;
        int32_t last;
    };
    std::vector<const ServerItem*> sites;
    std::vector<int32_t> next_same_host;
    std::unordered_map<std::string_view, Chain> hosts;
    std::unordered_map<std::string_view, int32_t> name_counts;
    std::unordered_map<std::string_view, const ServerItem*> first_named;
};

// The place of option `name` among `options` (the last one given), or 0.
int32_t option_index(RecordFieldList options, const char* name) {
    int32_t found = 0;
    for (size_t i = 0; i < options.count; ++i) {
        if (options.items[i].name != nullptr && std::strcmp(options.items[i].name, name) == 0) found = static_cast<int32_t>(i);
    }
    return found;
}

void report_repeated_host(DiagReporter* reporter, const SiteIndex& index, const ServerItem* site,
                          const char* host) {
    auto found = index.hosts.find(host);
    if (found == index.hosts.end()) {
        return;
    }
    int32_t reported = 0;
    for (int32_t earlier = found->second.first;
         earlier >= 0 && reported < CHECK_REPEAT_REPORT_LIMIT;
         earlier = index.next_same_host[earlier], ++reported) {
        const ServerItem* first = index.sites[earlier];
        diag_reportf(reporter, site->line, site->column,
                     "web '%s' repeats host \"%s\" (web '%s' already answers it)",
                     text_or_empty(site->name), host, text_or_empty(first->name));
        int32_t host_option = option_index(site->options, "host");
        diag_about(reporter, diag_part(DIAG_SUBJECT_OPTION_VALUE, site->line, site->column, host_option),
                   diag_part(DIAG_SUBJECT_OPTION_VALUE, first->line, first->column,
                             option_index(first->options, "host")));
    }
}

void report_repeated_name(DiagReporter* reporter, const SiteIndex& index, const ServerItem* site) {
    auto found = index.name_counts.find(text_or_empty(site->name));
    if (found == index.name_counts.end()) {
        return;
    }
    int32_t times =
        found->second < CHECK_REPEAT_REPORT_LIMIT ? found->second : CHECK_REPEAT_REPORT_LIMIT;
    const ServerItem* first = index.first_named.at(text_or_empty(site->name));
    for (int32_t i = 0; i < times; ++i) {
        diag_reportf(reporter, site->line, site->column, "web '%s' declared twice",
                     text_or_empty(site->name));
        diag_about(reporter, diag_part(DIAG_SUBJECT_BLOCK_NAME, site->line, site->column),
                   diag_part(DIAG_SUBJECT_BLOCK_NAME, first->line, first->column));
    }
}

void remember_site(SiteIndex* index, const ServerItem* site, const char* host) {
    int32_t position = static_cast<int32_t>(index->sites.size());
    index->sites.push_back(site);
    index->next_same_host.push_back(-1);
    if (host != nullptr) {
        auto [entry, inserted] =
            index->hosts.try_emplace(host, SiteIndex::Chain{position, position});
        if (!inserted) {
            index->next_same_host[entry->second.last] = position;
            entry->second.last = position;
        }
    }
    ++index->name_counts[text_or_empty(site->name)];
    index->first_named.try_emplace(text_or_empty(site->name), site);
}

void check_site(DiagReporter* reporter, const Stmt* server, const ServerItem* site,
                const SiteIndex& index, const char* host) {
    const char* server_name = text_or_empty(server->server.name);
    const char* site_name = text_or_empty(site->name);
    if (differs(site->word, "web") || site->word == nullptr) {
        diag_reportf(reporter, site->line, site->column,
                     "unknown block '%s' inside server '%s' (only 'web' exists)",
                     text_or_empty(site->word), server_name);
        diag_about(reporter, diag_part(DIAG_SUBJECT_BLOCK_WORD, site->line, site->column));
        return;
    }
    if (differs(site->end_word, "web")) {
        diag_reportf(reporter, site->line, site->column, "web '%s' is closed by 'end %s'",
                     site_name, site->end_word);
        diag_about(reporter, diag_part(DIAG_SUBJECT_END_WORD, site->line, site->column));
    }
    char label[BLOCK_LABEL_SIZE];
    format_site_label(label, site->name);
    check_block_options(reporter, site->options, kSiteOptionSpecs, kSiteOptionSpecCount, label,
                        kSiteOptionHint, site->line, site->column);
    if (host == nullptr) {
        diag_reportf(reporter, site->line, site->column,
                     "web '%s' needs a host: a named site exists to be told apart from its "
                     "siblings by name",
                     site_name);
        diag_about(reporter, diag_part(DIAG_SUBJECT_BLOCK_NAME, site->line, site->column));
    } else {
        report_repeated_host(reporter, index, site, host);
    }
    report_repeated_name(reporter, index, site);
    check_block_items(reporter, label, site->items, 0);
}

} // namespace

void check_server(DiagReporter* reporter, const Stmt* server) {
    const StmtServer& block = server->server;
    const int32_t line = server->span.start_line;
    const int32_t column = server->span.start_column;
    if (block.keyword == nullptr || std::strcmp(block.keyword, "server") != 0) {
        char message[UNKNOWN_BLOCK_MESSAGE_SIZE];
        format_unknown_block_message(message, sizeof message, block.keyword);
        diag_reportf(reporter, line, column, "%s", message);
        diag_about(reporter, diag_part(DIAG_SUBJECT_BLOCK_WORD, line, column));
        return;
    }
    if (differs(block.end_word, "server")) {
        diag_reportf(reporter, line, column, "server '%s' is closed by 'end %s'",
                     text_or_empty(block.name), block.end_word);
        diag_about(reporter, diag_part(DIAG_SUBJECT_END_WORD, line, column));
    }
    char label[BLOCK_LABEL_SIZE];
    format_server_label(label, block.name);
    check_block_options(reporter, block.options, kServerOptionSpecs, kServerOptionSpecCount, label,
                        kServerOptionHint, line, column);
    check_block_items(reporter, label, block.items, 1);

    SiteIndex index;
    for (size_t i = 0; i < block.items.count; ++i) {
        const ServerItem* site = block.items.items[i];
        if (site == nullptr || site->kind != ITEM_SITE) {
            continue;
        }
        const char* host = site_string_option(site->options, "host");
        check_site(reporter, server, site, index, host);
        remember_site(&index, site, host);
    }
}
