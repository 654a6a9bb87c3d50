// Quick fixes for the findings whose mistake the front end named when it
// reported them (Diagnostic::fix). Each edit does exactly what the finding's
// message advises, on the bytes of the mistake; advice that is no mechanical
// edit (pow(a, b), mod(a, b), money modifiers, the operator words of other
// languages) gets none. The bytes are checked again before an edit is
// offered, so a fix never edits anything but the mistake it names.
#include <algorithm>
#include <cstring>
#include <string>

#include "diag/ascii.h"
#include "ide/features.h"

namespace {

bool is_name_byte(char c) { return is_ascii_letter(c) || is_ascii_digit(c) || c == '_'; }

// The mistake's bytes, when they lie inside the text.
bool mistake_bytes(const Analysis* analysis, const DiagFix& fix, TextRange* range) {
    if (fix.offset > analysis->length || fix.length > analysis->length - fix.offset) return false;
    *range = {fix.offset, fix.offset + fix.length};
    return true;
}

bool word_at(const Analysis* analysis, TextRange range, const char* lower) {
    size_t length = std::strlen(lower);
    return range.length() == length && equals_lowered(analysis->text + range.start, lower, length) &&
           (range.end == analysis->length || !is_name_byte(analysis->text[range.end]));
}

bool bytes_are(const Analysis* analysis, TextRange range, const char* bytes) {
    return range.length() == std::strlen(bytes) && std::memcmp(analysis->text + range.start, bytes, range.length()) == 0;
}

uint32_t skip_blanks(const Analysis* analysis, uint32_t at) {
    while (at < analysis->length && is_space_or_tab(analysis->text[at])) ++at;
    return at;
}

// The end of the line holding `at`, before any blanks and carriage return.
uint32_t content_end_of_line(const Analysis* analysis, uint32_t at) {
    while (at < analysis->length && analysis->text[at] != '\n') ++at;
    while (at > 0 && (analysis->text[at - 1] == '\r' || is_space_or_tab(analysis->text[at - 1]))) --at;
    return at;
}

// `dim total as number` -> `total = 0`: from `dim` to the line's end.
bool fix_dim(const Analysis* analysis, TextRange word, IdeQuickFix* fix) {
    uint32_t name = skip_blanks(analysis, word.end);
    uint32_t name_end = name;
    while (name_end < analysis->length && (is_ascii_letter(analysis->text[name_end]) || analysis->text[name_end] == '_' ||
                                           (name_end > name && is_ascii_digit(analysis->text[name_end])))) {
        ++name_end;
    }
    if (name_end == name) return false;
    uint32_t end = content_end_of_line(analysis, name_end);
    fix->title = "Assign to create the variable";
    fix->edits.push_back({{word.start, end < name_end ? name_end : end},
                          std::string(analysis->text + name, name_end - name) + " = 0"});
    return true;
}

bool is_word_byte(char c) { return is_ascii_letter(c) || is_ascii_digit(c) || c == '_' || (c & 0x80) != 0; }

bool is_reserved(const char* from, const char* to) {
    return to > from && keyword_lookup(from, static_cast<size_t>(to - from)) != TOKEN_IDENT;
}

// A sigil standing between a keyword and another word (`then!gosub`,
// `if!a`) is all that parts them; inside a name (`star#t`) it is a slip.
bool parts_words(const Analysis* analysis, TextRange at) {
    const char* text = analysis->text;
    if (at.start == 0 || at.end >= analysis->length || !is_word_byte(text[at.start - 1]) ||
        !is_word_byte(text[at.end])) {
        return false;
    }
    const char* before = text + at.start;
    while (before > text && is_word_byte(before[-1])) --before;
    const char* after = text + at.end;
    while (is_word_byte(*after)) ++after;
    return is_reserved(before, text + at.start) || is_reserved(text + at.end, after);
}

bool make_fix(const Analysis* analysis, const DiagFix& named, IdeQuickFix* fix) {
    TextRange at{};
    if (!mistake_bytes(analysis, named, &at)) return false;
    const char* text = analysis->text;
    switch (named.kind) {
    case DIAG_FIX_NOT_EQUAL:
        if (!bytes_are(analysis, at, "<>")) return false;
        fix->title = "Replace <> with !=";
        fix->edits.push_back({at, "!="});
        return true;
    case DIAG_FIX_JOIN_TEXT:
        if (!bytes_are(analysis, at, "&")) return false;
        fix->title = "Replace & with +";
        fix->edits.push_back({at, "+"});
        return true;
    case DIAG_FIX_TYPE_SIGIL:
        if (at.length() != 1 || std::strchr("!#$%&", text[at.start]) == nullptr) return false;
        fix->title = std::string("Remove the sigil ") + text[at.start];
        fix->edits.push_back({at, parts_words(analysis, at) ? " " : ""});
        return true;
    case DIAG_FIX_LET:
        if (!word_at(analysis, at, "let")) return false;
        fix->title = "Remove `let`";
        fix->edits.push_back({{at.start, skip_blanks(analysis, at.end)}, ""});
        return true;
    case DIAG_FIX_REM:
        if (!word_at(analysis, at, "rem")) return false;
        fix->title = "Make the line a comment";
        fix->edits.push_back({at, "'"});
        return true;
    case DIAG_FIX_DIM:
        return word_at(analysis, at, "dim") && fix_dim(analysis, at, fix);
    case DIAG_FIX_UNKNOWN_ESCAPE: {
        if (at.length() != 2 || text[at.start] != '\\') return false;
        char escaped = text[at.start + 1];
        fix->title = std::string("Write \\\\") + escaped + " for a backslash and " + escaped;
        fix->edits.push_back({{at.start, at.start}, "\\"});
        return true;
    }
    case DIAG_FIX_NONE: return false;
    }
    return false;
}

}  // namespace

