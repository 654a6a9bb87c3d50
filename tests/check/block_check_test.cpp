#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/block_check.h"
#include "check/report_limit.h"
#include "tests/check/check_fixture.h"

namespace {

using namespace check_test;

const std::string kServerHint =
    "set it from configuration at serve time with web.configure(name, { option: value })";
const std::string kSiteHint =
    "a site option stays in the source: `host` is read here to refuse two sites claiming one name";

std::string must_be(const std::string& label, const std::string& option, const std::string& kind,
                    const std::string& hint) {
    return label + ": option '" + option + "' must be " + kind +
           " -- the block is registered before anything runs, so an option here has nowhere to "
           "evaluate an expression; " +
           hint;
}

RecordFieldList host(const char* name) {
    return options_of({{"host", str(name)}});
}

struct TreeCase {
    const char* name;
    StmtList program;
    std::vector<Finding> expected;
};

void run_cases(const std::vector<TreeCase>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(check_tree(c.program), c.expected);
    }
}

TEST(ServerOptions, KindsNamesAndRepeats) {
    run_cases({
        {"no server, nothing to say", stmts({at(stmt_print(str("hi")), 1)}), {}},
        {"all options well formed",
         stmts({server("s",
                       options_of({{"port", num(80)},
                                   {"address", str("0.0.0.0")},
                                   {"inherit", boolean(true)},
                                   {"workers", num(4)},
                                   {"timeout", num(30)},
                                   {"cert", str("c.pem")},
                                   {"key", str("k.pem")}}),
                       {}, 2)}),
         {}},
        {"string where a number belongs",
         stmts({server("s", options_of({{"port", str("80")}}), {}, 2)}),
         {{must_be("server 's'", "port", "a number literal", kServerHint), 2, 1}}},
        {"arithmetic is not a literal",
         stmts({server("s", options_of({{"port", sum(num(80), num(1))}}), {}, 2)}),
         {{must_be("server 's'", "port", "a number literal", kServerHint), 2, 1}}},
        {"identifier where a boolean belongs; nothing where a string belongs",
         stmts({server("s", options_of({{"inherit", ident("yes")}, {"cert", expr_nothing()}}), {},
                       2)}),
         {{must_be("server 's'", "inherit", "true or false", kServerHint), 2, 1},
          {must_be("server 's'", "cert", "a string literal", kServerHint), 2, 1}}},
        {"unknown options are reported every time, never as repeats",
         stmts(
             {server("s", options_of({{"colour", num(1)}, {"host", str("x")}, {"colour", num(1)}}),
                     {}, 2)}),
         {{"server 's': unknown option 'colour'", 2, 1},
          {"server 's': unknown option 'host'", 2, 1},
          {"server 's': unknown option 'colour'", 2, 1}}},
        {"repeat with good values draws only the repeat",
         stmts({server("s", options_of({{"port", num(80)}, {"port", num(81)}}), {}, 2)}),
         {{"server 's': option 'port' given twice", 2, 1}}},
        {"repeat with a bad value draws both, once each",
         stmts({server("s", options_of({{"port", num(80)}, {"port", str("x")}, {"port", num(1)}}),
                       {}, 2)}),
         {{"server 's': option 'port' given twice", 2, 1},
          {must_be("server 's'", "port", "a number literal", kServerHint), 2, 1},
          {"server 's': option 'port' given twice", 2, 1}}},
    });
}

TEST(ServerOptions, ManyOptionsStillFindRepeats) {
    // Past a handful of options repeats are found through a set; the result
    // must not change.
    RecordFieldList options = field_list_empty();
    for (int i = 0; i < 40; ++i) {
        options = field_list_append(options, dup(i % 2 == 0 ? "port" : "key"),
                                    i % 2 == 0 ? num(i) : str("k"));
    }
    auto found = check_tree(stmts({server("s", options, {}, 1)}));
    ASSERT_EQ(found.size(), 38u);
    EXPECT_EQ(found[0].message, "server 's': option 'port' given twice");
    EXPECT_EQ(found[1].message, "server 's': option 'key' given twice");
}

