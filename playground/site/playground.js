// The playground page: a Monaco editor whose Tovel language is served by
// the front end and editor features running in worker.js. Everything here
// converts between Monaco's shapes and the worker's answers (positions are
// Monaco's own on both sides: lines and UTF-16 columns from 1).
"use strict";

const LANGUAGE = "tovel";
const MARKER_OWNER = "tovel";

// ---- The worker ----------------------------------------------------------------

// Requests go out in order and are answered in order.
class Analyser {
  constructor() {
    this.worker = new Worker("worker.js");
    this.nextId = 1;
    this.waiting = new Map();
    this.ready = new Promise((resolve) => { this.onReady = resolve; });
    this.worker.onmessage = (event) => this.receive(event.data);
  }

  receive(message) {
    if (message.ready) {
      this.onReady(message.legend);
      return;
    }
    const request = this.waiting.get(message.id);
    this.waiting.delete(message.id);
    if (message.error !== undefined) request.reject(new Error(message.error));
    else request.resolve(message);
  }

  // Requests not answered yet.
  get busy() { return this.waiting.size > 0; }

  // Resolves with { result, ms }, or { stale: true, result: null } when a
  // newer text made the request moot before it ran.
  call(method, ...args) {
    const id = this.nextId++;
    this.worker.postMessage({ id, method, args });
    return new Promise((resolve, reject) => this.waiting.set(id, { resolve, reject }));
  }
}

// ---- Conversions -----------------------------------------------------------------

// An editor position as the module's arguments: line, column.
const at = (position) => [position.lineNumber, position.column];
const toRange = ([startLine, startColumn, endLine, endColumn]) =>
  new monaco.Range(startLine, startColumn, endLine, endColumn);

function markerSeverity(severity) {
  switch (severity) {
    case 2: return monaco.MarkerSeverity.Warning;
    case 3: return monaco.MarkerSeverity.Info;
    default: return monaco.MarkerSeverity.Error;
  }
}

function marker(model, diagnostic) {
  const range = toRange(diagnostic.range);
  const item = {
    severity: markerSeverity(diagnostic.severity),
    message: diagnostic.message,
    code: diagnostic.code,
    source: "tovel",
    startLineNumber: range.startLineNumber, startColumn: range.startColumn,
    endLineNumber: range.endLineNumber, endColumn: range.endColumn,
  };
  if (diagnostic.related) {
    const related = toRange(diagnostic.related.range);
    item.relatedInformation = [{
      resource: model.uri, message: diagnostic.related.message,
      startLineNumber: related.startLineNumber, startColumn: related.startColumn,
      endLineNumber: related.endLineNumber, endColumn: related.endColumn,
    }];
  }
  return item;
}

// In the order of IdeSymbolKind, as the language server names them.
const SYMBOL_KINDS = ["Module", "Namespace", "Function", "Operator", "Class", "Namespace", "Method", "Event", "Key"];
// In the order of IdeCompletionKind.
const COMPLETION_KINDS = ["Keyword", "Function", "Reference", "Property", "Event", "Variable", "Module", "Operator", "Field"];

// The outline, converted without recursion: blocks may nest deeply.
function documentSymbols(symbols) {
  const convert = (symbol) => ({
    name: symbol.name, detail: symbol.detail, tags: [],
    kind: monaco.languages.SymbolKind[SYMBOL_KINDS[symbol.kind]] ?? monaco.languages.SymbolKind.Event,
    range: toRange(symbol.range), selectionRange: toRange(symbol.selection), children: [],
  });
  const top = symbols.map(convert);
  const pending = symbols.map((symbol, i) => [symbol, top[i]]);
  while (pending.length > 0) {
    const [symbol, converted] = pending.pop();
    for (const child of symbol.children) {
      const item = convert(child);
      converted.children.push(item);
      pending.push([child, item]);
    }
  }
  return top;
}

const textEdits = (edits) => edits.map((edit) => ({ range: toRange(edit.range), text: edit.text }));

