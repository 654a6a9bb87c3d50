// Fixes for syntax errors, from what the error-tolerant parse inserted and
// from the keyword a misspelled first word stands for: each case's fixes by
// title, and the text once every preferred fix is applied.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "ide/analysis.h"
#include "ide/features.h"
#include "tests/test_files.h"

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

// The findings that start before `place`, as their place and kind (a
// syntax error's wording may change once a hint about a later line no
// longer applies); server-block findings left out when `unchecked`, as the
// checker reads only a text that parses.
std::vector<std::string> findings_before(Analysis* analysis, uint32_t place, bool unchecked) {
    std::vector<std::string> out;
    for (size_t i = 0; i < analysis->diagnostics.count; ++i) {
        const Diagnostic& d = analysis->diagnostics.items[i];
        if (unchecked && d.kind == TV_DIAG_SERVER_BLOCK) continue;
        TextRange range = analysis_span_range(analysis, d.span);
        if (range.start < place) out.push_back(std::to_string(range.start) + diag_kind_name(d.kind));
    }
    return out;
}

// On every source with findings: applying any fix offered adds no finding
// before the place it fixes.
TEST(SyntaxFixes, NoFixMakesTheTextWorseBeforeItsPlace) {
    namespace fs = std::filesystem;
    fs::path root(TOVEL_SOURCE_DIR);
    size_t tried = 0;
    for (const fs::path& dir : {root / "examples", root / "tests" / "diagnostics", root / "tests" / "ide" / "fixtures"}) {
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            if (entry.path().extension() != ".tov") continue;
            std::string text = read_file_bytes(entry.path().string());
            for (size_t at; (at = text.find("$$")) != std::string::npos;) text.erase(at, 2);
            AstRegion region;
            ast_region_init(&region);
            Analysis* analysis = analysis_create(text.c_str(), "x.tov", &region);
            for (const IdeQuickFix& fix : ide_quick_fixes(analysis, {0, analysis->length})) {
                ++tried;
                std::string fixed = applied(text, fix.edits);
                uint32_t place = fix.edits.front().range.start;
                AstRegion other;
                ast_region_init(&other);
                Analysis* after = analysis_create(fixed.c_str(), "x.tov", &other);
                bool unchecked = false;
                for (size_t i = 0; i < analysis->diagnostics.count; ++i) {
                    unchecked |= analysis->diagnostics.items[i].kind == TV_DIAG_PARSE_ERROR;
                }
                std::vector<std::string> old_findings = findings_before(analysis, place, unchecked);
                for (const std::string& finding : findings_before(after, place, unchecked)) {
                    EXPECT_NE(std::find(old_findings.begin(), old_findings.end(), finding), old_findings.end())
                        << entry.path() << ": " << fix.title << " adds " << finding;
                }
                analysis_destroy(after);
                ast_region_release(&other);
            }
            analysis_destroy(analysis);
            ast_region_release(&region);
        }
    }
    EXPECT_GT(tried, 10u);
}

}  // namespace
