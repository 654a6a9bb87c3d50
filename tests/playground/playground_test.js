// The playground as a visitor sees it: the assembled page served from
// 127.0.0.1 by a plain static server, opened in headless Chromium. Each step
// keeps a screenshot; a failing step keeps one too and is named. Everything
// this starts, it stops, also when a step fails. It also reports what the
// page costs: the module's compressed size (held under 1 MB), how soon the
// page is usable, and how long a keystroke takes to reach the markers on a
// 5,000-line text (reported, not held: timings belong to notes).
//
//   node playground_test.js   with, in the environment:
//     TOVEL_PLAYGROUND       the assembled page (make playground)
//     TOVEL_PLAYGROUND_DEPS  the node_modules folder holding puppeteer-core
//     TOVEL_OUT              a scratch folder (recreated); screenshots in shots/
"use strict";
const fs = require("fs");
const http = require("http");
const path = require("path");
const zlib = require("zlib");

const env = (name) => {
  const value = process.env[name];
  if (!value) throw new Error(`${name} is not set`);
  return value;
};
const site = env("TOVEL_PLAYGROUND");
const out = env("TOVEL_OUT");
const shots = path.join(out, "shots");
const puppeteer = require(path.resolve(env("TOVEL_PLAYGROUND_DEPS"), "puppeteer-core"));

// The mistake stands after two characters that take fewer UTF-16 units than
// bytes: its column tells whether positions are counted right.
const BASE_TEXT = 'program main()\n  s = "é😀"\n  print s\nend program\n';
const TYPED = ' <> "x"';
const MISTAKE_MESSAGE = "'<>' is not an operator; not-equal is != -- a != b";
const MISTAKE_LINE = 2;
const MISTAKE_COLUMN = 13;  // UTF-16 from 1: é is one unit, 😀 two
const FIXED_LINE = '  s = "é😀" != "x"';
const MODULE_LIMIT_BYTES = 1024 * 1024;

const cleanups = [];
const figures = [];
let shotNumber = 0;

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function waitFor(what, probe, timeoutMs = 30000) {
  const deadline = Date.now() + timeoutMs;
  while (Date.now() < deadline) {
    const value = await probe();
    if (value) return value;
    await sleep(50);
  }
  throw new Error(`timed out waiting for ${what}`);
}

async function step(page, name, body) {
  const label = `${String(++shotNumber).padStart(2, "0")}-${name}`;
  try {
    await body();
    await page.screenshot({ path: path.join(shots, `${label}.png`) });
    console.log(`ok ${label}`);
  } catch (error) {
    await page.screenshot({ path: path.join(shots, `${label}-FAILED.png`) }).catch(() => undefined);
    error.message = `step '${name}' failed: ${error.message} (screenshot ${label}-FAILED.png)`;
    throw error;
  }
}

function report(name, value) {
  figures.push(`${name}: ${value}`);
  console.log(`figure ${name}: ${value}`);
}

// ---- A static server, as any would serve the folder --------------------------------

const TYPES = { ".html": "text/html", ".js": "text/javascript", ".css": "text/css", ".wasm": "application/wasm",
                ".ttf": "font/ttf", ".json": "application/json", ".svg": "image/svg+xml" };

