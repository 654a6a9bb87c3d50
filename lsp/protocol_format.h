#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <cjson/cJSON.h>

#include "lsp/protocol_features.h"

// What the formatting requests carry besides their document: the editor's
// indentation (FormattingOptions), the range of rangeFormatting and the
// character onTypeFormatting was sent for.
struct FormatParams {
    uint32_t tab_size;    // 1 to 16; 2 when missing or out of range
    bool insert_spaces;   // true when missing
    ProtocolRange range;  // rangeFormatting only
    bool has_range;
    std::string typed;    // onTypeFormatting's `ch`
};

FormatParams protocol_format_params(const cJSON* params);

// The characters after which an editor asks for onTypeFormatting: a line
// break, and the last letters of the closing words and `else`.
extern const char* const kOnTypeTriggers[];
extern const size_t kOnTypeTriggerCount;

// An array of TextEdit.
void send_text_edits(const cJSON* id, const std::vector<TextEditItem>& edits);
