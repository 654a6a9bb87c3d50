#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "tests/e2e/cli_run.h"
#include "tests/golden_update.h"

// The command line's own contract: arguments, streams, exit statuses, the
// order of output, standard input and the tree dump.
namespace {

const char kClean[] = "x = 1\nprint x\n";
const char kError[] = "x = 1\nlet y = 2\n";
const char kWarning[] = "print \"a\\q\"\n";
const char kServerFinding[] = "server s()\n  get \"/a//b\"(req)\n  end get\nend server\n";

int count_lines(const std::string& text) {
    int lines = 0;
    for (char c : text) {
        lines += c == '\n' ? 1 : 0;
    }
    return lines;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(CliUsage, BadCommandLinesAreUsageErrors) {
    ScratchDir scratch;
    const std::string file = scratch.write("a.tov", kError);
    struct Case {
        std::vector<std::string> args;
        const char* named;  // what the message must point at
    };
    const Case cases[] = {
        {{}, "no input files"},
        {{"--bogus", file}, "'--bogus'"},
        {{"-x", file}, "'-x'"},
        {{"--format=xml", file}, "'xml'"},
        {{"--format=", file}, "''"},
        {{file, "--format"}, "--format needs a value"},
        {{"--dump"}, "no input files"},
    };
    for (const Case& c : cases) {
        CheckRun run = run_check(c.args);
        EXPECT_EQ(run.status, 2) << c.named;
        // Nothing is checked when the command line is wrong.
        EXPECT_EQ(run.output, "") << c.named;
        EXPECT_EQ(run.error.rfind("tovel-check: ", 0), 0u) << run.error;
        EXPECT_TRUE(contains(run.error, c.named)) << run.error;
        EXPECT_TRUE(contains(run.error, "--help")) << run.error;
    }
}

TEST(CliUsage, HelpAndVersion) {
    for (const char* option : {"--help", "-h"}) {
        CheckRun run = run_check({option});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.output.rfind("usage: tovel-check [options] FILE...\n", 0), 0u) << run.output;
        for (const char* word : {"--format=json", "--dump", "--version", "exit status"}) {
            EXPECT_TRUE(contains(run.output, word)) << word;
        }
        EXPECT_EQ(run.error, "");
    }
    CheckRun version = run_check({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output, "tovel-check 0.1.0\n");
    EXPECT_EQ(version.error, "");

    // Help wins over files: nothing is checked.
    ScratchDir scratch;
    CheckRun help_with_file = run_check({"--help", scratch.write("a.tov", kError)});
    EXPECT_EQ(help_with_file.status, 0);
    EXPECT_FALSE(contains(help_with_file.output, "parse error"));
}

TEST(CliExitStatus, ErrorsDecideTheStatus) {
    ScratchDir scratch;
    const std::string clean = scratch.write("clean.tov", kClean);
    const std::string error = scratch.write("error.tov", kError);
    const std::string warning = scratch.write("warning.tov", kWarning);
    const std::string server = scratch.write("server.tov", kServerFinding);
    const std::string empty = scratch.write("empty.tov", "");
    struct Case {
        std::vector<std::string> files;
        int status;
        int lines;
    };
    // Single files are covered against the server; here several together.
    const Case cases[] = {
        {{clean, empty, warning, clean}, 0, 1},
        {{clean, error, clean}, 1, 1},
        {{error, warning, server}, 1, 3},
    };
    for (const Case& c : cases) {
        for (const char* format : {"--format=text", "--format=json"}) {
            std::vector<std::string> args = {format};
            args.insert(args.end(), c.files.begin(), c.files.end());
            CheckRun run = run_check(args);
            EXPECT_FALSE(run.crashed);
            EXPECT_EQ(run.status, c.status) << c.files.front() << " " << format;
            EXPECT_EQ(count_lines(run.output), c.lines) << run.output;
            EXPECT_EQ(run.error, "");
        }
    }
}

TEST(CliFiles, OutputFollowsArgumentOrderWithPathsAsGiven) {
    ScratchDir scratch;
    const std::string first = scratch.write("first.tov", "let a = 1\n");
    const std::string second = scratch.write("second.tov", "x = 1\n\nlet b = 2\n");
    CheckRun run = run_check({second, first, second});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output,
              "parse error at " + second + ":3:7: `let` is not a Tovel statement; assign directly (x = 1)\n"
              "parse error at " + first + ":1:7: `let` is not a Tovel statement; assign directly (x = 1)\n"
              "parse error at " + second + ":3:7: `let` is not a Tovel statement; assign directly (x = 1)\n");
}

TEST(CliFiles, UnreadableFilesAreReportedAndTheOthersStillChecked) {
    ScratchDir scratch;
    const std::string error = scratch.write("error.tov", kError);
    const std::string warning = scratch.write("warning.tov", kWarning);
    const std::string clean = scratch.write("clean.tov", kClean);
    const std::string missing = scratch.path() + "/missing.tov";
    const std::string directory = scratch.path();

    CheckRun alone_error = run_check({error});
    CheckRun alone_warning = run_check({warning});
    for (const char* format : {"--format=text", "--format=json"}) {
        CheckRun run = run_check({format, error, missing, clean, directory, warning});
        EXPECT_FALSE(run.crashed);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.error, "tovel-check: " + missing + ": No such file or directory\n"
                             "tovel-check: " + directory + ": Is a directory\n");
        if (std::string(format) == "--format=text") {
            EXPECT_EQ(run.output, alone_error.output + alone_warning.output);
        } else {
            EXPECT_EQ(count_lines(run.output), 2);
        }
    }
    // Unreadable but otherwise clean: still 2.
    CheckRun only_missing = run_check({clean, missing});
    EXPECT_EQ(only_missing.status, 2);
    EXPECT_EQ(only_missing.output, "");
}

