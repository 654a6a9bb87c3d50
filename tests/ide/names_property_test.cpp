// Properties of the features on names, over the examples, the fixtures and
// generated programs whose every name's uses are known by construction:
// references are exactly those uses; renaming a name and back gives the
// text again, and a rename changes no finding but where it stands; every
// range of every answer lies inside the text, in order.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "ide/analysis.h"
#include "ide/features.h"
#include "tests/test_files.h"

namespace fs = std::filesystem;

namespace {

// An analysis with the text it borrows.
struct Analysed {
    std::string text;
    AstRegion region;
    Analysis* analysis;
    explicit Analysed(std::string source) : text(std::move(source)) {
        ast_region_init(&region);
        analysis = analysis_create(text.c_str(), "names.tov", &region);
    }
    ~Analysed() {
        analysis_destroy(analysis);
        ast_region_release(&region);
    }
};

std::vector<std::string> sources() {
    std::vector<std::string> texts;
    fs::path root(TOVEL_SOURCE_DIR);
    for (const fs::path& dir : {root / "examples", root / "examples" / "mistakes", root / "examples" / "fixed",
                                root / "tests" / "ide" / "fixtures"}) {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(dir, error)) {
            if (entry.path().extension() != ".tov") continue;
            std::string text = read_file_bytes(entry.path().string());
            for (size_t at; (at = text.find("$$")) != std::string::npos;) text.erase(at, 2);
            texts.push_back(text);
        }
    }
    return texts;
}

// A program whose names are known: functions with parameters and locals
// of the same spellings in each (so scopes must keep them apart), labels,
// calls in both directions and a global read everywhere.
struct Generated {
    std::string text;
    std::map<std::string, std::vector<uint32_t>> uses;  // per name's key: every use, the declaration first

    void name(const std::string& key, const std::string& spelling) {
        uses[key].push_back(static_cast<uint32_t>(text.size()));
        text += spelling;
    }
};

Generated generate(uint32_t seed) {
    std::mt19937 random(seed);
    Generated g;
    const int functions = 2 + static_cast<int>(random() % 5);
    for (int f = 0; f < functions; ++f) {
        std::string fn = "f" + std::to_string(f);
        std::string k = fn + ".";
        g.text += "function ";
        g.name(fn, fn);
        g.text += "(";
        g.name(k + "a", "a");
        g.text += ", ";
        g.name(k + "b", "b");
        g.text += " = 1)\n  ";
        g.name(k + "v", "v");
        g.text += " = ";
        g.name(k + "a", "a");
        g.text += " + ";
        g.name("g", "g");
        g.text += "\n";
        for (int line = 0, lines = static_cast<int>(random() % 4); line < lines; ++line) {
            switch (random() % 4) {
            case 0: g.text += "  "; g.name(k + "v", "v"); g.text += " += "; g.name(k + "b", "b"); g.text += "\n"; break;
            case 1: {
                std::string callee = "f" + std::to_string(random() % static_cast<uint32_t>(functions));
                g.text += "  if "; g.name(k + "a", "a"); g.text += " then "; g.name(k + "v", "v"); g.text += " = ";
                g.name(callee, callee); g.text += "("; g.name(k + "v", "v"); g.text += ", 2)\n";
                break;
            }
            case 2: g.text += "  gosub "; g.name(k + "l", "l"); g.text += "\n"; break;
            default: g.text += "  for each "; g.name(k + "i", "i"); g.text += " in "; g.name(k + "a", "a");
                     g.text += "\n    print "; g.name(k + "i", "i"); g.text += "\n  next\n"; break;
            }
        }
        g.text += "  return ";
        g.name(k + "v", "v");
        g.text += "\n";
        g.name(k + "l", "l");
        g.text += ":\n  return\nend function\n";
    }
    // Labels jumped to before they are declared: the declaration is not the first use.
    for (auto& [key, offsets] : g.uses) {
        if (key.size() > 2 && key.compare(key.size() - 2, 2, ".l") == 0) std::rotate(offsets.begin(), offsets.end() - 1, offsets.end());
    }
    g.name("g", "g");
    g.text += " = 0\n";
    std::rotate(g.uses["g"].begin(), g.uses["g"].end() - 1, g.uses["g"].end());
    return g;
}

TEST(NameProperties, ReferencesAreExactlyTheUsesByConstruction) {
    for (uint32_t seed = 0; seed < 200; ++seed) {
        Generated g = generate(seed);
        Analysed a(g.text);
        ASSERT_EQ(a.analysis->diagnostics.count, 0u) << g.text;
        for (const auto& [key, offsets] : g.uses) {
            std::vector<IdeReference> references;
            ASSERT_TRUE(ide_references(a.analysis, offsets[0], true, &references)) << key;
            std::vector<uint32_t> found;
            for (const IdeReference& r : references) found.push_back(r.range.start);
            std::vector<uint32_t> expected = offsets;
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(found, expected) << "seed " << seed << ", " << key << "\n" << g.text;
        }
    }
}

