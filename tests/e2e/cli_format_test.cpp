// tovel-fmt through the real binary: files rewritten whole and only when
// they change, --check and --diff writing nothing, standard input to
// standard output, directories walked, refusals and exit statuses.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include <string>
#include <vector>

#include "tests/e2e/cli_run.h"

namespace {

const char kMessy[] = "IF a THEN\nb=1\n   End If\n";
const char kTidy[] = "if a then\n  b = 1\nend if\n";
const char kBroken[] = "print 1\n  dim x\n";

struct stat status_of(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info;
}

TEST(CliFormat, RewritesInPlaceKeepingPermissionsThenLeavesTheFileAlone) {
    ScratchDir scratch;
    const std::string file = scratch.write("a.tov", kMessy);
    chmod(file.c_str(), 0640);
    CheckRun run = run_fmt({file});
    EXPECT_EQ(run.status, 0) << run.error;
    EXPECT_EQ(run.output + run.error, "");
    EXPECT_EQ(read_file_bytes(file), kTidy);
    struct stat formatted = status_of(file);
    EXPECT_EQ(formatted.st_mode & 0777, 0640u);

    run = run_fmt({file});
    EXPECT_EQ(run.status, 0);
    struct stat again = status_of(file);
    EXPECT_EQ(again.st_ino, formatted.st_ino) << "a formatted file is not written again";
    EXPECT_EQ(again.st_mtim.tv_nsec, formatted.st_mtim.tv_nsec);
}

// Through a symbolic link the file it names is formatted; the link stays.
TEST(CliFormat, FollowsSymbolicLinks) {
    ScratchDir scratch;
    const std::string file = scratch.write("real.tov", kMessy);
    const std::string link = scratch.path() + "/link.tov";
    ASSERT_EQ(symlink(file.c_str(), link.c_str()), 0);
    CheckRun run = run_fmt({link});
    EXPECT_EQ(run.status, 0) << run.error;
    struct stat info {};
    EXPECT_EQ(lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(read_file_bytes(file), kTidy);
    std::remove(link.c_str());
}

TEST(CliFormat, CheckAndDiffWriteNothing) {
    ScratchDir scratch;
    const std::string messy = scratch.write("messy.tov", kMessy);
    const std::string tidy = scratch.write("tidy.tov", kTidy);
    CheckRun check = run_fmt({"--check", messy, tidy});
    EXPECT_EQ(check.status, 1);
    EXPECT_EQ(check.output, messy + "\n");
    CheckRun diff = run_fmt({"--diff", messy, tidy});
    EXPECT_EQ(diff.status, 0);
    EXPECT_NE(diff.output.find("--- " + messy + "\n+++ " + messy + "\n"), std::string::npos) << diff.output;
    EXPECT_NE(diff.output.find("+  b = 1\n"), std::string::npos) << diff.output;
    EXPECT_NE(diff.output.find("-b=1\n"), std::string::npos) << diff.output;
    EXPECT_EQ(read_file_bytes(messy), kMessy);
    EXPECT_EQ(run_fmt({"--check", "--diff", messy}).status, 1);
    EXPECT_EQ(run_fmt({"--check", tidy}).status, 0);
}

TEST(CliFormat, StandardInputToStandardOutput) {
    CheckRun run = run_fmt({"-"}, kMessy);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, kTidy);
    run = run_fmt({"--indent", "4", "-"}, kMessy);
    EXPECT_EQ(run.output, "if a then\n    b = 1\nend if\n");
    run = run_fmt({"--check", "-"}, kMessy);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "<stdin>\n");
}

// A text that does not parse is not formatted: named, it is an error with
// its place; through a filter, it comes out as it went in.
TEST(CliFormat, RefusesWhatDoesNotParse) {
    ScratchDir scratch;
    const std::string file = scratch.write("broken.tov", kBroken);
    CheckRun run = run_fmt({file});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.error, "tovel-fmt: " + file +
                             ":2:3: not formatted, it does not parse: `dim` is not a Tovel statement; assign to "
                             "create a variable (x = 0)\n");
    EXPECT_EQ(read_file_bytes(file), kBroken);
    run = run_fmt({"-"}, kBroken);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, kBroken);
    const std::string zero = scratch.write("zero.tov", std::string("print 1\n\0print 2\n", 18));
    run = run_fmt({zero});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.error.find("holds a zero byte; not formatted"), std::string::npos) << run.error;
}

// A directory stands for its .tov files; one that does not parse is
// skipped with a word, not failed.
TEST(CliFormat, WalksDirectories) {
    ScratchDir scratch;
    const std::string dir = scratch.path() + "/src";
    mkdir(dir.c_str(), 0755);
    mkdir((dir + "/nested").c_str(), 0755);
    mkdir((dir + "/.hidden").c_str(), 0755);
    const std::string messy = scratch.write("src/nested/b.tov", kMessy);
    const std::string broken = scratch.write("src/a.tov", kBroken);
    const std::string hidden = scratch.write("src/.hidden/c.tov", kMessy);
    const std::string other = scratch.write("src/notes.txt", kMessy);
    CheckRun run = run_fmt({"--check", dir});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, messy + "\n");
    EXPECT_NE(run.error.find(broken + ":2:3: skipped, it does not parse"), std::string::npos) << run.error;
    run = run_fmt({dir});
    EXPECT_EQ(run.status, 0) << run.error;
    EXPECT_EQ(read_file_bytes(messy), kTidy);
    EXPECT_EQ(read_file_bytes(hidden), kMessy);
    EXPECT_EQ(read_file_bytes(other), kMessy);
    EXPECT_EQ(run_fmt({"--check", dir}).status, 0);
    std::remove(messy.c_str());
    std::remove(broken.c_str());
    std::remove(hidden.c_str());
    std::remove(other.c_str());
    rmdir((dir + "/nested").c_str());
    rmdir((dir + "/.hidden").c_str());
    rmdir(dir.c_str());
}

TEST(CliFormat, UsageErrorsAndUnreadableFiles) {
    ScratchDir scratch;
    const std::string file = scratch.write("a.tov", kMessy);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"--indent", "0", file}, {"--indent=17", file}, {"--indent"}, {"--tabs", file}}) {
        CheckRun run = run_fmt(args);
        EXPECT_EQ(run.status, 2) << args.size();
        EXPECT_NE(run.error.find("Try 'tovel-fmt --help'"), std::string::npos);
    }
    EXPECT_EQ(read_file_bytes(file), kMessy);
    CheckRun run = run_fmt({scratch.path() + "/missing.tov", file});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(read_file_bytes(file), kTidy) << "the other files are still formatted";
    run = run_fmt({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output.rfind("usage: tovel-fmt [--check] [--diff] [--indent N] FILE...\n", 0), 0u);
}

// The bundled examples are laid out as tovel-fmt lays them out.
TEST(CliFormat, ExamplesAreFormatted) {
    CheckRun run = run_fmt({"--check", "examples"}, "", TOVEL_SOURCE_DIR);
    EXPECT_EQ(run.status, 0) << run.output << run.error;
    EXPECT_EQ(run.output, "");
}

}  // namespace
