#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ast/region.h"
#include "diag/diagnostic.h"
#include "ide/names.h"
#include "ide/outline.h"
#include "syntax/syntax_tree.h"
#include "text/line_index.h"
#include "text/text_range.h"

// Everything the editor features know about one version of one document:
// its text, the line index, the front end's findings, the syntax tree and
// the outline read off it. Built once per version and shared by the
// publication and every request until the text changes. The findings come
// at once (publication needs them); the index, the tree and the outline come
// on first need, so a client that asks for nothing but diagnostics pays for
// nothing else.
struct Analysis {
    const char* text;           // borrowed: the stored text of this version
    uint32_t length;
    DiagnosticList diagnostics;  // the front end's findings, in the order found
    LineIndex index;
    bool index_built;
    SyntaxTree* tree;           // null until first asked for
    Outline* outline;           // null until first asked for
    NameIndex* names;           // null until first asked for
    const SyntaxTree* earlier;  // borrowed: a tree of an earlier version to reparse from, or null
};

// Runs the front end over `text` (its tree is built in `region` and dropped
// before returning; the findings stay). `path` is stamped on the findings.
Analysis* analysis_create(const char* text, const char* path, AstRegion* region);
// An analysis of `text` whose findings the caller already has from the
// front end (as `analyze_document` gives them): `findings` is moved in and
// left empty.
Analysis* analysis_adopt(const char* text, DiagnosticList* findings);
void analysis_destroy(Analysis* analysis);

// Lets the syntax tree be built by reparsing from `earlier`, the tree of an
// earlier version of the same document (borrowed, with its text, until
// this analysis has its own tree).
void analysis_reparse_from(Analysis* analysis, const SyntaxTree* earlier);

// Hands the syntax tree over to the caller (null when none was built), to
// be the earlier tree of the next version; the analysis is left without.
SyntaxTree* analysis_release_tree(Analysis* analysis);
void syntax_tree_destroy(SyntaxTree* tree);
size_t syntax_tree_weight(const SyntaxTree* tree);

LineIndex* analysis_index(Analysis* analysis);
const SyntaxTree& analysis_tree(Analysis* analysis);
const Outline& analysis_outline(Analysis* analysis);
const NameIndex& analysis_names(Analysis* analysis);

// Bytes the analysis holds beyond the text itself, for a cache to weigh.
size_t analysis_weight(const Analysis* analysis);

// Where a front-end span starts and ends, as byte offsets.
TextRange analysis_span_range(Analysis* analysis, const SourceSpan& span);

// The document's bytes in `range`.
inline std::string_view analysis_text(const Analysis* analysis, TextRange range) {
    return {analysis->text + range.start, static_cast<size_t>(range.length())};
}

// The bytes a token covers; a brace prefix (`{name` ... `}`) covers its `{`.
TextRange analysis_token_range(Analysis* analysis, size_t token);

// The index of the token covering `offset`, or ending just there (a cursor
// right after a word); npos when none.
size_t analysis_token_at(Analysis* analysis, uint32_t offset);
