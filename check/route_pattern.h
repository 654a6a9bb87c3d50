// Route path patterns of server and web blocks: the verb vocabulary, the
// parsed shape of a path, its validation and the shape comparison used to
// find routes that dispatch could never tell apart.
#pragma once

#include <cstdint>

struct DiagReporter;
struct ServerItem;

enum SegmentKind : int32_t {
    SEGMENT_GREEDY = 0,  // {name...}: matches the rest of the path
    SEGMENT_CAPTURE = 1, // {name}: matches one segment
    SEGMENT_LITERAL = 2, // plain text: matches itself
};

constexpr int32_t ROUTE_MAX_SEGMENTS = 32;

// One segment: a view of its raw bytes between the slashes (braces and
// dots included), not terminated.
struct RouteSegment {
    SegmentKind kind;
    const char* text;
    int32_t length;
};

// Borrows the handler's path string; lives only while one block is checked.
struct RoutePattern {
    int32_t segment_count;
    RouteSegment segments[ROUTE_MAX_SEGMENTS];
};

// The verbs a route may use, in the order the checker's message lists them.
constexpr const char* kRouteVerbs[] = {"get",   "post", "put",     "delete",
                                       "patch", "head", "options", "stream"};

int32_t route_verb_known(const char* verb);

// "stream" answers GET requests, so it conflicts with "get".
const char* route_conflict_verb(const char* verb);

int32_t is_capture_identifier(const char* text, int32_t length);

// Fills `pattern` from the handler's path. Returns 1 when the path is valid;
// otherwise reports the first problem at the handler and returns 0.
int32_t check_route_path(DiagReporter* reporter, const ServerItem* handler, RoutePattern* pattern);

// ---- Reference form ------------------------------------------------------
// The definition the fast path is held to, not what the checker runs: the
// route table (route_table.h) finds the same conflicts through group keys
// in linear time, and tests compare the two on random blocks.

// True when two valid patterns match the same requests by shape: capture
// names play no part.
int32_t patterns_indistinguishable(const RoutePattern* a, const RoutePattern* b);