namespace {

bool edits_touch(const IdeQuickFix& fix, TextRange range) {
    for (const IdeTextEdit& edit : fix.edits) {
        if (range.touches(edit.range)) return true;
    }
    return false;
}

// A fix is preferred when it is the only one offered for its finding.
void mark_preferred(std::vector<IdeQuickFix>* fixes) {
    for (size_t i = 0; i < fixes->size(); ++i) {
        size_t same = 0;
        for (const IdeQuickFix& other : *fixes) same += other.diagnostic == (*fixes)[i].diagnostic;
        (*fixes)[i].preferred = same == 1;
    }
}

}  // namespace

std::vector<IdeQuickFix> ide_quick_fixes(Analysis* analysis, TextRange range) {
    std::vector<IdeQuickFix> fixes;
    const DiagnosticList& list = analysis->diagnostics;
    for (size_t i = 0; i < list.count; ++i) {
        const Diagnostic& finding = list.items[i];
        bool touched = range.touches(analysis_span_range(analysis, finding.span));
        // A syntax error whose mistake the parser named has that fix alone.
        if (finding.kind == TV_DIAG_PARSE_ERROR && finding.fix.kind == DIAG_FIX_NONE) {
            std::vector<IdeQuickFix> syntax;
            ide_syntax_error_fixes(analysis, i, &syntax);
            for (IdeQuickFix& fix : syntax) {
                if (touched || edits_touch(fix, range)) fixes.push_back(std::move(fix));
            }
            continue;
        }
        TextRange mistake{};
        if (finding.fix.kind == DIAG_FIX_NONE || !mistake_bytes(analysis, finding.fix, &mistake)) continue;
        if (!range.touches(mistake) && !touched) continue;
        IdeQuickFix fix{"", i, {}, false};
        if (make_fix(analysis, finding.fix, &fix)) fixes.push_back(std::move(fix));
    }
    mark_preferred(&fixes);
    return fixes;
}

std::vector<IdeTextEdit> ide_fix_all(Analysis* analysis) {
    std::vector<IdeTextEdit> edits;
    for (IdeQuickFix& fix : ide_quick_fixes(analysis, {0, analysis->length})) {
        if (!fix.preferred) continue;
        for (IdeTextEdit& edit : fix.edits) edits.push_back(std::move(edit));
    }
    std::stable_sort(edits.begin(), edits.end(), [](const IdeTextEdit& a, const IdeTextEdit& b) {
        return a.range.start < b.range.start;
    });
    // Two edits of the same bytes, or two insertions at one place, cannot
    // both be applied: the first stays.
    std::vector<IdeTextEdit> kept;
    for (IdeTextEdit& edit : edits) {
        if (!kept.empty() && (edit.range.start < kept.back().range.end || edit.range.start == kept.back().range.start)) continue;
        kept.push_back(std::move(edit));
    }
    return kept;
}
