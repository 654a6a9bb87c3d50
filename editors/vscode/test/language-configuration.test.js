// The indentation and folding rules of language-configuration.json, read
// the way VS Code reads them (pattern plus flags), on lines that open,
// close or leave alone a Tovel block.
const test = require("node:test");
const assert = require("node:assert");
const config = require("../language-configuration.json");

const regex = (rule) => new RegExp(rule.pattern, rule.flags);
const increase = regex(config.indentationRules.increaseIndentPattern);
const decrease = regex(config.indentationRules.decreaseIndentPattern);
const foldStart = regex(config.folding.markers.start);
const foldEnd = regex(config.folding.markers.end);

// [line, opens a block, closes a block]
const cases = [
  ["if ready then", true, false],
  ["  If ready Then ' comment", true, false],
  ["if ready then print 1", false, false],
  ["else", true, true],
  ["else if b then", true, true],
  ["for i = 1 to 10 step 2", true, false],
  ["FOR EACH item IN stock", true, false],
  ["while n > 0", true, false],
  ["do", true, false],
  ["do ' forever", true, false],
  ["consider region", true, false],
  ["function restock(item)", true, false],
  ["export modifier percent for number", true, false],
  ["program inventory(args)", true, false],
  ["library helpers", true, false],
  ["watch stock.apples", true, false],
  ["without watchers", true, false],
  ["with lock(stock)", true, false],
  ["server shop(port: 8080)", true, false],
  ["  web storefront(host: \"x\")", true, false],
  ["  get \"/stock/{item}\" (req)", true, false],
  ["  on drain", true, false],
  ["on error goto failed", false, false],
  ["on warning print", false, false],
  ["end if", false, true],
  ["  END FUNCTION", false, true],
  ["end consider", false, true],
  ["next i", false, true],
  ["until tries >= 3", false, true],
  ["x = 1", false, false],
  ["print \"done\"", false, false],
  ["ending = 1", false, false],
  ["next_id = 2", false, false],
  ["format(x)", false, false],
];

for (const [line, opens, closes] of cases) {
  test(`indentation of ${JSON.stringify(line)}`, () => {
    assert.strictEqual(increase.test(line), opens, "increaseIndentPattern");
    assert.strictEqual(decrease.test(line), closes, "decreaseIndentPattern");
  });
  test(`folding of ${JSON.stringify(line)}`, () => {
    // `else` continues the block it stands in: no new fold, none closed.
    const isElse = /^\s*else\b/i.test(line);
    assert.strictEqual(foldStart.test(line), opens && !isElse, "folding start");
    assert.strictEqual(foldEnd.test(line), closes && !isElse, "folding end");
  });
}

test("comments and brackets", () => {
  assert.strictEqual(config.comments.lineComment, "'");
  assert.deepStrictEqual(config.brackets, [["(", ")"], ["[", "]"], ["{", "}"]]);
  // A quote starts a comment, so it must never be auto-closed.
  assert.ok(!config.autoClosingPairs.some((pair) => pair.open === "'"));
});
