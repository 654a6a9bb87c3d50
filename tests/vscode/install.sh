#!/bin/sh
# Installs the VS Code build (code-server, VS Code's open-source browser
# build) and the browser driver the VS Code test runs, exactly as
# package-lock.json pins them, into a folder of the build:
#   usage: install.sh <folder>
# Idempotent: a folder already installed from the same lock file is left
# alone. Only the npm registry is asked for anything; native modules are
# compiled here against the machine's Node.js headers, and the search tool
# VS Code expects is Debian's ripgrep. Nothing is written to the home folder.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$1"
dest=$(cd "$1" && pwd)  # the steps below change folders
stamp="$dest/.installed"
lock_sum=$(cat "$here/package.json" "$here/package-lock.json" "$0" | sha256sum | cut -d' ' -f1)
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$lock_sum" ]; then
    exit 0
fi

for tool in node npm rg chromium c++ make python3; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "vscode install: '$tool' is missing: run scripts/setup.sh test" >&2
        exit 1
    fi
done
node_major=$(node -p 'process.versions.node.split(".")[0]')
if [ "$node_major" != 20 ]; then
    echo "vscode install: code-server 4.100.3 runs on Node.js 20, this is $(node --version)" >&2
    exit 1
fi

rm -rf "$dest"
mkdir -p "$dest"
# npm's cache and logs stay in the folder too.
export npm_config_cache="$dest/.npm"
export npm_config_nodedir=/usr  # headers of the machine's Node.js: node-gyp downloads nothing
export npm_config_update_notifier=false
node_gyp="$(npm root -g)/npm/node_modules/node-gyp/bin/node-gyp.js"
cp "$here/package.json" "$here/package-lock.json" "$dest/"
cd "$dest"
# code-server's own install script refuses root and would download
# prebuilt binaries; its steps are done below instead.
npm ci --ignore-scripts --no-audit --no-fund

code_server="$dest/node_modules/code-server"
# Password hashing, loaded at start even without authentication.
(cd "$dest/node_modules/argon2" &&
    npm_config_node_gyp="$node_gyp" node ../@mapbox/node-pre-gyp/bin/node-pre-gyp rebuild --build-from-source)

# VS Code's own modules, as code-server's install script installs them.
cd "$code_server/lib/vscode"
npm install --omit=dev --ignore-scripts --no-audit --no-fund
for module in @vscode/spdlog native-watchdog node-pty kerberos @vscode/deviceid @parcel/watcher; do
    (cd "node_modules/$module" && node "$node_gyp" rebuild --nodedir=/usr >/dev/null)
done
mkdir -p node_modules/@vscode/ripgrep/bin
cp "$(command -v rg)" node_modules/@vscode/ripgrep/bin/rg
ln -sfn node_modules node_modules.asar
(cd extensions && npm install --omit=dev --ignore-scripts --no-audit --no-fund)

echo "$lock_sum" >"$stamp"
echo "vscode install: code-server and puppeteer-core ready in $dest"
