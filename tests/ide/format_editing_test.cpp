// Range formatting and formatting on typing, table-driven: each case marks
// the range (two `$$`, or one for an empty range) or the cursor in its text
// and gives the text the edits make of it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ast/region.h"
#include "ide/format.h"

namespace {

std::string strip_marks(const std::string& marked, std::vector<uint32_t>* marks) {
    std::string text;
    for (size_t i = 0; i < marked.size();) {
        if (marked.compare(i, 2, "$$") == 0) {
            marks->push_back(static_cast<uint32_t>(text.size()));
            i += 2;
        } else {
            text += marked[i++];
        }
    }
    return text;
}

struct EditingCase {
    const char* name;
    const char* marked;
    const char* typed;  // null: format the marked range
    const char* expected;
};

const EditingCase kCases[] = {
    // Whole statements overlapping the range, nothing outside them.
    {"range_takes_the_statement_whole", "x=1\nif a then\n  y=$$2\n    z=3$$\nend if\nw=4\n", nullptr,
     "x=1\nif a then\n  y = 2\n  z = 3\nend if\nw=4\n"},
    {"range_on_a_header_takes_its_block", "x=1\nif  a  then$$\n y=2\nend if\nw=4\n", nullptr,
     "x=1\nif a then\n  y = 2\nend if\nw=4\n"},
    {"range_on_a_branch_takes_its_consider", "consider x\nif 1 then$$\n    print 1\nend consider\nw=4\n", nullptr,
     "consider x\nif 1 then\n  print 1\nend consider\nw=4\n"},
    {"range_ending_at_a_line_start_leaves_that_line", "$$a=1\n$$b=2\n", nullptr, "a = 1\nb=2\n"},
    {"range_in_a_text_that_does_not_parse", "$$a=1\n  dim b$$\n", nullptr, "a=1\n  dim b\n"},
    // Moved alone, this `if` would stand in its `consider`'s column and
    // become a branch: the range is left as it is.
    {"range_that_would_make_a_branch_is_withheld",
     "  consider x\n  if 1 then\n      if y then$$\n        print 1\n      end if\n  end consider\n", nullptr,
     "  consider x\n  if 1 then\n      if y then\n        print 1\n      end if\n  end consider\n"},
    // A line break indents the new line.
    {"newline_after_a_block_header", "if a then\n$$\nend if\n", "\n", "if a then\n  \nend if\n"},
    {"newline_inside_a_body", "while a\n  x = 1\n$$", "\n", "while a\n  x = 1\n  "},
    {"newline_after_consider_keeps_its_column", "  consider x\n$$", "\n", "  consider x\n  "},
    {"newline_after_a_branch", "consider x\nif 1 then\n$$", "\n", "consider x\nif 1 then\n  "},
    {"newline_after_an_open_bracket", "x = [1,\n$$", "\n", "x = [1,\n  "},
    {"newline_after_an_inline_if", "  if a then b = 1\n    $$", "\n", "  if a then b = 1\n  "},
    {"newline_after_a_route", "server s()\n  get \"/\" (req)\n$$", "\n", "server s()\n  get \"/\" (req)\n    "},
    // A closing word moves its line to the opener's column.
    {"end_if_to_its_if", "  if a then\n    x = 1\n    end if$$", "f", "  if a then\n    x = 1\n  end if"},
    {"else_to_its_if", "if a then\n  if b then\n    x = 1\n  end if\n  else$$", "e",
     "if a then\n  if b then\n    x = 1\n  end if\nelse"},
    {"end_consider_to_its_consider", "  consider x\n  if 1 then\n    y = 1\n    end consider$$", "r",
     "  consider x\n  if 1 then\n    y = 1\n  end consider"},
    {"next_to_its_for", "for i = 1 to 2\n  for j = 1 to 2\n  next\n    next$$", "t",
     "for i = 1 to 2\n  for j = 1 to 2\n  next\nnext"},
    {"a_word_that_is_not_closing_stays", "if a then\n    endless$$", "s", "if a then\n    endless"},
    {"end_used_as_a_name_stays", "if a then\n    end = 1$$", "1", "if a then\n    end = 1"},
    {"closing_word_with_more_after_the_cursor_stays", "if a then\n    end$$ if", "d", "if a then\n    end if"},
};

class FormatEditing : public ::testing::TestWithParam<EditingCase> {};

TEST_P(FormatEditing, Edits) {
    const EditingCase& c = GetParam();
    std::vector<uint32_t> marks;
    std::string text = strip_marks(c.marked, &marks);
    AstRegion region;
    ast_region_init(&region);
    Analysis* analysis = analysis_create(text.c_str(), "case.tov", &region);
    std::vector<IdeTextEdit> edits;
    if (c.typed == nullptr) {
        ASSERT_GE(marks.size(), 1u);
        edits = ide_format_range(analysis, {marks.front(), marks.back()}, FormatOptions{}).edits;
    } else {
        ASSERT_EQ(marks.size(), 1u);
        edits = ide_format_on_type(analysis, marks[0], c.typed, FormatOptions{});
    }
    EXPECT_EQ(format_apply_edits(text.c_str(), static_cast<uint32_t>(text.size()), edits), c.expected);
    analysis_destroy(analysis);
    ast_region_release(&region);
}

// That case is withheld by the check of the result, not for want of edits.
TEST(FormatRange, WithheldWhenTheResultWouldMeanSomethingElse) {
    const std::string text = "  consider x\n  if 1 then\n      if y then\n        print 1\n      end if\n  end consider\n";
    AstRegion region;
    ast_region_init(&region);
    Analysis* analysis = analysis_create(text.c_str(), "case.tov", &region);
    uint32_t inner_if = static_cast<uint32_t>(text.find("if y"));
    EXPECT_EQ(ide_format_range(analysis, {inner_if, inner_if}, FormatOptions{}).status, FORMAT_UNSAFE);
    EXPECT_EQ(ide_format(analysis, FormatOptions{}).status, FORMAT_DONE);
    analysis_destroy(analysis);
    ast_region_release(&region);
}

INSTANTIATE_TEST_SUITE_P(Cases, FormatEditing, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<EditingCase>& info) { return std::string(info.param.name); });

}  // namespace
