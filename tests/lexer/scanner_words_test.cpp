// Keywords and the context rules of words: dots, field names, qualified
// call names, `end consider` and consider branch columns.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lexer/lexer.h"
#include "tests/lexer/lexer_render.h"

namespace {

using lexer_test::render_tokens;

std::string kinds(const std::string& text) {
    lexer_test::RenderOptions options;
    options.kinds_only = true;
    return render_tokens(text, options);
}

struct KindsCase {
    const char* source;
    const char* expected;
};

void run_kinds(const KindsCase* cases, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        EXPECT_EQ(kinds(cases[i].source), cases[i].expected) << "source: " << cases[i].source;
    }
}

TEST(ScannerWords, EveryKeywordInAnyCase) {
    const struct {
        const char* word;
        TokenKind kind;
    } keywords[] = {
        {"program", TOKEN_PROGRAM}, {"library", TOKEN_LIBRARY}, {"load", TOKEN_LOAD},
        {"use", TOKEN_USE}, {"export", TOKEN_EXPORT}, {"if", TOKEN_IF}, {"then", TOKEN_THEN},
        {"else", TOKEN_ELSE}, {"end", TOKEN_END}, {"for", TOKEN_FOR}, {"to", TOKEN_TO},
        {"step", TOKEN_STEP}, {"do", TOKEN_DO}, {"until", TOKEN_UNTIL}, {"while", TOKEN_WHILE},
        {"consider", TOKEN_CONSIDER}, {"break", TOKEN_BREAK}, {"continue", TOKEN_CONTINUE},
        {"function", TOKEN_FUNCTION}, {"return", TOKEN_RETURN}, {"print", TOKEN_PRINT},
        {"dim", TOKEN_DIM}, {"as", TOKEN_AS}, {"watch", TOKEN_WATCH}, {"unwatch", TOKEN_UNWATCH},
        {"without", TOKEN_WITHOUT}, {"watchers", TOKEN_WATCHERS}, {"modifier", TOKEN_MODIFIER},
        {"goto", TOKEN_GOTO}, {"gosub", TOKEN_GOSUB}, {"with", TOKEN_WITH}, {"new", TOKEN_NEW},
        {"spawn", TOKEN_SPAWN}, {"on", TOKEN_ON}, {"next", TOKEN_NEXT}, {"stop", TOKEN_STOP},
        {"error", TOKEN_ERROR_VALUE}, {"true", TOKEN_TRUE}, {"false", TOKEN_FALSE},
        {"nothing", TOKEN_NOTHING}, {"unknown", TOKEN_UNKNOWN}, {"and", TOKEN_AND},
        {"or", TOKEN_OR}, {"not", TOKEN_NOT}, {"excluding", TOKEN_EXCLUDING},
        {"intersecting", TOKEN_INTERSECTING}, {"in", TOKEN_IN}, {"each", TOKEN_EACH},
    };
    ASSERT_EQ(std::size(keywords), 48u);
    for (const auto& keyword : keywords) {
        std::string word = keyword.word;
        std::string upper = word, mixed = word;
        for (size_t i = 0; i < word.size(); ++i) {
            upper[i] = static_cast<char>(word[i] - 'a' + 'A');
            if (i % 2 == 1) mixed[i] = upper[i];
        }
        EXPECT_EQ(keyword_lookup(word.data(), word.size()), keyword.kind) << word;
        EXPECT_EQ(keyword_lookup(upper.data(), upper.size()), keyword.kind) << upper;
        EXPECT_EQ(keyword_lookup(mixed.data(), mixed.size()), keyword.kind) << mixed;
        // Near misses: a byte short, a byte more, and one letter off.
        EXPECT_EQ(keyword_lookup(word.data(), word.size() - 1), TOKEN_IDENT) << word << " cut";
        std::string longer = word + "s";
        EXPECT_EQ(keyword_lookup(longer.data(), longer.size()), TOKEN_IDENT) << longer;
        std::string changed = word;
        changed.back() = changed.back() == 'z' ? 'y' : static_cast<char>(changed.back() + 1);
        EXPECT_EQ(keyword_lookup(changed.data(), changed.size()), TOKEN_IDENT) << changed;
        // The scanner sees the same kind through a whole word.
        Lexer lexer;
        lexer_init(&lexer, mixed.c_str(), 1);
        Token token = lexer_next_token(&lexer);
        EXPECT_EQ(token.kind, keyword.kind) << mixed;
        EXPECT_EQ(token.length, static_cast<int32_t>(word.size()));
    }
}

