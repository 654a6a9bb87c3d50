#!/bin/sh
# Shows tovel-lsp at work: a small client in this repository starts the built
# server, talks to it like an editor would and prints both sides.
#   usage: scripts/demo.sh <build-dir>
set -eu

build_dir=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
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
if [ -d "$root/examples" ]; then
    for file in "$root"/examples/*.tov; do
        [ -e "$file" ] && set -- "$@" "$file"
    done
fi
fix=""
if [ -e "$root/examples/fixed/first_fixed.tov" ]; then
    fix="--fix $root/examples/fixed/first_fixed.tov"
fi

# shellcheck disable=SC2086
exec "$client" "$server" $fix "$@"