TEST(CliFiles, DoubleDashEndsOptions) {
    ScratchDir scratch;
    scratch.write("-dashed.tov", kError);
    // Names that look like options are files after "--"; run inside the
    // scratch folder so the name can be passed bare.
    CheckRun run = run_check({"--format=json", "--", "-dashed.tov", "--dump"}, "", scratch.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(contains(run.output, "\"path\":\"-dashed.tov\"")) << run.output;
    EXPECT_FALSE(contains(run.output, "Program")) << run.output;
    EXPECT_EQ(run.error, "tovel-check: --dump: No such file or directory\n");
    // Without "--" the same name is an unknown option.
    EXPECT_EQ(run_check({"-dashed.tov"}, "", scratch.path()).status, 2);
}

TEST(CliStdin, DashReadsStandardInputNamedStdin) {
    ScratchDir scratch;
    const std::string file = scratch.write("a.tov", "let a = 1\n");
    CheckRun text = run_check({file, "-", file}, kError);
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.output,
              "parse error at " + file + ":1:7: `let` is not a Tovel statement; assign directly (x = 1)\n"
              "parse error at <stdin>:2:7: `let` is not a Tovel statement; assign directly (x = 1)\n"
              "parse error at " + file + ":1:7: `let` is not a Tovel statement; assign directly (x = 1)\n");

    CheckRun json = run_check({"--format", "json", "-"}, kWarning);
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.output,
              "{\"severity\":\"warning\",\"code\":\"TV_DIAG_STRING_LITERAL\",\"subcode\":0,"
              "\"path\":\"<stdin>\",\"start\":{\"line\":1,\"column\":7},\"end\":{\"line\":1,"
              "\"column\":12},\"message\":\"unknown escape \\\\q kept as the two characters; "
              "write \\\\\\\\q to say so\"}\n");

    // Empty input and NUL-cut input are checked, not refused.
    EXPECT_EQ(run_check({"-"}, "").status, 0);
    EXPECT_EQ(run_check({"-"}, std::string("x = 1\n\0let\n", 11)).status, 0);
    EXPECT_EQ(run_check({"-"}, std::string("let\n\0", 5)).status, 1);
}

TEST(CliDump, GoldenOutputForASmallProgram) {
    // Relative path: it appears in the diagnostics exactly as given.
    const std::string source = "tests/e2e/cli/small.tov";
    CheckRun run = run_check({"--dump", source});
    EXPECT_EQ(run.status, 1);  // the malformed route is an error
    if (update_goldens_requested()) write_file_bytes("tests/e2e/cli/small.expected", run.output);
    EXPECT_EQ(run.output, read_file_bytes("tests/e2e/cli/small.expected"));
    EXPECT_EQ(run.error, "");
}

// The concrete tree of a text with mistakes: every byte in a leaf, the
// repairs marked, the function after them still a declaration of its own.
TEST(CliTree, GoldenTreeOfATextWithMistakes) {
    const std::string source = "tests/e2e/cli/mistakes.tov";
    CheckRun run = run_check({"--tree", source});
    EXPECT_EQ(run.status, 1);
    if (update_goldens_requested()) write_file_bytes("tests/e2e/cli/mistakes.tree", run.output);
    EXPECT_EQ(run.output, read_file_bytes("tests/e2e/cli/mistakes.tree"));
    EXPECT_EQ(run.error, "");
}

