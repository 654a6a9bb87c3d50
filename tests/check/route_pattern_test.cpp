#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ast/ast.h"
#include "check/route_pattern.h"
#include "diag/diagnostic.h"
#include "tests/check/check_fixture.h"

namespace {

using check_test::findings_of;

struct PathResult {
    int32_t valid;
    RoutePattern pattern;
    std::vector<std::string> messages;
};

// Validates `path` as the path of a get handler at 3:5; the item lives on the
// stack and borrows the strings.
PathResult check_path(const char* path) {
    ServerItem item{};
    item.kind = ITEM_HANDLER;
    item.word = const_cast<char*>("get");
    item.path = const_cast<char*>(path);
    item.line = 3;
    item.column = 5;
    DiagnosticList list;
    diag_list_init(&list);
    DiagReporter reporter{&list, "doc.tv", 0};
    PathResult result{};
    result.valid = check_route_path(&reporter, &item, &result.pattern);
    for (const auto& finding : findings_of(&list)) {
        EXPECT_EQ(finding.line, 3);
        EXPECT_EQ(finding.column, 5);
        result.messages.push_back(finding.message);
    }
    EXPECT_EQ(reporter.count, static_cast<int32_t>(result.messages.size()));
    diag_list_free(&list);
    return result;
}

std::string segments_path(int count) {
    std::string path;
    for (int i = 0; i < count; ++i) {
        path += "/s" + std::to_string(i);
    }
    return path;
}

struct BadPathCase {
    std::string path;
    const char* message; // after the `get "<path>": ` prefix unless it starts with '!'
};

TEST(RoutePath, ReportsTheFirstProblemOfAPath) {
    const std::vector<BadPathCase> cases = {
        {"", "a route path must start with /"},
        {"users", "a route path must start with /"},
        {"users/", "a route path must start with /"},
        {"/users/",
         "a route path must not end with / ('/users/' and '/users' are different paths and this "
         "layer rewrites neither)"},
        {"//", "a route path must not end with / ('//' and '/' are different paths and this layer "
               "rewrites neither)"},
        {"/{id}/x/", "a route path must not end with / ('/{id}/x/' and '/{id}/x' are different "
                     "paths and this layer rewrites neither)"},
        {"/a//b", "empty path segment"},
        {"/a//{id", "empty path segment"},
        {segments_path(33), "more than 32 path segments"},
        {segments_path(40), "more than 32 path segments"},
        {"/{id", "malformed pattern segment '{id' (no closing })"},
        {"/{", "malformed pattern segment '{' (no closing })"},
        {"/x{id}", "malformed pattern segment 'x{id}' (a capture is a whole segment: /{name}/)"},
        {"/a}", "malformed pattern segment 'a}' (a capture is a whole segment: /{name}/)"},
        {"/{a}b}", "malformed pattern segment '{a}b}' (the capture name must be an identifier)"},
        {"/{}", "malformed pattern segment '{}' (the capture name must be an identifier)"},
        {"/{...}", "malformed pattern segment '{...}' (the capture name must be an identifier)"},
        {"/{....}", "malformed pattern segment '{....}' (the capture name must be an identifier)"},
        {"/{1st}", "malformed pattern segment '{1st}' (the capture name must be an identifier)"},
        {"/{na-me}",
         "malformed pattern segment '{na-me}' (the capture name must be an identifier)"},
        {"/{\xc3\xa9}",
         "malformed pattern segment '{\xc3\xa9}' (the capture name must be an identifier)"},
        {"/{rest...}/x",
         "puts {rest...} before the end; a greedy capture may only be the LAST segment"},
        {"/{id}/{id}", "repeats the capture name 'id'"},
        {"/{a}/b/{c}/{a...}", "repeats the capture name 'a'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        PathResult result = check_path(c.path.c_str());
        EXPECT_EQ(result.valid, 0);
        ASSERT_EQ(result.messages.size(), 1u);
        EXPECT_EQ(result.messages[0], "get \"" + c.path + "\": " + c.message);
    }
}

TEST(RoutePath, MissingPathIsReportedAsEmpty) {
    PathResult result = check_path(nullptr);
    EXPECT_EQ(result.valid, 0);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0], "get \"\": a route path must start with /");
}

struct GoodPathCase {
    std::string path;
    std::vector<SegmentKind> kinds;
};

