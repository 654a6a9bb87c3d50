// Formatting at the protocol's edge: the editor's indentation settings in,
// the formatter's minimal edits out as positions of the negotiated encoding.
#include "ide/format.h"
#include "lsp/features.h"
#include "lsp/positions.h"
#include "lsp/protocol_format.h"
#include "lsp/protocol_names.h"

namespace {

FormatOptions editor_options(const FormatParams& params) {
    FormatOptions options;
    options.indent_width = params.tab_size;
    options.use_tabs = !params.insert_spaces;
    return options;
}

std::vector<TextEditItem> protocol_edits(const Positions& positions, const std::vector<IdeTextEdit>& edits) {
    std::vector<TextEditItem> items;
    items.reserve(edits.size());
    for (const IdeTextEdit& edit : edits) items.push_back({positions.range(edit.range), edit.new_text});
    return items;
}

// A text that does not parse gets no edits (its findings say why); a layout
// the formatter withheld is reported, so the user knows nothing was done.
void answer(const IncomingMessage& message, const Positions& positions, const FormatResult& result) {
    if (result.status == FORMAT_UNSAFE) {
        send_request_failed(message.id, kFormatUnsafeRefusal);
        return;
    }
    send_text_edits(message.id, protocol_edits(positions, result.edits));
}

}  // namespace

void on_formatting(ServerState* state, const IncomingMessage& message, const RequestTarget& target) {
    FormatParams params = protocol_format_params(message.params);
    Positions positions(state, target);
    answer(message, positions, ide_format(target.analysis, editor_options(params)));
}

void on_range_formatting(ServerState* state, const IncomingMessage& message, const RequestTarget& target) {
    FormatParams params = protocol_format_params(message.params);
    Positions positions(state, target);
    TextRange range{};
    if (!params.has_range ||
        !line_index_offset_at(positions.index(), params.range.start, positions.encoding(), &range.start) ||
        !line_index_offset_at(positions.index(), params.range.end, positions.encoding(), &range.end)) {
        send_text_edits(message.id, {});
        return;
    }
    if (range.end < range.start) range = {range.end, range.start};
    answer(message, positions, ide_format_range(target.analysis, range, editor_options(params)));
}

void on_type_formatting(ServerState* state, const IncomingMessage& message, const RequestTarget& target) {
    FormatParams params = protocol_format_params(message.params);
    Positions positions(state, target);
    send_text_edits(message.id, protocol_edits(positions, ide_format_on_type(target.analysis, target.offset,
                                                                             params.typed, editor_options(params))));
}
