#include <gtest/gtest.h>

#include <functional>

#include "tests/ast/tree_builders.h"

using namespace tree;

namespace {

std::string dumped(Stmt* st, int depth) {
    std::string text = capture([&](FILE* out) { dump_stmt(out, st, depth); });
    stmt_free(st);
    return text;
}

struct StmtGolden {
    const char* name;
    std::function<Stmt*()> build;
    int depth;
    const char* expected;
};

ModifierRef lens(const char* qualifier, const char* name) {
    ModifierRef ref = modifier_ref_make(s(name), exprs({num(2)}));
    ref.qualifier = qualifier != nullptr ? s(qualifier) : nullptr;
    return ref;
}

ParamList defaulted(const char* a, const char* b) {
    // Defaults are never printed; only the names are.
    return param_list_append_default(param_list_append(param_list_empty(), s(a)), s(b), num(1));
}

Stmt* print1() { return stmt_print(num(1)); }

TEST(DumpStmtTest, GoldenOutputPerKind) {
    const StmtGolden cases[] = {
        {"assign", [] { return stmt_assign_op(id("x"), modifier_ref_empty(), num(1), '+'); }, 1,
         "  Assign\n"
         "    Target\n"
         "      Identifier x\n"
         "    Number 1\n"},
        {"assign with lens", [] { return stmt_assign(id("x"), lens(nullptr, "round"), num(1)); }, 0,
         "Assign modifier(round)\n"
         "  Target\n"
         "    Identifier x\n"
         "  Number 2\n"
         "  Number 1\n"},
        {"assign with qualified lens", [] { return stmt_assign(id("x"), lens("fmt", "round"), num(1)); }, 0,
         "Assign modifier(fmt.round)\n"
         "  Target\n"
         "    Identifier x\n"
         "  Number 2\n"
         "  Number 1\n"},
        {"print", [] { return print1(); }, 0, "Print\n  Number 1\n"},
        {"print to error", [] { return stmt_print_to_error(num(1)); }, 0, "PrintToError\n  Number 1\n"},
        {"expression statement", [] { return stmt_expression(expr_call(s("f"), expr_list_empty())); }, 0,
         "ExpressionStatement\n  Call f\n"},
        {"with lock", [] { return stmt_with_lock(expr_string(s("a.txt")), stmts({print1()})); }, 0,
         "WithLock\n"
         "  File\n"
         "    String \"a.txt\"\n"
         "  Body\n"
         "    Print\n"
         "      Number 1\n"},
        {"with principal", [] { return stmt_with_principal(id("admin"), stmt_list_empty()); }, 0,
         "WithPrincipal\n"
         "  Principal\n"
         "    Identifier admin\n"
         "  Body\n"},
        {"for each", [] { return stmt_for_each(s("item"), nullptr, id("list"), stmts({print1()})); }, 0,
         "ForEach item\n"
         "  Iterable\n"
         "    Identifier list\n"
         "  Body\n"
         "    Print\n"
         "      Number 1\n"},
        {"for each with index", [] { return stmt_for_each(s("item"), s("i"), id("list"), stmt_list_empty()); }, 0,
         "ForEach item index i\n"
         "  Iterable\n"
         "    Identifier list\n"
         "  Body\n"},
        {"for range", [] { return stmt_for_range(s("i"), num(1), num(10), nullptr, stmts({print1()})); }, 0,
         "ForRange i\n"
         "  Start\n"
         "    Number 1\n"
         "  Limit\n"
         "    Number 10\n"
         "  Body\n"
         "    Print\n"
         "      Number 1\n"},
        {"for range with step", [] { return stmt_for_range(s("i"), num(10), num(1), num(-1), stmt_list_empty()); }, 0,
         "ForRange i\n"
         "  Start\n"
         "    Number 10\n"
         "  Limit\n"
         "    Number 1\n"
         "  Step\n"
         "    Number -1\n"
         "  Body\n"},
        {"function", [] { return stmt_function(s("f"), defaulted("a", "b"), stmts({stmt_return(id("a"))})); }, 0,
         "Function f\n"
         "  Parameters a b\n"
         "  Body\n"
         "    Return\n"
         "      Identifier a\n"},
        {"attached function", [] { return stmt_function(s("cache.get.fresh"), param_list_empty(), stmt_list_empty()); }, 0,
         "Function cache.get.fresh (attach)\n"
         "  Parameters\n"
         "  Body\n"},
        {"bare return", [] { return stmt_return(nullptr); }, 0, "Return\n"},
        {"label", [] { return stmt_label(s("top")); }, 2, "    Label top\n"},
        {"goto", [] { return stmt_goto(s("top")); }, 0, "Goto top\n"},
        {"gosub", [] { return stmt_gosub(s("sub")); }, 0, "Gosub sub\n"},
        {"watch", [] { return stmt_watch(nullptr, names({"user.name", "cart"}), stmts({print1()})); }, 0,
         "Watch user.name cart\n"
         "  Body\n"
         "    Print\n"
         "      Number 1\n"},
        {"named watch", [] { return stmt_watch(s("w"), names({"x"}), stmt_list_empty()); }, 0,
         "Watch \"w\" x\n"
         "  Body\n"},
        {"unwatch", [] { return stmt_unwatch(id("w")); }, 1, "  Unwatch\n    Identifier w\n"},
        {"without watchers", [] { return stmt_without_watchers(stmts({print1()})); }, 0,
         "WithoutWatchers\n"
         "  Body\n"
         "    Print\n"
         "      Number 1\n"},
        {"on error goto", [] { return stmt_on_error_goto(s("fail")); }, 0, "OnErrorGoto fail\n"},
        {"on error goto next", [] { return stmt_on_error_goto_next(); }, 0, "OnErrorGotoNext\n"},
        {"on warning", [] { return stmt_on_warning(WARNING_MODE_STOP); }, 0, "OnWarning 4\n"},
        {"warning", [] {
             Stmt* st = stmt_error(expr_string(s("w")));
             st->kind = STMT_WARNING;
             return st;
         }, 0, "Warning\n  String \"w\"\n"},
        {"on error stop", [] { return stmt_on_error_stop(); }, 0, "OnErrorStop\n"},
        {"error", [] { return stmt_error(expr_string(s("bad"))); }, 0, "Error\n  String \"bad\"\n"},
        {"modifier", [] { return stmt_modifier(s("round to"), names({"places"}), s("number"), 0, stmt_list_empty()); }, 0,
         "Modifier round to for number\n"
         "  Parameters places\n"
         "  Body\n"},
        {"exported modifier", [] { return stmt_modifier(s("upper"), param_list_empty(), s("text"), 1, stmts({stmt_return(nullptr)})); }, 0,
         "Export Modifier upper for text\n"
         "  Parameters\n"
         "  Body\n"
         "    Return\n"},
        {"program block", [] { return stmt_program_block(s("main"), defaulted("argv", "env"), stmt_list_empty()); }, 0,
         "ProgramBlock main\n"
         "  Args argv env\n"
         "  Body\n"},
        {"library", [] { return stmt_library(s("util"), stmts({stmt_label(s("l"))})); }, 0,
         "Library util\n"
         "  Body\n"
         "    Label l\n"},
        {"use", [] { return stmt_use(s("util"), nullptr, nullptr); }, 0, "Use util\n"},
        {"use from", [] { return stmt_use(s("util"), s("lib/util.tv"), nullptr); }, 0, "Use util from \"lib/util.tv\"\n"},
        {"use as", [] { return stmt_use(s("util"), nullptr, s("u")); }, 0, "Use util as u\n"},
        {"use from as", [] { return stmt_use(s("util"), s("u.tv"), s("u")); }, 0, "Use util from \"u.tv\" as u\n"},
        {"if without else", [] { return stmt_if(id("c"), stmts({print1()})); }, 0,
         "If\n"
         "  Condition\n"
         "    Identifier c\n"
         "  Body\n"
         "    Print\n"
         "      Number 1\n"},
        {"else if chain", [] {
             Stmt* inner = stmt_if(id("d"), stmt_list_empty());
             inner->if_stmt.else_body = stmts({stmt_print(num(2))});
             Stmt* outer = stmt_if(id("c"), stmts({print1()}));
             outer->if_stmt.else_body = stmts({inner});
             return outer;
         }, 0,
         "If\n"
         "  Condition\n"
         "    Identifier c\n"
         "  Body\n"
         "    Print\n"
         "      Number 1\n"
         "  Else\n"
         "    If\n"
         "      Condition\n"
         "        Identifier d\n"
         "      Body\n"
         "      Else\n"
         "        Print\n"
         "          Number 2\n"},
        {"while", [] { return stmt_while(expr_boolean(1), stmts({stmt_break(nullptr)})); }, 0,
         "While\n"
         "  Condition\n"
         "    Boolean true\n"
         "  Body\n"
         "    Break\n"},
        {"do loop", [] { return stmt_do_loop(stmts({print1()}), id("done")); }, 0,
         "DoLoop until\n"
         "  Body\n"
         "    Print\n"
         "      Number 1\n"
         "  Condition\n"
         "    Identifier done\n"},
        {"consider", [] {
             ConsiderBranchList b = branch_list_append(branch_list_empty(), num(1), stmts({print1()}));
             b = branch_list_append(b, num(2), stmt_list_empty());
             return stmt_consider(id("x"), b, stmts({stmt_print(num(0))}));
         }, 0,
         "Consider\n"
         "  Subject\n"
         "    Identifier x\n"
         "  Case\n"
         "    Number 1\n"
         "  Body\n"
         "    Print\n"
         "      Number 1\n"
         "  Case\n"
         "    Number 2\n"
         "  Body\n"
         "  Else\n"
         "    Print\n"
         "      Number 0\n"},
        {"consider without else", [] { return stmt_consider(id("x"), branch_list_empty(), stmt_list_empty()); }, 0,
         "Consider\n"
         "  Subject\n"
         "    Identifier x\n"},
        {"break", [] { return stmt_break(nullptr); }, 0, "Break\n"},
        {"break label", [] { return stmt_break(s("outer")); }, 0, "Break outer\n"},
        {"continue", [] { return stmt_continue(nullptr); }, 0, "Continue\n"},
        {"continue label", [] { return stmt_continue(s("outer")); }, 0, "Continue outer\n"},
    };
    for (const StmtGolden& c : cases) {
        EXPECT_EQ(dumped(c.build(), c.depth), c.expected) << c.name;
    }
}

TEST(DumpStmtTest, ServerBlockWithEveryItemKind) {
    ServerItemList site_items = item_list_append(item_list_empty(),
        item_handler(s("get"), s("/users/{id}"), names({"req"}), stmts({stmt_return(num(200))}), s("get"), 4, 5));
    site_items = item_list_append(site_items, item_directive(s("host"), names({"a.test", "b.test"}), 5, 5));
    ServerItemList items = item_list_append(item_list_empty(),
        item_site(s("web"), s("shop"), field_list_append(field_list_empty(), s("port"), num(80)),
                  site_items, s("web"), 3, 3));
    items = item_list_append(items, item_hook(s("start"), stmts({print1()}), 6, 3));
    items = item_list_append(items, item_directive(s("root"), names({"/srv"}), 7, 3));
    Stmt* server = stmt_server(s("server"), s("api"), field_list_append(field_list_empty(), s("port"), num(8080)),
                               items, s("server"));
    EXPECT_EQ(dumped(server, 1),
              "  Server server \"api\"\n"
              "    Site web \"shop\"\n"
              "      Handler get \"/users/{id}\"\n"
              "        Return\n"
              "          Number 200\n"
              "      Directive host \"a.test\" \"b.test\"\n"
              "    Hook start\n"
              "      Print\n"
              "        Number 1\n"
              "    Directive root \"/srv\"\n");
}

TEST(DumpStmtTest, ProgramHeadsTopLevelStatementsAtDepthOne) {
    StmtList empty = stmt_list_empty();
    EXPECT_EQ(capture([&](FILE* out) { dump_program(out, empty); }), "Program\n");

    StmtList program = stmts({stmt_label(s("a")), stmt_while(id("c"), stmts({stmt_goto(s("a"))}))});
    EXPECT_EQ(capture([&](FILE* out) { dump_program(out, program); }),
              "Program\n"
              "  Label a\n"
              "  While\n"
              "    Condition\n"
              "      Identifier c\n"
              "    Body\n"
              "      Goto a\n");
    stmt_list_free(program);
    EXPECT_EQ(capture([](FILE* out) { dump_indent(out, 3); }), "      ");
}

// Nests as deep as the parser's stack allows (and deeper) must print on a
// stack far smaller than the usual one: one frame per level would not fit.
struct DeepNest {
    const char* name;
    Stmt* (*build)(int levels);
    size_t lines_per_level;
    size_t indent_per_level;  // in units of two spaces
};

Stmt* else_if_chain(int levels) {
    Stmt* nest = stmt_print(id("x"));
    for (int i = 0; i < levels; i++) {
        Stmt* link = stmt_if(id("c"), stmt_list_empty());
        link->if_stmt.else_body = stmts({nest});
        nest = link;
    }
    return nest;
}

Stmt* while_nest(int levels) {
    Stmt* nest = stmt_print(id("x"));
    for (int i = 0; i < levels; i++) nest = stmt_while(id("c"), stmts({nest}));
    return nest;
}

Stmt* site_nest(int levels) {
    ServerItem* inner = item_hook(s("start"), stmts({stmt_print(id("x"))}), 1, 1);
    for (int i = 0; i < levels; i++) {
        inner = item_site(s("web"), s("w"), field_list_empty(), item_list_append(item_list_empty(), inner),
                          s("web"), 1, 1);
    }
    return stmt_server(s("server"), s("api"), field_list_empty(), item_list_append(item_list_empty(), inner),
                       s("server"));
}

TEST(DumpStmtTest, DeepNestsPrintOnASmallStack) {
    const int levels = 1500;
    const DeepNest cases[] = {
        {"else-if chain", else_if_chain, 5, 2},  // If, Condition, Identifier, Body, Else
        {"while nest", while_nest, 4, 2},        // While, Condition, Identifier, Body
        {"site nest", site_nest, 1, 1},          // Site
    };
    for (const DeepNest& c : cases) {
        struct Job {
            Stmt* root;
            std::string text;
        } job{c.build(levels), ""};
        run_on_small_stack(
            [](void* raw) {
                Job* j = static_cast<Job*>(raw);
                j->text = capture([&](FILE* out) { dump_stmt(out, j->root, 0); });
            },
            &job, 64 * 1024);
        stmt_free(job.root);

        size_t lines = 0;
        for (char ch : job.text) lines += ch == '\n';
        // The site nest adds the Server line on top and the Hook line below.
        size_t extra = c.lines_per_level == 1 ? 2 : 0;
        EXPECT_EQ(lines, levels * c.lines_per_level + 2 + extra) << c.name;
        size_t depth = levels * c.indent_per_level + (extra != 0 ? 2 : 0);
        std::string innermost = std::string(2 * depth, ' ') + "Print\n" + std::string(2 * depth + 2, ' ') +
                                "Identifier x\n";
        ASSERT_GE(job.text.size(), innermost.size()) << c.name;
        EXPECT_EQ(job.text.substr(job.text.size() - innermost.size()), innermost) << c.name;
    }
}

}  // namespace
