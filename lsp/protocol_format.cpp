#include "lsp/protocol_format.h"

#include "lsp/json_io.h"
#include "text/utf8.h"

// "\n" first: the protocol's firstTriggerCharacter. Then what ends `else`,
// `end if`, `end function`, `end for`, `next`, `until`, `end consider` and
// the other closing lines.
const char* const kOnTypeTriggers[] = {"\n", "e", "f", "n", "r", "t", "l", "h", "m", "y", "b", "k", "s", "d"};
const size_t kOnTypeTriggerCount = sizeof kOnTypeTriggers / sizeof kOnTypeTriggers[0];

FormatParams protocol_format_params(const cJSON* params) {
    FormatParams request{2, true, {{0, 0}, {0, 0}}, false, {}};
    const cJSON* options = json_member(params, "options");
    const cJSON* tab_size = json_member(options, "tabSize");
    if (cJSON_IsNumber(tab_size) && tab_size->valuedouble >= 1 && tab_size->valuedouble <= 16) {
        request.tab_size = static_cast<uint32_t>(tab_size->valuedouble);
    }
    if (cJSON_IsFalse(json_member(options, "insertSpaces"))) request.insert_spaces = false;
    request.has_range = read_range(json_member(params, "range"), &request.range);
    const char* typed = string_member(params, "ch");
    if (typed != nullptr) request.typed = typed;
    return request;
}

void send_text_edits(const cJSON* id, const std::vector<TextEditItem>& edits) {
    std::string result = "[";
    result.reserve(edits.size() * 80 + 2);
    for (size_t i = 0; i < edits.size(); ++i) {
        if (i > 0) result += ',';
        result += "{\"range\":";
        append_range(&result, edits[i].range);
        result += ",\"newText\":";
        append_json_string(&result, edits[i].new_text.c_str());
        result += '}';
    }
    result += ']';
    send_result_text(id, result);
}
