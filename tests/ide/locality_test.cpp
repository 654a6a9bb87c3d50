// Locality of the editor features: a mistake typed into a correct file
// changes the outline, the folds and the colours only inside the construct
// it breaks, and definition, hover and completion below it keep answering
// as before. Each kind of mistake is made at every line of the examples
// where it fits; the test counts the places where each feature kept
// everything outside the construct, and holds the counts of today.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "ide/analysis.h"
#include "ide/features.h"
#include "tests/test_files.h"
#include "tests/typing_mistakes.h"

namespace fs = std::filesystem;
using namespace typing_mistakes;

namespace {

// Line starts of a text, for turning offsets into lines.
struct Lines {
    std::vector<size_t> starts;
    explicit Lines(const std::string& text) {
        starts.push_back(0);
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n') starts.push_back(i + 1);
        }
    }
    size_t line_of(size_t offset) const {
        return static_cast<size_t>(std::upper_bound(starts.begin(), starts.end(), offset) - starts.begin()) - 1;
    }
};

// One document's text and analysis, kept together (the analysis borrows the text).
struct Document {
    std::string text;
    AstRegion region;
    Analysis* analysis;
    explicit Document(std::string t) : text(std::move(t)) {
        ast_region_init(&region);
        analysis = analysis_create(text.c_str(), "locality.tov", &region);
    }
    ~Document() {
        analysis_destroy(analysis);
        ast_region_release(&region);
    }
};

// The features' answers with every place as a byte offset, in the
// coordinates of the text they were asked of.
using Symbol = std::tuple<std::string, int32_t, std::string, size_t, size_t, size_t, size_t>;  // path, kind, detail, range, selection
using Highlight = std::tuple<size_t, size_t, uint32_t, uint32_t>;  // start, end, type, modifiers
using Fold = std::tuple<size_t, size_t, bool>;                      // the first line's start, the last line's end

struct Answers {
    std::vector<Symbol> symbols;
    std::vector<Fold> folds;
    std::vector<Highlight> highlights;
};

void flatten(const std::vector<IdeSymbol>& symbols, const std::string& path, std::vector<Symbol>* out) {
    for (const IdeSymbol& s : symbols) {
        std::string inner = path + "/" + s.name;
        out->emplace_back(inner, s.kind, s.detail, s.range.start, s.range.end, s.selection.start, s.selection.end);
        flatten(s.children, inner, out);
    }
}

Answers answers_of(Document& d) {
    Answers a;
    flatten(ide_document_symbols(d.analysis), "", &a.symbols);
    Lines lines(d.text);
    for (const IdeFold& f : ide_folding_ranges(d.analysis)) {
        size_t end = f.end_line + 1 < lines.starts.size() ? lines.starts[f.end_line + 1] - 1 : d.text.size();
        a.folds.emplace_back(lines.starts[f.start_line], end, f.comment);
    }
    for (const IdeHighlight& h : ide_semantic_tokens(d.analysis)) {
        a.highlights.emplace_back(h.range.start, h.range.end, h.type, h.modifiers);
    }
    return a;
}

// The stretch of the correct text a mistake breaks, as whole lines.
struct Broken {
    size_t first_line, last_line;
};

// The block the mistake breaks when it is made on a block's header line,
// deletes or misspells its closing line, or closes it where it should not;
// otherwise the statement's own line.
Broken broken_construct(Document& correct, const Lines& lines, Kind kind, Line line) {
    size_t at_line = lines.line_of(line.start);
    Broken statement{at_line, at_line};
    const Outline& outline = analysis_outline(correct.analysis);
    const OutlineBlock* chosen = nullptr;
    for (const OutlineBlock& block : outline.blocks) {
        size_t first = lines.line_of(block.range.start);
        size_t last = lines.line_of(block.range.end);
        bool header = first == at_line;
        bool closing = last == at_line && block.closed;
        bool inside = first <= at_line && at_line <= last;
        if (header || (kind == DELETED_CLOSING_LINE && closing) || (kind == MISSPELLED_WORD && closing) ||
            (kind == STRAY_END && inside && !closing)) {
            chosen = &block;  // blocks come outermost first: the last match is the innermost
        }
    }
    if (chosen == nullptr) return statement;
    return {lines.line_of(chosen->range.start), std::max(lines.line_of(chosen->range.end), at_line)};
}