TEST(RoutePath, ValidPathsRecordTheirSegments) {
    const SegmentKind L = SEGMENT_LITERAL, C = SEGMENT_CAPTURE, G = SEGMENT_GREEDY;
    const std::vector<GoodPathCase> cases = {
        {"/", {}},
        {"/users", {L}},
        {"/users/{id}", {L, C}},
        {"/files/{rest...}", {L, G}},
        {"/{a...}", {G}},
        {"/{_a1}/{idx}/{id}", {C, C, C}},
        {"/v1/x.y/...", {L, L, L}},
        {segments_path(32), std::vector<SegmentKind>(32, L)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        PathResult result = check_path(c.path.c_str());
        EXPECT_EQ(result.valid, 1);
        EXPECT_TRUE(result.messages.empty());
        ASSERT_EQ(result.pattern.segment_count, static_cast<int32_t>(c.kinds.size()));
        for (size_t i = 0; i < c.kinds.size(); ++i) {
            EXPECT_EQ(result.pattern.segments[i].kind, c.kinds[i]) << "segment " << i;
        }
    }
}

TEST(RoutePath, SegmentsAreRawViewsIntoThePath) {
    const char* path = "/files/{rest...}";
    PathResult result = check_path(path);
    ASSERT_EQ(result.pattern.segment_count, 2);
    EXPECT_EQ(result.pattern.segments[0].text, path + 1);
    EXPECT_EQ(result.pattern.segments[0].length, 5);
    EXPECT_EQ(result.pattern.segments[1].text, path + 7);
    EXPECT_EQ(result.pattern.segments[1].length, 9);
}

TEST(RoutePath, OverlongMessageIsCutNotOverrun) {
    std::string path = "/" + std::string(2000, 'a') + "/";
    PathResult result = check_path(path.c_str());
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0].size(), 511u);
    EXPECT_EQ(result.messages[0].rfind("get \"/aaa", 0), 0u);
}

TEST(RoutePath, CaptureIdentifierRule) {
    struct Case {
        const char* text;
        int32_t expected;
    };
    const Case cases[] = {{"a", 1},   {"_", 1},   {"Z9_z", 1}, {"", 0},         {"9a", 0},
                          {"a-b", 0}, {"a b", 0}, {"a.", 0},   {"\xc3\xa9", 0}, {"a\x80", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(is_capture_identifier(c.text, static_cast<int32_t>(std::strlen(c.text))),
                  c.expected)
            << c.text;
    }
    EXPECT_EQ(is_capture_identifier("abc", 0), 0);
}

TEST(RouteVerbs, KnownVerbsAndConflictVerb) {
    for (const char* verb :
         {"get", "post", "put", "delete", "patch", "head", "options", "stream"}) {
        EXPECT_EQ(route_verb_known(verb), 1) << verb;
    }
    for (const char* verb : {"GET", "Get", "fetch", "", "gets"}) {
        EXPECT_EQ(route_verb_known(verb), 0) << verb;
    }
    EXPECT_STREQ(route_conflict_verb("stream"), "get");
    EXPECT_STREQ(route_conflict_verb("head"), "head");
    EXPECT_STREQ(route_conflict_verb("get"), "get");
}

TEST(RoutePattern, IndistinguishableByShapeOnly) {
    struct Case {
        const char* a;
        const char* b;
        int32_t expected;
    };
    const Case cases[] = {
        {"/", "/", 1},
        {"/u/{id}", "/u/{name}", 1},
        {"/{a...}", "/{b...}", 1},
        {"/a/b", "/a/b", 1},
        {"/u/{id}", "/u/{rest...}", 0},
        {"/u/{id}", "/u/id", 0},
        {"/a/b", "/a/c", 0},
        {"/a", "/ab", 0},
        {"/a", "/a/b", 0},
        {"/", "/a", 0},
    };
    for (const auto& c : cases) {
        PathResult a = check_path(c.a);
        PathResult b = check_path(c.b);
        ASSERT_EQ(a.valid, 1);
        ASSERT_EQ(b.valid, 1);
        EXPECT_EQ(patterns_indistinguishable(&a.pattern, &b.pattern), c.expected)
            << c.a << " vs " << c.b;
        EXPECT_EQ(patterns_indistinguishable(&b.pattern, &a.pattern), c.expected)
            << c.b << " vs " << c.a;
    }
}

} // namespace
