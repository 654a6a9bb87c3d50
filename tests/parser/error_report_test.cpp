// The error reporter on hand-made parse contexts: hints, location clamping
// and the unknown-block message, independent of the grammar.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "diag/diagnostic.h"
#include "lexer/lexer.h"
#include "parser/error_report.h"
#include "parser/parse_context.h"

namespace {

struct ReporterFixture : ::testing::Test {
    DiagnosticList list;
    Lexer lexer;
    ParseContext context;
    std::string text;

    void SetUp() override {
        diag_list_init(&list);
        context = ParseContext{};
        context.diagnostics = &list;
        context.path = "doc.tv";
    }
    void TearDown() override { diag_list_free(&list); }

    // Places the context as if the bridge had just delivered the token that
    // ends at `end_offset` in `source`, with the given words and kind.
    void read_up_to(const std::string& source, size_t end_offset, const char* word,
                    const char* prev_word, TokenKind kind) {
        text = source;
        lexer_init(&lexer, text.c_str(), 1);
        context.lexer = &lexer;
        context.token_end = text.c_str() + end_offset;
        std::snprintf(context.token_word, sizeof context.token_word, "%s", word);
        std::snprintf(context.prev_token_word, sizeof context.prev_token_word, "%s", prev_word);
        context.token_kind = kind;
    }

    const Diagnostic* only() {
        EXPECT_EQ(diag_list_count(&list), 1u);
        return diag_list_at(&list, 0);
    }
};

void expect_span(const Diagnostic* d, int32_t sl, int32_t sc, int32_t el, int32_t ec) {
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->span.start_line, sl);
    EXPECT_EQ(d->span.start_column, sc);
    EXPECT_EQ(d->span.end_line, el);
    EXPECT_EQ(d->span.end_column, ec);
}

TEST(UnknownBlockMessage, WordsAndSubroutineHint) {
    const char* const with_hint =
        " -- Tovel has no such statement; a subroutine is a `function`";
    struct Case {
        const char* word;
        const char* shown;
        bool hinted;
    } cases[] = {
        {"sub", "sub", true},        {"def", "def", true},     {"procedure", "procedure", true},
        {"method", "method", true},  {"func", "func", true},   {"Sub", "Sub", false},
        {"function", "function", false}, {"widget", "widget", false}, {nullptr, "?", false},
        {"", "", false},
    };
    for (const Case& c : cases) {
        char buffer[UNKNOWN_BLOCK_MESSAGE_SIZE];
        format_unknown_block_message(buffer, sizeof buffer, c.word);
        std::string expected = std::string("unknown declarative block '") + c.shown +
                               "' (only 'server' exists)" + (c.hinted ? with_hint : "");
        EXPECT_EQ(buffer, expected) << (c.word ? c.word : "(null)");
    }
}

TEST(UnknownBlockMessage, TruncatesToTheBuffer) {
    char small[12];
    std::memset(small, 'x', sizeof small);
    format_unknown_block_message(small, sizeof small, "sub");
    EXPECT_STREQ(small, "unknown dec");

    // The longest keyword a block can record still fits with its hint.
    std::string word(39, 'w');
    char buffer[UNKNOWN_BLOCK_MESSAGE_SIZE];
    format_unknown_block_message(buffer, sizeof buffer, word.c_str());
    EXPECT_NE(std::strstr(buffer, word.c_str()), nullptr);
    EXPECT_NE(std::strstr(buffer, "(only 'server' exists)"), nullptr);
}

TEST(ReservedWord, KeywordsInAnyCaseOnly) {
    struct Case {
        const char* word;
        int32_t reserved;
    } cases[] = {
        {"to", 1}, {"TO", 1}, {"End", 1}, {"function", 1}, {"dim", 1}, {"x", 0},
        {"tos", 0}, {"", 0}, {nullptr, 0}, {"server", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(is_reserved_word(c.word), c.reserved) << (c.word ? c.word : "(null)");
    }
}

TEST_F(ReporterFixture, FailedParseAddsNothingButDirectErrorsStillGoThrough) {
    context.failed = 1;
    report_parse_error(&context, 1, 1, 1, 2, "syntax error, unexpected NUMBER");
    report_at_token(&context, "expected from in use statement");
    yyerror(nullptr, &context, "memory exhausted");
    EXPECT_EQ(diag_list_count(&list), 0u);

    add_parse_error(&context, TV_DIAG_PARSE_ERROR, 3, 4, 3, 4, "unknown warning mode 'x'");
    const Diagnostic* d = only();
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d->message, "unknown warning mode 'x'");
    EXPECT_EQ(d->kind, TV_DIAG_PARSE_ERROR);
    EXPECT_EQ(d->severity, SEVERITY_ERROR);
    EXPECT_STREQ(d->path, "doc.tv");
    expect_span(d, 3, 4, 3, 4);
}

