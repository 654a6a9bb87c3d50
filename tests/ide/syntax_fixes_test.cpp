// Fixes for syntax errors, from what the error-tolerant parse inserted and
// from the keyword a misspelled first word stands for: each case's fixes by
// title, and the text once every preferred fix is applied.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ide/analysis.h"
#include "ide/features.h"

namespace {

struct Case {
    const char* text;
    const char* titles;  // every fix offered, `;` after each
    const char* fixed;   // after the preferred ones
};

std::string applied(const std::string& text, const std::vector<IdeTextEdit>& edits) {
    std::string out = text;
    for (size_t i = edits.size(); i-- > 0;) out.replace(edits[i].range.start, edits[i].range.length(), edits[i].new_text);
    return out;
}

TEST(SyntaxFixes, InsertWhatTheRecoveryInsertedOrTheNearestKeyword) {
    const Case cases[] = {
        {"x = 1\nif x > 1\n  print x\nend if\n", "Insert `then`;", "x = 1\nif x > 1 then\n  print x\nend if\n"},
        {"x = (1 + 2\nprint x\n", "Insert `)`;", "x = (1 + 2)\nprint x\n"},
        {"y = [1, 2\nprint y\n", "Insert `]`;", "y = [1, 2]\nprint y\n"},
        {"function f()\n  print 1\n", "Insert `end function`;", "function f()\n  print 1\nend function\n"},
        {"library l\n  function f()\n    print 1\nend library\n", "Insert `end function`;",
         "library l\n  function f()\n    print 1\n  end function\nend library\n"},
        {"x = 1\nprnt x\n", "Replace `prnt` with `print`;", "x = 1\nprint x\n"},
        {"whle x > 1\n  x = x - 1\nend while\n", "Replace `whle` with `while`;", "while x > 1\n  x = x - 1\nend while\n"},
        {"fucntion f(a)\n  return a\nend function\n", "Replace `fucntion` with `function`;",
         "function f(a)\n  return a\nend function\n"},
        // Two keywords as near: no guess.
        {"x = 1\nfo x\n", "", "x = 1\nfo x\n"},
        // A name the program declares is no typo.
        {"prnt = 1\nprnt x\n", "", "prnt = 1\nprnt x\n"},
    };
    for (const Case& c : cases) {
        AstRegion region;
        ast_region_init(&region);
        std::string text = c.text;
        Analysis* analysis = analysis_create(text.c_str(), "fix.tov", &region);
        std::string titles;
        for (const IdeQuickFix& fix : ide_quick_fixes(analysis, {0, analysis->length})) titles += fix.title + ";";
        EXPECT_EQ(titles, c.titles) << c.text;
        EXPECT_EQ(applied(text, ide_fix_all(analysis)), c.fixed) << c.text;
        analysis_destroy(analysis);
        ast_region_release(&region);
    }
}

}  // namespace
