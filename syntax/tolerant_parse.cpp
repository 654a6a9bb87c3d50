// The tolerant parse: the grammar's LALR(1) tables driven the way the
// generated parser drives them (same default reductions, same moment for
// reading the look-ahead and for asking the lexer for raw lens text), so
// that on a text the front end accepts it makes exactly the front end's
// reductions. That plain parse stops at the first mistake; the text is then
// parsed again by a driver that reads the layout as well and repairs:
//   - lines that show a block, a bracket or a string was left open close
//     it where the user meant (close_open_blocks, close_open_brackets,
//     try_cutting_string), and an `end` naming no open block is skipped;
//   1. insert one closing token (`)`, `]`, `}`, `then`, a line break) when
//      the parse then takes the next few tokens;
//   2. otherwise skip the token into an ERROR node, up to the line's end;
//   3. at a line break still refused, give up the broken statement: its
//      own line where the list around it goes on, else pop to the nearest
//      state that takes the next line, the popped nodes going into an
//      ERROR node;
//   4. at the end of the text, insert closing tokens as long as that closes
//      blocks, and keep whatever is left open under the root.
// Every step takes a token or closes something, so the parse is linear and
// always ends; nothing recurses.
#include <algorithm>
#include <cstring>

#include "parser/grammar_tables.h"
#include "syntax/driver.h"
#include "syntax/syntax_tree.h"

namespace {

// False when the plain parse met a mistake.
bool parse_once(SyntaxTree* tree, const char* text, uint32_t length, SyntaxOptions options, bool by_layout,
                const SyntaxReuse* reuse = nullptr) {
    tree->text = text;
    tree->length = length;
    tree->nodes.clear();
    tree->reductions.clear();
    tree->checkpoints.clear();
    tree->root = 0;
    tree->errors = 0;
    tree->by_layout = by_layout;
    tree->reused = 0;
    SyntaxDriver driver(tree, text, options, by_layout);
    driver.run(reuse);
    return !driver.refused();
}

// What `before` offers the parse of `text`: the same first `head` bytes
// and the same last `tail` ones.
SyntaxReuse reuse_of(const SyntaxTree& before, uint32_t length, uint32_t head, uint32_t tail, bool clean_only) {
    SyntaxReuse reuse{&before, -1, -1, length - tail,
                      static_cast<int64_t>(length) - static_cast<int64_t>(before.length), clean_only};
    // The last checkpoint that read nothing past the same head.
    for (size_t i = before.checkpoints.size(); i-- > 0;) {
        const SyntaxCheckpoint& at = before.checkpoints[i];
        if (at.horizon <= head && (!clean_only || at.errors == 0)) {
            reuse.resume_at = static_cast<int32_t>(i);
            reuse.list = static_cast<int32_t>(at.list_index);
            break;
        }
    }
    return reuse;
}

}  // namespace

// The grammar lets a block run on where the layout says it ended (a
// function inside a function is a statement like any other), so the layout
// is only believed in a text that has mistakes: the plain parse goes first,
// and at its first mistake the text is parsed again, reading the layout.
void syntax_parse(SyntaxTree* tree, const char* text, uint32_t length, SyntaxOptions options) {
    if (!parse_once(tree, text, length, options, false)) parse_once(tree, text, length, options, true);
}

// The earlier tree helps the parse made in its own mode: its plain parse
// when it was made without mistakes, its layout-reading parse when not.
void syntax_reparse(SyntaxTree* tree, const char* text, uint32_t length, const SyntaxTree& before,
                    SyntaxOptions options) {
    options.keep_reductions = false;  // the reductions of the parts taken over are not known
    uint32_t common = std::min(length, before.length);
    uint32_t head = 0;  // bytes the same from the start
    while (head < common && text[head] == before.text[head]) ++head;
    uint32_t tail = 0;  // bytes the same at the end, not overlapping the head
    while (tail < common - head && text[length - 1 - tail] == before.text[before.length - 1 - tail]) ++tail;
    // A layout-reading tree parsed plainly wherever it repaired nothing,
    // which its checkpoints count; a plain tree says nothing of what the
    // layout would have read.
    SyntaxReuse plain = reuse_of(before, length, head, tail, before.by_layout);
    if (parse_once(tree, text, length, options, false, &plain)) return;
    SyntaxReuse layout = reuse_of(before, length, head, tail, false);
    parse_once(tree, text, length, options, true, before.by_layout ? &layout : nullptr);
}

const char* syntax_symbol_name(int32_t symbol) {
    const GrammarTables& t = grammar_tables();
    if (symbol < 0 || static_cast<size_t>(symbol) >= t.symbol_names.size()) return "?";
    return t.symbol_names[static_cast<size_t>(symbol)];
}

int32_t syntax_symbol_named(const char* name) {
    const std::vector<const char*>& names = grammar_tables().symbol_names;
    for (size_t i = 0; i < names.size(); ++i) {
        if (std::strcmp(names[i], name) == 0) return static_cast<int32_t>(i);
    }
    return -1;
}
