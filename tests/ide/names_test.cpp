// The name index: one case per scoping rule, each a small text and every
// use in it, rendered as `name line:column role kind -> line:column` of the
// declaration it resolves to (`-> ?` for none).

#include <gtest/gtest.h>

#include <string>

#include "ide/analysis.h"
#include "ide/names.h"
#include "syntax/syntax_tree.h"

namespace {

const char* role_word(NameRole role) {
    switch (role) {
    case ROLE_DECLARATION: return "decl";
    case ROLE_WRITE: return "write";
    case ROLE_READ: return "read";
    case ROLE_CALL: return "call";
    }
    return "?";
}

std::string place(const std::string& text, uint32_t offset) {
    int line = 1;
    uint32_t line_start = 0;
    for (uint32_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++line;
            line_start = i + 1;
        }
    }
    return std::to_string(line) + ":" + std::to_string(offset - line_start + 1);
}

std::string render(const std::string& text) {
    SyntaxTree tree;
    syntax_parse(&tree, text.c_str(), static_cast<uint32_t>(text.size()));
    NameIndex index;
    name_index_build(&index, tree);
    std::string out;
    for (const NameUse& use : index.uses) {
        out += text.substr(use.range.start, use.range.length()) + " " + place(text, use.range.start) + " " +
               role_word(use.role) + " " + name_kind_word(use.kind) + " -> " +
               (use.decl == kNoName ? "?" : place(text, index.decls[static_cast<size_t>(use.decl)].range.start)) + "\n";
    }
    return out;
}

struct Rule {
    const char* what;
    const char* text;
    const char* uses;
};

const Rule kRules[] = {
    {"the first assignment in a scope declares; later ones write it",
     "x = 1\nx += 2\nprint x\n",
     "x 1:1 decl variable -> 1:1\nx 2:1 write variable -> 1:1\nx 3:7 read variable -> 1:1\n"},
};

TEST(NameIndex, EachScopingRule) {
    for (const Rule& rule : kRules) {
        SCOPED_TRACE(rule.what);
        EXPECT_EQ(render(rule.text), rule.uses) << rule.text;
    }
}

}  // namespace
TEST(NameIndexTmp, Dump) {
    const char* path = getenv("DUMP_NAMES");
    if (!path) return;
    FILE* f = fopen(path, "rb");
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    fclose(f);
    printf("%s", render(text).c_str());
}
