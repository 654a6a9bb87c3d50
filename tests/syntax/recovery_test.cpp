// What the tolerant parse keeps of a program when one mistake is typed into
// it: the declarations around the mistake stay where they were.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "syntax/syntax_tree.h"

namespace {

const char kProgram[] =
    "program main(a)\n"
    "  x = f(1)\n"
    "  if a then\n"
    "    print x\n"
    "  end if\n"
    "end program\n"
    "function f(n)\n"
    "  return n + 1\n"
    "end function\n"
    "function g(m)\n"
    "  return [m, 2]\n"
    "end function\n";

std::string text_of(const SyntaxTree& tree, const SyntaxNode& node) {
    return std::string(tree.text + node.range.start, node.range.length());
}

// "program main", "function f", ... for the declarations directly in the
// file's statement list, in order.
std::vector<std::string> top_level(const SyntaxTree& tree) {
    std::vector<std::string> found;
    const SyntaxNode& root = tree.nodes[tree.root];
    for (uint32_t list = root.first_child; list != kNoSyntaxNode; list = tree.nodes[list].next_sibling) {
        if (std::string(syntax_symbol_name(tree.nodes[list].symbol)) != "statement_list") continue;
        for (uint32_t item = tree.nodes[list].first_child; item != kNoSyntaxNode; item = tree.nodes[item].next_sibling) {
            const SyntaxNode& node = tree.nodes[item];
            std::string symbol = syntax_symbol_name(node.symbol);
            if (symbol != "program_statement" && symbol != "function_statement") continue;
            const SyntaxNode& keyword = tree.nodes[node.first_child];
            found.push_back(text_of(tree, keyword) + " " + text_of(tree, tree.nodes[keyword.next_sibling]));
        }
    }
    return found;
}

struct Mistake {
    const char* name;
    const char* correct;  // a line of the program...
    const char* typed;    // ...as the mistake leaves it
};

const Mistake kMistakes[] = {
    {"unclosed parenthesis", "  x = f(1)\n", "  x = f(1\n"},
    {"unclosed bracket", "  return [m, 2]\n", "  return [m, 2\n"},
    {"function without its end", "  return n + 1\nend function\n", "  return n + 1\n"},
    {"deleted end if", "  end if\n", ""},
    {"deleted end program", "end program\n", ""},
    {"stray end while", "    print x\n", "    print x\n  end while\n"},
    {"misnamed end", "end program\n", "end progam\n"},
    {"unclosed string", "    print x\n", "    print \"x\n"},
    {"misspelled keyword", "  if a then\n", "  iff a then\n"},
};

TEST(SyntaxRecovery, DeclarationsAroundAMistakeStay) {
    SyntaxTree correct;
    syntax_parse(&correct, kProgram, sizeof kProgram - 1);
    ASSERT_EQ(correct.errors, 0u);
    const std::vector<std::string> expected = top_level(correct);
    ASSERT_EQ(expected, (std::vector<std::string>{"program main", "function f", "function g"}));
    for (const Mistake& mistake : kMistakes) {
        std::string text = kProgram;
        size_t at = text.find(mistake.correct);
        ASSERT_NE(at, std::string::npos) << mistake.name;
        text.replace(at, std::strlen(mistake.correct), mistake.typed);
        SyntaxTree tree;
        syntax_parse(&tree, text.c_str(), static_cast<uint32_t>(text.size()));
        EXPECT_GT(tree.errors, 0u) << mistake.name;
        EXPECT_EQ(top_level(tree), expected) << mistake.name << "\n" << syntax_tree_dump(tree);
    }
}

}  // namespace
