#include "lsp/analysis_cache.h"

#include "ide/analysis.h"

namespace {

constexpr size_t kBudgetFloor = size_t{16} << 20;

}  // namespace

Analysis* document_analysis(ServerState* state, Document* document) {
    if (document->analysis == nullptr) {
        document->analysis = analysis_create(document->text, document->uri, &state->tree_region);
        analysis_reparse_from(document->analysis, document->earlier_tree);
    }
    document->last_used = ++state->analysis_clock;
    return document->analysis;
}

size_t analysis_cache_budget(const DocumentStore* store) {
    size_t texts = 0;
    for (size_t i = 0; i < store->count; ++i) texts += store->items[i].length;
    return texts > kBudgetFloor ? texts : kBudgetFloor;
}

void analysis_cache_trim(ServerState* state) {
    DocumentStore* store = &state->documents;
    size_t budget = analysis_cache_budget(store);
    for (;;) {
        size_t weight = 0;
        Document* oldest = nullptr;
        Document* newest = nullptr;
        for (size_t i = 0; i < store->count; ++i) {
            Document* document = &store->items[i];
            if (document->analysis == nullptr) continue;
            weight += analysis_weight(document->analysis) + syntax_tree_weight(document->earlier_tree);
            if (oldest == nullptr || document->last_used < oldest->last_used) oldest = document;
            if (newest == nullptr || document->last_used > newest->last_used) newest = document;
        }
        if (weight <= budget || oldest == newest) return;
        document_drop_analysis(oldest);
        document_drop_earlier(oldest);
    }
}