std::string applied(const std::string& text, std::vector<IdeTextEdit> edits) {
    std::sort(edits.begin(), edits.end(), [](const IdeTextEdit& x, const IdeTextEdit& y) { return x.range.start > y.range.start; });
    std::string out = text;
    for (const IdeTextEdit& edit : edits) out.replace(edit.range.start, edit.range.length(), edit.new_text);
    return out;
}

// The findings' messages in order, the new name written back as the old.
std::vector<std::string> messages(const Analysed& a, const std::string& from, const std::string& to) {
    std::vector<std::string> out;
    for (size_t i = 0; i < a.analysis->diagnostics.count; ++i) {
        std::string message = a.analysis->diagnostics.items[i].message;
        for (size_t at; !from.empty() && (at = message.find(from)) != std::string::npos;) message.replace(at, from.size(), to);
        out.push_back(message);
    }
    return out;
}

TEST(NameProperties, RenameAndBackGivesTheTextAndTheSameFindings) {
    std::vector<std::string> texts = sources();
    for (uint32_t seed = 0; seed < 20; ++seed) texts.push_back(generate(seed).text);
    size_t renamed = 0;
    for (const std::string& text : texts) {
        Analysed a(text);
        const NameIndex& index = analysis_names(a.analysis);
        for (const NameDecl& d : index.decls) {
            std::string fresh = d.kind == NAME_MODIFIER ? "renamed zz" : d.name.find('.') != std::string::npos ? "renamed.zz" : "renamed_zz";
            std::vector<IdeTextEdit> edits;
            std::string refusal;
            ASSERT_TRUE(ide_rename(a.analysis, d.range.start, fresh, &edits, &refusal)) << d.name << ": " << refusal;
            std::string changed = applied(text, edits);
            Analysed b(changed);
            EXPECT_EQ(messages(b, fresh, d.name), messages(a, "", "")) << d.name << "\n" << changed;
            uint32_t moved = d.range.start;
            for (const IdeTextEdit& edit : edits) {
                if (edit.range.start < d.range.start) moved += static_cast<uint32_t>(fresh.size()) - edit.range.length();
            }
            std::vector<IdeTextEdit> back;
            ASSERT_TRUE(ide_rename(b.analysis, moved, d.name, &back, &refusal)) << d.name << ": " << refusal << "\n" << changed;
            EXPECT_EQ(applied(changed, back), text) << d.name;
            ++renamed;
        }
    }
    EXPECT_GT(renamed, 200u);
}

void expect_inside(const Analysis* analysis, TextRange range, const char* what) {
    EXPECT_LE(range.start, range.end) << what;
    EXPECT_LE(range.end, analysis->length) << what;
}

TEST(NameProperties, EveryAnswerLiesInsideTheText) {
    std::vector<std::string> texts = sources();
    texts.push_back("function f(a, b = 2\n  f(1, \nx = {about 2\ngoto\nload m from \"");
    texts.push_back("\xEF\xBB\xBFx = 1\r\nprint x\r\n");
    size_t checked = 0;
    for (const std::string& text : texts) {
        Analysed a(text);
        Analysis* analysis = a.analysis;
        for (uint32_t offset = 0; offset <= analysis->length; offset += 3) {
            std::vector<IdeReference> references;
            ide_references(analysis, offset, true, &references);
            for (const IdeReference& r : references) expect_inside(analysis, r.range, "reference");
            IdeRenameTarget target;
            std::string refusal;
            if (ide_prepare_rename(analysis, offset, &target, &refusal)) expect_inside(analysis, target.range, "rename");
            TextRange found;
            if (ide_definition(analysis, offset, &found)) expect_inside(analysis, found, "definition");
            IdeHover hover;
            if (ide_hover(analysis, offset, &hover)) expect_inside(analysis, hover.range, "hover");
            IdeCallItem item;
            if (ide_call_item_at(analysis, offset, &item)) {
                expect_inside(analysis, item.range, "call item");
                expect_inside(analysis, item.selection, "call selection");
                for (const IdeCall& call : ide_incoming_calls(analysis, item.selection.start)) {
                    for (TextRange r : call.from) expect_inside(analysis, r, "incoming");
                }
                for (const IdeCall& call : ide_outgoing_calls(analysis, item.selection.start)) {
                    for (TextRange r : call.from) expect_inside(analysis, r, "outgoing");
                }
            }
            IdeSignature signature;
            if (ide_signature_help(analysis, offset, &signature) && !signature.parameters.empty()) {
                EXPECT_LT(signature.active, signature.parameters.size());
            }
            std::vector<TextRange> ranges = ide_selection_ranges(analysis, offset);
            for (size_t i = 0; i < ranges.size(); ++i) {
                expect_inside(analysis, ranges[i], "selection");
                if (i > 0) {
                    EXPECT_TRUE(ranges[i].start <= ranges[i - 1].start && ranges[i - 1].end <= ranges[i].end);
                }
            }
        }
        for (const IdeInlayHint& hint : ide_inlay_hints(analysis, {0, analysis->length})) EXPECT_LE(hint.offset, analysis->length);
        for (const IdeLink& link : ide_document_links(analysis)) expect_inside(analysis, link.range, "link");
        checked += analysis->length;
    }
    EXPECT_GT(checked, 5000u);  // the sources were found
}

