#!/bin/sh
# Shows tovel-lsp at work: a small client in this repository starts the built
# server, talks to it like an editor would and prints both sides; then
# tovel-check shows the same findings on the command line, and tovel-fmt
# lays out a badly written program.
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

"$client" "$server" \
    --fix examples/mistakes/server_blocks.tov examples/fixed/server_blocks.tov \
    --editor examples/inventory_service.tov examples/mistakes/lexer_habits.tov \
    "$@"

# The same front end from the command line. The mistake files contain errors,
# so tovel-check exits with 1 there; that is the expected outcome, not a
# failure of the demo.
checker="$build_dir/cli/tovel-check"
if [ -x "$checker" ]; then
    echo
    echo "== tovel-check on the examples"
    "$checker" examples/*.tov examples/mistakes/*.tov || echo "  (exit status $?)"
    echo
    echo "== the same findings as JSON lines"
    "$checker" --format=json examples/mistakes/parser_dim.tov \
        examples/mistakes/string_escapes.tov || echo "  (exit status $?)"
    echo
    echo "== syntax tree of the corrected server block"
    "$checker" --dump examples/fixed/server_blocks.tov
fi

# The formatter: a program laid out by hand, before and after.
formatter="$build_dir/cli/tovel-fmt"
if [ -x "$formatter" ]; then
    echo
    echo "== a badly laid-out program (scripts/demo_layout.tov)"
    cat scripts/demo_layout.tov
    echo
    echo "== the same program after tovel-fmt"
    "$formatter" - < scripts/demo_layout.tov
    echo
    echo "== tovel-fmt --check examples: the bundled examples are laid out already"
    echo "   (the two that do not parse are skipped, with the place of their error)"
    "$formatter" --check examples 2>&1 && echo "   nothing to change"
fi
