#pragma once

#include <cstdint>
#include <vector>

#include "diag/source_span.h"
#include "ide/features.h"
#include "text/line_index.h"

// What every editor front (the language server, the playground) converts
// the same way: where a finding is shown and how highlighting is encoded.

// The legend of the semantic tokens, in the order of IdeTokenType and of
// the modifier bits.
inline constexpr const char* kIdeTokenTypeNames[] = {
    "keyword", "comment",   "string", "number",    "operator", "function", "parameter", "variable", "label",
    "method",  "namespace", "class",  "decorator", "property", "macro",    "event",     "escape"};
inline constexpr const char* kIdeTokenModifierNames[] = {"invalid",    "control",    "word",       "constant",
                                                         "declarator", "deprecated", "declaration"};
static_assert(sizeof kIdeTokenTypeNames / sizeof kIdeTokenTypeNames[0] == IDE_TOKEN_TYPE_COUNT,
              "one legend entry per token type");
static_assert(IDE_MODIFIER_DECLARATION == 1u << IDE_MODIFIER_COUNT &&
                  sizeof kIdeTokenModifierNames / sizeof kIdeTokenModifierNames[0] == IDE_MODIFIER_COUNT + 1,
              "one legend entry per modifier bit, the declaration bit last");

// The severity editors count: error 1, warning 2, note 3; anything else 1.
int32_t editor_severity(int32_t severity);

// A front-end span in editor positions. The end is never before the start.
ProtocolRange span_editor_range(LineIndex* index, const SourceSpan& span, PositionEncoding encoding);

// A byte range counted the way findings are placed: through the lexer's
// line and byte column (on line 1 after a byte-order mark), so that a
// refined range is counted exactly as every span, also on text that is not
// UTF-8.
ProtocolRange finding_editor_range(LineIndex* index, TextRange range, PositionEncoding encoding);

// Finding `diagnostic` of the analysis where an editor that takes refined
// places shows it: on `place` when it names the words, else on its span.
ProtocolRange placed_finding_range(Analysis* analysis, size_t diagnostic, const IdeDiagnosticPlace& place,
                                   PositionEncoding encoding);

// The delta encoding of highlighting: line and start relative to the piece
// before, the length in the encoding, the type, the modifier bits; five
// numbers per piece. The pieces come in text order, so one walk converts them.
std::vector<uint32_t> encode_semantic_tokens(LineIndex* index, PositionEncoding encoding, const char* text,
                                             const std::vector<IdeHighlight>& pieces);