// On the examples and fixtures, references agree with definition: the
// references of a declaration are exactly the uses whose definition it is.
TEST(NameProperties, ReferencesAgreeWithDefinitionOnTheSources) {
    for (const std::string& text : sources()) {
        Analysed a(text);
        const NameIndex& index = analysis_names(a.analysis);
        std::map<uint32_t, std::vector<uint32_t>> uses_of;  // declaration's start -> uses' starts
        for (const NameUse& use : index.uses) {
            TextRange target;
            if (ide_definition(a.analysis, use.range.start, &target)) uses_of[target.start].push_back(use.range.start);
        }
        for (const NameDecl& d : index.decls) {
            std::vector<IdeReference> references;
            ASSERT_TRUE(ide_references(a.analysis, d.range.start, true, &references));
            std::vector<uint32_t> found;
            for (const IdeReference& r : references) found.push_back(r.range.start);
            EXPECT_EQ(found, uses_of[d.range.start]) << d.name;
        }
    }
}

// Completion never offers `dim`, which the language rejects, nor a keyword
// after `goto`.
TEST(NameProperties, CompletionOffersNoRejectedWord) {
    std::vector<std::string> texts = sources();
    texts.push_back("d");
    texts.push_back("x = 1\ngoto \nlabel:\n");
    for (const std::string& text : texts) {
        Analysed a(text);
        for (uint32_t offset = 0; offset <= a.analysis->length; ++offset) {
            for (const IdeCompletion& item : ide_completion(a.analysis, offset)) {
                EXPECT_NE(item.label, "dim");
                EXPECT_NE(item.label, "DIM");
            }
        }
    }
    Analysed jump("x = 1\ngoto \nlabel:\n");
    std::vector<IdeCompletion> items = ide_completion(jump.analysis, 11);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].label, "label");
}

struct CallCase {
    const char* text;
    uint32_t at;            // a place naming the unit
    const char* incoming;   // callers with how often they call, as rendered
    const char* outgoing;
};

std::string rendered_calls(const std::vector<IdeCall>& calls) {
    std::string out;
    for (const IdeCall& call : calls) out += call.item.name + " x" + std::to_string(call.from.size()) + ";";
    return out;
}

TEST(NameProperties, CallsBetweenFunctionsModifiersLabelsAndHandlers) {
    const char* server =
        "function f(a)\n  return {near 1} a\nend function\n"       // f at 9
        "modifier near(t) for number\n  return f(t)\nend modifier\n"  // near at 56
        "server s(port: 80)\n  get \"/a\" (req)\n    f(1)\n    return f(2)\n  end get\nend server\n"
        "program p()\n  gosub tally\n  gosub tally\n  return\ntally:\n  f(3)\n  return\nend program\n";
    const CallCase cases[] = {
        {server, 9, "near x1;get /a x2;tally x1;", "near x1;"},
        {server, 56, "f x1;", "f x1;"},
        {server, 234, "p x2;", "f x1;"},
    };
    for (const CallCase& c : cases) {
        Analysed a(c.text);
        IdeCallItem item;
        ASSERT_TRUE(ide_call_item_at(a.analysis, c.at, &item)) << c.at;
        EXPECT_EQ(rendered_calls(ide_incoming_calls(a.analysis, item.selection.start)), c.incoming) << item.name;
        EXPECT_EQ(rendered_calls(ide_outgoing_calls(a.analysis, item.selection.start)), c.outgoing) << item.name;
    }
}

struct Refusal {
    const char* text;
    uint32_t offset;
    const char* new_name;
    const char* message;
};

TEST(NameProperties, RenameRefusesWithAReason) {
    const Refusal refusals[] = {
        {"if x then print x\n", 0, "y", "`if` is a keyword of Tovel and cannot be renamed."},
        {"notify(1)\n", 0, "y", "`notify` is not declared in this file, so it cannot be renamed here."},
        {"r = {a: 1}\nprint r.a\n", 19, "b", "`a` is a field; fields are not tracked by name, so they are not renamed."},
        {"x = 1\n", 0, "2x", "`2x` is not a valid name for a variable in Tovel."},
        {"x = 1\n", 0, "then", "`then` is not a valid name for a variable in Tovel."},
        {"x = 1\ny = 2\n", 0, "y", "`y` is already the name of a variable visible here (line 2)."},
        {"function f(a)\n  b = a\nend function\n", 11, "b", "`b` is already the name of a variable visible here (line 2)."},
        {"w = 2 days\n", 6, "y", "`days` is a word of the language here, not a name."},
    };
    for (const Refusal& r : refusals) {
        Analysed a(r.text);
        std::vector<IdeTextEdit> edits;
        std::string refusal;
        EXPECT_FALSE(ide_rename(a.analysis, r.offset, r.new_name, &edits, &refusal)) << r.text;
        EXPECT_EQ(refusal, r.message) << r.text;
        EXPECT_TRUE(edits.empty());
    }
}

}  // namespace
