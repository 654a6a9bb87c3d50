#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ast/ast.h"
#include "check/analysis.h"
#include "diag/diagnostic.h"
#include "tests/check/check_fixture.h"

namespace {

using check_test::Finding;
using check_test::findings_of;

struct Analysis {
    int32_t result;
    std::vector<Finding> findings;
    std::vector<Diagnostic> records; // shallow copies; strings are not kept
    bool program_filled;
};

Analysis analyze(const std::string& text) {
    DiagnosticList list;
    diag_list_init(&list);
    StmtList program{nullptr, 0};
    Analysis a{};
    a.result = analyze_document(text.c_str(), "file:///doc.tv", &list, &program);
    a.findings = findings_of(&list);
    for (size_t i = 0; i < diag_list_count(&list); ++i) {
        Diagnostic d = *diag_list_at(&list, i);
        d.path = nullptr;
        d.message = nullptr;
        a.records.push_back(d);
    }
    a.program_filled = program.count > 0;
    stmt_list_free(program);
    diag_list_free(&list);
    return a;
}

// Wraps handler lines in a server block starting on line 1.
std::string in_server(const std::string& items) {
    return "server s()\n" + items + "end server\n";
}

std::string route(const std::string& verb, const std::string& path,
                  const std::string& params = "req", const std::string& end_word = "") {
    return "    " + verb + " \"" + path + "\"(" + params + ")\n        print 1\n    end " +
           (end_word.empty() ? verb : end_word) + "\n";
}

struct SourceCase {
    const char* name;
    std::string text;
    std::vector<Finding> expected;
};

void run_source_cases(const std::vector<SourceCase>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Analysis a = analyze(c.text);
        EXPECT_EQ(a.findings, c.expected);
        EXPECT_EQ(a.result, c.expected.empty() ? 0 : 1);
        for (const Diagnostic& d : a.records) {
            EXPECT_EQ(d.kind, TV_DIAG_SERVER_BLOCK);
            EXPECT_EQ(d.severity, SEVERITY_ERROR);
        }
    }
}

std::string deep_path(int segments) {
    std::string path;
    for (int i = 0; i < segments; ++i) {
        path += "/p" + std::to_string(i);
    }
    return path;
}

TEST(AnalyzeSource, RoutePaths) {
    struct PathCase {
        std::string path;
        std::string message; // empty: valid
    };
    const std::vector<PathCase> paths = {
        {"/", ""},
        {"", "a route path must start with /"},
        {"users", "a route path must start with /"},
        {"/users/", "a route path must not end with / ('/users/' and '/users' are different paths "
                    "and this layer rewrites neither)"},
        {"/a//b", "empty path segment"},
        {deep_path(32), ""},
        {deep_path(33), "more than 32 path segments"},
        {"/{id", "malformed pattern segment '{id' (no closing })"},
        {"/x{id}", "malformed pattern segment 'x{id}' (a capture is a whole segment: /{name}/)"},
        {"/{a}b}", "malformed pattern segment '{a}b}' (the capture name must be an identifier)"},
        {"/{}", "malformed pattern segment '{}' (the capture name must be an identifier)"},
        {"/{...}", "malformed pattern segment '{...}' (the capture name must be an identifier)"},
        {"/{1st}", "malformed pattern segment '{1st}' (the capture name must be an identifier)"},
        {"/files/{rest...}", ""},
        {"/{rest...}/x",
         "puts {rest...} before the end; a greedy capture may only be the LAST segment"},
        {"/{id}/{id}", "repeats the capture name 'id'"},
        {"/caf\\u{e9}", ""},
    };
    for (const auto& p : paths) {
        SCOPED_TRACE(p.path);
        Analysis a = analyze(in_server(route("get", p.path)));
        if (p.message.empty()) {
            EXPECT_TRUE(a.findings.empty());
            EXPECT_EQ(a.result, 0);
        } else {
            std::vector<Finding> expected = {{"get \"" + p.path + "\": " + p.message, 2, 5}};
            EXPECT_EQ(a.findings, expected);
            EXPECT_EQ(a.result, 1);
        }
    }
}

TEST(AnalyzeSource, RouteConflictsAndHandlerShape) {
    run_source_cases({
        {"stream counts as get",
         in_server(route("get", "/a") + route("stream", "/a")),
         {{"server 's': duplicate route stream \"/a\" (first declared at line 2)", 5, 5}}},
        {"indistinguishable captures",
         in_server(route("get", "/u/{id}") + route("get", "/u/{name}") + route("post", "/u/{id}") +
                   route("get", "/u/{rest...}")),
         {{"server 's': 'get /u/{id}' and 'get /u/{name}' can never be told apart; dispatch would "
           "have to guess",
           5, 5}}},
        {"unknown verb stops and takes no part in conflicts",
         in_server(route("fetch", "/a//b", "", "post") + route("get", "/a//b")),
         {{"unknown verb 'fetch' (get, post, put, delete, patch, head, options, stream)", 2, 5},
          {"get \"/a//b\": empty path segment", 5, 5}}},
        {"closing word and parameter count",
         in_server(route("get", "/x", "req, res", "post") + route("put", "/y", "")),
         {{"get \"/x\" is closed by 'end post'", 2, 5},
          {"get \"/x\": a handler takes exactly (req)", 2, 5},
          {"put \"/y\": a handler takes exactly (req)", 5, 5}}},
    });
}