TEST(CliDump, TreeOnlyWhenTheTextParsed) {
    ScratchDir scratch;
    struct Case {
        const char* name;
        std::string text;
        bool tree;
        std::string tree_start;  // the dump's first lines, after the diagnostics
    };
    const Case cases[] = {
        {"empty", "", true, "Program\n"},
        {"clean", kClean, true, "Program\n  Assign\n"},
        {"warning", kWarning, true, "Program\n  Print\n"},
        {"checker findings", kServerFinding, true, "Program\n  Server server \"s\"\n"},
        {"syntax error", kError, false, ""},
        {"lexer error", "x = (1 +\n", false, ""},
        {"nul cut", std::string("print 1\n\0junk (\n", 16), true, "Program\n  Print\n"},
    };
    for (const Case& c : cases) {
        const std::string file = scratch.write("dump.tov", c.text);
        CheckRun plain = run_check({file});
        CheckRun dumped = run_check({file, "--dump"});
        EXPECT_EQ(dumped.status, plain.status) << c.name;
        // Diagnostics first, unchanged; then the tree, if any.
        ASSERT_EQ(dumped.output.rfind(plain.output, 0), 0u) << c.name;
        std::string tree = dumped.output.substr(plain.output.size());
        if (c.tree) {
            EXPECT_EQ(tree.rfind(c.tree_start, 0), 0u) << c.name << ":\n" << tree;
        } else {
            EXPECT_EQ(tree, "") << c.name;
        }
    }
}

TEST(CliDump, EachFileGetsItsOwnTree) {
    ScratchDir scratch;
    const std::string a = scratch.write("a.tov", "print 1\n");
    const std::string b = scratch.write("b.tov", kError);
    const std::string c = scratch.write("c.tov", "print 2\n");
    CheckRun run = run_check({"--dump", "--format=json", a, b, c});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output.rfind("Program\n  Print\n    Number 1\n{\"severity\":\"error\"", 0), 0u)
        << run.output;
    EXPECT_TRUE(contains(run.output, "}\nProgram\n  Print\n    Number 2\n")) << run.output;
}

TEST(CliLargeInput, BigFilesAreCheckedWhole) {
    ScratchDir scratch;
    std::string text;
    // Several times the first read buffer, so a pipe's content has to grow
    // it a few times; the megabytes come from the long line below.
    const int lines = 20000;
    for (int i = 0; i < lines; ++i) {
        text += "total = total + 1\n";
    }
    text += "let z = 1\n";
    const std::string file = scratch.write("big.tov", text);
    CheckRun run = run_check({file});
    EXPECT_FALSE(run.crashed);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "parse error at " + file + ":" + std::to_string(lines + 1) +
                              ":7: `let` is not a Tovel statement; assign directly (x = 1)\n");

    // The same through a pipe, whose size is not known up front.
    CheckRun piped = run_check({"-"}, text);
    EXPECT_EQ(piped.status, 1);
    EXPECT_TRUE(contains(piped.output, "<stdin>:" + std::to_string(lines + 1) + ":7:"));

    // One very long line.
    const std::string long_line = "x = \"" + std::string(3 << 20, 'a') + "\" let\n";
    CheckRun long_run = run_check({scratch.write("long.tov", long_line)});
    EXPECT_FALSE(long_run.crashed);
    EXPECT_EQ(long_run.status, 1);
    EXPECT_TRUE(contains(long_run.output, ":1:" + std::to_string(5 + (3 << 20) + 2 + 1) + ":"))
        << long_run.output;
}

TEST(CliLargeInput, FilesTooLargeForTheFrontEndAreRefused) {
    ScratchDir scratch;
    const std::string clean = scratch.write("clean.tov", kClean);
    const std::string error = scratch.write("error.tov", kError);
    // Sparse, so it costs no disk space; it must be refused before reading.
    const std::string huge = scratch.write("huge.tov", "");
    ASSERT_EQ(truncate(huge.c_str(), 2147483648LL), 0);
    CheckRun run = run_check({clean, huge, error});
    EXPECT_FALSE(run.crashed);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.error, "tovel-check: " + huge + ": file too large (more than 2147483647 bytes)\n");
    EXPECT_EQ(count_lines(run.output), 1);
}

TEST(CliOutput, FailedWritesAreNotSilent) {
    if (access("/dev/full", W_OK) != 0) {
        GTEST_SKIP() << "no /dev/full here";
    }
    ScratchDir scratch;
    const std::string file = scratch.write("error.tov", kError);
    const std::string errors = scratch.path() + "/stderr";
    const std::string command = std::string(TOVEL_CHECK_PATH) + " '" + file + "' >/dev/full 2>'" +
                                errors + "'";
    int status = system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_EQ(read_file_bytes(errors), "tovel-check: cannot write the results to standard output\n");
    unlink(errors.c_str());
}

}  // namespace
