#!/bin/sh
# Puts the playground together as a folder any static file server can serve:
# the page, the WebAssembly module and its loader, Monaco's editor and the
# bundled examples.
#   usage: assemble.sh <module folder> <node_modules folder> <examples folder> <output folder>
set -eu
here=$(cd "$(dirname "$0")" && pwd)
module=$1
node_modules=$2
examples=$3
out=$4

for file in "$module/tovel.js" "$module/tovel.wasm" "$node_modules/monaco-editor/min/vs/loader.js"; do
    if [ ! -f "$file" ]; then
        echo "playground: $file is missing (make playground builds it)" >&2
        exit 1
    fi
done

# Written beside the output, then moved into place: a half-assembled folder
# is never served.
staging="$out.tmp"
rm -rf "$staging"
mkdir -p "$staging"
cp "$here"/site/*.html "$here"/site/*.css "$here"/site/*.js "$staging/"
cp "$module/tovel.js" "$module/tovel.wasm" "$staging/"
cp -R "$node_modules/monaco-editor/min/vs" "$staging/vs"
# The examples, in name order, mistakes after the rest.
node - "$examples" "$staging/examples.js" <<'JS'
const fs = require("fs");
const path = require("path");
const [root, output] = process.argv.slice(2);
const found = [];
const walk = (dir) => {
  for (const entry of fs.readdirSync(dir, { withFileTypes: true }).sort((a, b) => a.name < b.name ? -1 : 1)) {
    const full = path.join(dir, entry.name);
    if (entry.isDirectory()) walk(full);
    else if (entry.name.endsWith(".tov")) found.push({ name: path.relative(root, full), text: fs.readFileSync(full, "utf8") });
  }
};
walk(root);
found.sort((a, b) => (a.name.includes("/") - b.name.includes("/")) || (a.name < b.name ? -1 : 1));
fs.writeFileSync(output, "// The bundled examples, written by assemble.sh.\nself.TOVEL_EXAMPLES = " + JSON.stringify(found, null, 1) + ";\n");
JS
rm -rf "$out"
mv "$staging" "$out"
echo "playground: ready in $out (serve it: cd $out && python3 -m http.server)"
