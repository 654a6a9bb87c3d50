#include "ide/analysis.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "check/analysis.h"
#include "diag/memory.h"

namespace {

template <typename T>
void destroy(T* object) {
    if (object == nullptr) return;
    object->~T();
    free(object);
}

template <typename T>
T* create() {
    return new (alloc_or_abort(sizeof(T))) T();
}

}  // namespace

namespace {

Analysis* analysis_without_findings(const char* text) {
    Analysis* analysis = static_cast<Analysis*>(alloc_or_abort(sizeof(Analysis)));
    analysis->text = text;
    analysis->length = static_cast<uint32_t>(std::strlen(text));
    diag_list_init(&analysis->diagnostics);
    analysis->index_built = false;
    analysis->tree = nullptr;
    analysis->outline = nullptr;
    analysis->names = nullptr;
    analysis->earlier = nullptr;
    return analysis;
}

}  // namespace

Analysis* analysis_create(const char* text, const char* path, AstRegion* region) {
    Analysis* analysis = analysis_without_findings(text);
    {
        // The front end's tree lives in the region and goes back with it at
        // once: the features read the syntax tree, which holds every byte.
        AstRegionScope tree_memory(region);
        StmtList program = {nullptr, 0};
        analyze_document_from_line(text, path, 1, &analysis->diagnostics, &program);
    }
    ast_region_reset(region);
    return analysis;
}

Analysis* analysis_adopt(const char* text, DiagnosticList* findings) {
    Analysis* analysis = analysis_without_findings(text);
    analysis->diagnostics = *findings;
    diag_list_init(findings);
    return analysis;
}

void analysis_destroy(Analysis* analysis) {
    if (analysis == nullptr) return;
    diag_list_free(&analysis->diagnostics);
    if (analysis->index_built) line_index_free(&analysis->index);
    destroy(analysis->tree);
    destroy(analysis->outline);
    destroy(analysis->names);
    free(analysis);
}

LineIndex* analysis_index(Analysis* analysis) {
    if (!analysis->index_built) {
        line_index_build(&analysis->index, analysis->text);
        analysis->index_built = true;
    }
    return &analysis->index;
}

void analysis_reparse_from(Analysis* analysis, const SyntaxTree* earlier) { analysis->earlier = earlier; }

SyntaxTree* analysis_release_tree(Analysis* analysis) {
    SyntaxTree* tree = analysis->tree;
    analysis->tree = nullptr;
    return tree;
}

void syntax_tree_destroy(SyntaxTree* tree) { destroy(tree); }

size_t syntax_tree_weight(const SyntaxTree* tree) {
    if (tree == nullptr) return 0;
    return sizeof(SyntaxTree) + tree->nodes.capacity() * sizeof(SyntaxNode) +
           tree->reductions.capacity() * sizeof(int32_t) + tree->checkpoints.capacity() * sizeof(SyntaxCheckpoint);
}

const SyntaxTree& analysis_tree(Analysis* analysis) {
    if (analysis->tree == nullptr) {
        analysis->tree = create<SyntaxTree>();
        if (analysis->earlier != nullptr) {
            syntax_reparse(analysis->tree, analysis->text, analysis->length, *analysis->earlier);
        } else {
            syntax_parse(analysis->tree, analysis->text, analysis->length);
        }
        analysis->earlier = nullptr;
    }
    return *analysis->tree;
}

const Outline& analysis_outline(Analysis* analysis) {
    if (analysis->outline == nullptr) {
        const SyntaxTree& tree = analysis_tree(analysis);
        analysis->outline = create<Outline>();
        outline_build_from_tree(analysis->outline, tree);
    }
    return *analysis->outline;
}

const NameIndex& analysis_names(Analysis* analysis) {
    if (analysis->names == nullptr) {
        const SyntaxTree& tree = analysis_tree(analysis);
        analysis->names = create<NameIndex>();
        name_index_build(analysis->names, tree);
    }
    return *analysis->names;
}

size_t analysis_weight(const Analysis* analysis) {
    size_t weight = sizeof(Analysis) + analysis->diagnostics.capacity * sizeof(Diagnostic);
    for (size_t i = 0; i < analysis->diagnostics.count; ++i) {
        weight += std::strlen(analysis->diagnostics.items[i].message) + 1;
    }
    if (analysis->index_built) weight += analysis->index.count * sizeof(size_t) + (analysis->index.count + 63) / 64 * 8;
    weight += syntax_tree_weight(analysis->tree);
    if (const Outline* o = analysis->outline) {
        weight += sizeof(Outline) + o->tokens.capacity() * sizeof(Token) +
                  o->line_first.capacity() * sizeof(size_t) + o->blocks.capacity() * sizeof(OutlineBlock) +
                  o->labels.capacity() * sizeof(size_t) + o->label_blocks.capacity() * sizeof(int32_t) +
                  o->comments.capacity() * sizeof(OutlineComment);
    }
    if (const NameIndex* x = analysis->names) {
        weight += sizeof(NameIndex) + x->scopes.capacity() * sizeof(NameScope) + x->decls.capacity() * sizeof(NameDecl) +
                  x->uses.capacity() * sizeof(NameUse) + (x->first_use.capacity() + x->by_decl.capacity()) * 4 +
                  x->values.weight() + x->labels.weight() + (x->functions.size() + x->modifiers.size()) * 64;
    }
    return weight;
}

TextRange analysis_span_range(Analysis* analysis, const SourceSpan& span) {
    LineIndex* index = analysis_index(analysis);
    uint32_t start = line_index_offset(index, span.start_line, span.start_column);
    uint32_t end = line_index_offset(index, span.end_line, span.end_column);
    return {start, end < start ? start : end};
}

TextRange analysis_token_range(Analysis* analysis, size_t token) {
    const Token& t = analysis_outline(analysis).tokens[token];
    if (t.kind == TOKEN_MODIFIER_PREFIX) {
        // The token's text is the name inside the braces; it stands at its `{`.
        uint32_t brace = line_index_offset(analysis_index(analysis), t.line, t.column);
        return {brace, brace + 1};
    }
    uint32_t start = static_cast<uint32_t>(t.start - analysis->text);
    return {start, start + static_cast<uint32_t>(t.length)};
}

size_t analysis_token_at(Analysis* analysis, uint32_t offset) {
    const Outline& o = analysis_outline(analysis);
    // The last token starting at or before the offset.
    size_t low = 0;
    size_t high = o.tokens.size();
    while (low < high) {
        size_t middle = low + (high - low) / 2;
        if (analysis_token_range(analysis, middle).start <= offset) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    if (low == 0) return kNoToken;
    size_t found = low - 1;
    TextRange range = analysis_token_range(analysis, found);
    if (offset > range.end) return kNoToken;
    // A cursor right after a word and right before punctuation (`name|(`)
    // means the word.
    if (found > 0 && range.start == offset && !token_is_word(o.tokens[found].kind) && token_is_word(o.tokens[found - 1].kind) &&
        analysis_token_range(analysis, found - 1).end == offset) {
        return found - 1;
    }
    return found;
}
