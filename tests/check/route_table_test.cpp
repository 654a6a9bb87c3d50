#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "ast/ast.h"
#include "check/report_limit.h"
#include "check/route_pattern.h"
#include "check/route_table.h"
#include "diag/diagnostic.h"
#include "tests/check/check_fixture.h"

namespace {

using check_test::Finding;
using check_test::findings_of;

struct Route {
    const char* verb;
    const char* path;
    int32_t line;
    int32_t param_count = 1;
    const char* end_word = nullptr; // null: closed by the verb
};

// Runs check_handler over the routes as the handlers of one block labelled
// "server 's'"; items live on the stack and borrow the strings.
std::vector<Finding> check_routes(const std::vector<Route>& routes) {
    std::vector<ServerItem> items(routes.size());
    std::vector<char*> param_names(routes.size() * 2, const_cast<char*>("req"));
    for (size_t i = 0; i < routes.size(); ++i) {
        ServerItem& item = items[i];
        item.kind = ITEM_HANDLER;
        item.word = const_cast<char*>(routes[i].verb);
        item.path = const_cast<char*>(routes[i].path);
        item.end_word = const_cast<char*>(routes[i].end_word ? routes[i].end_word : routes[i].verb);
        item.params.names = param_names.data();
        item.params.count = static_cast<size_t>(routes[i].param_count);
        item.line = routes[i].line;
        item.column = 5;
    }
    DiagnosticList list;
    diag_list_init(&list);
    DiagReporter reporter{&list, "doc.tv", 0};
    RouteTable table;
    route_table_init(&table, items.size());
    for (const ServerItem& item : items) {
        check_handler(&reporter, "server 's'", &item, &table);
    }
    std::vector<Finding> found = findings_of(&list);
    diag_list_free(&list);
    return found;
}

struct TableCase {
    const char* name;
    std::vector<Route> routes;
    std::vector<Finding> expected;
};

TEST(RouteTable, ConflictsAndHandlerChecks) {
    const std::vector<TableCase> cases = {
        {"stream counts as get",
         {{"get", "/a", 1}, {"stream", "/a", 4}},
         {{"server 's': duplicate route stream \"/a\" (first declared at line 1)", 4, 5}}},
        {"capture names play no part",
         {{"get", "/u/{id}", 1}, {"get", "/u/{name}", 4}},
         {{"server 's': 'get /u/{id}' and 'get /u/{name}' can never be told apart; dispatch "
           "would have to guess",
           4, 5}}},
        {"different verbs do not conflict",
         {{"get", "/u/{id}", 1}, {"post", "/u/{id}", 4}, {"head", "/u/{id}", 7}},
         {}},
        {"plain and greedy captures differ",
         {{"get", "/u/{id}", 1}, {"get", "/u/{rest...}", 4}},
         {}},
        {"length-prefixed literals do not collide",
         {{"get", "/ab/c", 1}, {"get", "/a/bc", 4}, {"get", "/a/b/c", 7}},
         {}},
        {"every earlier entry is compared, oldest first",
         {{"get", "/a/{x}", 1}, {"get", "/a/{y}", 4}, {"stream", "/a/{x}", 7}},
         {{"server 's': 'get /a/{x}' and 'get /a/{y}' can never be told apart; dispatch would "
           "have to guess",
           4, 5},
          {"server 's': duplicate route stream \"/a/{x}\" (first declared at line 1)", 7, 5},
          {"server 's': 'get /a/{y}' and 'stream /a/{x}' can never be told apart; dispatch would "
           "have to guess",
           7, 5}}},
        {"unknown verb stops and is never registered",
         {{"fetch", "/a//b", 1, 0, "post"},
          {"GET", "/a", 4},
          {"get", "/a//b", 7},
          {"get", "/a", 10}},
         {{"unknown verb 'fetch' (get, post, put, delete, patch, head, options, stream)", 1, 5},
          {"unknown verb 'GET' (get, post, put, delete, patch, head, options, stream)", 4, 5},
          {"get \"/a//b\": empty path segment", 7, 5}}},
        {"closing word and parameter count do not stop the checks",
         {{"get", "/x/", 1, 0, "post"}, {"get", "/y", 4, 2, "post"}, {"get", "/y", 7}},
         {{"get \"/x/\" is closed by 'end post'", 1, 5},
          {"get \"/x/\": a handler takes exactly (req)", 1, 5},
          {"get \"/x/\": a route path must not end with / ('/x/' and '/x' are different paths and "
           "this layer rewrites neither)",
           1, 5},
          {"get \"/y\" is closed by 'end post'", 4, 5},
          {"get \"/y\": a handler takes exactly (req)", 4, 5},
          {"server 's': duplicate route get \"/y\" (first declared at line 4)", 7, 5}}},
        {"invalid paths take no part in conflicts",
         {{"get", "/a/", 1}, {"get", "/a/", 4}},
         {{"get \"/a/\": a route path must not end with / ('/a/' and '/a' are different paths and "
           "this layer rewrites neither)",
           1, 5},
          {"get \"/a/\": a route path must not end with / ('/a/' and '/a' are different paths and "
           "this layer rewrites neither)",
           4, 5}}},
        {"root paths",
         {{"get", "/", 1}, {"options", "/", 4}, {"stream", "/", 7}},
         {{"server 's': duplicate route stream \"/\" (first declared at line 1)", 7, 5}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(check_routes(c.routes), c.expected);
    }
}

TEST(RouteTable, ThirdCopyDrawsOneMessagePerEarlierCopy) {
    auto found = check_routes({{"get", "/a", 1}, {"get", "/a", 4}, {"get", "/a", 7}});
    std::vector<Finding> expected = {
        {"server 's': duplicate route get \"/a\" (first declared at line 1)", 4, 5},
        {"server 's': duplicate route get \"/a\" (first declared at line 1)", 7, 5},
        {"server 's': duplicate route get \"/a\" (first declared at line 4)", 7, 5},
    };
    EXPECT_EQ(found, expected);
}

// Many copies of one route would draw a message for every pair; each copy
// names only the oldest CHECK_REPEAT_REPORT_LIMIT earlier ones.
TEST(RouteTable, RepeatMessagesPerHandlerAreBounded) {
    const int copies = CHECK_REPEAT_REPORT_LIMIT + 5;
    std::vector<Route> routes;
    for (int i = 0; i < copies; ++i) {
        routes.push_back({"get", "/same", 1 + 3 * i});
    }
    auto found = check_routes(routes);
    size_t expected_total = 0;
    for (int i = 0; i < copies; ++i) {
        expected_total +=
            static_cast<size_t>(i < CHECK_REPEAT_REPORT_LIMIT ? i : CHECK_REPEAT_REPORT_LIMIT);
    }
    ASSERT_EQ(found.size(), expected_total);
    // The last copy names the first CHECK_REPEAT_REPORT_LIMIT copies, in order.
    for (int k = 0; k < CHECK_REPEAT_REPORT_LIMIT; ++k) {
        const Finding& f = found[found.size() - CHECK_REPEAT_REPORT_LIMIT + k];
        EXPECT_EQ(f.line, 1 + 3 * (copies - 1));
        EXPECT_EQ(f.message, "server 's': duplicate route get \"/same\" (first declared at line " +
                                 std::to_string(1 + 3 * k) + ")");
    }
}

} // namespace

namespace {

const char* const kPoolVerbs[] = {"get", "stream", "post", "fetch"};
const char* const kPoolPaths[] = {"/",      "/a",     "/a/{x}", "/a/{y}", "/a/{r...}", "/{x}",
                                  "/{y}/b", "/{z}/b", "/a/",    "/a//b",  "/ab",       "/a/b"};

std::vector<std::string> path_messages(const Route& route, RoutePattern* pattern, int32_t* valid) {
    ServerItem item{};
    item.kind = ITEM_HANDLER;
    item.word = const_cast<char*>(route.verb);
    item.path = const_cast<char*>(route.path);
    item.line = route.line;
    item.column = 5;
    DiagnosticList list;
    diag_list_init(&list);
    DiagReporter reporter{&list, "doc.tv", 0};
    *valid = check_route_path(&reporter, &item, pattern);
    std::vector<std::string> messages;
    for (const Finding& f : findings_of(&list)) {
        messages.push_back(f.message);
    }
    diag_list_free(&list);
    return messages;
}

// The plain rule: every handler is compared with every earlier valid one of
// the same conflict verb, oldest first, stopping after `limit` messages.
std::vector<Finding> all_pairs_reference(const std::vector<Route>& routes, size_t limit) {
    std::vector<Finding> found;
    std::vector<RoutePattern> patterns(routes.size());
    std::vector<int32_t> valid(routes.size(), 0);
    for (size_t i = 0; i < routes.size(); ++i) {
        const Route& r = routes[i];
        if (!route_verb_known(r.verb)) {
            found.push_back({std::string("unknown verb '") + r.verb +
                                 "' (get, post, put, delete, patch, head, options, stream)",
                             r.line, 5});
            continue;
        }
        for (const std::string& m : path_messages(r, &patterns[i], &valid[i])) {
            found.push_back({m, r.line, 5});
        }
        size_t reported = 0;
        for (size_t j = 0; j < i && valid[i] && reported < limit; ++j) {
            const Route& e = routes[j];
            if (!valid[j] ||
                std::strcmp(route_conflict_verb(e.verb), route_conflict_verb(r.verb)) != 0) {
                continue;
            }
            if (std::strcmp(e.path, r.path) == 0) {
                found.push_back({std::string("server 's': duplicate route ") + r.verb + " \"" +
                                     r.path + "\" (first declared at line " +
                                     std::to_string(e.line) + ")",
                                 r.line, 5});
            } else if (patterns_indistinguishable(&patterns[j], &patterns[i])) {
                found.push_back({std::string("server 's': '") + e.verb + " " + e.path + "' and '" +
                                     r.verb + " " + r.path +
                                     "' can never be told apart; dispatch would have to guess",
                                 r.line, 5});
            } else {
                continue;
            }
            ++reported;
        }
    }
    return found;
}

// The grouped table must say exactly what the pairwise rule says, in the same
// order, both below the repeat bound (where nothing is left out) and above it.
TEST(RouteTable, AgreesWithThePairwiseRule) {
    std::mt19937 random(20260);
    int bounded_blocks = 0;
    int unbounded_blocks = 0;
    for (int block = 0; block < 300; ++block) {
        // Every other block draws from a narrow pool, so that some routes
        // repeat more than the bound allows.
        const bool narrow = block % 2 == 0;
        const size_t verb_count = narrow ? 2 : std::size(kPoolVerbs);
        const size_t path_count = narrow ? 4 : std::size(kPoolPaths);
        std::vector<Route> routes(1 + random() % 30);
        for (size_t i = 0; i < routes.size(); ++i) {
            routes[i] = {kPoolVerbs[random() % verb_count], kPoolPaths[random() % path_count],
                         static_cast<int32_t>(1 + 3 * i)};
        }
        std::vector<Finding> bounded = all_pairs_reference(routes, CHECK_REPEAT_REPORT_LIMIT);
        std::vector<Finding> unbounded = all_pairs_reference(routes, SIZE_MAX);
        (bounded == unbounded ? unbounded_blocks : bounded_blocks) += 1;
        ASSERT_EQ(check_routes(routes), bounded) << "block " << block;
    }
    // Both regimes were exercised.
    EXPECT_GT(bounded_blocks, 10);
    EXPECT_GT(unbounded_blocks, 10);
}

} // namespace
