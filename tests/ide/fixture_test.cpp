// The editor features on source fixtures, as data: every
// tests/ide/fixtures/NAME.tov is a Tovel text with cursors marked `$$`; the
// features' answers on it (the outline, folds, highlighting, inlay hints and
// links of the whole text, and at every cursor the definition, hover,
// completion, references, signature, calls and quick fixes) are rendered as
// text and compared with NAME.golden beside it.
// TOVEL_UPDATE=1 rewrites the goldens. Places print as line:column, both
// from 1, columns in bytes, with the text they cover.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "ide/analysis.h"
#include "ide/features.h"
#include "tests/golden_update.h"
#include "tests/test_files.h"

namespace fs = std::filesystem;

namespace {

constexpr char kCursor[] = "$$";

fs::path fixture_dir() { return fs::path(TOVEL_SOURCE_DIR) / "tests" / "ide" / "fixtures"; }

std::vector<std::string> fixture_names() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fixture_dir(), error)) {
        if (entry.path().extension() == ".tov") names.push_back(entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The text without its cursor marks, and where the marks stood.
std::string strip_cursors(const std::string& marked, std::vector<uint32_t>* cursors) {
    std::string text;
    for (size_t i = 0; i < marked.size();) {
        if (marked.compare(i, 2, kCursor) == 0) {
            cursors->push_back(static_cast<uint32_t>(text.size()));
            i += 2;
        } else {
            text += marked[i++];
        }
    }
    return text;
}

class Renderer {
public:
    explicit Renderer(Analysis* analysis) : analysis_(analysis) {}

    std::string place(uint32_t offset) const {
        LineIndex* index = analysis_index(analysis_);
        uint32_t line = line_index_line_of(index, offset);
        return std::to_string(line + 1) + ":" + std::to_string(offset - line_index_line(index, line).start + 1);
    }

    std::string span(TextRange range) const { return place(range.start) + "-" + place(range.end); }

    std::string range(TextRange range) const { return span(range) + " " + quoted(range); }

    std::string quoted(TextRange range) const {
        std::string out = "\"";
        for (uint32_t i = range.start; i < range.end && i < analysis_->length; ++i) {
            char c = analysis_->text[i];
            out += c == '\n' ? std::string("\\n") : c == '\r' ? std::string("\\r") : std::string(1, c);
        }
        return out + "\"";
    }

private:
    Analysis* analysis_;
};

const char* symbol_kind(IdeSymbolKind kind) {
    static const char* const names[] = {"program", "library", "function", "modifier", "server",
                                        "site",    "route",   "hook",     "label"};
    return names[kind];
}

const char* token_type(IdeTokenType type) {
    static const char* const names[] = {"keyword", "comment",  "string",    "number",   "operator", "function",
                                        "parameter", "variable", "label",   "method",   "namespace", "class",
                                        "decorator", "property", "macro",   "event",    "escape"};
    return names[type];
}

std::string modifiers(uint32_t bits) {
    static const char* const names[] = {"invalid", "control", "word", "constant", "declarator", "deprecated"};
    std::string out;
    for (uint32_t bit = 0; bit < IDE_MODIFIER_COUNT; ++bit) {
        if (bits & (1u << bit)) out += std::string(".") + names[bit];
    }
    return out;
}

void render_symbols(const Renderer& r, const std::vector<IdeSymbol>& symbols, int depth, std::string* out) {
    for (const IdeSymbol& s : symbols) {
        *out += std::string(static_cast<size_t>(depth) * 2, ' ') + symbol_kind(s.kind) + " " + s.name +
                (s.detail.empty() ? "" : " " + s.detail) + " at " + r.span(s.selection) + ", block " + r.span(s.range) + "\n";
        render_symbols(r, s.children, depth + 1, out);
    }
}

void render_cursor(Analysis* analysis, const Renderer& r, uint32_t cursor, std::string* out) {
    *out += "\n## cursor at " + r.place(cursor) + "\n";
    TextRange target{};
    *out += ide_definition(analysis, cursor, &target) ? "definition " + r.range(target) + "\n" : "no definition\n";
    IdeHover hover;
    if (ide_hover(analysis, cursor, &hover)) {
        std::string text = hover.markdown;
        for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2)) text.replace(at, 1, "\\n");
        *out += "hover " + r.range(hover.range) + ": " + text + "\n";
    } else {
        *out += "no hover\n";
    }
    std::vector<IdeCompletion> items = ide_completion(analysis, cursor);
    size_t keywords = 0;
    std::string others;
    for (const IdeCompletion& item : items) {
        if (item.kind == IDE_COMPLETION_KEYWORD && item.detail.empty()) {
            ++keywords;
        } else {
            others += " " + item.label + (item.detail.empty() ? "" : " (" + item.detail + ")") + ";";
        }
    }
    *out += "completion: " + std::to_string(keywords) + " keywords;" + others + "\n";
    std::vector<IdeReference> references;
    if (ide_references(analysis, cursor, true, &references)) {
        *out += "references:";
        for (const IdeReference& ref : references) {
            *out += " " + r.place(ref.range.start) + (ref.declaration ? " declaration" : ref.write ? " write" : "");
        }
        *out += "\n";
    }
    IdeSignature signature;
    if (ide_signature_help(analysis, cursor, &signature)) {
        *out += "signature " + signature.label + ", parameter " + std::to_string(signature.active) + "\n";
    }
    IdeCallItem item;
    if (ide_call_item_at(analysis, cursor, &item)) {
        *out += "calls of " + item.name + ":";
        for (const IdeCall& call : ide_incoming_calls(analysis, item.selection.start)) {
            *out += " from " + call.item.name + " x" + std::to_string(call.from.size());
        }
        for (const IdeCall& call : ide_outgoing_calls(analysis, item.selection.start)) {
            *out += " to " + call.item.name + " x" + std::to_string(call.from.size());
        }
        *out += "\n";
    }
    for (const IdeQuickFix& fix : ide_quick_fixes(analysis, {cursor, cursor})) {
        *out += "fix \"" + fix.title + "\" for finding " + std::to_string(fix.diagnostic) + ":";
        for (const IdeTextEdit& edit : fix.edits) *out += " " + r.range(edit.range) + " -> \"" + edit.new_text + "\"";
        *out += "\n";
    }
}