TEST(SiteOptions, HostsAndNames) {
    run_cases({
        {"site without a host",
         stmts({server("s", {}, {site("docs", {}, {}, 3)}, 1)}),
         {{"web 'docs' needs a host: a named site exists to be told apart from its siblings by "
           "name",
           3, 5}}},
        {"host given as a number",
         stmts({server("s", {}, {site("docs", options_of({{"host", num(1)}}), {}, 3)}, 1)}),
         {{must_be("web 'docs'", "host", "a string literal", kSiteHint), 3, 5},
          {"web 'docs' needs a host: a named site exists to be told apart from its siblings by "
           "name",
           3, 5}}},
        {"a later string host counts",
         stmts({server("s", {},
                       {site("docs", options_of({{"host", num(1)}, {"host", str("d.x")}}), {}, 3)},
                       1)}),
         {{must_be("web 'docs'", "host", "a string literal", kSiteHint), 3, 5},
          {"web 'docs': option 'host' given twice", 3, 5}}},
        {"server-only option in a site",
         stmts({server("s", {},
                       {site("docs", options_of({{"host", str("d")}, {"port", num(1)}}), {}, 3)},
                       1)}),
         {{"web 'docs': unknown option 'port'", 3, 5}}},
        {"repeated hosts name every earlier holder",
         stmts({server("s", {},
                       {site("a", host("h"), {}, 3), site("b", host("other"), {}, 6),
                        site("c", host("h"), {}, 9), site("d", host("h"), {}, 12)},
                       1)}),
         {{"web 'c' repeats host \"h\" (web 'a' already answers it)", 9, 5},
          {"web 'd' repeats host \"h\" (web 'a' already answers it)", 12, 5},
          {"web 'd' repeats host \"h\" (web 'c' already answers it)", 12, 5}}},
        {"equal hosts in different servers do not conflict",
         stmts({server("s", {}, {site("a", host("h"), {}, 3)}, 1),
                server("t", {}, {site("a", host("h"), {}, 7)}, 5)}),
         {}},
        {"site declared twice",
         stmts({server("s", {},
                       {site("a", host("h1"), {}, 3), site("a", host("h2"), {}, 6),
                        site("a", host("h3"), {}, 9)},
                       1)}),
         {{"web 'a' declared twice", 6, 5},
          {"web 'a' declared twice", 9, 5},
          {"web 'a' declared twice", 9, 5}}},
        {"a block that is not web is skipped but still claims its host and name",
         stmts({server("s", {},
                       {site("a", host("h"), {directive("bogus", {"x"}, 4)}, 3, "site"),
                        site("a", host("h"), {}, 6)},
                       1)}),
         {{"unknown block 'site' inside server 's' (only 'web' exists)", 3, 5},
          {"web 'a' repeats host \"h\" (web 'a' already answers it)", 6, 5},
          {"web 'a' declared twice", 6, 5}}},
        {"closing words",
         stmts(
             {server("s", {}, {site("a", host("h"), {}, 3, "web", "server")}, 1, "server", "web")}),
         {{"server 's' is closed by 'end web'", 1, 1},
          {"web 'a' is closed by 'end server'", 3, 5}}},
    });
}

TEST(BlockItems, DirectivesHooksAndSites) {
    run_cases({
        {"root rules per block",
         stmts({server("s", {},
                       {directive("root", {"/srv"}, 2),
                        site("w", host("h"),
                             {directive("root", {"/a", "/b"}, 4), directive("root", {"/c"}, 5)}, 3),
                        directive("root", {"/x", "/y"}, 7)},
                       1)}),
         {{"server 's': root takes exactly one directory", 7, 5},
          {"server 's': root declared twice", 7, 5},
          {"web 'w': root takes exactly one directory", 4, 5},
          {"web 'w': root declared twice", 5, 5}}},
        {"trust_proxy",
         stmts({server("s", {},
                       {directive("trust_proxy", {}, 2), directive("trust_proxy", {"10.0.0.1"}, 3),
                        site("w", host("h"), {directive("trust_proxy", {"10.0.0.1"}, 5)}, 4)},
                       1)}),
         {{"trust_proxy needs at least one proxy address", 2, 5},
          {"trust_proxy belongs to the server, not to a site: the direct peer is a fact of the "
           "listener",
           5, 5}}},
        {"unknown directives carry the block label",
         stmts({server(
             "s", {},
             {directive("index", {"a"}, 2), site("w", host("h"), {directive("Root", {"a"}, 4)}, 3)},
             1)}),
         {{"server 's': unknown directive 'index' (root, trust_proxy)", 2, 5},
          {"web 'w': unknown directive 'Root' (root, trust_proxy)", 4, 5}}},
        {"hooks",
         stmts({server(
             "s", {},
             {hook("drain", 2), hook("start", 4), site("w", host("h"), {hook("drain", 7)}, 6)},
             1)}),
         {{"unknown hook 'on start' (only 'on drain' exists)", 4, 5},
          {"an 'on drain' hook belongs to the server, not to a site", 7, 5}}},
        {"a site inside a site is not examined",
         stmts({server("s", {},
                       {site("outer", host("h"),
                             {site("inner", options_of({{"bad", num(1)}}),
                                   {directive("nope", {}, 5), handler("fetch", "x", 6)}, 4)},
                             3)},
                       1)}),
         {{"a web block cannot contain another web block", 4, 5}}},
        {"handlers of a site have their own route table",
         stmts({server(
             "s", {},
             {handler("get", "/a", 2),
              site("w", host("h"), {handler("get", "/a", 5), handler("stream", "/a", 8)}, 4),
              handler("get", "/a", 11)},
             1)}),
         {{"server 's': duplicate route get \"/a\" (first declared at line 2)", 11, 5},
          {"web 'w': duplicate route stream \"/a\" (first declared at line 5)", 8, 5}}},
    });
}