TEST_F(ReporterFixture, DirectErrorsTakeNoHints) {
    // A `let` line and a keyword before `=` would both be rewritten by the
    // reporter; a direct error keeps its text.
    read_up_to("let to = 1\n", 6, "to", "let", TOKEN_TO);
    add_parse_error(&context, TV_DIAG_LEX_DETAIL, 1, 5, 1, 7, "plain");
    EXPECT_STREQ(only()->message, "plain");
    EXPECT_EQ(only()->kind, TV_DIAG_LEX_DETAIL);
}

TEST_F(ReporterFixture, BeforeTheFirstTokenNoHintApplies) {
    lexer_init(&lexer, "let x = 1\n", 1);
    context.lexer = &lexer;
    report_parse_error(&context, 1, 1, 1, 4, "syntax error, unexpected IDENT");
    EXPECT_STREQ(only()->message, "syntax error, unexpected IDENT");
}

struct LineHintCase {
    const char* source;
    size_t token_end;  // offset just past the offending token
    const char* expected;
};

const char* const LET =
    "`let` is not a Tovel statement; assign directly (x = 1)";
const char* const REM =
    "`rem` is not a Tovel comment; a comment starts with ' and runs to the end of the line";
const char* const PLAIN = "syntax error, unexpected OP_EQ, expecting LPAREN";

TEST_F(ReporterFixture, LetAndRemLineHints) {
    const LineHintCase cases[] = {
        {"let x = 1\n", 7, LET},
        {"LET x = 1\n", 7, LET},
        {"  \tLeT x = 1\n", 10, LET},
        {"rem this is a note\n", 11, REM},
        {"y = 2\nrem this is a note\n", 17, REM},
        {"let(x) = 1\n", 8, PLAIN},
        {"let  (x) = 1\n", 10, PLAIN},
        {"letter x = 1\n", 10, PLAIN},
        {"le x = 1\n", 6, PLAIN},
        {"set x = 1\n", 7, PLAIN},
        {"x = 1 2\n", 7, PLAIN},
        // The offending token is the line break: its end is on the next line,
        // which is the one examined.
        {"rem hello\nx = 1\n", 10, PLAIN},
        {"x y\nlet z = 1\n", 4, LET},
        // At the very start of the text there is no preceding line break.
        {"rem", 3, REM},
    };
    for (const LineHintCase& c : cases) {
        diag_list_free(&list);
        diag_list_init(&list);
        read_up_to(c.source, c.token_end, "", "", TOKEN_IDENT);
        report_parse_error(&context, 1, 7, 1, 8, PLAIN);
        const Diagnostic* d = only();
        ASSERT_NE(d, nullptr);
        EXPECT_STREQ(d->message, c.expected) << c.source;
        expect_span(d, 1, 7, 1, 8);  // the hint never moves the report
    }
}

struct ReservedCase {
    const char* source;
    size_t token_end;
    const char* word;
    const char* prev_word;
    TokenKind kind;
    const char* message;
    const char* blamed;  // the word the hint names, or null for no hint
};

