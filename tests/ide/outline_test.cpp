// The structure pass behind the editor features.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "ide/analysis.h"
#include "ide/outline.h"
#include "syntax/syntax_tree.h"

namespace {

struct BlockExpectation {
    OutlineBlockKind kind;
    const char* name;
    int32_t parent;
    int32_t start_line;
    int32_t end_line;
    bool closed;
};

TEST(Outline, BlocksNestAsWrittenAndBrokenOnesEndWithTheText) {
    const char* text =
        "function f(a)\n"           // 1
        "  if a then\n"             // 2
        "    x = 1\n"               // 3
        "  end if\n"                // 4
        "end function\n"            // 5
        "server s()\n"              // 6
        "  web w(host: \"h\")\n"    // 7
        "    root \"site\"\n"       // 8: a directive, no block
        "    get \"/a\" (req)\n"    // 9
        "    end get\n"             // 10
        "  end web\n"               // 11
        "  on drain\n"              // 12
        "  end on\n"                // 13
        "end server\n"              // 14
        "do\n"                      // 15
        "until done\n"              // 16
        "export modifier about(x) for number\n"  // 17
        "  while x\n";              // 18, never closed
    const BlockExpectation expected[] = {
        {BLOCK_FUNCTION, "f", -1, 1, 5, true},
        {BLOCK_CONTROL, "if", 0, 2, 4, true},
        {BLOCK_SERVER, "s", -1, 6, 14, true},
        {BLOCK_SITE, "w", 2, 7, 11, true},
        {BLOCK_ROUTE, "get /a", 3, 9, 10, true},
        {BLOCK_HOOK, "drain", 2, 12, 13, true},
        {BLOCK_CONTROL, "do", -1, 15, 16, true},
        {BLOCK_MODIFIER, "about", -1, 17, 18, false},
        {BLOCK_CONTROL, "while", 7, 18, 18, false},
    };
    Outline outline;
    outline_build(&outline, text);
    ASSERT_EQ(outline.blocks.size(), sizeof expected / sizeof expected[0]);
    for (size_t i = 0; i < outline.blocks.size(); ++i) {
        const OutlineBlock& block = outline.blocks[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(block.kind, expected[i].kind);
        EXPECT_EQ(block.name, expected[i].name);
        EXPECT_EQ(block.parent, expected[i].parent);
        EXPECT_EQ(block.start_line, expected[i].start_line);
        EXPECT_EQ(block.end_line, expected[i].end_line);
        EXPECT_EQ(block.closed, expected[i].closed);
    }
    EXPECT_EQ(outline.blocks[0].detail, "(a)");
    EXPECT_EQ(outline.blocks[7].detail, "(x)");
}

TEST(Outline, LabelsCommentsAndTokensUnderTheCursor) {
    Outline outline;
    outline_build(&outline, "' one\n' two\nstart:\n  goto start ' again\nx = f(1)\n");
    ASSERT_EQ(outline.comments.size(), 3u);
    EXPECT_EQ(outline.comments[2].line, 4);
    EXPECT_EQ(outline.comments[2].column, 14);
    EXPECT_EQ(outline.comments[2].length, 7);
    ASSERT_EQ(outline.labels.size(), 1u);
    EXPECT_NE(outline_find_label(outline, "start"), static_cast<size_t>(-1));
    EXPECT_EQ(outline_find_label(outline, "stop"), static_cast<size_t>(-1));
}

TEST(Analysis, TokenUnderTheCursor) {
    AstRegion region;
    ast_region_init(&region);
    const char* text = "' one\n' two\nstart:\n  goto start ' again\nx = f(1)\n";
    Analysis* analysis = analysis_create(text, "t.tov", &region);
    const Outline& outline = analysis_outline(analysis);
    uint32_t f = static_cast<uint32_t>(std::string(text).find("f("));
    // `f` is found on its character and right after it, before the `(`.
    size_t on = analysis_token_at(analysis, f);
    size_t after = analysis_token_at(analysis, f + 1);
    ASSERT_NE(on, kNoToken);
    EXPECT_EQ(on, after);
    EXPECT_EQ(token_text(outline.tokens[on]), "f");
    EXPECT_EQ(analysis_token_at(analysis, 2), kNoToken);  // inside a comment
    analysis_destroy(analysis);
    ast_region_release(&region);
}

// Whatever the text, the pass ends with a consistent outline: parents come
// before their children, every block ends after it starts, indices are in
// range. Texts are cut and spliced from a program using every block kind.
TEST(Outline, ConsistentOnMangledTexts) {
    const std::string program =
        "program main(a)\n  if a then\n    for i = 1 to 2\n      print i\n    next i\n  end if\n"
        "end program\nserver s(port: 1)\n  get \"/x/{y}\" (req)\n    consider req\n    if 1 then\n"
        "      x = 1\n    end consider\n  end get\nend server\nwith lock(a)\nend with\n"
        "without watchers\nend without\nwatch a\nend watch\nlib:\n  gosub lib\n";
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string text = program;
        for (int edit = 0; edit < 3; ++edit) {
            size_t at = random() % (text.size() + 1);
            size_t length = random() % 12;
            if (random() % 2) {
                text.erase(at, length);
            } else {
                text.insert(at, program.substr(random() % program.size(), length));
            }
        }
        Outline outline;
        outline_build(&outline, text.c_str());
        for (size_t i = 0; i < outline.blocks.size(); ++i) {
            const OutlineBlock& block = outline.blocks[i];
            ASSERT_LT(block.parent, static_cast<int32_t>(i)) << text;
            ASSERT_LT(block.name_last, outline.tokens.size()) << text;
            ASSERT_LE(block.name_token, block.name_last) << text;
            ASSERT_LE(std::make_pair(block.start_line, block.start_column),
                      std::make_pair(block.end_line, block.end_column)) << text;
        }
    }
}

}  // namespace

namespace {

std::string repeated(const std::string& piece, size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (size_t i = 0; i < times; ++i) out += piece;
    return out;
}

// Nesting as deep as a text can make it: the tree, its walks and a reparse
// all keep to the heap, and every block of the outline is found.
TEST(Outline, DeepNestingStaysOffTheStack) {
    const size_t depth = 30000;
    struct Case {
        std::string text;
        size_t blocks;
    } cases[] = {
        {repeated("if a then\n", depth) + repeated("end if\n", depth), depth},
        {repeated("if a then\n", depth), depth},  // never closed
        {"x = " + repeated("(", depth) + "1\n", 0},
        {"x = " + repeated("[f(", depth) + "\n", 0},
    };
    for (const Case& c : cases) {
        SyntaxTree tree;
        syntax_parse(&tree, c.text.c_str(), static_cast<uint32_t>(c.text.size()));
        Outline outline;
        outline_build_from_tree(&outline, tree);
        EXPECT_EQ(outline.blocks.size(), c.blocks);
        EXPECT_FALSE(syntax_tree_dump(tree).empty());
        std::string edited = c.text + "x = 1\n";
        SyntaxTree reparsed;
        syntax_reparse(&reparsed, edited.c_str(), static_cast<uint32_t>(edited.size()), tree);
        SyntaxTree fresh;
        syntax_parse(&fresh, edited.c_str(), static_cast<uint32_t>(edited.size()));
        EXPECT_EQ(reparsed.nodes.size(), fresh.nodes.size());
    }
}

}  // namespace
