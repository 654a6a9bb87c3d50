// The VS Code extension as a user sees it: VS Code's browser build
// (code-server) on 127.0.0.1 with the freshly built extension and server,
// driven through headless Chromium. Each step keeps a screenshot; a failing
// step is named and keeps its screenshot too. Everything this starts, it
// stops, also when a step fails.
//
//   node vscode_test.js   with, in the environment:
//     TOVEL_VSCODE_DEPS  folder tests/vscode/install.sh installed into
//     TOVEL_VSIX         the packaged extension
//     TOVEL_LSP          the tovel-lsp program
//     TOVEL_EXAMPLES     the examples folder
//     TOVEL_OUT          a scratch folder (recreated); screenshots in shots/
"use strict";
const { spawn, spawnSync } = require("child_process");
const fs = require("fs");
const net = require("net");
const path = require("path");

const env = (name) => {
  const value = process.env[name];
  if (!value) throw new Error(`${name} is not set`);
  return value;
};
const deps = env("TOVEL_VSCODE_DEPS");
const out = env("TOVEL_OUT");
const codeServer = path.join(deps, "node_modules", "code-server", "out", "node", "entry.js");
const puppeteer = require(path.join(deps, "node_modules", "puppeteer-core"));

const dirs = {
  home: path.join(out, "home"),
  data: path.join(out, "data"),
  extensions: path.join(out, "extensions"),
  workspace: path.join(out, "workspace"),
  shots: path.join(out, "shots"),
  chrome: path.join(out, "chrome"),
};

// The mistake stands after two characters that take different numbers of
// UTF-16 units than bytes: its column tells whether positions are right.
const MISTAKE_FILE = "mistake.tov";
const MISTAKE_TEXT = 'program main()\n  s = "é😀" <> "x"\n  print s\nend program\n';
const MISTAKE_MESSAGE = "'<>' is not an operator; not-equal is != -- a != b";
const MISTAKE_LINE = 2;
const MISTAKE_COLUMN = 13; // UTF-16: é is one unit, 😀 two
const WORKSPACE_PROGRAM_MARK = path.join(out, "workspace-program-ran");

const cleanups = [];
let shotNumber = 0;

function prepare() {
  fs.rmSync(out, { recursive: true, force: true });
  for (const dir of Object.values(dirs)) fs.mkdirSync(dir, { recursive: true });
  fs.cpSync(env("TOVEL_EXAMPLES"), dirs.workspace, { recursive: true });
  fs.writeFileSync(path.join(dirs.workspace, MISTAKE_FILE), MISTAKE_TEXT);
  // A folder that tries to choose the server program: a script that leaves
  // a mark and serves nothing. The extension must never run it.
  const planted = path.join(dirs.workspace, "planted-server.sh");
  fs.writeFileSync(planted, `#!/bin/sh\ntouch '${WORKSPACE_PROGRAM_MARK}'\nexit 1\n`, { mode: 0o755 });
  fs.mkdirSync(path.join(dirs.workspace, ".vscode"));
  fs.writeFileSync(path.join(dirs.workspace, ".vscode", "settings.json"),
    JSON.stringify({ "tovel.server.path": planted }, null, 2));
  writeUserSettings(false);
}

function writeUserSettings(semanticHighlighting) {
  const settings = {
    "tovel.server.path": env("TOVEL_LSP"),
    "editor.semanticHighlighting.enabled": semanticHighlighting,
    "workbench.colorTheme": "Default Dark Modern",
    "workbench.startupEditor": "none",
    "workbench.tips.enabled": false,
    "workbench.enableExperiments": false,
    "security.workspace.trust.enabled": false,
    "telemetry.telemetryLevel": "off",
    "update.mode": "none",
    "extensions.autoCheckUpdates": false,
    "extensions.autoUpdate": false,
    "editor.hover.delay": 100,
    "editor.quickSuggestionsDelay": 10,
    "editor.minimap.enabled": false,
    "files.autoSave": "off",
    "git.enabled": false,
    "git.openRepositoryInParentFolders": "never",
  };
  for (const scope of ["User", "Machine"]) {
    fs.mkdirSync(path.join(dirs.data, scope), { recursive: true });
    fs.writeFileSync(path.join(dirs.data, scope, "settings.json"), JSON.stringify(settings, null, 2));
  }
}

