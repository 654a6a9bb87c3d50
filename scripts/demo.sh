#!/bin/sh
# Shows tovel-lsp at work: a small client in this repository starts the built
# server, talks to it like an editor would and prints both sides.
#   usage: scripts/demo.sh <build-dir>
set -eu

build_dir=$(cd "${1:-build}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
server="$build_dir/lsp/tovel-lsp"
client="$build_dir/demo/demo_client"

if [ ! -x "$server" ]; then
    echo "demo: $server is missing; build first (make build)" >&2
    exit 1
fi

# The client is a handful of files, so it is compiled here rather than as
# part of the product build.
mkdir -p "$build_dir/demo"
if [ ! -x "$client" ] || [ -n "$(find "$root/scripts/demo_client.cpp" "$root/tests/e2e" \
        -name '*.[ch]*' -newer "$client" 2>/dev/null)" ]; then
    ${CXX:-g++} -std=c++20 -O1 -Wall -Wextra -I"$root" -o "$client" \
        "$root/scripts/demo_client.cpp" "$root/tests/e2e/lsp_process.cpp" \
        "$root/tests/e2e/framing.cpp" -lcjson
fi

set --
for file in examples/*.tov examples/mistakes/*.tov; do
    [ -e "$file" ] && set -- "$@" "$file"
done

exec "$client" "$server" \
    --fix examples/mistakes/server_blocks.tov examples/fixed/server_blocks.tov \
    "$@"
