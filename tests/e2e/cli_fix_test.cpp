#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <set>

#include "ast/region.h"
#include "ide/analysis.h"
#include "ide/features.h"
#include "tests/e2e/cli_run.h"

// `tovel-check --fix` and `--diff` through the real binary: files are
// fixed in place whole, left alone when nothing applies, refused when the
// front end cannot see them whole; --fix is idempotent; every example
// whose findings all have a preferred fix is left without findings.
namespace fs = std::filesystem;

namespace {

const char kBroken[] = "x = 1\nif x > 1\n  print x\nend if\nfunction f()\n  prnt 1\n";
const char kFixed[] = "x = 1\nif x > 1 then\n  print x\nend if\nfunction f()\n  print 1\nend function\n";

ino_t inode_of(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_ino;
}

TEST(CliFix, FixesInPlaceRoundAfterRoundThenNothingMore) {
    ScratchDir scratch;
    const std::string file = scratch.write("broken.tov", kBroken);
    chmod(file.c_str(), 0640);
    CheckRun run = run_check({"--fix", file});
    EXPECT_EQ(run.status, 0) << run.error;
    EXPECT_EQ(run.output, "");  // nothing remains
    EXPECT_EQ(read_file_bytes(file), kFixed);
    struct stat info {};
    stat(file.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);  // the replacement keeps the permissions
    // Idempotent: nothing applies the second time, and the file is not even replaced.
    ino_t before = inode_of(file);
    run = run_check({"--fix", file});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(read_file_bytes(file), kFixed);
    EXPECT_EQ(inode_of(file), before);
    for (const auto& entry : fs::directory_iterator(scratch.path())) {
        EXPECT_EQ(entry.path().filename(), "broken.tov") << "a temporary file was left behind";
    }
}

TEST(CliFix, DiffShowsTheChangeAndWritesNothing) {
    ScratchDir scratch;
    const std::string file = scratch.write("broken.tov", kBroken);
    CheckRun run = run_check({"--diff", file});
    EXPECT_EQ(run.status, 0) << run.error;
    EXPECT_EQ(read_file_bytes(file), kBroken);
    EXPECT_EQ(run.output, "--- " + file + "\n+++ " + file +
                              "\n@@ -1,6 +1,7 @@\n x = 1\n-if x > 1\n+if x > 1 then\n   print x\n end if\n function f()\n"
                              "-  prnt 1\n+  print 1\n+end function\n");
    // Standard input can be shown fixed, never rewritten.
    run = run_check({"--diff", "-"}, kBroken);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("+end function\n"), std::string::npos);
    run = run_check({"--fix", "-"}, kBroken);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.error.find("--fix cannot rewrite standard input"), std::string::npos);
}

TEST(CliFix, WhatRemainsIsReportedAndAFileWithAZeroByteIsLeftAlone) {
    ScratchDir scratch;
    // A finding without a fix stays, and decides the exit status.
    const std::string rest = scratch.write("rest.tov", "server s(port: \"80\")\nend server\nif 1 > 0\n  print 1\nend if\n");
    CheckRun run = run_check({"--fix", rest});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("option 'port' must be"), std::string::npos) << run.output;
    EXPECT_NE(read_file_bytes(rest).find("if 1 > 0 then"), std::string::npos);
    const std::string zero = scratch.write("zero.tov", std::string("if 1 > 0\n  print 1\nend if\n\0tail", 28));
    run = run_check({"--fix", zero});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.error.find("zero byte; not fixed"), std::string::npos) << run.error;
    EXPECT_EQ(read_file_bytes(zero).size(), 28u);
}

// Whether every finding of `text` has a fix the editor would prefer.
bool all_findings_fixable(const std::string& text) {
    AstRegion region;
    ast_region_init(&region);
    Analysis* analysis = analysis_create(text.c_str(), "x.tov", &region);
    std::set<size_t> fixed;
    for (const IdeQuickFix& fix : ide_quick_fixes(analysis, {0, analysis->length})) {
        if (fix.preferred) fixed.insert(fix.diagnostic);
    }
    bool all = fixed.size() == analysis->diagnostics.count;
    analysis_destroy(analysis);
    ast_region_release(&region);
    return all;
}

