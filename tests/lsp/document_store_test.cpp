#include <gtest/gtest.h>

#include <string>

#include "lsp/document_store.h"

namespace {

TEST(DocumentStore, PutFindReplaceAndGrow) {
    DocumentStore store;
    document_store_init(&store);
    EXPECT_EQ(document_store_find(&store, "file:///a"), nullptr);

    const size_t expected_capacity[] = {4, 4, 4, 4, 8};
    for (int i = 0; i < 5; ++i) {
        std::string uri = "file:///" + std::to_string(i);
        document_store_put(&store, uri.c_str(), "text");
        EXPECT_EQ(store.capacity, expected_capacity[i]);
    }
    document_store_put(&store, "file:///2", "second text");
    EXPECT_EQ(store.count, 5u);
    ASSERT_NE(document_store_find(&store, "file:///2"), nullptr);
    EXPECT_STREQ(document_store_find(&store, "file:///2")->text, "second text");

    // Letter case makes a different document.
    document_store_put(&store, "file:///A", "upper");
    document_store_put(&store, "file:///a", "lower");
    EXPECT_STREQ(document_store_find(&store, "file:///A")->text, "upper");
    EXPECT_STREQ(document_store_find(&store, "file:///a")->text, "lower");
    document_store_destroy(&store);
    EXPECT_EQ(store.count, 0u);
    EXPECT_EQ(store.items, nullptr);
}

TEST(DocumentStore, RemoveMovesLastIntoTheGap) {
    DocumentStore store;
    document_store_init(&store);
    document_store_put(&store, "one", "1");
    document_store_put(&store, "two", "2");
    document_store_put(&store, "three", "3");

    document_store_remove(&store, "missing");
    EXPECT_EQ(store.count, 3u);

    document_store_remove(&store, "one");
    EXPECT_EQ(store.count, 2u);
    EXPECT_STREQ(store.items[0].uri, "three");
    EXPECT_EQ(document_store_find(&store, "one"), nullptr);
    EXPECT_STREQ(document_store_find(&store, "two")->text, "2");
    EXPECT_STREQ(document_store_find(&store, "three")->text, "3");

    document_store_remove(&store, "three");
    document_store_remove(&store, "two");
    EXPECT_EQ(store.count, 0u);
    document_store_put(&store, "again", "x");
    EXPECT_STREQ(document_store_find(&store, "again")->text, "x");
    document_store_destroy(&store);
}

}  // namespace