TEST(AnalyzeSource, OptionsDirectivesHooksAndSites) {
    const std::string hint =
        " -- the block is registered before anything runs, so an option here has nowhere to "
        "evaluate an expression; set it from configuration at serve time with web.configure(name, "
        "{ option: value })";
    run_source_cases({
        {"options",
         "server s(port: 80 + 1, colour: \"red\", inherit: true, inherit: yes)\nend server\n",
         {{"server 's': option 'port' must be a number literal" + hint, 1, 1},
          {"server 's': unknown option 'colour'", 1, 1},
          {"server 's': option 'inherit' given twice", 1, 1},
          {"server 's': option 'inherit' must be true or false" + hint, 1, 1}}},
        {"directives and hooks",
         "server s()\n    root \"/a\", \"/b\"\n    root \"/c\"\n    trust_proxy \"10.0.0.1\"\n"
         "    index \"x\"\n    on drain\n    end on\n    on start\n    end on\nend server\n",
         {{"server 's': root takes exactly one directory", 2, 5},
          {"server 's': root declared twice", 3, 5},
          {"server 's': unknown directive 'index' (root, trust_proxy)", 5, 5},
          {"unknown hook 'on start' (only 'on drain' exists)", 8, 5}}},
        {"sites",
         "server s()\n"
         "    web a(host: \"h\")\n        trust_proxy \"1.2.3.4\"\n        on drain\n        end "
         "on\n"
         "    end web\n"
         "    web b()\n    end web\n"
         "    web a(host: \"h\")\n        web inner(host: 1)\n            bogus \"x\"\n        end "
         "web\n"
         "    end web\n"
         "    site c(host: \"k\")\n    end web\n"
         "end server\n",
         {{"trust_proxy belongs to the server, not to a site: the direct peer is a fact of the "
           "listener",
           3, 9},
          {"an 'on drain' hook belongs to the server, not to a site", 4, 9},
          {"web 'b' needs a host: a named site exists to be told apart from its siblings by name",
           7, 5},
          {"web 'a' repeats host \"h\" (web 'a' already answers it)", 9, 5},
          {"web 'a' declared twice", 9, 5},
          {"a web block cannot contain another web block", 10, 9},
          {"unknown block 'site' inside server 's' (only 'web' exists)", 14, 5}}},
        {"servers declared twice, closing words",
         "server s()\nend server\nserver s()\nend serve\nserver t()\n    web w(host: \"h\")\n"
         "    end site\nend server\nserver s()\nend server\n",
         {{"server 's' declared twice", 3, 1},
          {"server 's' is closed by 'end serve'", 3, 1},
          {"web 'w' is closed by 'end site'", 6, 5},
          {"server 's' declared twice", 9, 1},
          {"server 's' declared twice", 9, 1}}},
        {"keywords other than server",
         "sub greet()\nend sub\nwidget w(port: \"x\")\n    get \"/\"(req)\n"
         "        server nested()\n        end server\n    end get\nend widget\n",
         {{"unknown declarative block 'sub' (only 'server' exists) -- Tovel has no such "
           "statement; a subroutine is a `function`",
           1, 1},
          {"unknown declarative block 'widget' (only 'server' exists)", 3, 1},
          {"a server block cannot be declared inside a handler", 5, 9}}},
    });
}

TEST(AnalyzeSource, NestingPhrases) {
    const std::string inner = "server x()\nend server\n";
    auto msg = [](const char* context) {
        return std::string("a server block cannot be declared inside ") + context;
    };
    run_source_cases({
        {"function",
         "for i = 1 to 2\nfunction f()\nif 1 then\n" + inner + "end if\nend function\nnext\n",
         {{msg("a function"), 4, 1}}},
        {"modifier",
         "modifier loud for text\n" + inner + "end modifier\n",
         {{msg("a modifier"), 2, 1}}},
        {"library", "library tools\n" + inner + "end library\n", {{msg("a library"), 2, 1}}},
        {"handler",
         "server s()\n    get \"/\"(req)\n" + inner + "    end get\nend server\n",
         {{msg("a handler"), 3, 1}}},
        {"hook",
         "server s()\n    on drain\n" + inner + "    end on\nend server\n",
         {{msg("a handler"), 3, 1}}},
        {"loop", "while 1\n" + inner + "end while\n", {{msg("a loop"), 2, 1}}},
        {"do loop", "do\n" + inner + "until 1\n", {{msg("a loop"), 2, 1}}},
        {"for each", "for x in xs\n" + inner + "next\n", {{msg("a loop"), 2, 1}}},
        {"watch", "watch a.b\n" + inner + "end watch\n", {{msg("a watch body"), 2, 1}}},
        {"without watchers",
         "without watchers\n" + inner + "end without\n",
         {{msg("a watch body"), 2, 1}}},
        {"lock", "with lock(r)\n" + inner + "end with\n", {{msg("a lock body"), 2, 1}}},
        {"principal",
         "with principal(p)\n" + inner + "end with\n",
         {{msg("a principal body"), 2, 1}}},
        {"branch",
         "if 1 then\n" + inner + "else\n" + inner + "end if\n",
         {{msg("a branch"), 2, 1}, {msg("a branch"), 5, 1}}},
        {"program block is top level",
         "program main()\n" + inner + "end program\n" + inner,
         {{"server 'x' declared twice", 5, 1}}},
    });
}

