#include "playground/session.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "ast/region.h"
#include "diag/render.h"
#include "ide/analysis.h"
#include "ide/editor_positions.h"
#include "ide/features.h"
#include "ide/format.h"
#include "text/utf8.h"

namespace {

// The name findings are reported under, as tovel-check names its file.
constexpr const char* kDocumentName = "playground.tov";

}  // namespace

struct PlaygroundSession {
    // Texts live on the heap and are handed over by pointer: the earlier
    // tree borrows its text's bytes, which must not move.
    std::unique_ptr<std::string> text = std::make_unique<std::string>();
    Analysis* analysis = nullptr;
    AstRegion region;
    SyntaxTree* earlier_tree = nullptr;  // the last version's tree, to reparse from
    std::unique_ptr<std::string> earlier_text;
};

namespace {

// ---- Positions -------------------------------------------------------------

uint32_t offset_at(PlaygroundSession* session, int32_t line, int32_t column) {
    ProtocolPosition position{line - 1, column - 1};
    return line_index_clamped_offset(analysis_index(session->analysis), position, POSITION_ENCODING_UTF16);
}

// The byte range of an editor range, its ends in order.
TextRange byte_range(PlaygroundSession* session, int32_t start_line, int32_t start_column, int32_t end_line,
                     int32_t end_column) {
    uint32_t start = offset_at(session, start_line, start_column);
    uint32_t end = offset_at(session, end_line, end_column);
    return end < start ? TextRange{end, start} : TextRange{start, end};
}

void append_integer(std::string* out, int64_t value) {
    char digits[24];
    char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out->append(digits, end);
}

void append_range(std::string* out, ProtocolRange range) {
    *out += '[';
    append_integer(out, range.start.line + 1);
    *out += ',';
    append_integer(out, range.start.character + 1);
    *out += ',';
    append_integer(out, range.end.line + 1);
    *out += ',';
    append_integer(out, range.end.character + 1);
    *out += ']';
}

void append_byte_range(std::string* out, PlaygroundSession* session, TextRange range) {
    append_range(out, line_index_range(analysis_index(session->analysis), range, POSITION_ENCODING_UTF16));
}

void append_string(std::string* out, const std::string& text) { append_json_string(out, text.c_str()); }

void append_edits(std::string* out, PlaygroundSession* session, const std::vector<IdeTextEdit>& edits) {
    *out += '[';
    for (size_t i = 0; i < edits.size(); ++i) {
        if (i > 0) *out += ',';
        *out += "{\"range\":";
        append_byte_range(out, session, edits[i].range);
        *out += ",\"text\":";
        append_string(out, edits[i].new_text);
        *out += '}';
    }
    *out += ']';
}

// {"edits":[...]}: what a rename or a layout changes.
std::string edits_answer(PlaygroundSession* session, const std::vector<IdeTextEdit>& edits) {
    std::string out = "{\"edits\":";
    append_edits(&out, session, edits);
    return out + '}';
}

// {"refusal":"why"}: why nothing is changed.
std::string refusal_answer(const std::string& why) {
    std::string out = "{\"refusal\":";
    append_string(&out, why);
    return out + '}';
}

// ---- Findings ---------------------------------------------------------------

void append_diagnostics(std::string* out, Analysis* analysis) {
    std::vector<IdeDiagnosticPlace> places = ide_diagnostic_places(analysis);
    LineIndex* index = analysis_index(analysis);
    *out += '[';
    for (size_t i = 0; i < places.size(); ++i) {
        const Diagnostic& record = analysis->diagnostics.items[i];
        if (i > 0) *out += ',';
        *out += "{\"severity\":";
        append_integer(out, editor_severity(record.severity));
        *out += ",\"code\":";
        append_json_string(out, diag_kind_name(record.kind));
        *out += ",\"message\":";
        append_json_string(out, record.message != nullptr ? record.message : "");
        *out += ",\"range\":";
        append_range(out, placed_finding_range(analysis, i, places[i], POSITION_ENCODING_UTF16));
        if (places[i].has_related) {
            *out += ",\"related\":{\"range\":";
            append_range(out, finding_editor_range(index, places[i].related, POSITION_ENCODING_UTF16));
            *out += ",\"message\":";
            append_string(out, places[i].related_message);
            *out += '}';
        }
        *out += '}';
    }
    *out += ']';
}

// The findings exactly as tovel-check prints them in its text format.
std::string findings_text(const DiagnosticList& list) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* stream = open_memstream(&buffer, &size);
    if (stream == nullptr) return {};
    for (size_t i = 0; i < diag_list_count(&list); ++i) diag_render_text(stream, diag_list_at(&list, i));
    fclose(stream);
    std::string text(buffer, size);
    free(buffer);
    return text;
}

// ---- Outline ---------------------------------------------------------------

void append_symbol_fields(std::string* out, PlaygroundSession* session, const IdeSymbol& symbol) {
    *out += "{\"name\":";
    append_string(out, symbol.name.empty() ? std::string("?") : symbol.name);
    *out += ",\"detail\":";
    append_string(out, symbol.detail);
    *out += ",\"kind\":";
    append_integer(out, symbol.kind);
    *out += ",\"range\":";
    append_byte_range(out, session, symbol.range);
    *out += ",\"selection\":";
    append_byte_range(out, session, symbol.selection);
    *out += ",\"children\":[";
}

