// Calls between the file's functions, modifiers, labels reached by `gosub`
// and the bodies of routes, hooks and programs.
#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>

#include "diag/ascii.h"
#include "ide/features.h"

namespace {

// Something that calls or is called, with the name index's declaration
// behind it when it has one.
struct CallUnit {
    IdeCallItem item;
    int32_t decl;  // kNoName for routes, hooks and programs
};

bool after_gosub(const Analysis* analysis, TextRange range) {
    uint32_t at = range.start;
    while (at > 0 && (analysis->text[at - 1] == ' ' || analysis->text[at - 1] == '\t')) --at;
    return at >= 5 && equals_lowered(analysis->text + at - 5, "gosub", 5) &&
           (at == 5 || !is_ascii_letter(analysis->text[at - 6]));
}

// Where each label's lines end: at the next label of its scope, or where
// the scope's closing line starts. Labels are declared in text order, so
// one backward sweep finds each one's successor.
std::vector<uint32_t> label_ends(const NameIndex& index) {
    std::vector<uint32_t> ends(index.decls.size(), 0);
    std::unordered_map<int32_t, uint32_t> next_in_scope;
    for (size_t i = index.decls.size(); i-- > 0;) {
        const NameDecl& label = index.decls[i];
        if (label.kind != NAME_LABEL) continue;
        auto next = next_in_scope.find(label.scope);
        ends[i] = next != next_in_scope.end() ? next->second : index.scopes[static_cast<size_t>(label.scope)].body_end;
        next_in_scope[label.scope] = label.block.start;
    }
    return ends;
}

// A label reached by `gosub` runs from its line to `end`, blanks left out.
TextRange label_lines(const NameIndex& index, const NameDecl& label, uint32_t end) {
    TextRange range{label.block.start, std::max(end, label.block.start)};
    while (range.end > range.start && std::strchr(" \t\r\n", index.text[range.end - 1]) != nullptr) --range.end;
    return range;
}

std::vector<CallUnit> call_units(Analysis* analysis) {
    const NameIndex& index = analysis_names(analysis);
    std::vector<CallUnit> units;
    std::vector<bool> reached(index.decls.size(), false);
    for (const NameUse& use : index.uses) {
        if (use.kind == NAME_LABEL && use.role == ROLE_CALL && use.decl != kNoName && after_gosub(analysis, use.range)) {
            reached[static_cast<size_t>(use.decl)] = true;
        }
    }
    std::vector<uint32_t> ends = label_ends(index);
    for (size_t i = 0; i < index.decls.size(); ++i) {
        const NameDecl& d = index.decls[i];
        int32_t decl = static_cast<int32_t>(i);
        if (d.kind == NAME_FUNCTION) units.push_back({{d.name, d.detail, IDE_SYMBOL_FUNCTION, d.block, d.range}, decl});
        if (d.kind == NAME_MODIFIER) units.push_back({{d.name, d.detail, IDE_SYMBOL_MODIFIER, d.block, d.range}, decl});
        if (d.kind == NAME_LABEL && reached[i]) {
            units.push_back({{d.name, "", IDE_SYMBOL_LABEL, label_lines(index, d, ends[i]), d.range}, decl});
        }
    }
    const Outline& o = analysis_outline(analysis);
    for (const OutlineBlock& block : o.blocks) {
        IdeSymbolKind kind = block.kind == BLOCK_ROUTE ? IDE_SYMBOL_ROUTE
                             : block.kind == BLOCK_HOOK ? IDE_SYMBOL_HOOK
                             : block.kind == BLOCK_PROGRAM ? IDE_SYMBOL_PROGRAM : IDE_SYMBOL_LABEL;
        if (kind == IDE_SYMBOL_LABEL) continue;
        TextRange selection{analysis_token_range(analysis, block.name_token).start,
                            analysis_token_range(analysis, block.name_last).end};
        units.push_back({{block.name, block.detail, kind, block.range, selection}, kNoName});
    }
    return units;
}

int32_t unit_of_decl(const std::vector<CallUnit>& units, int32_t decl) {
    for (size_t i = 0; i < units.size(); ++i) {
        if (units[i].decl == decl) return static_cast<int32_t>(i);
    }
    return -1;
}

int32_t unit_named_at(const std::vector<CallUnit>& units, uint32_t selection_start) {
    for (size_t i = 0; i < units.size(); ++i) {
        if (units[i].item.selection.start == selection_start) return static_cast<int32_t>(i);
    }
    return -1;
}

// Every call between two units: caller, callee, where.
struct CallSite {
    int32_t caller;
    int32_t callee;
    TextRange range;
};

// The uses come in text order: one sweep keeps the units open at each,
// innermost on top (units nest as the blocks they come from do).
std::vector<CallSite> call_sites(Analysis* analysis, const std::vector<CallUnit>& units) {
    const NameIndex& index = analysis_names(analysis);
    std::vector<int32_t> by_start(units.size());
    for (size_t i = 0; i < units.size(); ++i) by_start[i] = static_cast<int32_t>(i);
    std::sort(by_start.begin(), by_start.end(), [&units](int32_t a, int32_t b) {
        TextRange ra = units[static_cast<size_t>(a)].item.range;
        TextRange rb = units[static_cast<size_t>(b)].item.range;
        return ra.start != rb.start ? ra.start < rb.start : ra.end > rb.end;
    });
    std::vector<int32_t> callee_of(index.decls.size(), -1);
    for (size_t i = 0; i < units.size(); ++i) {
        if (units[i].decl != kNoName) callee_of[static_cast<size_t>(units[i].decl)] = static_cast<int32_t>(i);
    }
    std::vector<CallSite> sites;
    std::vector<int32_t> open;
    size_t next = 0;
    for (const NameUse& use : index.uses) {
        uint32_t at = use.range.start;
        auto close_before = [&](uint32_t offset) {
            while (!open.empty() && units[static_cast<size_t>(open.back())].item.range.end <= offset) open.pop_back();
        };
        while (next < by_start.size() && units[static_cast<size_t>(by_start[next])].item.range.start <= at) {
            close_before(units[static_cast<size_t>(by_start[next])].item.range.start);
            open.push_back(by_start[next++]);
        }
        close_before(at);
        if (use.role != ROLE_CALL || use.decl == kNoName || open.empty()) continue;
        int32_t callee = callee_of[static_cast<size_t>(use.decl)];
        if (callee >= 0) sites.push_back({open.back(), callee, use.range});
    }
    return sites;
}

// Groups the sites by the unit on the other end, in the order first met.
std::vector<IdeCall> grouped(const std::vector<CallUnit>& units, const std::vector<CallSite>& sites, int32_t unit,
                             bool incoming) {
    std::vector<IdeCall> calls;
    std::vector<int32_t> group(units.size(), -1);
    for (const CallSite& site : sites) {
        if ((incoming ? site.callee : site.caller) != unit) continue;
        int32_t other = incoming ? site.caller : site.callee;
        if (group[static_cast<size_t>(other)] < 0) {
            group[static_cast<size_t>(other)] = static_cast<int32_t>(calls.size());
            calls.push_back({units[static_cast<size_t>(other)].item, {}});
        }
        calls[static_cast<size_t>(group[static_cast<size_t>(other)])].from.push_back(site.range);
    }
    return calls;
}

}  // namespace