// ---- The document ----------------------------------------------------------------

// Keeps the worker's text in step with the editor's. At most one analysis
// runs while the user types: changes made meanwhile are sent together when
// it answers, and markers are only set from the analysis of the text shown.
class SyncedDocument {
  constructor(analyser, model, onAnalysed) {
    this.analyser = analyser;
    this.model = model;
    this.onAnalysed = onAnalysed;
    this.sentVersion = -1;
    this.updatesInFlight = 0;
    this.changedWhileBusy = false;
    this.diagnostics = [];
    this.changedAt = new Map();  // version -> when the text changed
    model.onDidChangeContent(() => {
      this.changedAt.set(model.getVersionId(), performance.now());
      if (this.updatesInFlight > 0) this.changedWhileBusy = true;
      else this.send();
    });
  }

  send() {
    const version = this.model.getVersionId();
    this.sentVersion = version;
    this.updatesInFlight++;
    this.changedWhileBusy = false;
    this.analyser.call("update", this.model.getValue()).then((answer) => {
      this.updatesInFlight--;
      if (!answer.stale && version === this.model.getVersionId()) this.apply(version, answer);
      if (this.changedWhileBusy && this.updatesInFlight === 0) this.send();
    }, (error) => {
      this.updatesInFlight--;
      showStatus(`The analysis failed: ${error.message}`);
    });
  }

  apply(version, answer) {
    this.diagnostics = answer.result.diagnostics;
    monaco.editor.setModelMarkers(this.model, MARKER_OWNER,
      this.diagnostics.map((diagnostic) => marker(this.model, diagnostic)));
    const changed = this.changedAt.get(version);
    this.changedAt.clear();
    this.onAnalysed({ version, findings: answer.result.findings, analysisMs: answer.ms,
                      sinceChangeMs: changed === undefined ? undefined : performance.now() - changed });
  }

  // Asks the worker about the text as it is now: the text goes first when
  // the worker has not seen it yet.
  ask(method, ...args) {
    if (this.sentVersion !== this.model.getVersionId()) this.send();
    const version = this.model.getVersionId();
    return this.analyser.call(method, ...args).then((answer) =>
      version === this.model.getVersionId() ? answer.result : null);
  }

  markerOf(index) {
    const diagnostic = this.diagnostics[index];
    return diagnostic === undefined ? undefined : marker(this.model, diagnostic);
  }
}

// ---- The Tovel language ------------------------------------------------------------

