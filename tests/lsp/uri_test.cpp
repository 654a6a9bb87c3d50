// Paths of `load ... from` and `use ... from` as URIs beside the document.

#include <gtest/gtest.h>

#include <string>

#include "lsp/uri.h"

namespace {

struct Case {
    const char* base;
    const char* path;
    const char* expected;  // null: no link
};

TEST(UriResolve, PathsBecomeUrisBesideTheDocument) {
    const Case cases[] = {
        {"file:///work/app/main.tov", "lib/storage.tov", "file:///work/app/lib/storage.tov"},
        {"file:///work/app/main.tov", "./lib/../vendor/clock.tov", "file:///work/app/vendor/clock.tov"},
        {"file:///work/app/main.tov", "../../../../up.tov", "file:///up.tov"},
        {"file:///work/app/main.tov", "/etc/tovel/shared.tov", "file:///etc/tovel/shared.tov"},
        {"file:///work/app/main.tov", "my lib/ü#1.tov", "file:///work/app/my%20lib/%C3%BC%231.tov"},
        {"file:///work/my%20app/main.tov?x=1", "a.tov", "file:///work/my%20app/a.tov"},
        {"untitled:Untitled-1", "a.tov", nullptr},
        {"file:///work/main.tov", "", nullptr},
    };
    for (const Case& c : cases) {
        std::string resolved;
        bool linked = uri_resolve(c.base, c.path, &resolved);
        EXPECT_EQ(linked, c.expected != nullptr) << c.base << " + " << c.path;
        if (linked && c.expected != nullptr) {
            EXPECT_EQ(resolved, c.expected) << c.path;
        }
    }
}

}  // namespace