function serve(root) {
  const server = http.createServer((request, response) => {
    const wanted = decodeURIComponent(new URL(request.url, "http://127.0.0.1").pathname);
    const file = path.join(root, path.normalize(wanted === "/" ? "/index.html" : wanted));
    if (!file.startsWith(root + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { "Content-Type": TYPES[path.extname(file)] || "application/octet-stream" });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve, reject) => {
    server.on("error", reject);
    server.listen(0, "127.0.0.1", () => {
      cleanups.push(() => new Promise((done) => { server.closeAllConnections(); server.close(done); }));
      resolve(`http://127.0.0.1:${server.address().port}/`);
    });
  });
}

// ---- Reading the page ----------------------------------------------------------------

const markers = (page) => page.evaluate(() =>
  tovelPlayground.monaco.editor.getModelMarkers({ owner: "tovel" }).map((m) =>
    ({ line: m.startLineNumber, column: m.startColumn, message: m.message })));

const editorText = (page) => page.evaluate(() => tovelPlayground.model.getValue());

// Resolves once the markers come from the analysis of the text shown.
const analysed = (page) => waitFor("the analysis of the text shown", () => page.evaluate(() =>
  tovelPlayground.model !== undefined && tovelPlayground.analysedVersion === tovelPlayground.model.getVersionId()));

// Resolves once the worker has had nothing to do for a while: what the
// editor asks after a change (highlighting, folds, the outline) is answered.
async function settle(page) {
  let idleSince = Date.now();
  await waitFor("the worker to settle", async () => {
    if (await page.evaluate(() => tovelPlayground.document.analyser.busy)) idleSince = Date.now();
    return Date.now() - idleSince >= 500;
  });
}

async function setText(page, text) {
  await page.evaluate((value) => tovelPlayground.model.setValue(value), text);
  await analysed(page);
}

async function placeCursor(page, line, column) {
  await page.evaluate((l, c) => {
    tovelPlayground.editor.setPosition({ lineNumber: l, column: c });
    tovelPlayground.editor.revealPositionInCenter({ lineNumber: l, column: c });
    tovelPlayground.editor.focus();
  }, line, column);
}

// The middle of the character at (line, column) on screen.
const pointAt = (page, line, column) => page.evaluate((l, c) => {
  const editor = tovelPlayground.editor;
  const box = editor.getDomNode().getBoundingClientRect();
  const at = editor.getScrolledVisiblePosition({ lineNumber: l, column: c });
  return { x: box.left + at.left + 3, y: box.top + at.top + at.height / 2 };
}, line, column);

const visibleText = (page, selector) => page.$$eval(selector, (nodes) =>
  nodes.filter((n) => n.offsetParent !== null).map((n) => n.textContent || "").join("\n"));

// ---- The steps -------------------------------------------------------------------

function checkModuleSize() {
  let compressed = 0;
  for (const name of ["tovel.wasm", "tovel.js"]) {
    compressed += zlib.gzipSync(fs.readFileSync(path.join(site, name)), { level: 9 }).length;
  }
  report("module and loader, gzip -9", `${(compressed / 1024).toFixed(0)} KiB`);
  if (compressed >= MODULE_LIMIT_BYTES) throw new Error(`the module and its loader take ${compressed} bytes compressed`);
}

// A correct text of some 5,000 lines from copies of an example, each with its own
// names, so that the whole text is analysed on every keystroke.
function bigText() {
  const examples = path.join(__dirname, "..", "..", "examples");
  const sample = fs.readFileSync(path.join(examples, "inventory_service.tov"), "utf8");
  const lines = [];
  for (let copy = 0; lines.length < 5000; copy++) {
    const renamed = sample.replace(/\bmain\b/g, `main${copy}`).replace(/\bshop\b/g, `shop${copy}`)
      .replace(/8080/g, String(9000 + copy)).replace(/storefront/g, `storefront${copy}`);
    lines.push(...renamed.split("\n"));
  }
  return lines.join("\n");
}

async function run() {
  fs.rmSync(out, { recursive: true, force: true });
  fs.mkdirSync(shots, { recursive: true });
  checkModuleSize();
  const url = await serve(path.resolve(site));
  const browser = await puppeteer.launch({
    executablePath: process.env.TOVEL_CHROMIUM || "/usr/bin/chromium",
    headless: true,
    userDataDir: path.join(out, "chrome"),
    args: ["--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--no-first-run",
           "--disable-background-networking", "--disable-component-update", "--disable-sync",
           "--window-size=1300,800"],
    defaultViewport: { width: 1300, height: 800 },
  });
  cleanups.push(() => browser.process()?.kill("SIGKILL"));
  const page = await browser.newPage();
  page.setDefaultTimeout(30000);
  const pageErrors = [];
  page.on("pageerror", (error) => pageErrors.push(error.message));

  await step(page, "opened", async () => {
    await page.goto(url);
    await analysed(page);
    const ready = await page.evaluate(() => tovelPlayground.firstMarkersAt);
    report("page usable (editor shown, first markers in)", `${ready.toFixed(0)} ms after navigation`);
    const findings = await visibleText(page, "#findings");
    if (findings.trim() === "") throw new Error("the findings panel is empty");
  });

  await step(page, "mistake-typed", async () => {
    await setText(page, BASE_TEXT);
    await placeCursor(page, 2, 12);  // after the closing quote
    await page.keyboard.type(TYPED);
    await analysed(page);
    const line = (await editorText(page)).split("\n")[1];
    if (line !== '  s = "é😀" <> "x"') throw new Error(`line 2 reads ${JSON.stringify(line)}`);
    const found = await markers(page);
    const mistake = found.find((m) => m.message === MISTAKE_MESSAGE);
    if (!mistake) throw new Error(`no marker says the mistake: ${JSON.stringify(found)}`);
    if (mistake.line !== MISTAKE_LINE || mistake.column !== MISTAKE_COLUMN) {
      throw new Error(`the marker stands at ${mistake.line}:${mistake.column}, not ${MISTAKE_LINE}:${MISTAKE_COLUMN}`);
    }
    const findings = await visibleText(page, "#findings");
    if (!findings.includes(`playground.tov:2:16: ${MISTAKE_MESSAGE}`)) {
      throw new Error(`the findings panel does not print the mistake as tovel-check does: ${findings}`);
    }
  });

  await step(page, "hover", async () => {
    await page.mouse.move(5, 5);
    const point = await pointAt(page, 3, 9);  // the `s` of `print s`
    await page.mouse.move(point.x, point.y);
    const shown = await waitFor("a hover over `s`", () => visibleText(page, ".monaco-hover .hover-contents"));
    if (!shown.includes("variable") || !shown.includes("introduced on line 2")) {
      throw new Error(`the hover says ${JSON.stringify(shown)}`);
    }
  });

  await step(page, "quick-fix", async () => {
    await page.mouse.move(5, 5);
    await placeCursor(page, MISTAKE_LINE, MISTAKE_COLUMN + 1);
    await page.keyboard.down("Control");
    await page.keyboard.press("Period");
    await page.keyboard.up("Control");
    await waitFor("the quick fix menu", async () => (await visibleText(page, ".action-widget")).includes("Replace <> with !="));
    await page.keyboard.press("Enter");
    await waitFor("the fix applied", async () => (await editorText(page)).split("\n")[1] === FIXED_LINE);
    await analysed(page);
    const left = await markers(page);
    if (left.length !== 0) throw new Error(`markers left after the fix: ${JSON.stringify(left)}`);
  });

  let link;
  await step(page, "link-restores-text", async () => {
    const shown = await editorText(page);
    link = await waitFor("the text in the address", () => page.evaluate(async (text) =>
      (await textOfFragment(location.hash)) === text ? location.href : null, shown));
    const other = await browser.newPage();
    try {
      await other.goto(link);
      await analysed(other);
      const restored = await editorText(other);
      if (restored !== shown) throw new Error(`the link opened ${JSON.stringify(restored)}`);
      await other.screenshot({ path: path.join(shots, `${String(shotNumber).padStart(2, "0")}-link-opened.png`) });
    } finally {
      await other.close();
    }
  });

  await step(page, "formatted", async () => {
    const messy = "PROGRAM main()\nx   =  1\n      print   x\nEND PROGRAM\n";
    // Line 2 alone, then the whole text.
    await setText(page, messy);
    await page.evaluate(() => {
      tovelPlayground.editor.setSelection({ startLineNumber: 2, startColumn: 1, endLineNumber: 2, endColumn: 9 });
      tovelPlayground.editor.getAction("editor.action.formatSelection").run();
    });
    await waitFor("line 2 formatted alone", async () =>
      (await editorText(page)) === "PROGRAM main()\n  x = 1\n      print   x\nEND PROGRAM\n");
    await page.click("#format");
    await waitFor("the formatted text", async () =>
      (await editorText(page)) === "program main()\n  x = 1\n  print x\nend program\n");
  });

  await step(page, "rename-and-signature", async () => {
    await setText(page, "function add(a, b = 1)\n  return a + b\nend function\nx = add(1, 2)\n");
    await placeCursor(page, 4, 6);  // inside the call's `add`
    await page.keyboard.press("F2");
    // The box opens on the name, selected: typing replaces it.
    await waitFor("the rename box, focused", () => page.evaluate(() =>
      document.activeElement?.closest(".rename-box") !== null && document.activeElement?.value === "add"));
    await page.keyboard.type("plus");
    await page.keyboard.press("Enter");
    await waitFor("the name renamed everywhere", async () =>
      (await editorText(page)) === "function plus(a, b = 1)\n  return a + b\nend function\nx = plus(1, 2)\n");
    await analysed(page);
    await placeCursor(page, 4, 13);  // before the `2` of `plus(1, 2)`
    await page.evaluate(() => tovelPlayground.editor.getAction("editor.action.triggerParameterHints").run());
    const shown = await waitFor("the signature of the call", async () => {
      const text = await visibleText(page, ".parameter-hints-widget");
      return text.includes("plus(a, b = 1)") ? text : null;
    });
    const active = await visibleText(page, ".parameter-hints-widget .parameter.active");
    if (active !== "b = 1") throw new Error(`the active parameter reads ${JSON.stringify(active)} in ${JSON.stringify(shown)}`);
    await page.keyboard.press("Escape");
  });

  await step(page, "example-and-syntax-tree", async () => {
    await page.select("#examples", "mistakes/server_blocks.tov");
    await analysed(page);
    const found = await markers(page);
    const findings = await visibleText(page, "#findings");
    if (found.length === 0 || !found.every((m) => findings.includes(m.message))) {
      throw new Error(`the example's markers and findings disagree: ${JSON.stringify(found)} / ${findings}`);
    }
    await page.click("#tab-tree");
    await waitFor("the syntax tree", async () => (await visibleText(page, "#tree")).includes("server_statement"));
    await page.click("#tab-findings");
  });

  await step(page, "keystrokes-on-5000-lines", async () => {
    await setText(page, bigText());
    const before = await markers(page);
    if (before.length !== 0) throw new Error(`the long text has findings: ${JSON.stringify(before.slice(0, 3))}`);
    const last = await page.evaluate(() => tovelPlayground.model.getLineCount());
    await placeCursor(page, last, 1);
    // Typed once after a pause each (the worker idle), once without pause
    // (the editor's own requests for the last key still being answered).
    for (const paused of [true, false]) {
      const times = [];
      for (const key of "x <> 1 ") {
        if (paused) await settle(page);
        await page.keyboard.type(key);
        await analysed(page);
        times.push(await page.evaluate(() => tovelPlayground.lastAnalysis.sinceChangeMs));
      }
      times.sort((a, b) => a - b);
      const median = times[Math.floor(times.length / 2)];
      report(`keystroke to markers, 5,000 lines, ${paused ? "after a pause" : "typing on"}`,
        `median ${median.toFixed(1)} ms, slowest ${times[times.length - 1].toFixed(1)} ms`);
    }
    const after = await markers(page);
    if (!after.some((m) => m.line === last && m.message === MISTAKE_MESSAGE)) {
      throw new Error(`the mistake typed on the last line has no marker: ${JSON.stringify(after)}`);
    }
  });

  if (pageErrors.length > 0) throw new Error(`the page reported errors:\n  ${pageErrors.join("\n  ")}`);
}

async function main() {
  let failed = false;
  try {
    await run();
    fs.writeFileSync(path.join(out, "figures.txt"), figures.join("\n") + "\n");
    console.log("playground: every step passed; screenshots in", shots);
  } catch (error) {
    failed = true;
    console.error(error.stack || String(error));
  } finally {
    for (const cleanup of cleanups.reverse()) {
      try { await cleanup(); } catch { /* keep stopping the rest */ }
    }
  }
  process.exit(failed ? 1 : 0);
}

for (const signal of ["SIGINT", "SIGTERM"]) {
  process.on(signal, () => {
    for (const cleanup of cleanups.reverse()) { try { cleanup(); } catch { /* stopping */ } }
    process.exit(1);
  });
}

main();