TEST(ServerStatement, KeywordNameAndOrder) {
    const std::string sub_message =
        "unknown declarative block 'sub' (only 'server' exists) -- Tovel has no such statement; a "
        "subroutine is a `function`";
    run_cases({
        {"a subroutine keyword gets the suffix and nothing else is examined",
         stmts({server("greet", options_of({{"bad", num(1)}}), {directive("x", {}, 2)}, 1, "sub",
                       "server")}),
         {{sub_message, 1, 1}}},
        {"other keywords get no suffix",
         stmts({server("w", {}, {}, 1, "widget")}),
         {{"unknown declarative block 'widget' (only 'server' exists)", 1, 1}}},
        {"names of every server statement are registered",
         stmts({server("s", {}, {}, 1, "widget"), server("s", {}, {}, 3), server("s", {}, {}, 5)}),
         {{"unknown declarative block 'widget' (only 'server' exists)", 1, 1},
          {"server 's' declared twice", 3, 1},
          {"server 's' declared twice", 5, 1},
          {"server 's' declared twice", 5, 1}}},
        {"order: declared twice, closing word, options, items, sites",
         stmts({server("s", {}, {}, 1),
                server("s", options_of({{"port", str("1")}}),
                       {site("w", {}, {}, 4), directive("bogus", {"x"}, 6), hook("tick", 7)}, 3,
                       "server", "serve")}),
         {{"server 's' declared twice", 3, 1},
          {"server 's' is closed by 'end serve'", 3, 1},
          {must_be("server 's'", "port", "a number literal", kServerHint), 3, 1},
          {"server 's': unknown directive 'bogus' (root, trust_proxy)", 6, 5},
          {"unknown hook 'on tick' (only 'on drain' exists)", 7, 5},
          {"web 'w' needs a host: a named site exists to be told apart from its siblings by name",
           4, 5}}},
    });
}

TEST(ServerStatement, LabelsAreCutAt191Bytes) {
    std::string name(300, 'n');
    auto found = check_tree(stmts({server(
        name.c_str(), options_of({{"colour", num(1)}}),
        {site(name.c_str(), options_of({{"host", str("h")}, {"colour", num(1)}}), {}, 3)}, 1)}));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].message, ("server '" + name).substr(0, 191) + ": unknown option 'colour'");
    EXPECT_EQ(found[1].message, ("web '" + name).substr(0, 191) + ": unknown option 'colour'");
}

} // namespace

namespace {

using namespace check_test;

// How many repeat messages the k-th copy (0-based) of a declaration draws.
int32_t repeats_for(int32_t k) {
    return k < CHECK_REPEAT_REPORT_LIMIT ? k : CHECK_REPEAT_REPORT_LIMIT;
}

// Copies of one server name, one site host and one site name: each copy
// names the oldest earlier copies, at most CHECK_REPEAT_REPORT_LIMIT of them.
TEST(RepeatedDeclarations, EachCopyNamesTheOldestEarlierOnes) {
    const int32_t copies = CHECK_REPEAT_REPORT_LIMIT + 3;
    std::vector<Stmt*> servers;
    std::vector<Finding> expected;
    for (int32_t k = 0; k < copies; ++k) {
        servers.push_back(server("s", {}, {}, 1 + 2 * k));
        for (int32_t i = 0; i < repeats_for(k); ++i) {
            expected.push_back({"server 's' declared twice", 1 + 2 * k, 1});
        }
    }
    // One server with sites h0..hN sharing a host, then sites sharing a name.
    const int32_t base = 1 + 2 * copies;
    ServerItemList sites = item_list_empty();
    for (int32_t k = 0; k < copies; ++k) {
        std::string name = "h" + std::to_string(k);
        sites = item_list_append(sites, site(name.c_str(), host("same"), {}, base + 1 + k));
        for (int32_t i = 0; i < repeats_for(k); ++i) {
            expected.push_back({"web '" + name + "' repeats host \"same\" (web 'h" +
                                    std::to_string(i) + "' already answers it)",
                                base + 1 + k, 5});
        }
    }
    for (int32_t k = 0; k < copies; ++k) {
        std::string own_host = "n" + std::to_string(k);
        int32_t line = base + 1 + copies + k;
        sites = item_list_append(sites, site("twin", host(own_host.c_str()), {}, line));
        for (int32_t i = 0; i < repeats_for(k); ++i) {
            expected.push_back({"web 'twin' declared twice", line, 5});
        }
    }
    Stmt* holder = stmt_set_span(
        stmt_server(dup("server"), dup("hosts"), field_list_empty(), sites, dup("server")), base, 1,
        base, 11);
    servers.push_back(holder);
    StmtList program = stmt_list_empty();
    for (Stmt* stmt : servers) {
        program = stmt_list_append(program, stmt);
    }
    EXPECT_EQ(check_tree(program), expected);
}

} // namespace