function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.unref();
    server.on("error", reject);
    server.listen(0, "127.0.0.1", () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

const codeServerEnv = () => ({ ...process.env, HOME: dirs.home, XDG_CONFIG_HOME: path.join(dirs.home, ".config"),
  XDG_DATA_HOME: path.join(dirs.home, ".local", "share"), XDG_CACHE_HOME: path.join(dirs.home, ".cache") });

function installExtension() {
  const result = spawnSync(process.execPath, [codeServer, "--user-data-dir", dirs.data, "--extensions-dir",
    dirs.extensions, "--install-extension", env("TOVEL_VSIX")], { env: codeServerEnv(), encoding: "utf8" });
  if (result.status !== 0) throw new Error(`installing the extension failed:\n${result.stdout}${result.stderr}`);
}

async function startCodeServer(port) {
  const config = path.join(out, "code-server.yaml");
  fs.writeFileSync(config, `bind-addr: 127.0.0.1:${port}\nauth: none\ncert: false\n`);
  const log = fs.openSync(path.join(out, "code-server.log"), "w");
  const child = spawn(process.execPath, [codeServer, "--config", config, "--user-data-dir", dirs.data,
    "--extensions-dir", dirs.extensions, "--disable-telemetry", "--disable-update-check",
    "--disable-workspace-trust", "--disable-getting-started-override", dirs.workspace],
    { env: codeServerEnv(), stdio: ["ignore", log, log], detached: true });
  // The whole process group goes: code-server, its extension host, and the
  // language servers that host started.
  cleanups.push(() => { try { process.kill(-child.pid, "SIGKILL"); } catch { /* already gone */ } });
  const deadline = Date.now() + 60000;
  while (Date.now() < deadline) {
    if (child.exitCode !== null) throw new Error("code-server exited; see code-server.log");
    if (await new Promise((resolve) => {
      const socket = net.connect(port, "127.0.0.1", () => { socket.end(); resolve(true); });
      socket.on("error", () => resolve(false));
    })) return;
    await sleep(200);
  }
  throw new Error("code-server did not listen within 60 s");
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function waitFor(what, probe, timeoutMs = 30000) {
  const deadline = Date.now() + timeoutMs;
  let last;
  while (Date.now() < deadline) {
    last = await probe();
    if (last) return last;
    await sleep(250);
  }
  throw new Error(`timed out waiting for ${what}`);
}

async function step(page, name, body) {
  const label = `${String(++shotNumber).padStart(2, "0")}-${name}`;
  try {
    await body();
    await page.screenshot({ path: path.join(dirs.shots, `${label}.png`) });
    console.log(`ok ${label}`);
  } catch (error) {
    await page.screenshot({ path: path.join(dirs.shots, `${label}-FAILED.png`) }).catch(() => undefined);
    error.message = `step '${name}' failed: ${error.message} (screenshot ${label}-FAILED.png)`;
    throw error;
  }
}

// --- Reading the workbench ---------------------------------------------------

const text = (page, selector) => page.$$eval(selector, (nodes) => nodes.map((n) => n.textContent || ""));

async function runCommand(page, title) {
  await page.keyboard.press("F1");
  await page.waitForSelector(".quick-input-widget:not([style*='display: none']) input", { visible: true });
  await page.keyboard.type(title);
  await waitFor(`the command '${title}'`, async () =>
    (await text(page, ".quick-input-list .monaco-list-row.focused")).some((row) => row.includes(title)));
  await page.keyboard.press("Enter");
}

async function openFile(page, name) {
  await page.keyboard.down("Control");
  await page.keyboard.press("KeyP");
  await page.keyboard.up("Control");
  await page.waitForSelector(".quick-input-widget input", { visible: true });
  await page.keyboard.type(name);
  // Enter takes the focused row: wait until filtering has put the file there.
  await waitFor(`'${name}' in quick open`, async () =>
    (await text(page, ".quick-input-list .monaco-list-row.focused")).some((row) => row.includes(name)));
  await page.keyboard.press("Enter");
  await waitFor(`the editor of '${name}'`, async () =>
    (await text(page, ".tabs-container .tab.active .label-name")).includes(name));
  await page.waitForSelector(".monaco-editor .view-lines .view-line", { visible: true });
}

async function goTo(page, line, column) {
  await page.keyboard.down("Control");
  await page.keyboard.press("KeyG");
  await page.keyboard.up("Control");
  await page.waitForSelector(".quick-input-widget input", { visible: true });
  await page.keyboard.type(`${line}:${column}`);
  await page.keyboard.press("Enter");
  await sleep(200);
}

// The rows of the Problems panel, as shown: message and [Ln, Col].
async function problems(page) {
  return text(page, ".markers-panel .monaco-list-row");
}

// The screen position of the first rendered token whose text is `word`.
async function tokenPoint(page, word) {
  return page.$$eval(".monaco-editor .view-lines .view-line span > span", (spans, wanted) => {
    for (const span of spans) {
      const at = (span.textContent || "").indexOf(wanted);
      if (at < 0) continue;
      const range = document.createRange();
      range.setStart(span.firstChild, at);
      range.setEnd(span.firstChild, at + wanted.length);
      const box = range.getBoundingClientRect();
      return { x: box.left + box.width / 2, y: box.top + box.height / 2 };
    }
    return null;
  }, word);
}

async function hoverText(page, word) {
  await page.mouse.move(5, 5);
  await sleep(300);
  const point = await tokenPoint(page, word);
  if (!point) throw new Error(`'${word}' is not on screen`);
  await page.mouse.move(point.x, point.y);
  return waitFor(`a hover over '${word}'`, async () => {
    const shown = await text(page, ".monaco-hover:not(.hidden) .hover-contents");
    return shown.join("\n").trim() || null;
  });
}

// Every rendered character of the editor with its colour, line by line in
// the order the lines stand on screen.
async function colours(page) {
  return page.$$eval(".monaco-editor .view-lines .view-line", (lines) => lines
    .map((line) => ({
      top: parseFloat(line.style.top),
      chars: [...line.querySelectorAll("span > span")].flatMap((span) =>
        [...(span.textContent || "")].map((ch) => [ch, getComputedStyle(span).color])),
    }))
    .sort((a, b) => a.top - b.top)
    .map((line) => line.chars));
}

// --- The steps ---------------------------------------------------------------

async function run() {
  prepare();
  installExtension();
  const port = await freePort();
  await startCodeServer(port);
  const browser = await puppeteer.launch({
    executablePath: process.env.TOVEL_CHROMIUM || "/usr/bin/chromium",
    headless: true,
    userDataDir: dirs.chrome,
    args: ["--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--no-first-run", "--window-size=1400,1000"],
    defaultViewport: { width: 1400, height: 1000 },
  });
  cleanups.push(() => browser.process()?.kill("SIGKILL"));
  const page = await browser.newPage();
  page.setDefaultTimeout(30000);

  await step(page, "workbench", async () => {
    await page.goto(`http://127.0.0.1:${port}/?folder=${encodeURIComponent(dirs.workspace)}`);
    await page.waitForSelector(".monaco-workbench", { visible: true, timeout: 60000 });
    await waitFor("the explorer", async () => (await text(page, ".explorer-folders-view .monaco-list-row")).length > 0, 60000);
  });

  await step(page, "language-is-tovel", async () => {
    await openFile(page, MISTAKE_FILE);
    await waitFor("the language mode Tovel", async () =>
      (await text(page, "#status\\.editor\\.mode")).some((mode) => mode.trim() === "Tovel"));
  });

  await step(page, "problem-at-its-column", async () => {
    await runCommand(page, "View: Focus Problems");
    const row = await waitFor("the mistake in the Problems panel", async () =>
      (await problems(page)).find((r) => r.includes(MISTAKE_MESSAGE)), 60000).catch((error) => {
      if (fs.existsSync(WORKSPACE_PROGRAM_MARK)) {
        throw new Error("no diagnostics: the program named by the folder's .vscode/settings.json ran instead of tovel-lsp");
      }
      throw error;
    });
    const where = `[Ln ${MISTAKE_LINE}, Col ${MISTAKE_COLUMN}]`;
    if (!row.includes(where)) throw new Error(`the problem reads '${row}', not at ${where}`);
  });

  await step(page, "workspace-setting-ignored", async () => {
    if (fs.existsSync(WORKSPACE_PROGRAM_MARK)) {
      throw new Error("the program named by the folder's .vscode/settings.json was run");
    }
  });

  await step(page, "hover-keyword", async () => {
    await openFile(page, "inventory_service.tov");
    const shown = await hoverText(page, "spawn");
    if (!/actor/.test(shown)) throw new Error(`the hover over 'spawn' reads: ${shown}`);
  });

  await step(page, "hover-duration", async () => {
    // `2 days 6 hours` on line 13: 194400 seconds.
    const shown = await hoverText(page, "hours");
    if (!/194400 seconds/.test(shown)) throw new Error(`the hover over a duration reads: ${shown}`);
  });

  await step(page, "outline", async () => {
    await openFile(page, "inventory_service.tov");
    await runCommand(page, "Explorer: Focus on Outline View");
    const rows = await waitFor("the outline", async () => {
      const found = await text(page, ".outline-pane .monaco-list-row, [id*='outline'] .monaco-list-row");
      return found.length > 2 ? found : null;
    });
    const expected = fs.readFileSync(path.join(dirs.workspace, "inventory_service.tov"), "utf8")
      .split("\n").map((line) => /^\s*function\s+([A-Za-z_][\w.]*)/.exec(line)).filter(Boolean).map((m) => m[1]);
    // The list shows what fits its pane: the program and its first functions.
    const missing = ["inventory", ...expected.slice(0, 2)].filter((name) => !rows.some((row) => row.includes(name)));
    if (expected.length === 0 || missing.length > 0) throw new Error(`the outline lacks ${missing.join(", ")}: ${rows.join(" | ")}`);
  });

  await step(page, "completion", async () => {
    await openFile(page, "inventory_service.tov");
    const source = fs.readFileSync(path.join(dirs.workspace, "inventory_service.tov"), "utf8");
    const name = /^\s*function\s+([A-Za-z_]\w*)/m.exec(source)[1];
    await page.keyboard.down("Control");
    await page.keyboard.press("End");
    await page.keyboard.up("Control");
    await page.keyboard.press("Enter");
    await page.keyboard.type(name.slice(0, 3));
    await page.keyboard.down("Control");
    await page.keyboard.press("Space");
    await page.keyboard.up("Control");
    await waitFor(`'${name}' among the completions`, async () =>
      (await text(page, ".suggest-widget .monaco-list-row")).some((row) => row.includes(name)));
    await page.keyboard.press("Escape");
    for (let i = 0; i < 3; ++i) {
      await page.keyboard.down("Control");
      await page.keyboard.press("KeyZ");
      await page.keyboard.up("Control");
    }
  });

  await step(page, "quick-fix", async () => {
    await openFile(page, MISTAKE_FILE);
    await goTo(page, MISTAKE_LINE, MISTAKE_COLUMN);
    await page.keyboard.down("Control");
    await page.keyboard.press("Period");
    await page.keyboard.up("Control");
    await waitFor("the quick fix", async () =>
      (await text(page, ".action-widget .monaco-list-row")).some((row) => row.includes("!=")));
    await page.keyboard.press("Enter");
    await waitFor("the problem to clear", async () =>
      !(await problems(page)).some((row) => row.includes(MISTAKE_MESSAGE)), 30000);
    const line = (await text(page, ".monaco-editor .view-lines .view-line"))
      .find((l) => l.includes("😀"));
    if (!line || !line.includes("!=")) throw new Error(`the fixed line reads: ${line}`);
  });

  await step(page, "colours-stay", async () => {
    await openFile(page, "inventory_service.tov");
    // The top of the file, the cursor on its first token (a comment).
    await page.keyboard.down("Control");
    await page.keyboard.press("Home");
    await page.keyboard.up("Control");
    await sleep(1000);
    const before = await colours(page);
    writeUserSettings(true);
    // The server's tokens have arrived when the inspector names one.
    await runCommand(page, "Developer: Inspect Editor Tokens and Scopes");
    await waitFor("the semantic tokens", async () => {
      const table = (await text(page, ".token-inspect-widget")).join(" ");
      return /semantic token type/.test(table);
    }, 30000);
    await page.keyboard.press("Escape");
    await sleep(500);
    const after = await colours(page);
    const changes = [];
    for (let l = 0; l < Math.min(before.length, after.length); ++l) {
      const a = before[l].map(([, colour]) => colour);
      const b = after[l].map(([, colour]) => colour);
      for (let c = 0; c < Math.min(a.length, b.length); ++c) {
        if (a[c] !== b[c]) {
          changes.push(`line ${l + 1} '${before[l].map(([ch]) => ch).join("").trim()}' at ${c + 1}: ${a[c]} -> ${b[c]}`);
          break;
        }
      }
    }
    if (before.length < 10) throw new Error("too few lines on screen to compare");
    if (changes.length > 0) throw new Error(`colours changed when semantic tokens arrived:\n  ${changes.join("\n  ")}`);
  });
}

async function main() {
  let failed = false;
  try {
    await run();
    console.log("vscode: every step passed; screenshots in", dirs.shots);
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
