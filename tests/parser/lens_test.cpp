// Lens text against a plain reading of its rules: split at the first ';'
// outside strings, trim the part before it, skip the blanks after it and read
// the rest the same way; a part with text on both sides of its first '.' is
// qualifier.name. parse_lens does this in one pass; the straightforward
// recursive reading below must agree with it on every text.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "diag/diagnostic.h"
#include "parser/actions.h"
#include "parser/parse.h"

namespace {

struct Link {
    bool qualified;
    std::string qualifier;
    std::string name;

    bool operator==(const Link& other) const {
        return qualified == other.qualified && qualifier == other.qualifier && name == other.name;
    }
};

bool blank(char c) { return c == ' ' || c == '\t'; }

std::string trim_front(const std::string& text) {
    size_t begin = 0;
    while (begin < text.size() && blank(text[begin])) ++begin;
    return text.substr(begin);
}

std::string trim_back(const std::string& text) {
    size_t end = text.size();
    while (end > 0 && blank(text[end - 1])) --end;
    return text.substr(0, end);
}

Link reference_single(const std::string& text) {
    size_t dot = text.find('.');
    if (dot == std::string::npos) return {false, "", text};
    std::string left = trim_back(trim_front(text.substr(0, dot)));
    std::string right = trim_front(text.substr(dot + 1));
    if (left.empty() || right.empty()) return {false, "", text};
    return {true, left, right};
}

size_t reference_separator(const std::string& text) {
    bool in_string = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (in_string && text[i] == '\\') {
            ++i;
        } else if (text[i] == '"') {
            in_string = !in_string;
        } else if (text[i] == ';' && !in_string) {
            return i;
        }
    }
    return std::string::npos;
}

void reference_lens(const std::string& text, std::vector<Link>* out) {
    size_t separator = reference_separator(text);
    if (separator == std::string::npos) {
        out->push_back(reference_single(text));
        return;
    }
    out->push_back(reference_single(trim_back(trim_front(text.substr(0, separator)))));
    reference_lens(trim_front(text.substr(separator + 1)), out);
}

std::vector<Link> links_of(const ModifierRef& first) {
    std::vector<Link> links;
    for (const ModifierRef* link = &first; link != nullptr; link = link->next) {
        EXPECT_EQ(link->args.count, 0u);
        links.push_back({link->qualifier != nullptr, link->qualifier ? link->qualifier : "",
                         link->name ? link->name : "(null)"});
    }
    return links;
}

std::vector<Link> actual_lens(const std::string& text) {
    ModifierRef ref = parse_lens(copy_string(text.c_str()));
    std::vector<Link> links = links_of(ref);
    modifier_ref_free(ref);
    return links;
}

std::string show(const std::vector<Link>& links) {
    std::string text;
    for (const Link& link : links) {
        text += "[";
        if (link.qualified) text += link.qualifier + "|";
        text += link.name + "]";
    }
    return text;
}

TEST(LensReading, OnePassReadingAgreesWithTheRecursiveOne) {
    // Every byte that matters to the rules, plus letters to fill names.
    const char alphabet[] = {'a', 'b', '.', ';', '"', '\\', ' ', '\t'};
    std::mt19937 random(20261209);
    for (int round = 0; round < 40000; ++round) {
        std::string text;
        size_t length = random() % 14;
        for (size_t i = 0; i < length; ++i) text += alphabet[random() % sizeof alphabet];
        std::vector<Link> expected;
        reference_lens(text, &expected);
        std::vector<Link> actual = actual_lens(text);
        ASSERT_EQ(show(actual), show(expected)) << "lens text [" << text << "]";
    }
}

TEST(LensReading, LensTextsThroughTheLexer) {
    // Raw lens text keeps its blanks; a brace prefix arrives trimmed.
    const struct {
        const char* source;
        const char* links;
    } cases[] = {
        {"x = a {ts(1) . approx } = b\n", "[ts(1)|approx ]"},
        {"x = a { ts . approx } = b\n", "[ts|approx]"},
        {"x = a {\" q\" ; b } = c\n", "[\" q\"][b ]"},
        {"x = a {scale(2); ts.round} = b\n", "[scale(2)][ts|round]"},
        {"x = a {a; b} = c\n", "[a][b]"},
        {"x = a {within \"0;5\"} = c\n", "[within \"0;5\"]"},
    };
    for (const auto& c : cases) {
        DiagnosticList list;
        diag_list_init(&list);
        StmtList program = {nullptr, 0};
        ASSERT_EQ(parse_program(c.source, "lens.tov", 1, &list, &program), 0) << c.source;
        ASSERT_EQ(program.count, 1u);
        const Expr* value = program.items[0]->assign.value;
        ASSERT_EQ(value->kind, EXPR_BINARY) << c.source;
        EXPECT_EQ(show(links_of(value->binary.modifier)), c.links) << c.source;
        stmt_list_free(program);
        diag_list_free(&list);
    }
}

}  // namespace
