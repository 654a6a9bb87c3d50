// Where findings are shown to an editor that asks: on the words they are
// about, with the earlier place of a repeat. Checked on every example and
// golden source with findings: one place per finding, inside the text and
// never empty when refined, inside the finding's own item (which starts at
// its span), and a related place before the finding's.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ide/analysis.h"
#include "ide/features.h"
#include "tests/test_files.h"

namespace fs = std::filesystem;

namespace {

TEST(DiagnosticPlaces, OnTheWordsOfTheirOwnItemAndEarlierRelatedPlaces) {
    fs::path root(TOVEL_SOURCE_DIR);
    size_t refined = 0, related = 0;
    for (const fs::path& dir : {root / "examples" / "mistakes", root / "tests" / "diagnostics", root / "tests" / "ide" / "fixtures"}) {
        std::error_code error;
        for (const auto& entry : fs::recursive_directory_iterator(dir, error)) {
            if (entry.path().extension() != ".tov") continue;
            std::string text = read_file_bytes(entry.path().string());
            AstRegion region;
            ast_region_init(&region);
            Analysis* analysis = analysis_create(text.c_str(), "places.tov", &region);
            std::vector<IdeDiagnosticPlace> places = ide_diagnostic_places(analysis);
            ASSERT_EQ(places.size(), analysis->diagnostics.count) << entry.path();
            for (size_t i = 0; i < places.size(); ++i) {
                const IdeDiagnosticPlace& place = places[i];
                TextRange own = analysis_span_range(analysis, analysis->diagnostics.items[i].span);
                SCOPED_TRACE(entry.path().string() + ": " + analysis->diagnostics.items[i].message);
                EXPECT_LE(place.range.start, place.range.end);
                EXPECT_LE(place.range.end, analysis->length);
                if (place.refined) {
                    ++refined;
                    EXPECT_LT(place.range.start, place.range.end);
                    // Server-block findings stand at their item's first token;
                    // an escape inside the string the finding spans.
                    EXPECT_GE(place.range.start, own.start);
                }
                if (place.has_related) {
                    ++related;
                    EXPECT_LT(place.related.start, place.related.end);
                    EXPECT_LT(place.related.start, place.range.start);
                    EXPECT_FALSE(place.related_message.empty());
                }
            }
            analysis_destroy(analysis);
            ast_region_release(&region);
        }
    }
    EXPECT_GT(refined, 10u);
    EXPECT_GT(related, 2u);
}

}  // namespace
