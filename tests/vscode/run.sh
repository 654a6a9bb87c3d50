#!/bin/sh
# Packages the extension and runs the VS Code test (vscode_test.js).
#   usage: run.sh <editors/vscode> <installed folder> <tovel-lsp> <examples> <scratch folder>
set -eu
extension=$1
deps=$2
server=$3
examples=$4
out=$5
if [ ! -f "$deps/.installed" ]; then
    echo "vscode test: nothing installed in $deps; run tests/vscode/install.sh $deps (make test does)" >&2
    exit 1
fi
if [ ! -x "$extension/node_modules/.bin/vsce" ]; then
    echo "vscode test: $extension/node_modules is missing; run 'npm ci' there (make test does)" >&2
    exit 1
fi
package=$(mktemp -d)
trap 'rm -rf "$package"' EXIT
(cd "$extension" && npx --no-install tsc -p . &&
    npx --no-install vsce package --skip-license --allow-missing-repository --no-rewrite-relative-links -o "$package/tovel.vsix" >/dev/null)
TOVEL_VSCODE_DEPS=$deps TOVEL_VSIX=$package/tovel.vsix TOVEL_LSP=$server TOVEL_EXAMPLES=$examples TOVEL_OUT=$out \
    node "$(dirname "$0")/vscode_test.js"