std::string render_features(const std::string& text, const std::vector<uint32_t>& cursors) {
    AstRegion region;
    ast_region_init(&region);
    Analysis* analysis = analysis_create(text.c_str(), "fixture.tov", &region);
    Renderer r(analysis);
    std::string out = "# findings\n";
    for (size_t i = 0; i < analysis->diagnostics.count; ++i) {
        const Diagnostic& d = analysis->diagnostics.items[i];
        out += std::to_string(i) + " " + r.range(analysis_span_range(analysis, d.span)) + ": " + d.message + "\n";
    }
    out += "\n# outline\n";
    render_symbols(r, ide_document_symbols(analysis), 0, &out);
    out += "\n# folds\n";
    for (const IdeFold& fold : ide_folding_ranges(analysis)) {
        out += std::to_string(fold.start_line + 1) + "-" + std::to_string(fold.end_line + 1) + (fold.comment ? " comment\n" : "\n");
    }
    out += "\n# highlighting\n";
    for (const IdeHighlight& h : ide_semantic_tokens(analysis)) {
        out += r.range(h.range) + " " + token_type(h.type) + modifiers(h.modifiers) + "\n";
    }
    std::string hints;
    for (const IdeInlayHint& hint : ide_inlay_hints(analysis, {0, analysis->length})) {
        hints += r.place(hint.offset) + " " + hint.label + (hint.parameter ? " (parameter)" : "") + "\n";
    }
    for (const IdeLink& link : ide_document_links(analysis)) hints += "link " + r.range(link.range) + " to " + link.path + "\n";
    if (!hints.empty()) out += "\n# inlay hints and links\n" + hints;
    for (uint32_t cursor : cursors) render_cursor(analysis, r, cursor, &out);
    analysis_destroy(analysis);
    ast_region_release(&region);
    return out;
}

class IdeFixture : public ::testing::TestWithParam<std::string> {};

TEST_P(IdeFixture, AnswersAsRecorded) {
    const std::string name = GetParam();
    std::string marked;
    ASSERT_TRUE(read_file_bytes(fixture_dir() / (name + ".tov"), &marked)) << name;
    std::vector<uint32_t> cursors;
    std::string text = strip_cursors(marked, &cursors);
    std::string rendered = render_features(text, cursors);
    fs::path golden = fixture_dir() / (name + ".golden");
    if (update_goldens_requested()) {
        ASSERT_TRUE(write_file_bytes(golden, rendered));
    }
    std::string expected;
    ASSERT_TRUE(read_file_bytes(golden, &expected)) << "missing " << golden;
    EXPECT_EQ(rendered, expected) << "golden " << golden;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, IdeFixture, ::testing::ValuesIn(fixture_names()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return test_name_of(info.param); });

// Guards the runner: a wrong folder would otherwise pass vacuously.
TEST(IdeFixtureFolder, HoldsTheRecordedCases) { EXPECT_GE(fixture_names().size(), 5u) << fixture_dir(); }

}  // namespace
