// The concrete syntax tree of any text: what the editor features read.
//
// Lossless: every byte of the text belongs to exactly one leaf, a token with
// the trivia before it (blanks, comments, line breaks inside brackets), so
// the leaves in order give the text back; the last leaf is the end of input
// and carries the trivia at the end. Inner nodes carry their grammar symbol
// and the byte range from their first token to their last. A rule with one
// symbol on its right-hand side that is itself a node makes no node of its
// own: the chains of expression levels fold into their innermost node. An
// empty rule makes a node only for a list (an empty block body); other
// empty optional parts hold no byte and make none.
//
// Where the text does not parse, the tree still covers it: ERROR nodes hold
// the tokens the recovery skipped (and the nodes it gave up on), MISSING
// leaves mark tokens it inserted, at a zero-width range.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lexer/lexer.h"
#include "text/text_range.h"

enum SyntaxNodeFlags : uint32_t {
    SYNTAX_TOKEN = 1u << 0,    // a leaf: one token (or the end of input)
    SYNTAX_ERROR = 1u << 1,    // skipped tokens and abandoned nodes
    SYNTAX_MISSING = 1u << 2,  // a token the recovery inserted; empty range
    SYNTAX_CUT = 1u << 3,      // a string never closed, taken as ending with its line
};

constexpr uint32_t kNoSyntaxNode = UINT32_MAX;

// Children are linked: a node's first and last child, each child's next.
struct SyntaxNode {
    int32_t symbol;          // grammar symbol; for ERROR nodes the grammar's "error"
    uint32_t flags;
    TextRange range;         // a token's own bytes; an inner node from its first to last token
    uint32_t trivia_start;   // leaves: where the trivia before the token starts
    TokenKind token;         // leaves: the lexer's kind
    uint32_t first_child;    // kNoSyntaxNode for none
    uint32_t last_child;
    uint32_t next_sibling;   // the next child of the same parent, or kNoSyntaxNode
};

// Where a parse stood between two top-level statements with nothing
// pending, so that it can be taken up there again: by the parse of an
// edited text that is the same up to there, or that is the same from there
// on (then shifted by the edit).
struct SyntaxCheckpoint {
    uint32_t offset;    // where the lexer stood: the next statement's trivia starts here
    uint32_t horizon;   // bytes the parse had read, to a line end (one more at the terminating zero)
    int32_t line;       // the lexer's line and column there
    int32_t column;
    int32_t state;      // the automaton's state over the top-level statement list
    uint32_t nodes;     // nodes made before it
    uint32_t errors;    // the tree's error count then
    uint32_t last_end;  // end of the last token taken
    uint32_t statement_start;  // where the statement being parsed began
    uint32_t list_index;  // the top-level statement list's node
    SyntaxNode list;      // and that node as it stood
};

struct SyntaxTree {
    const char* text;
    uint32_t length;
    std::vector<SyntaxNode> nodes;
    uint32_t root;
    uint32_t errors;                 // ERROR nodes, MISSING leaves and cut strings
    std::vector<int32_t> reductions; // every rule reduced, in order (kept on request)
    bool by_layout;                  // made by the layout-reading parse (the text has mistakes)
    uint32_t reused;                 // bytes whose nodes a reparse took over from an earlier tree
    std::vector<SyntaxCheckpoint> checkpoints;  // in text order
};

struct SyntaxOptions {
    bool keep_reductions = false;      // fill SyntaxTree::reductions (for tests)
    uint32_t checkpoint_spacing = 256; // bytes at least between two checkpoints
};

// Parses any text (NUL-terminated, `length` bytes) with the grammar's own
// tables, recovering from every mistake; never fails. A tree parsed into
// again keeps its storage. Where the front end
// accepts the text the tree has no ERROR or MISSING node and the reductions
// are exactly the front end's.
void syntax_parse(SyntaxTree* tree, const char* text, uint32_t length, SyntaxOptions options = {});

// The same tree syntax_parse makes of `text`, taking over from `before` --
// the tree of an earlier version, whose text must still be readable --
// the top-level statements before and after the edit, which need no
// parsing again. `tree` and `before` are different trees.
void syntax_reparse(SyntaxTree* tree, const char* text, uint32_t length, const SyntaxTree& before,
                    SyntaxOptions options = {});


// The grammar's name of a node's symbol ("statement", "IDENT", ...).
const char* syntax_symbol_name(int32_t symbol);
// The symbol the grammar calls `name`, or -1.
int32_t syntax_symbol_named(const char* name);

// One node per line, indented by depth (beyond 100 levels the depth is
// written out instead): symbol, byte range, ERROR and MISSING marked,
// tokens with their text; trivia as lines of their own.
std::string syntax_tree_dump(const SyntaxTree& tree);
