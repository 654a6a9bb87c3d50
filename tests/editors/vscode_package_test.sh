#!/bin/sh
# Builds the VS Code extension package offline and checks that it carries
# what VS Code loads: the manifest, the compiled client, the grammar, the
# language configuration and the language client library.
#   usage: vscode_package_test.sh <editors/vscode> <scratch dir>
set -eu
extension=$1
scratch=$2
if [ ! -x "$extension/node_modules/.bin/vsce" ]; then
    echo "vscode_package_test: $extension/node_modules is missing; run 'npm ci' there (make test does)" >&2
    exit 1
fi
rm -rf "$scratch"
mkdir -p "$scratch"
cd "$extension"
# vsce packages the compiled client from out/, which git ignores.
npx --no-install tsc -p .
npx --no-install vsce package --skip-license --allow-missing-repository --no-rewrite-relative-links -o "$scratch/tovel.vsix" >/dev/null
node - "$scratch/tovel.vsix" <<'JS'
const fs = require("fs");
// Read the zip's central directory: the file names it holds.
const zip = fs.readFileSync(process.argv[2]);
const end = zip.lastIndexOf(Buffer.from([0x50, 0x4b, 0x05, 0x06]));
if (end < 0) { console.error("not a zip file"); process.exit(1); }
let at = zip.readUInt32LE(end + 16);
const names = new Set();
for (let i = 0, count = zip.readUInt16LE(end + 10); i < count; i++) {
  const nameLength = zip.readUInt16LE(at + 28);
  names.add(zip.toString("utf8", at + 46, at + 46 + nameLength));
  at += 46 + nameLength + zip.readUInt16LE(at + 30) + zip.readUInt16LE(at + 32);
}
const required = [
  "extension/package.json",
  "extension/out/extension.js",
  "extension/syntaxes/tovel.tmLanguage.json",
  "extension/language-configuration.json",
  "extension/node_modules/vscode-languageclient/package.json",
  "extension/images/icon.png",
  "extension/readme.md",
  "extension/changelog.md",
];
const missing = required.filter((name) => !names.has(name));
const stray = [...names].filter((name) => /^extension\/(src|test)\//.test(name));
if (missing.length || stray.length) {
  console.error("missing:", missing, "should not be packaged:", stray);
  process.exit(1);
}
const manifest = JSON.parse(fs.readFileSync("package.json", "utf8"));
const language = manifest.contributes.languages[0];
if (language.id !== "tovel" || !language.extensions.includes(".tov")) {
  console.error("the package does not contribute the tovel language for *.tov");
  process.exit(1);
}
// Opening a folder must never choose the program the extension runs.
const serverPath = manifest.contributes.configuration.properties["tovel.server.path"];
const untrusted = (manifest.capabilities || {}).untrustedWorkspaces || {};
if (serverPath.scope !== "machine" || !(untrusted.restrictedConfigurations || []).includes("tovel.server.path")) {
  console.error("tovel.server.path must have machine scope and be restricted in untrusted workspaces");
  process.exit(1);
}
if (!manifest.contributes.commands.some((c) => c.command === "tovel.restartServer")) {
  console.error("the package does not contribute the restart command");
  process.exit(1);
}
console.log(`tovel.vsix: ${names.size} files, all required ones present`);
JS