bool ide_call_item_at(Analysis* analysis, uint32_t offset, IdeCallItem* item) {
    std::vector<CallUnit> units = call_units(analysis);
    const NameIndex& index = analysis_names(analysis);
    int32_t unit = -1;
    if (int32_t use = name_use_at(index, offset); use != kNoName && index.uses[static_cast<size_t>(use)].decl != kNoName) {
        unit = unit_of_decl(units, index.uses[static_cast<size_t>(use)].decl);
    }
    for (size_t i = 0; unit < 0 && i < units.size(); ++i) {
        TextRange selection = units[i].item.selection;
        if (selection.start <= offset && offset <= selection.end) unit = static_cast<int32_t>(i);
    }
    if (unit < 0) return false;
    *item = units[static_cast<size_t>(unit)].item;
    return true;
}

std::vector<IdeCall> ide_incoming_calls(Analysis* analysis, uint32_t selection_start) {
    std::vector<CallUnit> units = call_units(analysis);
    int32_t unit = unit_named_at(units, selection_start);
    if (unit < 0) return {};
    return grouped(units, call_sites(analysis, units), unit, true);
}

std::vector<IdeCall> ide_outgoing_calls(Analysis* analysis, uint32_t selection_start) {
    std::vector<CallUnit> units = call_units(analysis);
    int32_t unit = unit_named_at(units, selection_start);
    if (unit < 0) return {};
    return grouped(units, call_sites(analysis, units), unit, false);
}
