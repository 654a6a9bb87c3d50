#include "ide/editor_positions.h"

#include "diag/diagnostic.h"

int32_t editor_severity(int32_t severity) {
    switch (severity) {
    case SEVERITY_WARNING: return 2;
    case SEVERITY_NOTE: return 3;
    default: return 1;
    }
}

ProtocolRange span_editor_range(LineIndex* index, const SourceSpan& span, PositionEncoding encoding) {
    return ordered_range(position_in_index(index, span.start_line, span.start_column, encoding),
                         position_in_index(index, span.end_line, span.end_column, encoding));
}

namespace {

// The lexer's line and column of `offset`, converted as a span's end is.
ProtocolPosition finding_position(LineIndex* index, uint32_t offset, PositionEncoding encoding) {
    uint32_t line = line_index_line_of(index, offset);
    uint32_t start = line_index_line(index, line).start;
    if (line == 0) {
        // Where the lexer's line 1 starts its columns: after a byte-order mark.
        uint32_t first_column = line_index_offset(index, 1, 1);
        if (first_column <= offset) start = first_column;
    }
    return position_in_index(index, static_cast<int32_t>(line) + 1, static_cast<int32_t>(offset - start) + 1,
                             encoding);
}

}  // namespace

ProtocolRange finding_editor_range(LineIndex* index, TextRange range, PositionEncoding encoding) {
    return ordered_range(finding_position(index, range.start, encoding), finding_position(index, range.end, encoding));
}

ProtocolRange placed_finding_range(Analysis* analysis, size_t diagnostic, const IdeDiagnosticPlace& place,
                                   PositionEncoding encoding) {
    LineIndex* index = analysis_index(analysis);
    return place.refined ? finding_editor_range(index, place.range, encoding)
                         : span_editor_range(index, analysis->diagnostics.items[diagnostic].span, encoding);
}

std::vector<uint32_t> encode_semantic_tokens(LineIndex* index, PositionEncoding encoding, const char* text,
                                             const std::vector<IdeHighlight>& pieces) {
    std::vector<uint32_t> data(pieces.size() * 5);
    uint32_t* out = data.data();
    PositionWalk walk = position_walk_start(index, encoding);
    bool utf8 = encoding == POSITION_ENCODING_UTF8;
    ProtocolPosition last{0, 0};
    for (const IdeHighlight& piece : pieces) {
        ProtocolPosition start = position_walk_to(&walk, piece.range.start);
        uint32_t delta_line = static_cast<uint32_t>(start.line - last.line);
        out[0] = delta_line;
        out[1] = static_cast<uint32_t>(delta_line == 0 ? start.character - last.character : start.character);
        // A piece never holds a line break: on an ASCII line its length is its bytes.
        out[2] = utf8 || line_index_line_is_ascii(index, static_cast<size_t>(start.line))
                     ? piece.range.length()
                     : static_cast<uint32_t>(utf16_units_short(text + piece.range.start, piece.range.length()));
        out[3] = static_cast<uint32_t>(piece.type);
        out[4] = piece.modifiers;
        out += 5;
        last = start;
    }
    return data;
}
