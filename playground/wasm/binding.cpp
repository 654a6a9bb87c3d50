// The browser's entry to the playground session: one session per module
// instance (the page's worker holds one), its functions exported by name.
#include <emscripten/bind.h>

#include "playground/session.h"

namespace {

PlaygroundSession* the_session() {
    static PlaygroundSession* session = playground_session_create();
    return session;
}

std::string update(const std::string& text) { return playground_update(the_session(), text); }
std::string syntax_tree() { return playground_syntax_tree(the_session()); }
std::string hover(int32_t line, int32_t column) { return playground_hover(the_session(), line, column); }
std::string completion(int32_t line, int32_t column) { return playground_completion(the_session(), line, column); }
std::string definition(int32_t line, int32_t column) { return playground_definition(the_session(), line, column); }
std::string references(int32_t line, int32_t column, bool include_declaration) {
    return playground_references(the_session(), line, column, include_declaration);
}
std::string prepare_rename(int32_t line, int32_t column) { return playground_prepare_rename(the_session(), line, column); }
std::string rename_name(int32_t line, int32_t column, const std::string& new_name) {
    return playground_rename(the_session(), line, column, new_name);
}
std::string signature_help(int32_t line, int32_t column) {
    return playground_signature_help(the_session(), line, column);
}
std::string outline() { return playground_outline(the_session()); }
std::string folding() { return playground_folding(the_session()); }
std::string quick_fixes(int32_t start_line, int32_t start_column, int32_t end_line, int32_t end_column) {
    return playground_quick_fixes(the_session(), start_line, start_column, end_line, end_column);
}
std::string format(uint32_t tab_size, bool insert_spaces) {
    return playground_format(the_session(), tab_size, insert_spaces);
}
std::string format_range(int32_t start_line, int32_t start_column, int32_t end_line, int32_t end_column,
                         uint32_t tab_size, bool insert_spaces) {
    return playground_format_range(the_session(), start_line, start_column, end_line, end_column, tab_size,
                                   insert_spaces);
}
std::string format_on_type(int32_t line, int32_t column, const std::string& typed, uint32_t tab_size,
                           bool insert_spaces) {
    return playground_format_on_type(the_session(), line, column, typed, tab_size, insert_spaces);
}
std::string semantic_tokens() { return playground_semantic_tokens(the_session()); }

}  // namespace

EMSCRIPTEN_BINDINGS(tovel) {
    emscripten::function("update", &update);
    emscripten::function("syntaxTree", &syntax_tree);
    emscripten::function("hover", &hover);
    emscripten::function("completion", &completion);
    emscripten::function("definition", &definition);
    emscripten::function("references", &references);
    emscripten::function("prepareRename", &prepare_rename);
    emscripten::function("rename", &rename_name);
    emscripten::function("signatureHelp", &signature_help);
    emscripten::function("outline", &outline);
    emscripten::function("folding", &folding);
    emscripten::function("quickFixes", &quick_fixes);
    emscripten::function("format", &format);
    emscripten::function("formatRange", &format_range);
    emscripten::function("formatOnType", &format_on_type);
    emscripten::function("semanticTokens", &semantic_tokens);
    emscripten::function("legend", &playground_legend);
}
