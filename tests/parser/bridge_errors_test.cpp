#include <cstring>
#include <string>

#include "tests/parser/bridge_harness.h"

namespace {

struct ErrorCase {
    const char* source;
    int tokens_before;  // tokens delivered normally before the failing one
    DiagnosticKind kind;
    const char* message;
    SourceSpan range;
};

// Each text fails at its first problem: one error diagnostic, end of input
// for the parser, and a failed parse.
TEST(BridgeErrors, FirstProblemEndsTheInput) {
    const ErrorCase cases[] = {
        {"print a; b", 2, TV_DIAG_LEX_ERROR, "unexpected token", {1, 8, 1, 9}},
        {"x = \"abc", 2, TV_DIAG_LEX_DETAIL, "unterminated string", {1, 5, 1, 9}},
        {"x = \"ab\ncd", 2, TV_DIAG_LEX_DETAIL, "unterminated string", {1, 5, 2, 3}},
        {"print (a +\n b", 5, TV_DIAG_LEX_DETAIL,
         "unclosed '(' opened on line 1 -- a line break inside brackets continues the statement",
         {2, 3, 2, 3}},
        {"total%", 1, TV_DIAG_LEX_DETAIL,
         "'%' is a type sigil; Tovel has none -- write the name alone", {1, 6, 1, 7}},
        {"if a <> b", 2, TV_DIAG_LEX_DETAIL,
         "'<>' is not an operator; not-equal is != -- a != b", {1, 6, 1, 8}},
        {"s = \"\\u41\"", 2, TV_DIAG_LEX_DETAIL,
         "invalid escape sequence: \\u must be followed by {", {1, 5, 1, 8}},
        {"s = \"\\u{41\"", 2, TV_DIAG_LEX_DETAIL,
         "invalid unicode escape: expected } after \\u{", {1, 5, 1, 11}},
        {"s = \"\\u{}\"", 2, TV_DIAG_LEX_DETAIL,
         "invalid unicode escape: \\u{} needs hex digits", {1, 5, 1, 10}},
        {"s = \"\\u{G}\"", 2, TV_DIAG_LEX_DETAIL,
         "invalid unicode escape: expected } after \\u{", {1, 5, 1, 9}},
        // The line feed after the backslash is not part of the error token.
        {"s = \"ab\\\nc\"", 2, TV_DIAG_LEX_DETAIL, "unterminated escape sequence",
         {1, 5, 1, 9}},
        {"s = \"a\\", 2, TV_DIAG_LEX_DETAIL, "unterminated escape sequence", {1, 5, 1, 8}},
        {"s = \"\\u{D800}\"", 2, TV_DIAG_STRING_LITERAL,
         "invalid unicode escape: surrogate codepoints (0xD800..0xDFFF) are not valid",
         {1, 5, 1, 15}},
        {"s = \"a\nb\\u{110000}\"", 2, TV_DIAG_STRING_LITERAL,
         "invalid unicode escape: codepoint must be between 0 and 0x10FFFF", {1, 5, 2, 13}},
        {"a \xC3\xA9", 1, TV_DIAG_LEX_ERROR, "unexpected token", {1, 3, 1, 4}},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.source);
        BridgeHarness bridge(c.source);
        for (int i = 0; i < c.tokens_before; ++i) {
            EXPECT_NE(bridge.next().code, 0) << "token " << i;
        }
        EXPECT_EQ(bridge.context().failed, 0);
        BridgeHarness::Delivered d = bridge.next();
        EXPECT_EQ(d.code, 0);
        EXPECT_FALSE(d.wrote_text);
        EXPECT_EQ(bridge.context().failed, 1);
        ASSERT_EQ(bridge.diagnostic_count(), 1u);
        const Diagnostic* diagnostic = bridge.diagnostic(0);
        EXPECT_EQ(diagnostic->severity, SEVERITY_ERROR);
        EXPECT_EQ(diagnostic->kind, c.kind);
        EXPECT_EQ(diagnostic->subcode, 0);
        EXPECT_STREQ(diagnostic->path, "mem.tov");
        EXPECT_STREQ(diagnostic->message, c.message);
        expect_span(diagnostic->span, c.range.start_line, c.range.start_column,
                    c.range.end_line, c.range.end_column);
    }
}

