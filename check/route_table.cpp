#include "check/route_table.h"

#include <cstring>

#include "ast/ast.h"
#include "check/report_limit.h"
#include "check/route_pattern.h"
#include "check/subject.h"
#include "diag/diagnostic.h"
#include "diag/memory.h"

namespace {

// Builds the group key: the conflict verb, then per segment its kind and,
// for literals, the length-prefixed bytes. Two routes get equal keys exactly
// when they share a conflict verb and match the same requests by shape:
// capture names play no part.
void build_group_key(std::string* key, const char* conflict_verb, const RoutePattern* pattern) {
    key->assign(conflict_verb);
    key->push_back('\0');
    for (int32_t i = 0; i < pattern->segment_count; ++i) {
        const RouteSegment& segment = pattern->segments[i];
        key->push_back(static_cast<char>('0' + segment.kind));
        if (segment.kind == SEGMENT_LITERAL) {
            uint32_t length = static_cast<uint32_t>(segment.length);
            key->append(reinterpret_cast<const char*>(&length), sizeof length);
            key->append(segment.text, static_cast<size_t>(segment.length));
        }
    }
}

// Reports the conflicts of the newest entry with the earlier members of its
// group, oldest first, then appends it to the group.
void report_conflicts(DiagReporter* reporter, const char* block_label, RouteTable* table,
                      RouteGroup* group, int32_t index) {
    const ServerItem* handler = table->entries[index].handler;
    const char* verb = text_or_empty(handler->word);
    const char* path = text_or_empty(handler->path);
    int32_t reported = 0;
    for (int32_t earlier_index = group->first;
         earlier_index >= 0 && reported < CHECK_REPEAT_REPORT_LIMIT;
         earlier_index = table->entries[earlier_index].next_in_group, ++reported) {
        const ServerItem* earlier = table->entries[earlier_index].handler;
        const char* earlier_path = text_or_empty(earlier->path);
        if (std::strcmp(earlier_path, path) == 0) {
            diag_reportf(reporter, handler->line, handler->column,
                         "%s: duplicate route %s \"%s\" (first declared at line %d)", block_label,
                         verb, path, earlier->line);
        } else {
            diag_reportf(reporter, handler->line, handler->column,
                         "%s: '%s %s' and '%s %s' can never be told apart; dispatch would have to "
                         "guess",
                         block_label, text_or_empty(earlier->word), earlier_path, verb, path);
        }
        diag_about(reporter, diag_part(DIAG_SUBJECT_ROUTE, handler->line, handler->column),
                   diag_part(DIAG_SUBJECT_ROUTE, earlier->line, earlier->column));
    }
    table->entries[group->last].next_in_group = index;
    group->last = index;
}

} // namespace

void route_table_init(RouteTable* table, size_t item_count) {
    table->entries.clear();
    table->groups.clear();
    table->entries.reserve(item_count > 0 ? item_count : 1);
}

void check_handler(DiagReporter* reporter, const char* block_label, const ServerItem* handler,
                   RouteTable* table) {
    const char* verb = handler->word;
    if (!route_verb_known(verb)) {
        diag_reportf(reporter, handler->line, handler->column,
                     "unknown verb '%s' (get, post, put, delete, patch, head, options, stream)",
                     text_or_empty(verb));
        diag_about(reporter, diag_part(DIAG_SUBJECT_ROUTE_VERB, handler->line, handler->column));
        return;
    }
    const char* path = text_or_empty(handler->path);
    if (handler->end_word != nullptr && std::strcmp(handler->end_word, verb) != 0) {
        diag_reportf(reporter, handler->line, handler->column, "%s \"%s\" is closed by 'end %s'",
                     verb, path, handler->end_word);
        diag_about(reporter, diag_part(DIAG_SUBJECT_END_WORD, handler->line, handler->column));
    }
    if (handler->params.count != 1) {
        diag_reportf(reporter, handler->line, handler->column,
                     "%s \"%s\": a handler takes exactly (req)", verb, path);
        diag_about(reporter, diag_part(DIAG_SUBJECT_ROUTE_PARAMETERS, handler->line, handler->column));
    }
    RoutePattern pattern;
    if (!check_route_path(reporter, handler, &pattern)) {
        return;
    }
    int32_t index = static_cast<int32_t>(table->entries.size());
    table->entries.push_back(RouteEntry{handler, -1});
    build_group_key(&table->key_buffer, route_conflict_verb(verb), &pattern);
    auto found = table->groups.find(table->key_buffer);
    if (found == table->groups.end()) {
        table->groups.emplace(table->key_buffer, RouteGroup{index, index});
        return;
    }
    report_conflicts(reporter, block_label, table, &found->second, index);
}
