#!/bin/sh
# Shows tovel-lsp at work: a small client in this repository starts the built
# server, talks to it like an editor would and prints both sides.
#   usage: scripts/demo.sh <build-dir>
set -eu

build_dir=$(cd "${1:-build}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
server="$build_dir/lsp/tovel-lsp"
client="$build_dir/lsp/demo_client"

for program in "$server" "$client"; do
    if [ ! -x "$program" ]; then
        echo "demo: $program is missing; build first (make build)" >&2
        exit 1
    fi
done

set --
for file in examples/*.tov examples/mistakes/*.tov; do
    [ -e "$file" ] && set -- "$@" "$file"
done

exec "$client" "$server" \
    --fix examples/mistakes/server_blocks.tov examples/fixed/server_blocks.tov \
    "$@"