TEST(BridgeErrors, StringWarningsDoNotEndTheInput) {
    BridgeHarness bridge("print \"50\\%\" + x");
    EXPECT_EQ(bridge.next().code, TOK_PRINT);
    BridgeHarness::Delivered s = bridge.next();
    EXPECT_EQ(s.code, TOK_STRING);
    EXPECT_EQ(s.text, "50\\%");
    EXPECT_EQ(bridge.next().code, TOK_PLUS);
    EXPECT_EQ(bridge.next().code, TOK_IDENT);
    EXPECT_EQ(bridge.next().code, 0);
    EXPECT_EQ(bridge.context().failed, 0);
    ASSERT_EQ(bridge.diagnostic_count(), 1u);
    const Diagnostic* warning = bridge.diagnostic(0);
    EXPECT_EQ(warning->severity, SEVERITY_WARNING);
    EXPECT_EQ(warning->kind, TV_DIAG_STRING_LITERAL);
    EXPECT_STREQ(warning->message,
                 "unknown escape \\% kept as the two characters; write \\\\% to say so");
    expect_span(warning->span, 1, 7, 1, 13);
}

TEST(BridgeFacts, FirstTokenFindsEmptyPreviousFacts) {
    BridgeHarness bridge("while x");
    bridge.next();
    const ParseContext& context = bridge.context();
    EXPECT_EQ(context.prev_token_kind, TOKEN_EOF);
    EXPECT_STREQ(context.prev_token_word, "");
    EXPECT_EQ(context.token_kind, TOKEN_WHILE);
    EXPECT_STREQ(context.token_word, "while");
    EXPECT_EQ(context.token_end, bridge.lexer().source + 5);
}

TEST(BridgeFacts, WordsMoveForwardWithEachToken) {
    struct Step {
        TokenKind kind;
        const char* word;
        int32_t end_offset;  // token_end - source
    };
    const char* source = "Total = \"abc\" + 12 {scale}\nnext";
    const Step steps[] = {
        {TOKEN_IDENT, "Total", 5},
        {TOKEN_OP_EQ, "", 7},
        {TOKEN_STRING, "", 13},
        {TOKEN_PLUS, "", 15},
        {TOKEN_NUMBER, "", 18},
        {TOKEN_MODIFIER_PREFIX, "scale", 25},
        {TOKEN_NEWLINE, "", 27},
        {TOKEN_NEXT, "next", 31},
        {TOKEN_EOF, "", 31},
    };
    BridgeHarness bridge(source);
    const Step* previous = nullptr;
    for (const Step& step : steps) {
        SCOPED_TRACE(token_kind_name(step.kind));
        bridge.next();
        const ParseContext& context = bridge.context();
        EXPECT_EQ(context.token_kind, step.kind);
        EXPECT_STREQ(context.token_word, step.word);
        EXPECT_EQ(context.token_end - bridge.lexer().source, step.end_offset);
        if (previous) {
            EXPECT_EQ(context.prev_token_kind, previous->kind);
            EXPECT_STREQ(context.prev_token_word, previous->word);
        }
        previous = &step;
    }
}

TEST(BridgeFacts, WordLengthLimit) {
    struct Case {
        std::string source;
        bool kept;
    };
    const Case cases[] = {
        {std::string(39, 'w'), true},
        {std::string(40, 'w'), false},
        {"_" + std::string(38, '9'), true},
        {"x", true},
        {std::string(200, 'q'), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source.size());
        BridgeHarness bridge(c.source.c_str());
        EXPECT_EQ(bridge.next().code, TOK_IDENT);
        EXPECT_EQ(std::string(bridge.context().token_word), c.kept ? c.source : std::string());
    }
}

// The previous word is all of the last token_word, so a long word after a
// short one does not leave stale bytes behind.
TEST(BridgeFacts, LongWordAfterShortClearsTheWord) {
    std::string source = "abc " + std::string(45, 'z') + " d";
    BridgeHarness bridge(source.c_str());
    bridge.next();
    bridge.next();
    EXPECT_STREQ(bridge.context().token_word, "");
    EXPECT_STREQ(bridge.context().prev_token_word, "abc");
    bridge.next();
    EXPECT_STREQ(bridge.context().token_word, "d");
    EXPECT_STREQ(bridge.context().prev_token_word, "");
}

}  // namespace