TEST(ScannerWords, NotKeywords) {
    const char* words[] = {"server", "web", "let", "rem", "sub", "Printer", "_if", "if_",
                           "if2", "EndConsider", "ifx", "x", "unknowns", "intersectin"};
    for (const char* word : words) {
        EXPECT_EQ(keyword_lookup(word, std::strlen(word)), TOKEN_IDENT) << word;
    }
    // Bytes that differ from a letter only in the case bit are not letters.
    EXPECT_EQ(keyword_lookup("i\x06", 2), TOKEN_IDENT);
    EXPECT_EQ(keyword_lookup("\xC9\xC6", 2), TOKEN_IDENT);
    EXPECT_EQ(keyword_lookup("if", 0), TOKEN_IDENT);
}

TEST(ScannerWords, KindNames) {
    EXPECT_STREQ(token_kind_name(TOKEN_EOF), "EOF");
    EXPECT_STREQ(token_kind_name(TOKEN_IDENT), "IDENT");
    EXPECT_STREQ(token_kind_name(TOKEN_ERROR_VALUE), "ERROR_VALUE");
    EXPECT_STREQ(token_kind_name(TOKEN_OP_NGE), "OP_NGE");
    EXPECT_STREQ(token_kind_name(TOKEN_ERROR), "ERROR");
    EXPECT_STREQ(token_kind_name(87), "UNKNOWN");
    EXPECT_STREQ(token_kind_name(-1), "UNKNOWN");
}

TEST(ScannerWords, DotsAndFieldNames) {
    const KindsCase cases[] = {
        {"x.print", "IDENT DOT IDENT EOF"},
        {"x. print", "IDENT DOT PRINT EOF"},
        {".dim", "DOT IDENT EOF"},
        {"print", "PRINT EOF"},
        {"{to: 1}", "LBRACE IDENT COLON NUMBER RBRACE EOF"},
        {"{ x: 1, if : 2 }", "LBRACE IDENT COLON NUMBER COMMA IDENT COLON NUMBER RBRACE EOF"},
        {"if : 2", "IF COLON NUMBER EOF"},
        {"{a: (if: 1)}", "LBRACE IDENT COLON LPAREN IF COLON NUMBER RPAREN RBRACE EOF"},
        {"{a: [end\r: 1]}", "LBRACE IDENT COLON LBRACKET END COLON NUMBER RBRACKET RBRACE EOF"},
        {"{a: 1,\n consider: 2}", "LBRACE IDENT COLON NUMBER COMMA IDENT COLON NUMBER RBRACE EOF"},
    };
    run_kinds(cases, std::size(cases));
}

TEST(ScannerWords, QualifiedNames) {
    const struct {
        const char* source;
        const char* expected;
    } cases[] = {
        {"math.sqrt(2)",
         "QUALIFIED_IDENT 'math.sqrt' 1:1/9\nLPAREN '(' 1:10/1\nNUMBER '2' 1:11/1\nRPAREN ')' 1:12/1\n"
         "EOF '' 1:13/0"},
        {"math.sqrt (2)",
         "QUALIFIED_IDENT 'math.sqrt' 1:1/9\nLPAREN '(' 1:11/1\nNUMBER '2' 1:12/1\nRPAREN ')' 1:13/1\n"
         "EOF '' 1:14/0"},
        {"math.pi", "IDENT 'math' 1:1/4\nDOT '.' 1:5/1\nIDENT 'pi' 1:6/2\nEOF '' 1:8/0"},
        {"error.code(1)",
         "ERROR_VALUE 'error' 1:1/5\nDOT '.' 1:6/1\nIDENT 'code' 1:7/4\nLPAREN '(' 1:11/1\n"
         "NUMBER '1' 1:12/1\nRPAREN ')' 1:13/1\nEOF '' 1:14/0"},
        {"a.b.c()",
         "IDENT 'a' 1:1/1\nDOT '.' 1:2/1\nQUALIFIED_IDENT 'b.c' 1:3/3\nLPAREN '(' 1:6/1\n"
         "RPAREN ')' 1:7/1\nEOF '' 1:8/0"},
        {"io.print(x)",
         "QUALIFIED_IDENT 'io.print' 1:1/8\nLPAREN '(' 1:9/1\nIDENT 'x' 1:10/1\nRPAREN ')' 1:11/1\n"
         "EOF '' 1:12/0"},
        {"a.1(", "IDENT 'a' 1:1/1\nDOT '.' 1:2/1\nNUMBER '1' 1:3/1\nLPAREN '(' 1:4/1\n"
                 "ERROR '' 1:5/0 ! \"unclosed '(' opened on line 1 -- a line break inside brackets continues the statement\"\n"
                 "EOF '' 1:5/0"},
        {"a.b\n(", "IDENT 'a' 1:1/1\nDOT '.' 1:2/1\nIDENT 'b' 1:3/1\nNEWLINE '\\n' 1:4/1\nLPAREN '(' 2:1/1\n"
                   "ERROR '' 2:2/0 ! \"unclosed '(' opened on line 2 -- a line break inside brackets continues the statement\"\n"
                   "EOF '' 2:2/0"},
    };
    for (const auto& c : cases) EXPECT_EQ(render_tokens(c.source), c.expected) << c.source;
}

