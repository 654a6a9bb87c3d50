// Quick fixes for the findings whose message already says what to write
// instead. Each edit does exactly what its message advises; a finding whose
// advice is not a mechanical edit (pow(a, b), mod(a, b), money modifiers,
// the operator words of other languages) gets none.
#include <cstring>
#include <string>

#include "diag/ascii.h"
#include "lsp/features.h"

namespace {

bool starts_with(const char* text, const char* prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

// The bytes of protocol line `line`, and where the lexer would put its bytes.
struct SourceLine {
    int32_t number;    // 1-based
    const char* bytes;
    size_t length;
};

bool source_line(const FeatureDocument& document, int32_t protocol_line, SourceLine* line) {
    if (protocol_line < 0 || static_cast<size_t>(protocol_line) >= document.index.count) return false;
    size_t i = static_cast<size_t>(protocol_line);
    size_t start = document.index.starts[i];
    size_t end = i + 1 < document.index.count ? document.index.starts[i + 1] - 1 : document.index.length;
    *line = {protocol_line + 1, document.text + start, end - start};
    return true;
}

// Byte offset in the line to the lexer's column (line 1 counts after a
// byte-order mark, as the lexer does).
int32_t column_of(const FeatureDocument& document, const SourceLine& line, size_t offset) {
    bool mark = line.number == 1 && line.length >= 3 && std::memcmp(line.bytes, "\xEF\xBB\xBF", 3) == 0 &&
                document.text == line.bytes;
    return static_cast<int32_t>(offset) + 1 - (mark ? 3 : 0);
}

ProtocolRange bytes_range(FeatureDocument* document, const SourceLine& line, size_t from, size_t to) {
    return document->span(line.number, column_of(*document, line, from), line.number, column_of(*document, line, to));
}

// The first word of a line, lowered, with where it starts and where the
// blanks after it end.
bool first_word(const SourceLine& line, const char* lower, size_t* start, size_t* after_blanks) {
    size_t i = 0;
    if (line.number == 1 && line.length >= 3 && std::memcmp(line.bytes, "\xEF\xBB\xBF", 3) == 0) i = 3;
    while (i < line.length && is_space_or_tab(line.bytes[i])) ++i;
    size_t length = std::strlen(lower);
    if (i + length > line.length || !equals_lowered(line.bytes + i, lower, length)) return false;
    size_t end = i + length;
    if (end < line.length && (is_ascii_letter(line.bytes[end]) || is_ascii_digit(line.bytes[end]) || line.bytes[end] == '_')) {
        return false;
    }
    *start = i;
    while (end < line.length && is_space_or_tab(line.bytes[end])) ++end;
    *after_blanks = end;
    return true;
}

// `let x = 1` -> `x = 1`: the word and its blanks go.
bool fix_let(FeatureDocument* document, const ContextDiagnostic& d, QuickFix* fix) {
    SourceLine line;
    size_t start = 0;
    size_t after = 0;
    if (!source_line(*document, d.range.start.line, &line) || !first_word(line, "let", &start, &after)) return false;
    fix->title = "Remove `let`";
    fix->edits.push_back({bytes_range(document, line, start, after), ""});
    return true;
}

// `rem a note` -> `' a note`.
bool fix_rem(FeatureDocument* document, const ContextDiagnostic& d, QuickFix* fix) {
    SourceLine line;
    size_t start = 0;
    size_t after = 0;
    if (!source_line(*document, d.range.start.line, &line) || !first_word(line, "rem", &start, &after)) return false;
    fix->title = "Make the line a comment";
    fix->edits.push_back({bytes_range(document, line, start, start + 3), "'"});
    return true;
}

// `dim x` (with anything after the name) -> `x = 0`.
bool fix_dim(FeatureDocument* document, const ContextDiagnostic& d, QuickFix* fix) {
    SourceLine line;
    size_t start = 0;
    size_t name = 0;
    if (!source_line(*document, d.range.start.line, &line) || !first_word(line, "dim", &start, &name)) return false;
    size_t name_end = name;
    while (name_end < line.length && (is_ascii_letter(line.bytes[name_end]) || line.bytes[name_end] == '_' ||
                                      (name_end > name && is_ascii_digit(line.bytes[name_end])))) {
        ++name_end;
    }
    if (name_end == name) return false;
    size_t end = line.length;
    while (end > name_end && (line.bytes[end - 1] == '\r' || is_space_or_tab(line.bytes[end - 1]))) --end;
    fix->title = "Assign to create the variable";
    fix->edits.push_back({bytes_range(document, line, start, end),
                          std::string(line.bytes + name, name_end - name) + " = 0"});
    return true;
}

// `"a\qb"` -> `"a\\qb"`: a backslash before each unknown `\q` of the literal.
bool fix_escape(FeatureDocument* document, const ContextDiagnostic& d, char escaped, QuickFix* fix) {
    int32_t line = 0;
    int32_t column = 0;
    if (!source_position_in_index(&document->index, d.range.start, document->encoding, &line, &column)) return false;
    size_t line_start = document->index.starts[static_cast<size_t>(line - 1)];
    bool mark = line == 1 && document->index.length >= 3 && std::memcmp(document->text, "\xEF\xBB\xBF", 3) == 0;
    const char* p = document->text + line_start + (column - 1) + (mark ? 3 : 0);
    if (*p != '"') return false;
    int32_t at_line = line;
    int32_t at_column = column + 1;
    for (++p; *p != '\0' && *p != '"'; ++p, ++at_column) {
        if (*p == '\n') {
            ++at_line;
            at_column = 0;
        } else if (*p == '\\' && p[1] != '\0') {
            if (p[1] == escaped) {
                ProtocolPosition here = document->at(at_line, at_column);
                fix->edits.push_back({{here, here}, "\\"});
            }
            ++p;
            ++at_column;
            if (*p == '\n') {
                ++at_line;
                at_column = 0;
            }
        }
    }
    if (fix->edits.empty()) return false;
    fix->title = std::string("Write \\\\") + escaped + " for a backslash and " + escaped;
    return true;
}

bool quick_fix_for(FeatureDocument* document, const ContextDiagnostic& d, QuickFix* fix) {
    const char* message = d.message;
    fix->diagnostic = d.json;
    if (std::strcmp(message, "'<>' is not an operator; not-equal is != -- a != b") == 0) {
        fix->title = "Replace <> with !=";
        fix->edits.push_back({d.range, "!="});
        return true;
    }
    if (starts_with(message, "'&' does not join text; use + ")) {
        fix->title = "Replace & with +";
        fix->edits.push_back({d.range, "+"});
        return true;
    }
    if (std::strlen(message) > 4 && message[0] == '\'' && message[2] == '\'' &&
        std::strcmp(message + 3, " is a type sigil; Tovel has none -- write the name alone") == 0) {
        fix->title = std::string("Remove the sigil ") + message[1];
        fix->edits.push_back({d.range, ""});
        return true;
    }
    if (std::strcmp(message, "`let` is not a Tovel statement; assign directly (x = 1)") == 0) {
        return fix_let(document, d, fix);
    }
    if (starts_with(message, "`rem` is not a Tovel comment; a comment starts with '")) return fix_rem(document, d, fix);
    if (starts_with(message, "`dim` is not a Tovel statement; assign to create a variable")) {
        return fix_dim(document, d, fix);
    }
    if (starts_with(message, "unknown escape \\") && message[16] != '\0' &&
        std::strstr(message, " kept as the two characters; write \\\\") != nullptr) {
        return fix_escape(document, d, message[16], fix);
    }
    return false;
}

}  // namespace

void on_code_action(ServerState* state, const IncomingMessage& message) {
    if (!feature_enabled(state->features.code_action, message)) return;
    CodeActionRequest request = protocol_code_action_params(message.params);
    FeatureDocument document;
    if (!feature_document_open(state, request.uri, &document)) {
        send_null_result(message.id);
        return;
    }
    std::vector<QuickFix> fixes;
    for (const ContextDiagnostic& diagnostic : request.diagnostics) {
        QuickFix fix;
        if (quick_fix_for(&document, diagnostic, &fix)) fixes.push_back(std::move(fix));
    }
    send_code_actions(message.id, document.uri, fixes);
}
