// Signature help and inlay hints: what a call of the file's own functions
// and modifiers expects, and what durations come to.
#include <algorithm>
#include <string>

#include "ide/durations.h"
#include "ide/features.h"
#include "ide/names_internal.h"

namespace {

constexpr size_t kMaxTokensBack = 4096;  // how far a call's `(` is looked for, or its arguments read

// Every function's and modifier's parameters in their order, in one pass:
// a document's hints ask for many calls' parameters at once.
std::vector<std::vector<int32_t>> parameters_by_owner(const NameIndex& index) {
    std::vector<std::vector<int32_t>> by_owner(index.decls.size());
    for (size_t i = 0; i < index.decls.size(); ++i) {
        const NameDecl& d = index.decls[i];
        if (d.kind == NAME_PARAMETER && d.owner != kNoName) by_owner[static_cast<size_t>(d.owner)].push_back(static_cast<int32_t>(i));
    }
    // Declared in the order written, so already in their order.
    return by_owner;
}

void describe(Analysis* analysis, int32_t callable, uint32_t active, IdeSignature* signature) {
    const NameIndex& index = analysis_names(analysis);
    const NameDecl& d = index.decls[static_cast<size_t>(callable)];
    signature->label = d.name + "(";
    signature->parameters.clear();
    std::vector<std::vector<int32_t>> parameters = parameters_by_owner(index);
    for (int32_t p : parameters[static_cast<size_t>(callable)]) {
        const NameDecl& parameter = index.decls[static_cast<size_t>(p)];
        std::string label = parameter.name + (parameter.detail.empty() ? "" : " = " + parameter.detail);
        if (!signature->parameters.empty()) signature->label += ", ";
        signature->label += label;
        signature->parameters.push_back(label);
    }
    signature->label += ")";
    signature->documentation = ide_comment_above(analysis, line_index_line_of(analysis_index(analysis), d.block.start));
    signature->active = signature->parameters.empty() ? 0 : std::min<uint32_t>(active, static_cast<uint32_t>(signature->parameters.size() - 1));
}

// Inside a brace prefix being typed, `{roughly equal to 0.1, |`: the
// modifier its words name, and the commas after them.
bool modifier_signature(Analysis* analysis, uint32_t offset, IdeSignature* signature) {
    const NameIndex& index = analysis_names(analysis);
    uint32_t line_start = line_index_line(analysis_index(analysis), line_index_line_of(analysis_index(analysis), offset)).start;
    uint32_t brace = offset;
    while (brace > line_start && analysis->text[brace - 1] != '{') {
        if (analysis->text[brace - 1] == '}') return false;
        --brace;
    }
    if (brace == line_start) return false;
    std::string content(analysis->text + brace, offset - brace);
    for (size_t end = content.size(); end > 0; --end) {
        if (end < content.size() && content[end] != ' ') continue;
        int32_t modifier = name_find_callable(index, NAME_MODIFIER, content.substr(0, end));
        if (modifier == kNoName) continue;
        if (end == content.size()) return false;  // still typing the name
        uint32_t commas = static_cast<uint32_t>(std::count(content.begin() + static_cast<ptrdiff_t>(end), content.end(), ','));
        describe(analysis, modifier, commas, signature);
        return true;
    }
    return false;
}

size_t tokens_before(const Outline& o, uint32_t offset) {
    return static_cast<size_t>(std::lower_bound(o.tokens.begin(), o.tokens.end(), offset,
                                                [&o](const Token& t, uint32_t at) { return outline_token_offset(o, t) < at; }) -
                               o.tokens.begin());
}

bool is_open(TokenKind kind) { return kind == TOKEN_LPAREN || kind == TOKEN_LBRACKET || kind == TOKEN_LBRACE; }
bool is_close(TokenKind kind) { return kind == TOKEN_RPAREN || kind == TOKEN_RBRACKET || kind == TOKEN_RBRACE; }

// The function a `(` at token `k` calls, or kNoName.
int32_t called_at(Analysis* analysis, const Outline& o, size_t k) {
    if (k == 0) return kNoName;
    const Token& name = o.tokens[k - 1];
    if (name.kind != TOKEN_IDENT && name.kind != TOKEN_QUALIFIED_IDENT) return kNoName;
    if (k >= 2 && o.tokens[k - 2].kind == TOKEN_FUNCTION) return kNoName;  // a declaration's parameters
    return name_find_callable(analysis_names(analysis), NAME_FUNCTION, token_text(name));
}

}  // namespace