TEST(ScannerWords, EndConsider) {
    EXPECT_EQ(render_tokens("end   consider"), "END_CONSIDER 'end   consider' 1:1/14\nEOF '' 1:15/0");
    EXPECT_EQ(render_tokens("END\tConsider x"),
              "END_CONSIDER 'END\\tConsider' 1:1/12\nIDENT 'x' 1:14/1\nEOF '' 1:15/0");
    const KindsCase cases[] = {
        {"end\nconsider", "END NEWLINE CONSIDER EOF"},
        {"end considered", "END IDENT EOF"},
        {"end if", "END IF EOF"},
        {"end", "END EOF"},
        {"end ' consider", "END EOF"},
        {"ends consider", "IDENT CONSIDER EOF"},
    };
    run_kinds(cases, std::size(cases));
}

TEST(ScannerWords, ConsiderColumns) {
    const KindsCase cases[] = {
        // if before any consider, branches in the consider's column, inner
        // statements elsewhere, and plain if again after the close.
        {"if a\nconsider x\nif 1 then\n  if y\n  else\n  end\nelse\nend consider\nif b",
         "IF IDENT NEWLINE CONSIDER IDENT NEWLINE CONSIDER_IF NUMBER THEN NEWLINE "
         "IF IDENT NEWLINE ELSE NEWLINE END NEWLINE CONSIDER_ELSE NEWLINE END_CONSIDER NEWLINE "
         "IF IDENT EOF"},
        // Indented consider: its column is 3, not 1.
        {"  consider x\nif 1\n  if 2\n  else\n  end consider\n",
         "CONSIDER IDENT NEWLINE IF NUMBER NEWLINE CONSIDER_IF NUMBER NEWLINE CONSIDER_ELSE NEWLINE "
         "END_CONSIDER NEWLINE EOF"},
        // Nested: the inner consider's column wins until it is closed.
        {"consider a\nif 1\n  consider b\n  if 2\nif 3\n  end consider\nif 4\nend consider",
         "CONSIDER IDENT NEWLINE CONSIDER_IF NUMBER NEWLINE CONSIDER IDENT NEWLINE CONSIDER_IF NUMBER "
         "NEWLINE IF NUMBER NEWLINE END_CONSIDER NEWLINE CONSIDER_IF NUMBER NEWLINE END_CONSIDER EOF"},
        // A consider used as a field name or member opens nothing.
        {"r.consider\nif 1", "IDENT DOT IDENT NEWLINE IF NUMBER EOF"},
        // A branch word that became a name stays a name in the column.
        {" consider x\n{else: 1}\n.if", "CONSIDER IDENT NEWLINE LBRACE IDENT COLON NUMBER RBRACE "
                                         "NEWLINE DOT IDENT EOF"},
        // An extra end consider does not underflow.
        {"end consider\nend consider\nconsider\nif", "END_CONSIDER NEWLINE END_CONSIDER NEWLINE CONSIDER NEWLINE CONSIDER_IF EOF"},
    };
    run_kinds(cases, std::size(cases));
}

TEST(ScannerWords, ConsiderBeyondRecordedDepth) {
    // 70 nested considers, each one column further right; the levels past
    // 64 are not recorded, so the deepest recorded column (64) decides.
    std::string text;
    for (int i = 0; i < 70; ++i) text += std::string(static_cast<size_t>(i), ' ') + "consider\n";
    text += std::string(63, ' ') + "if\n" + std::string(69, ' ') + "if\n";
    Lexer lexer;
    lexer_init(&lexer, text.c_str(), 1);
    Token token;
    std::string tail;
    while ((token = lexer_next_token(&lexer)).kind != TOKEN_EOF) {
        if (token.kind != TOKEN_CONSIDER && token.kind != TOKEN_NEWLINE) {
            tail += std::string(token_kind_name(token.kind)) + " ";
        }
    }
    EXPECT_EQ(lexer.consider_depth, 70);
    EXPECT_EQ(tail, "CONSIDER_IF IF ");
}

}  // namespace
