#!/bin/sh
# Memcheck over a short set of sessions (the inputs of some transcripts, as
# the fuzzers' seeds hold them) and over tovel-check on the examples: no
# invalid access, no use of uninitialised memory, no leak.
#   usage: valgrind_test.sh <tovel-lsp> <tovel-check> <sessions dir> <source dir>
set -eu
server=$1
checker=$2
sessions=$3
source=$4
if ! command -v valgrind >/dev/null 2>&1; then
    echo "valgrind_test: valgrind not found: run scripts/setup.sh" >&2
    exit 1
fi
memcheck() {
    valgrind --quiet --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect \
        --show-leak-kinds=definite,indirect "$@"
}
count=0
for name in lifecycle positions string_literals diagnostics_in_order documents_lifecycle \
            features_outline features_navigation features_completion features_code_actions \
            features_semantic_tokens features_bad_requests; do
    input="$sessions/$name.bin"
    [ -f "$input" ] || { echo "valgrind_test: missing $input" >&2; exit 1; }
    status=0
    memcheck "$server" < "$input" > /dev/null || status=$?
    if [ "$status" -eq 99 ]; then
        echo "valgrind_test: memcheck found errors in session $name" >&2
        exit 1
    fi
    count=$((count + 1))
done
status=0
memcheck "$checker" --dump "$source"/examples/*.tov "$source"/examples/mistakes/*.tov > /dev/null || status=$?
if [ "$status" -eq 99 ]; then
    echo "valgrind_test: memcheck found errors in tovel-check" >&2
    exit 1
fi
echo "valgrind_test: $count sessions and tovel-check clean under memcheck"