function registerLanguage(synced, legend) {
  const languages = monaco.languages;
  languages.register({ id: LANGUAGE, extensions: [".tov"], aliases: ["Tovel"] });
  languages.setLanguageConfiguration(LANGUAGE, {
    comments: { lineComment: "'" },
    brackets: [["(", ")"], ["[", "]"], ["{", "}"]],
    autoClosingPairs: [{ open: "(", close: ")" }, { open: "[", close: "]" }, { open: "\"", close: "\"", notIn: ["string"] }],
    surroundingPairs: [{ open: "(", close: ")" }, { open: "[", close: "]" }, { open: "\"", close: "\"" }],
  });
  languages.registerDocumentSemanticTokensProvider(LANGUAGE, {
    getLegend: () => legend,
    provideDocumentSemanticTokens: async () => {
      const data = await synced.ask("semanticTokens");
      return data === null ? null : { data: new Uint32Array(data) };
    },
    releaseDocumentSemanticTokens: () => {},
  });
  languages.registerHoverProvider(LANGUAGE, {
    provideHover: async (model, position) => {
      const hover = await synced.ask("hover", ...at(position));
      return hover === null ? null : { range: toRange(hover.range), contents: [{ value: hover.markdown }] };
    },
  });
  languages.registerCompletionItemProvider(LANGUAGE, {
    triggerCharacters: [".", "{"],
    provideCompletionItems: async (model, position) => {
      const items = (await synced.ask("completion", ...at(position))) ?? [];
      const word = model.getWordUntilPosition(position);
      const range = new monaco.Range(position.lineNumber, word.startColumn, position.lineNumber, position.column);
      return {
        suggestions: items.map((item) => ({
          label: item.label, insertText: item.label, detail: item.detail, range,
          kind: languages.CompletionItemKind[COMPLETION_KINDS[item.kind]] ?? languages.CompletionItemKind.Text,
        })),
      };
    },
  });
  languages.registerDefinitionProvider(LANGUAGE, {
    provideDefinition: async (model, position) => {
      const range = await synced.ask("definition", ...at(position));
      return range === null ? null : { uri: model.uri, range: toRange(range) };
    },
  });
  languages.registerDocumentSymbolProvider(LANGUAGE, {
    displayName: "Tovel",
    provideDocumentSymbols: async () => documentSymbols((await synced.ask("outline")) ?? []),
  });
  languages.registerFoldingRangeProvider(LANGUAGE, {
    provideFoldingRanges: async () => ((await synced.ask("folding")) ?? []).map((fold) => ({
      start: fold.start, end: fold.end, kind: fold.comment ? languages.FoldingRangeKind.Comment : undefined,
    })),
  });
  languages.registerCodeActionProvider(LANGUAGE, {
    provideCodeActions: async (model, range) => {
      const fixes = (await synced.ask("quickFixes", range.startLineNumber, range.startColumn,
                                        range.endLineNumber, range.endColumn)) ?? [];
      const versionId = model.getVersionId();
      const actions = fixes.map((fix) => ({
        title: fix.title, kind: "quickfix", isPreferred: fix.preferred,
        diagnostics: [synced.markerOf(fix.diagnostic)].filter(Boolean),
        edit: { edits: textEdits(fix.edits).map((textEdit) => ({ resource: model.uri, textEdit, versionId })) },
      }));
      return { actions, dispose: () => {} };
    },
  }, { providedCodeActionKinds: ["quickfix"] });
  const formatEdits = (answer) => {
    if (answer === null) return [];
    if (answer.refusal !== undefined) {
      showStatus(answer.refusal);
      return [];
    }
    return textEdits(answer.edits);
  };
  languages.registerDocumentFormattingEditProvider(LANGUAGE, {
    provideDocumentFormattingEdits: async (model, options) =>
      formatEdits(await synced.ask("format", options.tabSize, options.insertSpaces)),
  });
  languages.registerDocumentRangeFormattingEditProvider(LANGUAGE, {
    provideDocumentRangeFormattingEdits: async (model, range, options) =>
      formatEdits(await synced.ask("formatRange", range.startLineNumber, range.startColumn, range.endLineNumber,
                                   range.endColumn, options.tabSize, options.insertSpaces)),
  });
  languages.registerOnTypeFormattingEditProvider(LANGUAGE, {
    // A line break, and the last letters of the closing words and `else`.
    autoFormatTriggerCharacters: ["\n", "e", "f", "n", "r", "t", "l", "h", "m", "y", "b", "k", "s", "d"],
    provideOnTypeFormattingEdits: async (model, position, typed, options) => {
      const answer = await synced.ask("formatOnType", ...at(position), typed, options.tabSize, options.insertSpaces);
      return answer === null ? [] : textEdits(answer.edits);
    },
  });
}

