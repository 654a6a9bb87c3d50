#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ast/ast.h"
#include "check/report_limit.h"
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
