#pragma once

#include <cstdint>

#include "ide/analysis.h"
#include "lsp/request_target.h"
#include "lsp/server_state.h"
#include "text/line_index.h"

// Converts byte offsets of one analysis into protocol positions.
class Positions {
public:
    Positions(ServerState* state, const RequestTarget& target) : Positions(state, target.analysis) {}
    Positions(ServerState* state, Analysis* analysis)
        : index_(analysis_index(analysis)), encoding_(state->position_encoding) {}

    // The byte offset of a position; false for one past the text's last line.
    bool offset(ProtocolPosition position, uint32_t* offset) const {
        return line_index_offset_at(index_, position, encoding_, offset);
    }

    ProtocolPosition at(uint32_t offset) const { return line_index_position(index_, offset, encoding_); }
    ProtocolRange range(TextRange range) const { return line_index_range(index_, range, encoding_); }
    LineIndex* index() const { return index_; }
    PositionEncoding encoding() const { return encoding_; }

private:
    LineIndex* index_;
    PositionEncoding encoding_;
};

