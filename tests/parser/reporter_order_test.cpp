// The reporter's rewrites applied one after another on whole parses: the
// unknown-block message first, then the let/rem line hint, then the
// reserved-word remark, which looks at the message as rewritten so far.

#include <gtest/gtest.h>

#include <string>

#include "tests/parser/dump_support.h"

namespace {

const char* const WIDGET = "unknown declarative block 'widget' (only 'server' exists)";
const char* const RESERVED_TO = " -- 'to' is a reserved word and cannot be used as a name";

TEST(ReporterOrder, RewritesApplyInTurn) {
    const struct {
        const char* name;
        const char* source;
        std::string diagnostic;  // "line:column-line:column message"
    } cases[] = {
        {"keyword where a name was expected", "on to\n",
         "1:4-1:6 syntax error, unexpected TO, expecting IDENT or ERROR_VALUE" +
             std::string(RESERVED_TO)},
        // Once the block's message has replaced the syntax error, nothing in
        // it asks for a name any more.
        {"block message drops the name remark", "widget w()\n  on to\nend widget\n",
         "1:1-1:7 " + std::string(WIDGET)},
        // A keyword followed by `=` is remarked on whatever the message.
        {"block message keeps the `=` remark", "widget w()\n  to = 1\nend widget\n",
         "1:1-1:7 " + std::string(WIDGET) + RESERVED_TO},
        {"keyword before = on a let line", "let to = 1\n",
         "1:5-1:7 `let` is not a Tovel statement; assign directly (x = 1)" +
             std::string(RESERVED_TO)},
    };
    for (const auto& c : cases) {
        DumpOutcome outcome = parse_and_dump(c.source);
        EXPECT_EQ(outcome.result, 1) << c.name;
        EXPECT_EQ(outcome.diagnostics, c.diagnostic + "\n") << c.name;
    }
}

}  // namespace