struct Place {
    const Edit& edit;
    const Lines& correct_lines;
    const Lines& broken_lines;
    Broken broken;

    bool outside(size_t correct_offset) const {
        size_t line = correct_lines.line_of(correct_offset);
        return line < broken.first_line || line > broken.last_line;
    }
    // Whether a place in the broken text lies outside the broken
    // construct, or the line the mistake inserted.
    bool outside_in_broken(size_t offset) const {
        size_t line = broken_lines.line_of(offset);
        size_t first = broken_lines.line_of(edit.map(correct_lines.starts[broken.first_line]));
        size_t last_start = broken.last_line + 1 < correct_lines.starts.size() ? correct_lines.starts[broken.last_line + 1] : SIZE_MAX;
        size_t after = last_start == SIZE_MAX ? SIZE_MAX : broken_lines.line_of(edit.map(last_start));
        bool inserted = !edit.inserted.empty() && edit.inserted.back() == '\n' &&
                        line == broken_lines.line_of(edit.at);
        return (line < first || line >= after) && !inserted;
    }
};

bool same_symbols(const Answers& correct, const Answers& broken, const Place& p) {
    std::multiset<Symbol> expected, found;
    for (const Symbol& s : correct.symbols) {
        const auto& [path, kind, detail, start, end, sel_start, sel_end] = s;
        if (!p.outside(start)) continue;
        expected.insert({path, kind, detail, p.edit.map(start), p.edit.map(end), p.edit.map(sel_start), p.edit.map(sel_end)});
    }
    for (const Symbol& s : broken.symbols) {
        if (p.outside_in_broken(std::get<3>(s))) found.insert(s);
    }
    return expected == found;
}

bool same_folds(const Answers& correct, const Answers& broken, const Place& p) {
    std::multiset<Fold> expected, found;
    for (const auto& [first, last, comment] : correct.folds) {
        if (p.outside(first)) expected.insert({p.edit.map(first), p.edit.map_left(last), comment});
    }
    for (const Fold& f : broken.folds) {
        if (p.outside_in_broken(std::get<0>(f))) found.insert(f);
    }
    return expected == found;
}

bool same_highlights(const Answers& correct, const Answers& broken, const Place& p) {
    std::vector<Highlight> expected, found;
    for (const auto& [start, end, type, modifiers] : correct.highlights) {
        if (p.outside(start)) expected.emplace_back(p.edit.map(start), p.edit.map(end), type, modifiers);
    }
    for (const Highlight& h : broken.highlights) {
        if (p.outside_in_broken(std::get<0>(h))) found.push_back(h);
    }
    return expected == found;
}

// Definition, hover and completion at the names below the construct that
// lead somewhere outside it.
struct Probe {
    size_t offset;
    TextRange target;
    std::string hover;
    std::set<std::string> completion;
};

std::vector<Probe> probes_of(Document& d) {
    std::vector<Probe> probes;
    const Outline& outline = analysis_outline(d.analysis);
    for (const Token& token : outline.tokens) {
        if (token.kind != TOKEN_IDENT) continue;
        uint32_t offset = outline_token_offset(outline, token);
        Probe probe{offset, {}, "", {}};
        if (!ide_definition(d.analysis, offset, &probe.target)) continue;
        IdeHover hover;
        if (ide_hover(d.analysis, offset, &hover)) probe.hover = hover.markdown;
        for (const IdeCompletion& c : ide_completion(d.analysis, offset)) probe.completion.insert(c.label);
        probes.push_back(std::move(probe));
    }
    return probes;
}

// Hover names the line a name stands on, which the edit may move.
std::string without_line_numbers(std::string text) {
    for (size_t at = text.find("line "); at != std::string::npos; at = text.find("line ", at + 5)) {
        size_t digits = at + 5;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
        text.erase(at + 5, digits - at - 5);
    }
    return text;
}

