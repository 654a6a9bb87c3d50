// Every statement form receives its span where it is reduced into a
// statement list: at the top level, inside a consider branch and after
// `then`. Each form is parsed in each place it may stand, so a grammar
// alternative that forgets or misplaces the span shows up by name.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/parser/dump_support.h"

namespace {

enum Shape {
    SIMPLE,  // one line; the span stops before the line break
    BLOCK,   // the span runs to the end of the line break after the last line
};

struct FormCase {
    const char* name;
    std::vector<std::string> lines;
    Shape shape;
    bool inline_form;  // may also stand after `then`
    bool in_consider;  // may stand inside a consider branch
};

const FormCase kForms[] = {
    {"assignment", {"x = 1"}, SIMPLE, true, true},
    {"compound assignment with a lens", {"x.y[1] {s} += 2"}, SIMPLE, true, true},
    {"print", {"print 1"}, SIMPLE, true, true},
    {"print to error", {"print to error 1"}, SIMPLE, true, true},
    {"call", {"f(1)"}, SIMPLE, true, true},
    {"qualified call", {"a.b(1)"}, SIMPLE, true, true},
    {"method call", {"obj .m(1)"}, SIMPLE, true, true},
    {"call on error", {"error.raise(1)"}, SIMPLE, true, true},
    {"with lock", {"with lock(a)", "  x = 1", "end with"}, BLOCK, false, true},
    {"for each", {"for x in xs", "next"}, BLOCK, false, true},
    {"counted for", {"for i = 1 to 2 step 1", "next i"}, BLOCK, false, true},
    {"for closed by end for", {"for each x, i in xs", "end for"}, BLOCK, false, true},
    {"while", {"while a", "end while"}, BLOCK, false, true},
    {"do until", {"do", "until a"}, BLOCK, false, true},
    {"consider", {"consider a", "if 1 then", "end consider"}, BLOCK, false, true},
    {"function", {"function f()", "end function"}, BLOCK, false, true},
    {"modifier", {"modifier near to(t) for number", "end modifier"}, BLOCK, false, true},
    {"exported modifier", {"export modifier m for number", "end modifier"}, BLOCK, false, true},
    {"program block", {"program p()", "end program"}, BLOCK, false, true},
    {"library", {"library l", "end library"}, BLOCK, false, true},
    {"use", {"use json"}, SIMPLE, true, true},
    {"load from as", {"load json from \"p\" as j"}, SIMPLE, true, true},
    {"watch", {"watch a.b, c", "end watch"}, BLOCK, false, true},
    {"unwatch", {"unwatch a"}, SIMPLE, false, true},
    {"without watchers", {"without watchers", "end without"}, BLOCK, false, true},
    {"on error", {"on error goto h"}, SIMPLE, true, true},
    {"on warning", {"on warning ignore"}, SIMPLE, true, true},
    {"error", {"error \"x\""}, SIMPLE, true, true},
    {"bare return", {"return"}, SIMPLE, true, true},
    {"return with value", {"return 1"}, SIMPLE, true, true},
    {"label", {"start:"}, SIMPLE, false, true},
    {"goto", {"goto start"}, SIMPLE, true, true},
    {"gosub", {"gosub start"}, SIMPLE, true, true},
    {"break", {"break outer"}, SIMPLE, true, true},
    {"continue", {"continue"}, SIMPLE, true, true},
    {"block if", {"if a then", "end if"}, BLOCK, false, true},
    {"inline if", {"if a then x = 1"}, BLOCK, false, true},
    {"server block", {"server s()", "end server"}, BLOCK, false, false},
};

const int32_t kIndent = 2;

std::string indented(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += std::string(kIndent, ' ') + line + "\n";
    return text;
}

// Where the form's span must lie when its first line is line `first_line`
// and every line is indented by kIndent.
SourceSpan expected_span(const FormCase& form, int32_t first_line) {
    const std::string& last = form.lines.back();
    int32_t last_line = first_line + static_cast<int32_t>(form.lines.size()) - 1;
    int32_t past_text = kIndent + static_cast<int32_t>(last.size()) + 1;
    // A block ends just past its closing line break, one column further.
    int32_t end_column = form.shape == BLOCK ? past_text + 1 : past_text;
    return {first_line, kIndent + 1, last_line, end_column};
}

std::string span_text(const SourceSpan& s) {
    return std::to_string(s.start_line) + ":" + std::to_string(s.start_column) + "-" +
           std::to_string(s.end_line) + ":" + std::to_string(s.end_column);
}

const Stmt* first_in_branch(const Stmt* consider) {
    if (!consider || consider->kind != STMT_CONSIDER || consider->consider.branches.count == 0) {
        return nullptr;
    }
    const StmtList& body = consider->consider.branches.items[0].body;
    return body.count ? body.items[0] : nullptr;
}

TEST(StatementSpans, TopLevelStatementsSpanTheirSyntax) {
    for (const FormCase& form : kForms) {
        ParsedProgram parsed(indented(form.lines));
        ASSERT_TRUE(parsed.ok) << form.name << "\n" << parsed.why;
        ASSERT_EQ(parsed.program.count, 1u) << form.name;
        EXPECT_EQ(span_text(parsed.at(0)->span), span_text(expected_span(form, 1))) << form.name;
    }
}

TEST(StatementSpans, ConsiderBranchStatementsSpanTheirSyntax) {
    for (const FormCase& form : kForms) {
        if (!form.in_consider) continue;
        ParsedProgram parsed("consider a\nif 1 then\n" + indented(form.lines) + "end consider\n");
        ASSERT_TRUE(parsed.ok) << form.name << "\n" << parsed.why;
        const Stmt* stmt = first_in_branch(parsed.at(0));
        ASSERT_NE(stmt, nullptr) << form.name;
        EXPECT_EQ(span_text(stmt->span), span_text(expected_span(form, 3))) << form.name;
    }
}

TEST(StatementSpans, ConsiderElseStatementsSpanTheirSyntax) {
    for (const FormCase& form : kForms) {
        if (!form.in_consider) continue;
        ParsedProgram parsed("consider a\nif 1 then\nelse\n" + indented(form.lines) +
                             "end consider\n");
        ASSERT_TRUE(parsed.ok) << form.name << "\n" << parsed.why;
        const Stmt* consider = parsed.at(0);
        ASSERT_NE(consider, nullptr) << form.name;
        ASSERT_EQ(consider->consider.else_body.count, 1u) << form.name;
        EXPECT_EQ(span_text(consider->consider.else_body.items[0]->span),
                  span_text(expected_span(form, 4)))
            << form.name;
    }
}

// After `then` and after an inline `else` the statement stops before the
// line break, which belongs to the if.
TEST(StatementSpans, InlineStatementsSpanOnlyThemselves) {
    const std::string then_prefix = "if a then ";
    const std::string else_prefix = "if a then\nelse ";
    for (const FormCase& form : kForms) {
        if (!form.inline_form) continue;
        const std::string& text = form.lines[0];
        int32_t then_start = static_cast<int32_t>(then_prefix.size()) + 1;
        ParsedProgram after_then(then_prefix + text + "\n");
        ASSERT_TRUE(after_then.ok) << form.name << "\n" << after_then.why;
        const Stmt* outer = after_then.at(0);
        ASSERT_EQ(outer->if_stmt.then_body.count, 1u) << form.name;
        SourceSpan want = {1, then_start, 1, then_start + static_cast<int32_t>(text.size())};
        EXPECT_EQ(span_text(outer->if_stmt.then_body.items[0]->span), span_text(want))
            << form.name;
        EXPECT_EQ(span_text(outer->span),
                  span_text({1, 1, 1, then_start + static_cast<int32_t>(text.size()) + 1}))
            << form.name;

        ParsedProgram after_else(else_prefix + text + "\n");
        ASSERT_TRUE(after_else.ok) << form.name << "\n" << after_else.why;
        const StmtList& else_body = after_else.at(0)->if_stmt.else_body;
        ASSERT_EQ(else_body.count, 1u) << form.name;
        want = {2, 6, 2, 6 + static_cast<int32_t>(text.size())};
        EXPECT_EQ(span_text(else_body.items[0]->span), span_text(want)) << form.name;
    }
}

// Each `else if` is an If of its own in the else part of the one before; it
// spans only its `if` word, whichever mix of inline and block forms the
// chain uses.
TEST(StatementSpans, ElseIfLinksSpanTheirIfWord) {
    struct ChainCase {
        const char* name;
        const char* source;
        std::vector<SourceSpan> links;  // outermost first
    };
    const ChainCase cases[] = {
        {"block chain", "if a then\n  x = 1\nelse if b then\n  y = 2\nelse  if c then\nend if\n",
         {{1, 1, 6, 8}, {3, 6, 3, 8}, {5, 7, 5, 9}}},
        {"inline chain", "if a then x = 1\nelse if b then y = 2\nelse if c then z = 3\n",
         {{1, 1, 3, 22}, {2, 6, 2, 8}, {3, 6, 3, 8}}},
        {"inline chain ending in a block", "if a then x = 1\nelse if b then\n  y = 2\nend if\n",
         {{1, 1, 4, 8}, {2, 6, 2, 8}}},
        {"inline chain, block link, block link",
         "if a then x = 1\nelse if b then\nelse if c then\nelse\nend if\n",
         {{1, 1, 5, 8}, {2, 6, 2, 8}, {3, 6, 3, 8}}},
    };
    for (const ChainCase& c : cases) {
        ParsedProgram parsed(c.source);
        ASSERT_TRUE(parsed.ok) << c.name << "\n" << parsed.why;
        const Stmt* link = parsed.at(0);
        for (size_t i = 0; i < c.links.size(); ++i) {
            ASSERT_NE(link, nullptr) << c.name << " link " << i;
            ASSERT_EQ(link->kind, STMT_IF) << c.name << " link " << i;
            EXPECT_EQ(span_text(link->span), span_text(c.links[i])) << c.name << " link " << i;
            const StmtList& rest = link->if_stmt.else_body;
            link = rest.count == 1 && rest.items[0]->kind == STMT_IF ? rest.items[0] : nullptr;
        }
        EXPECT_EQ(link, nullptr) << c.name << ": the chain is longer than expected";
    }
}

}  // namespace
