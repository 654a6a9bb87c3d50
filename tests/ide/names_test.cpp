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
    {"a function opens a scope: its assignments are its own, outer names stay visible",
     "y = 1\nfunction f()\n  x = y\nend function\nx = 2\n",
     "y 1:1 decl variable -> 1:1\nf 2:10 decl function -> 2:10\nx 3:3 decl variable -> 3:3\n"
     "y 3:7 read variable -> 1:1\nx 5:1 decl variable -> 5:1\n"},
    {"an assignment to a name declared before, around it, writes that one",
     "x = 1\nfunction f()\n  x = 2\nend function\n",
     "x 1:1 decl variable -> 1:1\nf 2:10 decl function -> 2:10\nx 3:3 write variable -> 1:1\n"},
    {"parameters declare in their block, with their defaults",
     "function f(a, b = 2)\n  return a + b\nend function\n",
     "f 1:10 decl function -> 1:10\na 1:12 decl parameter -> 1:12\nb 1:15 decl parameter -> 1:15\n"
     "a 2:10 read parameter -> 1:12\nb 2:14 read parameter -> 1:15\n"},
    {"control blocks open no scope; loop variables declare like assignments",
     "for each k, v in m\n  if v then t = k\nnext k\nprint t\n",
     "k 1:10 decl variable -> 1:10\nv 1:13 decl variable -> 1:13\nm 1:18 read variable -> ?\n"
     "v 2:6 read variable -> 1:13\nt 2:13 decl variable -> 2:13\nk 2:17 read variable -> 1:10\n"
     "k 3:6 read variable -> 1:10\nt 4:7 read variable -> 2:13\n"},
    {"labels declare in their scope; goto, gosub and on error goto jump to them",
     "on error goto oops\ngosub oops\noops:\ngoto oops\n",
     "oops 1:15 call label -> 3:1\noops 2:7 call label -> 3:1\noops 3:1 decl label -> 3:1\noops 4:6 call label -> 3:1\n"},
    {"use declares the module's name, load ... as its alias; members follow the alias",
     "use json\nload storage from \"s.tov\" as st\nst.save(json.parse(\"x\"))\n",
     "json 1:5 decl module -> 1:5\nst 2:30 decl module -> 2:30\nst 3:1 read module -> 2:30\n"
     "save 3:4 call member -> ?\njson 3:9 read module -> 1:5\nparse 3:14 call member -> ?\n"},
    {"functions are declared for the whole file, called before or after; dotted ones too",
     "f(1)\nfunction f(a)\nend function\nfunction s.g()\nend function\ns.g()\n",
     "f 1:1 call function -> 2:10\nf 2:10 decl function -> 2:10\na 2:12 decl parameter -> 2:12\n"
     "s.g 4:10 decl function -> 4:10\ns.g 6:1 call function -> 4:10\n"},
    {"a modifier is declared by its words; a brace prefix or lens clause names it",
     "modifier about equal(t) for number\n  return t\nend modifier\nx = {about equal 2} y\nif x {within 1; about equal} = y then print x\n",
     "about equal 1:10 decl modifier -> 1:10\nt 1:22 decl parameter -> 1:22\nt 2:10 read parameter -> 1:22\n"
     "x 4:1 decl variable -> 4:1\nabout equal 4:6 call modifier -> 1:10\ny 4:21 read variable -> ?\n"
     "x 5:4 read variable -> 4:1\nwithin 5:7 call modifier -> ?\nabout equal 5:17 call modifier -> 1:10\n"
     "y 5:32 read variable -> ?\nx 5:45 read variable -> 4:1\n"},
    {"fields after a dot and in record literals are fields, never variables",
     "r = {a: 1, b(copy): 2}\nr.a = r.b\n",
     "r 1:1 decl variable -> 1:1\na 1:6 read field -> ?\nb 1:12 read field -> ?\nr 2:1 read variable -> 1:1\n"
     "a 2:3 read field -> ?\nr 2:7 read variable -> 1:1\nb 2:9 read field -> ?\n"},
    {"route and hook bodies are scopes of their own; server words are not names",
     "server s(port: 80)\n  get \"/a\" (req)\n    x = req\n  end get\nend server\n",
     "port 1:10 read field -> ?\nreq 2:13 decl parameter -> 2:13\nx 3:5 decl variable -> 3:5\nreq 3:9 read parameter -> 2:13\n"},
    {"durations' units, lock and warning words are not names",
     "with lock(x)\n  w = 2 days\nend with\non warning print\n",
     "x 1:11 read variable -> ?\nw 2:3 decl variable -> 2:3\n"},
};

TEST(NameIndex, EachScopingRule) {
    for (const Rule& rule : kRules) {
        SCOPED_TRACE(rule.what);
        EXPECT_EQ(render(rule.text), rule.uses) << rule.text;
    }
}

}  // namespace