TEST(CliFix, ExamplesWithOnlyFixableFindingsEndClean) {
    ScratchDir scratch;
    size_t fixable = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(TOVEL_SOURCE_DIR) / "examples" / "mistakes")) {
        std::string text = read_file_bytes(entry.path().string());
        const std::string file = scratch.write(entry.path().filename().string(), text);
        CheckRun first = run_check({"--fix", file});
        std::string once = read_file_bytes(file);
        CheckRun second = run_check({"--fix", file});
        EXPECT_EQ(read_file_bytes(file), once) << "--fix is not idempotent on " << file;
        EXPECT_EQ(second.output, first.output) << file;
        if (all_findings_fixable(text)) {
            ++fixable;
            EXPECT_EQ(first.output, "") << file;
            EXPECT_EQ(first.status, 0) << file;
        }
    }
    EXPECT_GE(fixable, 3u);  // string escapes, lexer habits, dim
}

}  // namespace

namespace {

TEST(CliFormats, GithubAnnotationsOnePerFinding) {
    ScratchDir scratch;
    // The file name's comma and colon are escaped as GitHub requires; the
    // escape is marked on its own bytes, counted in UTF-16 units after é.
    const std::string file = scratch.write("a,b:c.tov", "s = \"é\\q\"\nx = 1 <> 2\n");
    CheckRun run = run_check({"--format=github", file});
    EXPECT_EQ(run.status, 1);
    std::string escaped = file;
    for (size_t at; (at = escaped.find(',')) != std::string::npos;) escaped.replace(at, 1, "%2C");
    for (size_t at; (at = escaped.find(':')) != std::string::npos;) escaped.replace(at, 1, "%3A");
    EXPECT_EQ(run.output,
              "::warning file=" + escaped + ",line=1,col=7,endColumn=9,title=TV_DIAG_STRING_LITERAL::unknown escape \\q kept "
              "as the two characters; write \\\\q to say so\n"
              "::error file=" + escaped + ",line=2,col=7,endColumn=9,title=TV_DIAG_LEX_DETAIL::'<>' is not an operator; "
              "not-equal is != -- a != b\n");
}

// A code-scanning tool gets the region an editor underlines and, for a
// repeat, the earlier place as a related location.
TEST(CliFormats, SarifRegionsAreWhatTheFindingIsAbout) {
    ScratchDir scratch;
    const std::string file = scratch.write("routes.tov",
                                           "server api(port: 80, colour: 1)\n"
                                           "  get \"/a/{id}\" (req)\n    return 1\n  end get\n"
                                           "  get \"/a/{slug}\" (req)\n    return 2\n  end get\n"
                                           "end server\n");
    CheckRun run = run_check({"--format=sarif", file});
    EXPECT_EQ(run.status, 1);
    const std::string uri = "{\"uri\":\"" + file + "\"}";
    const std::string unknown_option = "\"message\":{\"text\":\"server 'api': unknown option 'colour'\"},"
                                       "\"locations\":[{\"physicalLocation\":{\"artifactLocation\":" + uri +
                                       ",\"region\":{\"startLine\":1,\"startColumn\":22,\"endLine\":1,\"endColumn\":28}}}]}";
    EXPECT_NE(run.output.find(unknown_option), std::string::npos) << run.output;
    const std::string earlier_route = "\"locations\":[{\"physicalLocation\":{\"artifactLocation\":" + uri +
                                      ",\"region\":{\"startLine\":5,\"startColumn\":3,\"endLine\":5,\"endColumn\":18}}}],"
                                      "\"relatedLocations\":[{\"id\":0,\"physicalLocation\":{\"artifactLocation\":" + uri +
                                      ",\"region\":{\"startLine\":2,\"startColumn\":3,\"endLine\":2,\"endColumn\":16}},"
                                      "\"message\":{\"text\":\"the earlier route\"}}]}";
    EXPECT_NE(run.output.find(earlier_route), std::string::npos) << run.output;
}

}  // namespace