TEST_F(ReporterFixture, ReservedWordUsedAsName) {
    const ReservedCase cases[] = {
        // A keyword where a name was expected.
        {"function to(x)\n", 11, "to", "function", TOKEN_TO,
         "syntax error, unexpected TO, expecting IDENT", "to"},
        // Without IDENT in the message and no `=` after it, nothing is blamed.
        {"x = 1 to\n", 8, "to", "", TOKEN_TO, "syntax error, unexpected TO, expecting NEWLINE",
         nullptr},
        // A keyword on the left of `=`, the `=` being the offending token.
        {"watch = 1\n", 7, "", "watch", TOKEN_OP_EQ, "syntax error, unexpected OP_EQ", "watch"},
        // A keyword followed by `=`, the keyword being the offending token.
        {"to = 1\n", 2, "to", "", TOKEN_TO,
         "syntax error, unexpected TO, expecting end of file", "to"},
        {"to\t= 1\n", 2, "to", "", TOKEN_TO, "m", "to"},
        // Names that are not keywords are never blamed.
        {"x = = 1\n", 3, "", "x", TOKEN_OP_EQ, "syntax error, unexpected OP_EQ", nullptr},
        {"foo = 1\n", 3, "foo", "", TOKEN_IDENT, "expecting IDENT", nullptr},
        // A keyword before `=` only counts when `=` is the offending token.
        {"to = 1\n", 4, "", "to", TOKEN_OP_NE, "m", nullptr},
    };
    for (const ReservedCase& c : cases) {
        diag_list_free(&list);
        diag_list_init(&list);
        read_up_to(c.source, c.token_end, c.word, c.prev_word, c.kind);
        report_parse_error(&context, 1, 1, 1, 2, c.message);
        const Diagnostic* d = only();
        ASSERT_NE(d, nullptr);
        std::string expected = c.message;
        if (c.blamed != nullptr) {
            expected += std::string(" -- '") + c.blamed +
                        "' is a reserved word and cannot be used as a name";
        }
        EXPECT_EQ(d->message, expected) << c.source;
    }
}

TEST_F(ReporterFixture, ReservedWordMessageIsCutAt511Bytes) {
    read_up_to("to = 1\n", 2, "to", "", TOKEN_TO);
    std::string long_message(600, 'm');
    report_parse_error(&context, 1, 1, 1, 3, long_message.c_str());
    EXPECT_EQ(std::strlen(only()->message), 511u);
    EXPECT_EQ(std::string(only()->message), std::string(511, 'm'));
}

TEST_F(ReporterFixture, PendingBlockReplacesMessageAndLocationOnce) {
    read_up_to("sub greet()\nx y\n", 15, "y", "x", TOKEN_IDENT);
    std::snprintf(context.pending_block, sizeof context.pending_block, "sub");
    context.pending_line = 1;
    context.pending_column = 1;
    report_parse_error(&context, 2, 3, 2, 4, "syntax error, unexpected IDENT");
    const Diagnostic* d = only();
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d->message,
                 "unknown declarative block 'sub' (only 'server' exists) -- Tovel has no such "
                 "statement; a subroutine is a `function`");
    expect_span(d, 1, 1, 1, 4);
    EXPECT_EQ(context.pending_block[0], '\0');

    // The keyword is used up: the next report keeps its own text.
    report_parse_error(&context, 2, 3, 2, 4, "second");
    ASSERT_EQ(diag_list_count(&list), 2u);
    EXPECT_STREQ(diag_list_at(&list, 1)->message, "second");
}

TEST_F(ReporterFixture, LocationIsClamped) {
    struct Case {
        SourceSpan given;
        SourceSpan expected;
    } cases[] = {
        {{4, 2, 4, 9}, {4, 2, 4, 9}},
        {{0, 0, 0, 0}, {3, 5, 3, 5}},    // start line 0: the lexer's position
        {{-2, 8, 1, 1}, {3, 5, 3, 5}},
        {{2, 0, 2, 4}, {2, 1, 2, 4}},    // column below 1
        {{2, 6, 2, 3}, {2, 6, 2, 6}},    // end before start on one line
        {{5, 1, 4, 9}, {5, 1, 5, 1}},    // end line before start line
        {{5, 9, 6, 1}, {5, 9, 6, 1}},    // a later line may end at a smaller column
    };
    for (const Case& c : cases) {
        diag_list_free(&list);
        diag_list_init(&list);
        lexer_init(&lexer, "a\nb\nccccxyz\n", 1);
        lexer.line = 3;
        lexer.column = 5;
        context.lexer = &lexer;
        SourceSpan at = c.given;
        yyerror(&at, &context, "syntax error");
        expect_span(only(), c.expected.start_line, c.expected.start_column, c.expected.end_line,
                    c.expected.end_column);
    }
}

TEST_F(ReporterFixture, WithoutLexerAStartLineBelowOneBecomesOne) {
    report_parse_error(&context, 0, 0, 0, 0, "syntax error");
    expect_span(only(), 1, 1, 1, 1);
}

TEST_F(ReporterFixture, ReportAtTokenUsesTheLastTokenLocation) {
    read_up_to("use json at \"p\"\n", 15, "", "at", TOKEN_STRING);
    context.token_location = SourceSpan{1, 13, 1, 16};
    report_at_token(&context, "expected from in use statement");
    const Diagnostic* d = only();
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d->message, "expected from in use statement");
    expect_span(d, 1, 13, 1, 16);
}

}  // namespace