bool navigation_kept(Document& broken, const std::vector<Probe>& probes, const Place& p,
                     const std::set<std::string>& declared_inside) {
    size_t checked = 0;
    for (const Probe& probe : probes) {
        if (checked == 3) break;
        if (p.correct_lines.line_of(probe.offset) <= p.broken.last_line || !p.outside(probe.target.start)) continue;
        ++checked;
        uint32_t at = static_cast<uint32_t>(p.edit.map(probe.offset));
        TextRange target;
        if (!ide_definition(broken.analysis, at, &target) || target.start != p.edit.map(probe.target.start)) {
            return false;
        }
        IdeHover hover;
        if (!probe.hover.empty() && (!ide_hover(broken.analysis, at, &hover) ||
                                     without_line_numbers(hover.markdown) != without_line_numbers(probe.hover))) {
            return false;
        }
        std::set<std::string> labels;
        for (const IdeCompletion& c : ide_completion(broken.analysis, at)) labels.insert(c.label);
        for (const std::string& label : probe.completion) {
            if (declared_inside.count(label) == 0 && labels.count(label) == 0) {
                return false;
            }
        }
    }
    return true;
}

struct Counts {
    size_t places = 0, outline = 0, folds = 0, colours = 0, navigation = 0;
    void add(const Counts& c) {
        places += c.places;
        outline += c.outline;
        folds += c.folds;
        colours += c.colours;
        navigation += c.navigation;
    }
};

TEST(FeatureLocality, AnswersOutsideTheMistakeStay) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(TOVEL_SOURCE_DIR) / "examples")) {
        if (entry.is_regular_file() && entry.path().extension() == ".tov") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    Counts total;
    std::map<std::string, Counts> by_mistake;
    // TOVEL_LOCALITY_VERBOSE=1 lists every place where something was lost.
    bool verbose = std::getenv("TOVEL_LOCALITY_VERBOSE") != nullptr;
    for (const fs::path& file : files) {
        Document correct(read_file_bytes(file));
        if (analysis_tree(correct.analysis).errors != 0) continue;  // the mistakes/ examples are broken already
        Answers expected = answers_of(correct);
        std::vector<Probe> probes = probes_of(correct);
        Lines correct_lines(correct.text);
        for (const Named& mistake : kAll) {
            for (const Line& line : lines_of(correct.text)) {
                Edit edit = make(mistake.kind, correct.text, line);
                if (!edit.fits) continue;
                Document broken(edit.apply(correct.text));
                Lines broken_lines(broken.text);
                Place place{edit, correct_lines, broken_lines,
                            broken_construct(correct, correct_lines, mistake.kind, line)};
                std::set<std::string> declared_inside;
                for (const Symbol& s : expected.symbols) {
                    if (!place.outside(std::get<5>(s))) {
                        const std::string& path = std::get<0>(s);
                        declared_inside.insert(path.substr(path.rfind('/') + 1));
                    }
                }
                for (const NameDecl& d : analysis_names(correct.analysis).decls) {
                    if (!place.outside(d.range.start)) declared_inside.insert(d.name);
                }
                Answers found = answers_of(broken);
                Counts& c = by_mistake[mistake.name];
                ++c.places;
                bool kept[] = {same_symbols(expected, found, place), same_folds(expected, found, place),
                               same_highlights(expected, found, place)};
                c.outline += kept[0];
                c.folds += kept[1];
                c.colours += kept[2];
                if (verbose && !(kept[0] && kept[1] && kept[2])) {
                    std::printf("lost %s%s%s: %s at %s:%zu: %s\n", kept[0] ? "" : " outline", kept[1] ? "" : " folds",
                                kept[2] ? "" : " colours", mistake.name, file.filename().c_str(),
                                correct_lines.line_of(line.start) + 1,
                                correct.text.substr(line.start, line.end - line.start).c_str());
                }
                c.navigation += navigation_kept(broken, probes, place, declared_inside);
            }
        }
    }
    for (const Named& mistake : kAll) {
        const Counts& c = by_mistake[mistake.name];
        std::printf("feature locality: %-22s %3zu places: outline %3zu, folds %3zu, colours %3zu, navigation %3zu\n",
                    mistake.name, c.places, c.outline, c.folds, c.colours, c.navigation);
        total.add(c);
    }
    std::printf("feature locality: all %zu places: outline %zu, folds %zu, colours %zu, navigation %zu\n", total.places,
                total.outline, total.folds, total.colours, total.navigation);
    ASSERT_GT(total.places, 400u);
    // What the recovery keeps today; a change that keeps less is a regression.
    EXPECT_GE(total.outline * 100, total.places * 98);
    EXPECT_GE(total.folds * 100, total.places * 98);
    EXPECT_GE(total.colours * 100, total.places * 98);
    // Navigation probes every name that resolves (variables and parameters
    // too, since the name index).
    EXPECT_GE(total.navigation * 100, total.places * 98);
}

}  // namespace
