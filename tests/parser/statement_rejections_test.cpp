// Constructs the statement and declaration actions reject: the exact
// message, where it stands, and which way it goes. Messages that pass
// through the reporter are renamed inside an unknown declarative block and
// are silent once the lexer has failed; the `on` messages are added as they
// are.

#include <gtest/gtest.h>

#include <string>

#include "tests/parser/parse_outcome.h"

namespace {

struct RejectionCase {
    const char* name;
    std::string source;
    DiagnosticKind kind;
    SourceSpan span;
    std::string message;
};

const char* const kWidget = "unknown declarative block 'widget' (only 'server' exists)";
const char* const kDim = "`dim` is not a Tovel statement; assign to create a variable (x = 0)";
const char* const kWarningGoto =
    "on warning has no goto-label form: a warning does not abandon its statement, so there is "
    "nothing to jump away from (use goto next, stop, ignore or print)";

std::string in_widget_handler(const std::string& body) {
    return "widget w()\n  get \"/\" ()\n" + body + "  end get\nend widget\n";
}

std::string next_message(const std::string& written, const std::string& variable) {
    return "next " + written + " does not close this loop: it iterates " + variable +
           " (write `next " + variable + "`, `next`, or `end for`)";
}

std::string same_name_message(const std::string& name) {
    return "`for each " + name + ", " + name +
           "` names the element and the index the same thing; the index would overwrite the "
           "element";
}

const RejectionCase kRejections[] = {
    // Comparisons are exact: no case folding anywhere.
    {"next names the counter in other case", "for i = 1 to 3\nnext I\n", TV_DIAG_PARSE_ERROR,
     {2, 1, 2, 1}, next_message("I", "i")},
    {"next names the index instead of the element", "for x, i in xs\nnext i\n",
     TV_DIAG_PARSE_ERROR, {2, 1, 2, 1}, next_message("i", "x")},
    {"next after each names the index", "for each x, i in xs\nnext i\n", TV_DIAG_PARSE_ERROR,
     {2, 1, 2, 1}, next_message("i", "x")},
    {"next is placed at its own indentation", "for i = 1 to 2\n    next j\n",
     TV_DIAG_PARSE_ERROR, {2, 5, 2, 5}, next_message("j", "i")},
    {"next naming a keyword variable", "for i = 1 to 2\nnext end\n", TV_DIAG_PARSE_ERROR,
     {2, 1, 2, 1}, next_message("end", "i")},
    {"equal names closed by end for", "for x, x in xs\nend for\n", TV_DIAG_PARSE_ERROR,
     {1, 8, 1, 8}, same_name_message("x")},
    {"a syntax error in the body comes before the names", "for each x, x in xs\n  y = = 1\nnext\n",
     TV_DIAG_PARSE_ERROR, {2, 7, 2, 8}, "syntax error, unexpected OP_EQ"},
    {"channel in other case", "on Warning stop\n", TV_DIAG_PARSE_ERROR, {1, 4, 1, 4},
     "unknown diagnostic channel 'Warning'; `on` takes `error` or `warning`"},
    {"mode in other case", "on warning Ignore\n", TV_DIAG_PARSE_ERROR, {1, 12, 1, 12},
     "unknown warning mode 'Ignore'; expected print, ignore, stop, or goto next"},
    {"unknown channel with print", "if a then on notice print\n", TV_DIAG_PARSE_ERROR,
     {1, 14, 1, 14}, "unknown diagnostic channel 'notice'; `on` takes `error` or `warning`"},
    {"unknown channel with goto next", "on notice goto next\n", TV_DIAG_PARSE_ERROR,
     {1, 4, 1, 4}, "unknown diagnostic channel 'notice'; `on` takes `error` or `warning`"},
    {"unknown channel wins over an unknown mode", "on notice skip\n", TV_DIAG_PARSE_ERROR,
     {1, 4, 1, 4}, "unknown diagnostic channel 'notice'; `on` takes `error` or `warning`"},
    {"warning goto label after else", "if a then\nelse on warning goto h\n",
     TV_DIAG_PARSE_ERROR, {2, 17, 2, 17}, kWarningGoto},
    {"with Principal", "with Principal(x)\nend with\n", TV_DIAG_PARSE_ERROR, {2, 9, 2, 10},
     "expected lock or principal in a with block"},
    {"use with FROM", "use json FROM \"p\"\n", TV_DIAG_PARSE_ERROR, {1, 15, 1, 18},
     "expected from in use statement"},
    {"load with FROM and alias", "load json FROM \"p\" as jj\n", TV_DIAG_PARSE_ERROR,
     {1, 23, 1, 25}, "expected from in load statement"},
    {"dim in a consider else part", "consider a\nif 1 then\nelse\n  dim\nend consider\n",
     TV_DIAG_PARSE_ERROR, {4, 3, 4, 6}, kDim},
    {"DIM in capitals", "  DIM x\n", TV_DIAG_PARSE_ERROR, {1, 3, 1, 6}, kDim},

    // Nothing after these words is read before the rejection, so a stray
    // byte behind them never reaches the lexer.
    {"dim reads nothing after the word", "dim ;\n", TV_DIAG_PARSE_ERROR, {1, 1, 1, 4}, kDim},
    {"on reads nothing after its last word", "on notice stop ;\n", TV_DIAG_PARSE_ERROR,
     {1, 4, 1, 4}, "unknown diagnostic channel 'notice'; `on` takes `error` or `warning`"},
    {"use from reads nothing after the string", "use json at \"p\" ;\n", TV_DIAG_PARSE_ERROR,
     {1, 13, 1, 16}, "expected from in use statement"},
    // load may still take `as`, so it reads the next token: the lexer fails
    // first and the reporter stays silent.
    {"load from reads one more token", "load json at \"p\" ;\n", TV_DIAG_LEX_ERROR,
     {1, 18, 1, 19}, "unexpected token"},

    // Inside a block with an unknown keyword, reporter messages name the
    // block instead; the direct messages of `on` keep their own.
    {"next check inside an unknown block",
     in_widget_handler("    for i = 1 to 2\n    next j\n"), TV_DIAG_PARSE_ERROR, {1, 1, 1, 7},
     kWidget},
    {"same names inside an unknown block",
     in_widget_handler("    for each x, x in xs\n    next\n"), TV_DIAG_PARSE_ERROR,
     {1, 1, 1, 7}, kWidget},
    {"with word inside an unknown block",
     in_widget_handler("    with file(x)\n    end with\n"), TV_DIAG_PARSE_ERROR, {1, 1, 1, 7},
     kWidget},
    {"use word inside an unknown block", in_widget_handler("    use json at \"p\"\n"),
     TV_DIAG_PARSE_ERROR, {1, 1, 1, 7}, kWidget},
    {"dim inside an unknown block with options",
     "  widget w(a: 1)\n  on start\n    dim x\n  end on\nend widget\n", TV_DIAG_PARSE_ERROR,
     {1, 3, 1, 9}, kWidget},
    {"warning goto inside an unknown block", in_widget_handler("    on warning goto h\n"),
     TV_DIAG_PARSE_ERROR, {3, 16, 3, 16}, kWarningGoto},
    {"unknown mode inside an unknown block", in_widget_handler("    on warning skip\n"),
     TV_DIAG_PARSE_ERROR, {3, 16, 3, 16},
     "unknown warning mode 'skip'; expected print, ignore, stop, or goto next"},
    // The keyword is recorded only once its header line is complete.
    {"error in the header keeps its message", "widget w(a: )\nend widget\n",
     TV_DIAG_PARSE_ERROR, {1, 13, 1, 14}, "syntax error, unexpected RPAREN"},
    {"error right after the header names the block", "widget w()\n= 1\nend widget\n",
     TV_DIAG_PARSE_ERROR, {1, 1, 1, 7}, kWidget},
    // Only block headers record; a server keyword and a site header do not.
    {"server blocks keep ordinary messages",
     "server s()\n  get \"/\" ()\n    dim x\n  end get\nend server\n", TV_DIAG_PARSE_ERROR,
     {3, 5, 3, 8}, kDim},
    {"a site header records nothing",
     "server s()\n  widget w()\n    get \"/\" ()\n      dim x\n    end get\n  end widget\nend "
     "server\n",
     TV_DIAG_PARSE_ERROR, {4, 7, 4, 10}, kDim},
    {"a 40-byte keyword is not recorded",
     std::string(40, 'k') + " w()\n  get \"/\" ()\n    dim x\n  end get\nend k\n",
     TV_DIAG_PARSE_ERROR, {3, 5, 3, 8}, kDim},
    {"a server header inside an unknown block forgets it",
     in_widget_handler("    server s()\n    end server\n    dim x\n"), TV_DIAG_PARSE_ERROR,
     {5, 5, 5, 8}, kDim},
};

TEST(StatementRejections, MessagePlacementAndRoute) {
    for (const RejectionCase& c : kRejections) {
        ParseOutcome outcome = parse_text(c.source);
        EXPECT_EQ(outcome.result, 1) << c.name;
        EXPECT_FALSE(outcome.program_handed_out) << c.name;
        ASSERT_EQ(outcome.diagnostics.size(), 1u) << c.name;
        const SeenDiagnostic& d = outcome.diagnostics[0];
        EXPECT_EQ(d.severity, SEVERITY_ERROR) << c.name;
        EXPECT_EQ(d.kind, c.kind) << c.name;
        EXPECT_EQ(d.message, c.message) << c.name;
        EXPECT_EQ(d.span.start_line, c.span.start_line) << c.name;
        EXPECT_EQ(d.span.start_column, c.span.start_column) << c.name;
        EXPECT_EQ(d.span.end_line, c.span.end_line) << c.name;
        EXPECT_EQ(d.span.end_column, c.span.end_column) << c.name;
    }
}

// Names of any length: the messages are cut at their buffers (191 bytes for
// the names and `on` messages, 255 for the closing line) and never overrun.
TEST(StatementRejections, LongNamesAreCutNotOverrun) {
    const std::string name(300, 'n');
    struct LongCase {
        const char* name;
        std::string source;
        std::string full_message;
        size_t limit;
    };
    const LongCase cases[] = {
        {"closing line", "for i = 1 to 2\nnext " + name + "\n", next_message(name, "i"), 255},
        {"closed variable", "for " + name + " = 1 to 2\nnext j\n", next_message("j", name), 255},
        {"equal names", "for each " + name + ", " + name + " in xs\nnext\n",
         same_name_message(name), 191},
        {"channel", "on " + name + " stop\n",
         "unknown diagnostic channel '" + name + "'; `on` takes `error` or `warning`", 191},
        {"mode", "on warning " + name + "\n",
         "unknown warning mode '" + name + "'; expected print, ignore, stop, or goto next", 191},
    };
    for (const LongCase& c : cases) {
        ParseOutcome outcome = parse_text(c.source);
        EXPECT_EQ(outcome.result, 1) << c.name;
        ASSERT_EQ(outcome.diagnostics.size(), 1u) << c.name;
        EXPECT_EQ(outcome.diagnostics[0].message, c.full_message.substr(0, c.limit)) << c.name;
    }
}

// The accepted forms the checks above must let through.
TEST(StatementRejections, ClosingLinesAndWordsThatAreAccepted) {
    const char* const accepted[] = {
        "for i = 1 to 3\nnext i\n",
        "for i = 1 to 3 step 2\nnext\n",
        "for i = 1 to 3\nend for\n",
        "for x, i in xs\nnext x\n",
        "for each x, X in xs\nnext x\n",
        "with lock(a)\nend with\nwith principal(b)\nend with\n",
        "use json from \"p\"\nload json from \"p\"\nload json from \"p\" as j\n",
        "on warning ignore\non warning print\non warning stop\non warning goto next\n",
        "widget w()\n  get \"/\" ()\n    on warning stop\n  end get\nend widget\n",
    };
    for (const char* source : accepted) {
        ParseOutcome outcome = parse_text(source);
        EXPECT_EQ(outcome.result, 0) << source;
        EXPECT_TRUE(outcome.diagnostics.empty()) << source << outcome.diagnostics[0].message;
    }
}

}  // namespace