bool ide_signature_help(Analysis* analysis, uint32_t offset, IdeSignature* signature) {
    if (modifier_signature(analysis, offset, signature)) return true;
    const Outline& o = analysis_outline(analysis);
    size_t end = tokens_before(o, offset);
    int32_t depth = 0;
    uint32_t commas = 0;
    for (size_t k = end; k-- > 0 && end - k <= kMaxTokensBack;) {
        TokenKind kind = o.tokens[k].kind;
        if (is_close(kind)) {
            ++depth;
        } else if (is_open(kind) && depth > 0) {
            --depth;
        } else if (is_open(kind)) {
            int32_t function = kind == TOKEN_LPAREN ? called_at(analysis, o, k) : kNoName;
            if (function != kNoName) {
                describe(analysis, function, commas, signature);
                return true;
            }
            commas = 0;  // those commas separated the elements of a list inside the call
        } else if (kind == TOKEN_COMMA && depth == 0) {
            ++commas;
        }
        if (std::binary_search(o.line_first.begin(), o.line_first.end(), k)) break;
    }
    return false;
}

namespace {

bool is_literal(TokenKind kind) {
    return kind == TOKEN_NUMBER || kind == TOKEN_STRING || kind == TOKEN_TRUE || kind == TOKEN_FALSE ||
           kind == TOKEN_NOTHING || kind == TOKEN_UNKNOWN;
}

// Tokens [first, end) of one argument: a literal, a negative number or a duration.
bool literal_argument(const Outline& o, size_t first, size_t end) {
    if (end == first + 1) return is_literal(o.tokens[first].kind);
    if (end == first + 2 && o.tokens[first].kind == TOKEN_MINUS && o.tokens[first + 1].kind == TOKEN_NUMBER) return true;
    DurationRun run;
    return duration_run_at(o, first, &run) && run.first == first && run.last + 1 == end;
}

void parameter_hints(Analysis* analysis, const NameUse& call, const std::vector<int32_t>& parameters,
                     std::vector<IdeInlayHint>* hints) {
    const Outline& o = analysis_outline(analysis);
    size_t name = tokens_before(o, call.range.start);
    if (name + 1 >= o.tokens.size() || o.tokens[name + 1].kind != TOKEN_LPAREN) return;
    const NameIndex& index = analysis_names(analysis);
    size_t argument = 0;
    size_t first = name + 2;
    int32_t depth = 0;
    for (size_t k = first; k < o.tokens.size() && k - first <= kMaxTokensBack; ++k) {
        TokenKind kind = o.tokens[k].kind;
        bool ends = depth == 0 && (kind == TOKEN_COMMA || kind == TOKEN_RPAREN);
        if (!ends) {
            depth += is_open(kind) ? 1 : is_close(kind) ? -1 : 0;
            if (depth < 0) return;
            continue;
        }
        if (k > first && argument < parameters.size() && literal_argument(o, first, k)) {
            hints->push_back({outline_token_offset(o, o.tokens[first]),
                              index.decls[static_cast<size_t>(parameters[argument])].name + ":", true, ""});
        }
        if (kind == TOKEN_RPAREN) return;
        ++argument;
        first = k + 1;
    }
}

}  // namespace

std::vector<IdeInlayHint> ide_inlay_hints(Analysis* analysis, TextRange range) {
    std::vector<IdeInlayHint> hints;
    const Outline& o = analysis_outline(analysis);
    const NameIndex& index = analysis_names(analysis);
    auto use = std::lower_bound(index.uses.begin(), index.uses.end(), range.start,
                                [](const NameUse& u, uint32_t at) { return u.range.start < at; });
    std::vector<std::vector<int32_t>> parameters = parameters_by_owner(index);
    for (size_t k = tokens_before(o, range.start); k < o.tokens.size(); ++k) {
        uint32_t at = outline_token_offset(o, o.tokens[k]);
        if (at >= range.end) break;
        // The calls starting before this token, in text order with the durations.
        for (; use != index.uses.end() && use->range.start <= at; ++use) {
            if (use->role == ROLE_CALL && use->kind == NAME_FUNCTION && use->decl != kNoName) {
                parameter_hints(analysis, *use, parameters[static_cast<size_t>(use->decl)], &hints);
            }
        }
        DurationRun run;
        if (!duration_run_starts(o, k) || !duration_run_at(o, k, &run)) continue;
        const Token& last = o.tokens[run.last];
        IdeInlayHint hint{outline_token_offset(o, last) + static_cast<uint32_t>(last.length),
                          "= " + duration_seconds_text(run.seconds) + " s", false, ""};
        if (run.calendar) {
            hint.label += " (30-day months, 365-day years)";
            hint.tooltip = kCalendarNote;
        }
        hints.push_back(std::move(hint));
    }
    std::stable_sort(hints.begin(), hints.end(), [](const IdeInlayHint& a, const IdeInlayHint& b) { return a.offset < b.offset; });
    return hints;
}