// Symbols nest as their blocks do; written with an explicit path so that
// no nesting depth can exhaust the stack.
void append_symbols(std::string* out, PlaygroundSession* session, const std::vector<IdeSymbol>& top) {
    struct Level {
        const std::vector<IdeSymbol>* symbols;
        size_t next;
    };
    std::vector<Level> path{{&top, 0}};
    *out += '[';
    while (!path.empty()) {
        Level& level = path.back();
        if (level.next == level.symbols->size()) {
            path.pop_back();
            *out += path.empty() ? "]" : "]}";
            continue;
        }
        if (level.next > 0) *out += ',';
        const IdeSymbol& symbol = (*level.symbols)[level.next++];
        append_symbol_fields(out, session, symbol);
        path.push_back({&symbol.children, 0});
    }
}

FormatOptions format_options(uint32_t tab_size, bool insert_spaces) {
    FormatOptions options;
    options.indent_width = tab_size >= 1 && tab_size <= 16 ? tab_size : 2;
    options.use_tabs = !insert_spaces;
    return options;
}

}  // namespace

PlaygroundSession* playground_session_create() {
    PlaygroundSession* session = new PlaygroundSession;
    ast_region_init(&session->region);
    session->analysis = analysis_create(session->text->c_str(), kDocumentName, &session->region);
    return session;
}

void playground_session_destroy(PlaygroundSession* session) {
    if (session == nullptr) return;
    analysis_destroy(session->analysis);
    syntax_tree_destroy(session->earlier_tree);
    ast_region_release(&session->region);
    delete session;
}

std::string playground_update(PlaygroundSession* session, const std::string& text) {
    // The last version's tree becomes the one the next parse reuses.
    SyntaxTree* tree = analysis_release_tree(session->analysis);
    analysis_destroy(session->analysis);
    if (tree != nullptr) {
        syntax_tree_destroy(session->earlier_tree);
        session->earlier_tree = tree;
        session->earlier_text = std::move(session->text);
    }
    session->text = std::make_unique<std::string>(text);
    session->analysis = analysis_create(session->text->c_str(), kDocumentName, &session->region);
    analysis_reparse_from(session->analysis, session->earlier_tree);

    std::string out = "{\"diagnostics\":";
    append_diagnostics(&out, session->analysis);
    out += ",\"findings\":";
    append_string(&out, findings_text(session->analysis->diagnostics));
    out += '}';
    return out;
}

std::string playground_syntax_tree(PlaygroundSession* session) {
    return syntax_tree_dump(analysis_tree(session->analysis));
}

std::string playground_hover(PlaygroundSession* session, int32_t line, int32_t column) {
    IdeHover hover;
    if (!ide_hover(session->analysis, offset_at(session, line, column), &hover)) return "null";
    std::string out = "{\"markdown\":";
    append_string(&out, hover.markdown);
    out += ",\"range\":";
    append_byte_range(&out, session, hover.range);
    out += '}';
    return out;
}

std::string playground_completion(PlaygroundSession* session, int32_t line, int32_t column) {
    std::vector<IdeCompletion> items = ide_completion(session->analysis, offset_at(session, line, column));
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += ',';
        out += "{\"label\":";
        append_string(&out, items[i].label);
        out += ",\"kind\":";
        append_integer(&out, items[i].kind);
        out += ",\"detail\":";
        append_string(&out, items[i].detail);
        out += '}';
    }
    out += ']';
    return out;
}

std::string playground_definition(PlaygroundSession* session, int32_t line, int32_t column) {
    TextRange target;
    if (!ide_definition(session->analysis, offset_at(session, line, column), &target)) return "null";
    std::string out;
    append_byte_range(&out, session, target);
    return out;
}

std::string playground_references(PlaygroundSession* session, int32_t line, int32_t column,
                                  bool include_declaration) {
    std::vector<IdeReference> uses;
    if (!ide_references(session->analysis, offset_at(session, line, column), include_declaration, &uses)) return "[]";
    std::string out = "[";
    for (size_t i = 0; i < uses.size(); ++i) {
        if (i > 0) out += ',';
        out += "{\"range\":";
        append_byte_range(&out, session, uses[i].range);
        out += uses[i].write ? ",\"write\":true" : ",\"write\":false";
        out += uses[i].declaration ? ",\"declaration\":true}" : ",\"declaration\":false}";
    }
    out += ']';
    return out;
}

std::string playground_prepare_rename(PlaygroundSession* session, int32_t line, int32_t column) {
    IdeRenameTarget target;
    std::string refusal;
    if (!ide_prepare_rename(session->analysis, offset_at(session, line, column), &target, &refusal)) {
        return refusal_answer(refusal);
    }
    std::string out = "{\"range\":";
    append_byte_range(&out, session, target.range);
    out += ",\"placeholder\":";
    append_string(&out, target.placeholder);
    return out + '}';
}

