// A file keeps its colours when the server's semantic tokens arrive: for
// every token tovel-lsp sends for the programs under examples/, the scope
// the extension maps its type (and modifiers) to must be the scope the
// TextMate grammar already gave those characters. Runs the grammar the way
// VS Code does (vscode-textmate over oniguruma) and the real server found
// on PATH, or at TOVEL_LSP.
const test = require("node:test");
const assert = require("node:assert");
const fs = require("fs");
const path = require("path");
const { spawn } = require("child_process");
const vsctm = require("vscode-textmate");
const oniguruma = require("vscode-oniguruma");

const extension = path.join(__dirname, "..");
const examples = path.join(extension, "..", "..", "examples");
const manifest = require("../package.json");
const scopes = manifest.contributes.semanticTokenScopes[0].scopes;

function exampleFiles(dir) {
  return fs.readdirSync(dir, { withFileTypes: true }).flatMap((entry) => {
    const full = path.join(dir, entry.name);
    if (entry.isDirectory()) return exampleFiles(full);
    return entry.name.endsWith(".tov") ? [full] : [];
  });
}

async function loadGrammar() {
  const wasm = fs.readFileSync(require.resolve("vscode-oniguruma/release/onig.wasm"));
  await oniguruma.loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.byteLength));
  const registry = new vsctm.Registry({
    onigLib: Promise.resolve({
      createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
      createOnigString: (text) => new oniguruma.OnigString(text),
    }),
    loadGrammar: async (scopeName) => {
      if (scopeName !== "source.tovel") return null;
      const file = path.join(extension, "syntaxes", "tovel.tmLanguage.json");
      return vsctm.parseRawGrammar(fs.readFileSync(file, "utf8"), file);
    },
  });
  return registry.loadGrammar("source.tovel");
}

// Per line, per UTF-16 character: the innermost scope that is not
// punctuation (a quote colours as its string), or null.
function grammarScopes(grammar, text) {
  let stack = vsctm.INITIAL;
  return text.split("\n").map((line) => {
    const result = grammar.tokenizeLine(line, stack);
    stack = result.ruleStack;
    const perCharacter = new Array(line.length).fill(null);
    for (const token of result.tokens) {
      const inner = token.scopes.filter((s) => !s.startsWith("punctuation.") && s !== "source.tovel").pop() || null;
      const isPunctuation = token.scopes[token.scopes.length - 1].startsWith("punctuation.");
      for (let i = token.startIndex; i < Math.min(token.endIndex, line.length); i++) {
        perCharacter[i] = isPunctuation ? "punctuation" : inner;
      }
    }
    return perCharacter;
  });
}

// A minimal client over the base protocol: requests answered in order.
class Server {
  constructor() {
    this.process = spawn(process.env.TOVEL_LSP || "tovel-lsp", [], { stdio: ["pipe", "pipe", "inherit"] });
    this.buffer = Buffer.alloc(0);
    this.waiting = new Map();
    this.process.stdout.on("data", (chunk) => this.receive(chunk));
  }
  send(message) {
    const body = Buffer.from(JSON.stringify({ jsonrpc: "2.0", ...message }), "utf8");
    this.process.stdin.write(`Content-Length: ${body.length}\r\n\r\n`);
    this.process.stdin.write(body);
  }
  request(id, method, params) {
    return new Promise((resolve) => {
      this.waiting.set(id, resolve);
      this.send({ id, method, params });
    });
  }
  receive(chunk) {
    this.buffer = Buffer.concat([this.buffer, chunk]);
    for (;;) {
      const end = this.buffer.indexOf("\r\n\r\n");
      if (end < 0) return;
      const length = Number(/Content-Length: *(\d+)/i.exec(this.buffer.toString("latin1", 0, end))[1]);
      if (this.buffer.length < end + 4 + length) return;
      const message = JSON.parse(this.buffer.toString("utf8", end + 4, end + 4 + length));
      this.buffer = this.buffer.subarray(end + 4 + length);
      if (message.id !== undefined && this.waiting.has(message.id)) {
        this.waiting.get(message.id)(message.result);
        this.waiting.delete(message.id);
      }
    }
  }
  stop() {
    this.send({ id: 999, method: "shutdown" });
    this.send({ method: "exit" });
    this.process.stdin.end();
  }
}

function selectorScope(type, modifiers) {
  for (const modifier of modifiers) {
    if (scopes[`${type}.${modifier}`]) return scopes[`${type}.${modifier}`][0];
  }
  return scopes[type] ? scopes[type][0] : null;
}

test("the grammar and the server's semantic tokens agree on every token of the examples", async (t) => {
  const grammar = await loadGrammar();
  const server = new Server();
  t.after(() => server.stop());
  const init = await server.request(1, "initialize", { capabilities: { textDocument: { semanticTokens: {} } } });
  const legend = init.capabilities.semanticTokensProvider.legend;
  const disagreements = [];
  let checked = 0;
  let id = 2;
  for (const file of exampleFiles(examples)) {
    const text = fs.readFileSync(file, "utf8");
    const uri = "file://" + file;
    server.send({ method: "textDocument/didOpen", params: { textDocument: { uri, languageId: "tovel", version: 1, text } } });
    const { data } = await server.request(id++, "textDocument/semanticTokens/full", { textDocument: { uri } });
    const grammarLines = grammarScopes(grammar, text);
    let line = 0;
    let start = 0;
    for (let i = 0; i < data.length; i += 5) {
      line += data[i];
      start = data[i] === 0 ? start + data[i + 1] : data[i + 1];
      const type = legend.tokenTypes[data[i + 3]];
      const modifiers = legend.tokenModifiers.filter((_, bit) => data[i + 4] & (1 << bit));
      const expected = selectorScope(type, modifiers);
      const wanted = expected && expected.replace(/\.tovel$/, "");
      for (let c = start; c < start + data[i + 2]; c++) {
        const got = grammarLines[line][c];
        if (got === "punctuation") continue;
        checked++;
        if (!wanted || !got || !(got === wanted + ".tovel" || got.startsWith(wanted + "."))) {
          const word = text.split("\n")[line].slice(start, start + data[i + 2]);
          disagreements.push(`${path.relative(examples, file)}:${line + 1}:${start + 1} '${word}' ` +
                             `server ${[type, ...modifiers].join(".")} -> ${expected}, grammar ${got}`);
          break;
        }
      }
    }
  }
  assert.ok(checked > 1000, `only ${checked} characters compared`);
  assert.deepStrictEqual(disagreements, []);
});