// The features on names: references, highlights of the other uses, rename
// and the signature of the call being typed.
function registerNameFeatures(synced) {
  const languages = monaco.languages;
  languages.registerReferenceProvider(LANGUAGE, {
    provideReferences: async (model, position, context) =>
      ((await synced.ask("references", ...at(position), context.includeDeclaration)) ?? [])
        .map((use) => ({ uri: model.uri, range: toRange(use.range) })),
  });
  languages.registerDocumentHighlightProvider(LANGUAGE, {
    provideDocumentHighlights: async (model, position) =>
      ((await synced.ask("references", ...at(position), true)) ?? []).map((use) => ({
        range: toRange(use.range),
        kind: use.write ? languages.DocumentHighlightKind.Write : languages.DocumentHighlightKind.Read,
      })),
  });
  languages.registerRenameProvider(LANGUAGE, {
    resolveRenameLocation: async (model, position) => {
      const target = await synced.ask("prepareRename", ...at(position));
      const refusal = target === null ? "The text changed." : target.refusal;
      if (refusal !== undefined) return { range: new monaco.Range(1, 1, 1, 1), text: "", rejectReason: refusal };
      return { range: toRange(target.range), text: target.placeholder };
    },
    provideRenameEdits: async (model, position, newName) => {
      const versionId = model.getVersionId();
      const answer = await synced.ask("rename", ...at(position), newName);
      if (answer === null) return { edits: [], rejectReason: "The text changed." };
      if (answer.refusal !== undefined) return { edits: [], rejectReason: answer.refusal };
      return { edits: textEdits(answer.edits).map((textEdit) => ({ resource: model.uri, textEdit, versionId })) };
    },
  });
  languages.registerSignatureHelpProvider(LANGUAGE, {
    signatureHelpTriggerCharacters: ["(", ",", "{"],
    signatureHelpRetriggerCharacters: [")"],
    provideSignatureHelp: async (model, position) => {
      const signature = await synced.ask("signatureHelp", ...at(position));
      if (signature === null) return null;
      return {
        value: {
          signatures: [{
            label: signature.label, documentation: signature.documentation || undefined,
            parameters: signature.parameters.map((label) => ({ label })),
          }],
          activeSignature: 0, activeParameter: signature.active,
        },
        dispose: () => {},
      };
    },
  });
}

// Colours by token type (and type.modifier), for the semantic highlighting.
function defineTheme() {
  monaco.editor.defineTheme("tovel-dark", {
    base: "vs-dark", inherit: true, colors: {},
    rules: [
      { token: "keyword", foreground: "569cd6" },
      { token: "keyword.control", foreground: "c586c0" },
      { token: "comment", foreground: "6a9955", fontStyle: "italic" },
      { token: "string", foreground: "ce9178" },
      { token: "number", foreground: "b5cea8" },
      { token: "operator", foreground: "d4d4d4" },
      { token: "function", foreground: "dcdcaa" },
      { token: "parameter", foreground: "9cdcfe", fontStyle: "italic" },
      { token: "variable", foreground: "9cdcfe" },
      { token: "label", foreground: "c8c8c8", fontStyle: "underline" },
      { token: "method", foreground: "4ec9b0" },
      { token: "namespace", foreground: "4ec9b0" },
      { token: "class", foreground: "4ec9b0" },
      { token: "decorator", foreground: "dcdcaa", fontStyle: "italic" },
      { token: "property", foreground: "9cdcfe" },
      { token: "macro", foreground: "569cd6" },
      { token: "event", foreground: "d7ba7d" },
      { token: "escape", foreground: "d7ba7d" },
      { token: "escape.invalid", foreground: "f44747" },
    ],
  });
}

// ---- The page --------------------------------------------------------------------

const byId = (id) => document.getElementById(id);

function showStatus(text) { byId("status").textContent = text; }

function setUpTabs(onTreeShown) {
  const tabs = [["tab-findings", "findings"], ["tab-tree", "tree"]];
  for (const [tabId, panelId] of tabs) {
    byId(tabId).addEventListener("click", () => {
      for (const [otherTab, otherPanel] of tabs) {
        byId(otherTab).setAttribute("aria-selected", String(otherTab === tabId));
        byId(otherPanel).hidden = otherPanel !== panelId;
      }
      if (panelId === "tree") onTreeShown();
    });
  }
}