std::string playground_rename(PlaygroundSession* session, int32_t line, int32_t column, const std::string& new_name) {
    std::vector<IdeTextEdit> edits;
    std::string refusal;
    if (!ide_rename(session->analysis, offset_at(session, line, column), new_name, &edits, &refusal)) {
        return refusal_answer(refusal);
    }
    return edits_answer(session, edits);
}

std::string playground_signature_help(PlaygroundSession* session, int32_t line, int32_t column) {
    IdeSignature signature;
    if (!ide_signature_help(session->analysis, offset_at(session, line, column), &signature)) return "null";
    std::string out = "{\"label\":";
    append_string(&out, signature.label);
    out += ",\"parameters\":[";
    for (size_t i = 0; i < signature.parameters.size(); ++i) {
        if (i > 0) out += ',';
        append_string(&out, signature.parameters[i]);
    }
    out += "],\"documentation\":";
    append_string(&out, signature.documentation);
    out += ",\"active\":";
    append_integer(&out, signature.active);
    return out + '}';
}

std::string playground_outline(PlaygroundSession* session) {
    std::string out;
    append_symbols(&out, session, ide_document_symbols(session->analysis));
    return out;
}

std::string playground_folding(PlaygroundSession* session) {
    std::vector<IdeFold> folds = ide_folding_ranges(session->analysis);
    std::string out = "[";
    for (size_t i = 0; i < folds.size(); ++i) {
        if (i > 0) out += ',';
        out += "{\"start\":";
        append_integer(&out, int64_t{folds[i].start_line} + 1);
        out += ",\"end\":";
        append_integer(&out, int64_t{folds[i].end_line} + 1);
        out += folds[i].comment ? ",\"comment\":true}" : ",\"comment\":false}";
    }
    out += ']';
    return out;
}

std::string playground_quick_fixes(PlaygroundSession* session, int32_t start_line, int32_t start_column,
                                   int32_t end_line, int32_t end_column) {
    TextRange range = byte_range(session, start_line, start_column, end_line, end_column);
    std::vector<IdeQuickFix> fixes = ide_quick_fixes(session->analysis, range);
    std::string out = "[";
    for (size_t i = 0; i < fixes.size(); ++i) {
        if (i > 0) out += ',';
        out += "{\"title\":";
        append_string(&out, fixes[i].title);
        out += ",\"diagnostic\":";
        append_integer(&out, static_cast<int64_t>(fixes[i].diagnostic));
        out += fixes[i].preferred ? ",\"preferred\":true" : ",\"preferred\":false";
        out += ",\"edits\":";
        append_edits(&out, session, fixes[i].edits);
        out += '}';
    }
    out += ']';
    return out;
}

namespace {

std::string format_answer(PlaygroundSession* session, const FormatResult& result) {
    switch (result.status) {
    case FORMAT_DONE: return edits_answer(session, result.edits);
    case FORMAT_SYNTAX_ERROR:
        return refusal_answer("not formatted: line " + std::to_string(result.error_line) + ": " + result.error_message);
    case FORMAT_UNSAFE: return refusal_answer(kFormatUnsafeRefusal);
    }
    return refusal_answer(kFormatUnsafeRefusal);
}

}  // namespace

std::string playground_format(PlaygroundSession* session, uint32_t tab_size, bool insert_spaces) {
    return format_answer(session, ide_format(session->analysis, format_options(tab_size, insert_spaces)));
}

std::string playground_format_range(PlaygroundSession* session, int32_t start_line, int32_t start_column,
                                    int32_t end_line, int32_t end_column, uint32_t tab_size, bool insert_spaces) {
    TextRange range = byte_range(session, start_line, start_column, end_line, end_column);
    return format_answer(session, ide_format_range(session->analysis, range, format_options(tab_size, insert_spaces)));
}

std::string playground_format_on_type(PlaygroundSession* session, int32_t line, int32_t column,
                                      const std::string& typed, uint32_t tab_size, bool insert_spaces) {
    return edits_answer(session, ide_format_on_type(session->analysis, offset_at(session, line, column), typed,
                                                    format_options(tab_size, insert_spaces)));
}

std::string playground_semantic_tokens(PlaygroundSession* session) {
    Analysis* analysis = session->analysis;
    std::vector<uint32_t> data = encode_semantic_tokens(analysis_index(analysis), POSITION_ENCODING_UTF16,
                                                        analysis->text, ide_semantic_tokens(analysis, true));
    std::string out = "[";
    for (size_t i = 0; i < data.size(); ++i) {
        if (i > 0) out += ',';
        append_integer(&out, data[i]);
    }
    out += ']';
    return out;
}

std::string playground_legend() {
    std::string out = "{\"tokenTypes\":[";
    for (size_t i = 0; i < IDE_TOKEN_TYPE_COUNT; ++i) {
        if (i > 0) out += ',';
        append_json_string(&out, kIdeTokenTypeNames[i]);
    }
    out += "],\"tokenModifiers\":[";
    for (size_t i = 0; i < IDE_MODIFIER_COUNT + 1; ++i) {
        if (i > 0) out += ',';
        append_json_string(&out, kIdeTokenModifierNames[i]);
    }
    out += "]}";
    return out;
}
