// Constructs the actions reject from inside blocks, lists and inline ifs:
// one diagnostic with the action's message and placement, no program, and
// (under the sanitizer build) nothing leaked from the half-built tree.

#include <gtest/gtest.h>

#include <string>

#include "tests/parser/dump_support.h"

namespace {

struct RejectionCase {
    const char* name;
    const char* source;
    const char* diagnostic;  // "line:column-line:column message"
};

const RejectionCase kRejections[] = {
    {"dim inside a block", "x = 1\nwhile a\n  dim x\nend while\n",
     "3:3-3:6 `dim` is not a Tovel statement; assign to create a variable (x = 0)"},
    {"dim inside a consider branch", "consider a\nif 1 then\n  dim x\nend consider\n",
     "3:3-3:6 `dim` is not a Tovel statement; assign to create a variable (x = 0)"},
    {"equal names win over the closing line", "for each x, x in xs\n  print x\nnext x\n",
     "1:13-1:13 `for each x, x` names the element and the index the same thing; the index "
     "would overwrite the element"},
    {"next names another variable after a step", "for i = 1 to 3 step 1\nnext j\n",
     "2:1-2:1 next j does not close this loop: it iterates i (write `next i`, `next`, or "
     "`end for`)"},
    {"next names an earlier loop's variable", "for x in xs\nend for\nfor y in ys\nnext x\n",
     "4:1-4:1 next x does not close this loop: it iterates y (write `next y`, `next`, or "
     "`end for`)"},
    {"unknown warning mode after then", "if a then on warning skip\n",
     "1:22-1:22 unknown warning mode 'skip'; expected print, ignore, stop, or goto next"},
    {"unknown unit inside a record", "x = {a: 1 fortnight}\n",
     "1:11-1:20 unknown duration unit 'fortnight' -- the units are year, month, week, day, "
     "hour, minute and second, singular or plural"},
    {"xor inside an array", "x = [1, 2 xor 3]\n",
     "1:11-1:14 'xor' is not an operator in Tovel; bitwise XOR is bxor(a, b)"},
    {"DIV keeps its spelling", "x = 7 DIV 2\n",
     "1:7-1:10 'DIV' is not an operator in Tovel; integer division is floor(a / b)"},
    {"unknown policy on a later field", "x = {a: 1, b(share): 2}\n",
     "1:19-1:20 unknown field policy (expected copy, link, reset, or exclude)"},
    {"reporter names the unknown block", "widget w()\n  x = 1 fortnight\nend widget\n",
     "1:1-1:7 unknown declarative block 'widget' (only 'server' exists)"},
    {"direct reports keep their message inside a block",
     "widget w()\n  get \"/\" ()\n    on notice stop\n  end get\nend widget\n",
     "3:8-3:8 unknown diagnostic channel 'notice'; `on` takes `error` or `warning`"},
};

TEST(DumpRejections, OneDiagnosticAndNoProgram) {
    for (const RejectionCase& c : kRejections) {
        DumpOutcome outcome = parse_and_dump(c.source);
        EXPECT_EQ(outcome.result, 1) << c.name;
        EXPECT_EQ(outcome.dump, "") << c.name;
        EXPECT_EQ(outcome.diagnostics, std::string(c.diagnostic) + "\n") << c.name;
        // The driver's discard of a half-built tree leaves region memory alone.
        DumpOutcome in_region = parse_and_dump_in_region(c.source);
        EXPECT_EQ(in_region.result, outcome.result) << c.name;
        EXPECT_EQ(in_region.diagnostics, outcome.diagnostics) << c.name;
    }
}

}  // namespace