function setUpExamples(editor) {
  const select = byId("examples");
  select.add(new Option("(choose)", ""));
  for (const example of self.TOVEL_EXAMPLES) select.add(new Option(example.name, example.name));
  const shown = self.TOVEL_EXAMPLES.find((e) => e.text === editor.getValue());
  if (shown) select.value = shown.name;
  // The choice shows while the text is the example's, until it is edited.
  let loading = false;
  select.addEventListener("change", () => {
    const example = self.TOVEL_EXAMPLES.find((e) => e.name === select.value);
    if (!example) return;
    loading = true;
    editor.setValue(example.text);
    loading = false;
  });
  editor.onDidChangeModelContent(() => {
    if (!loading) select.value = "";
  });
}

// Browsers cut or refuse much longer addresses.
const LONGEST_LINK = 1 << 20;

// Puts the text into the address and answers the link, or null when the
// text is too long for an address: then it leaves none rather than a cut one.
async function keepInAddress(text) {
  const fragment = await linkFragment(text);
  if (fragment.length > LONGEST_LINK) {
    history.replaceState(null, "", location.pathname);
    showStatus("The text is too long to keep in the link.");
    return null;
  }
  history.replaceState(null, "", fragment);
  return location.href;
}

// The text goes into the address as it changes, a little after typing stops.
function keepTextInAddress(model) {
  let timer;
  model.onDidChangeContent(() => {
    clearTimeout(timer);
    timer = setTimeout(() => keepInAddress(model.getValue()), 250);
  });
}

async function initialText() {
  const linked = await textOfFragment(location.hash);
  if (linked !== null) return linked;
  return self.TOVEL_EXAMPLES.length > 0 ? self.TOVEL_EXAMPLES[0].text : "";
}

async function start(analyser) {
  const [legend, text] = await Promise.all([analyser.ready, initialText()]);
  defineTheme();
  const model = monaco.editor.createModel(text, LANGUAGE, monaco.Uri.parse("inmemory://playground/playground.tov"));
  const page = self.tovelPlayground;
  const treePanel = byId("tree");
  const refreshTree = async () => {
    if (treePanel.hidden) return;
    const tree = await doc.ask("syntaxTree");
    if (tree !== null) treePanel.textContent = tree;
  };
  const doc = new SyncedDocument(analyser, model, (analysed) => {
    byId("findings").textContent = analysed.findings || "No findings.";
    const count = doc.diagnostics.length;
    showStatus(`${count} finding${count === 1 ? "" : "s"} · analysed in ${analysed.analysisMs.toFixed(1)} ms`);
    page.lastAnalysis = analysed;
    page.analysedVersion = analysed.version;
    if (page.firstMarkersAt === undefined) page.firstMarkersAt = performance.now();
    refreshTree();
  });
  registerLanguage(doc, legend);
  registerNameFeatures(doc);
  // The first analysis runs while the editor is being built.
  doc.send();
  const editor = monaco.editor.create(byId("editor"), {
    model, theme: "tovel-dark", automaticLayout: true, "semanticHighlighting.enabled": true,
    formatOnType: true, minimap: { enabled: false }, fontSize: 14, renderWhitespace: "selection",
  });
  setUpTabs(refreshTree);
  setUpExamples(editor);
  keepTextInAddress(model);
  byId("format").addEventListener("click", () => editor.getAction("editor.action.formatDocument").run());
  byId("share").addEventListener("click", async () => {
    const link = await keepInAddress(model.getValue());
    if (link === null) return;
    try {
      await navigator.clipboard.writeText(link);
      showStatus("Link copied.");
    } catch (error) {
      showStatus("The link is in the address bar.");
    }
  });
  window.addEventListener("hashchange", async () => {
    const linked = await textOfFragment(location.hash);
    if (linked !== null && linked !== model.getValue()) model.setValue(linked);
  });
  Object.assign(page, { monaco, editor, model, document: doc });
  editor.focus();
}

// What the end-to-end test reads: the editor and when things happened.
self.tovelPlayground = {};
// The module compiles in its worker while the editor loads.
const analyser = new Analyser();
require.config({ paths: { vs: "vs" } });
require(["vs/editor/editor.main"], () => {
  start(analyser).catch((error) => showStatus(`The playground failed to start: ${error.message}`));
});
