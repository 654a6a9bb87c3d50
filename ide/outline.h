#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "lexer/lexer.h"
#include "text/text_range.h"

// The structure of a document as an editor needs it while the user types:
// blocks, declarations, labels and comments, read off the error-tolerant
// syntax tree, so a mistake stays inside the construct it breaks and every
// block ends where the recovery closed it. The features (outline, folding,
// definition, hover, completion, semantic tokens) all read this.

enum OutlineBlockKind : int32_t {
    BLOCK_PROGRAM,
    BLOCK_LIBRARY,
    BLOCK_FUNCTION,
    BLOCK_MODIFIER,
    BLOCK_SERVER,   // `server name(...)`, and any other declarative block
    BLOCK_SITE,     // `web name(...)` inside a server
    BLOCK_ROUTE,    // `get "/path" (req)` inside a server or site
    BLOCK_HOOK,     // `on drain` inside a server or site
    BLOCK_CONTROL,  // if, for, while, do, consider, watch, with
};

struct OutlineBlock {
    OutlineBlockKind kind;
    int32_t parent;       // index of the enclosing block, or -1
    size_t opener;        // index of the opening line's first token
    size_t name_token;    // index of the token naming the block (the opener for control blocks)
    size_t name_last;     // last token of the name: routes name verb and path, modifiers several words
    std::string name;     // functions: the name; routes: "verb path"; modifiers: their words
    std::string detail;   // functions, programs and routes: the parameter list as written
    int32_t start_line;   // of the opener
    int32_t start_column;
    int32_t end_line;     // end of its last token: the closing line's, or where the recovery closed it
    int32_t end_column;
    bool closed;          // its own `end`, `next`, `until` or `end consider` line closed it
    TextRange range;      // the same stretch as byte offsets
};

using OutlineComment = LexComment;

struct Outline {
    const char* text;
    std::vector<Token> tokens;      // the tree's tokens but line breaks, errors and the end
    std::vector<size_t> line_first; // per statement line: index of its first token
    std::vector<OutlineBlock> blocks;
    std::vector<size_t> labels;     // tokens naming a label (`name:` alone on its line)
    std::vector<int32_t> label_blocks;  // per label: the innermost block it stands in, or -1
    std::vector<OutlineComment> comments;
};

struct SyntaxTree;

// The outline of a tree; it points into the tree's text, not the tree.
void outline_build_from_tree(Outline* outline, const SyntaxTree& tree);

// The outline of `text`, parsing it first.
void outline_build(Outline* outline, const char* text);

constexpr size_t kNoToken = static_cast<size_t>(-1);

// The function declared under `name` (exact bytes), or -1.
int32_t outline_find_function(const Outline& outline, const std::string& name);

// The token naming label `name`, or npos.
size_t outline_find_label(const Outline& outline, const std::string& name);

// The innermost block holding `offset` (its ends included), or -1.
int32_t outline_block_at(const Outline& outline, uint32_t offset);

// The token's byte offset in the outline's text (for a brace prefix, of the
// name inside its braces).
inline uint32_t outline_token_offset(const Outline& outline, const Token& token) {
    return static_cast<uint32_t>(token.start - outline.text);
}

// The token's text as written.
inline std::string token_text(const Token& token) {
    return std::string(token.start, static_cast<size_t>(token.length));
}