TEST(AnalysisPipeline, CheckerRunsOnlyAfterACleanParse) {
    // A syntax error: only the parser speaks, the bad route is not checked.
    Analysis broken = analyze(in_server(route("get", "users")) + "x = = 1\n");
    ASSERT_EQ(broken.records.size(), 1u);
    EXPECT_EQ(broken.records[0].kind, TV_DIAG_PARSE_ERROR);
    EXPECT_NE(broken.result, 0);
    EXPECT_FALSE(broken.program_filled);

    // A warning does not stop the parse: warning first, then the checker.
    Analysis warned = analyze("print \"a\\q\"\n" + in_server(route("get", "users")));
    ASSERT_EQ(warned.records.size(), 2u);
    EXPECT_EQ(warned.records[0].kind, TV_DIAG_STRING_LITERAL);
    EXPECT_EQ(warned.records[0].severity, SEVERITY_WARNING);
    EXPECT_EQ(warned.records[1].kind, TV_DIAG_SERVER_BLOCK);
    EXPECT_EQ(warned.findings[1], (Finding{"get \"users\": a route path must start with /", 3, 5}));
    EXPECT_EQ(warned.result, 1);
    EXPECT_TRUE(warned.program_filled);

    Analysis clean = analyze("print 1\n" + in_server(route("get", "/")));
    EXPECT_EQ(clean.result, 0);
    EXPECT_TRUE(clean.findings.empty());
    EXPECT_TRUE(clean.program_filled);
}

TEST(AnalysisPipeline, FirstLineOffsetsEveryPosition) {
    DiagnosticList list;
    diag_list_init(&list);
    StmtList program{nullptr, 0};
    std::string text = in_server(route("get", "/a/"));
    int32_t result = analyze_document_from_line(text.c_str(), "doc", 10, &list, &program);
    EXPECT_EQ(result, 1);
    ASSERT_EQ(diag_list_count(&list), 1u);
    EXPECT_EQ(diag_list_at(&list, 0)->span.start_line, 11);
    EXPECT_STREQ(diag_list_at(&list, 0)->path, "doc");
    stmt_list_free(program);
    diag_list_free(&list);
}

} // namespace

namespace {

// Only the literal itself is accepted as an option value; anything the block
// would have to evaluate is refused with the kind it must have.
TEST(AnalyzeSource, OptionValueKinds) {
    struct Case {
        std::string option;
        std::string value;
        const char* required; // null: accepted
    };
    const std::vector<Case> cases = {
        {"port", "8080", nullptr},
        {"port", "(8080)", nullptr},
        {"workers", "2.5", nullptr},
        {"port", "-1", "a number literal"},
        {"port", "80 * 2", "a number literal"},
        {"port", "base_port", "a number literal"},
        {"workers", "count()", "a number literal"},
        {"timeout", "30 seconds", "a number literal"},
        {"timeout", "\"30\"", "a number literal"},
        {"address", "\"0.0.0.0\"", nullptr},
        {"address", "\"0.0.\" + \"0.0\"", "a string literal"},
        {"cert", "nothing", "a string literal"},
        {"key", "[\"k\"]", "a string literal"},
        {"inherit", "false", nullptr},
        {"inherit", "not false", "true or false"},
        {"inherit", "1", "true or false"},
    };
    for (const Case& c : cases) {
        std::string text = "server s(" + c.option + ": " + c.value + ")\nend server\n";
        SCOPED_TRACE(text);
        Analysis a = analyze(text);
        std::vector<Finding> expected;
        if (c.required != nullptr) {
            expected.push_back(
                {"server 's': option '" + c.option + "' must be " + c.required +
                     " -- the block is registered before anything runs, so an option here has "
                     "nowhere to evaluate an expression; set it from configuration at serve time "
                     "with web.configure(name, { option: value })",
                 1, 1});
        }
        EXPECT_EQ(a.findings, expected);
    }
}

} // namespace
