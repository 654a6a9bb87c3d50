// Per-block route table: every handler of one server or web block with a
// known verb and a valid path, in item order, and the index that finds
// earlier routes with the same dispatch shape without comparing against
// every earlier route.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

struct DiagReporter;
struct ServerItem;

struct RouteEntry {
    const ServerItem* handler;
    int32_t next_in_group; // next later entry with the same verb and shape, or -1
};

// Entries are chained per (conflict verb, shape) group, oldest first. Two
// routes conflict exactly when they share a group, so a new route visits
// only the routes it conflicts with.
struct RouteGroup {
    int32_t first;
    int32_t last;
};

struct RouteTable {
    std::vector<RouteEntry> entries;
    std::unordered_map<std::string, RouteGroup> groups;
    std::string key_buffer; // reused while building a group key
};

// Fresh table for a block with `item_count` items (handlers are a subset).
void route_table_init(RouteTable* table, size_t item_count);

// All checks of one handler item, including its registration in the table.
// `block_label` names the block ("server 'api'", "web 'docs'").
void check_handler(DiagReporter* reporter, const char* block_label, const ServerItem* handler,
                   RouteTable* table);
