#!/bin/sh
# Runs every libFuzzer target for a bounded time over its seed corpus (made
# at build time from the repository) and the inputs kept under tests/fuzz/,
# and fails on any crash, leak, time-out or broken property. A finding is
# left in <build>/fuzz/findings/; keep it as a regression input by copying it
# under tests/fuzz/<target>/.
#   usage: scripts/fuzz.sh <fuzz build dir> <seconds per target>
set -eu
build=$1
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
seeds="$build/fuzz/seeds"
findings="$build/fuzz/findings"
mkdir -p "$findings"

run() {
    target=$1
    seed_dirs=$2
    work="$build/fuzz/corpus/$target"
    mkdir -p "$work"
    echo "fuzz: $target for ${seconds}s"
    # The first directory is the working corpus the fuzzer grows; the seeds
    # and the kept findings are read only.
    # shellcheck disable=SC2086
    ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 \
        -malloc_limit_mb=4096 -max_len=65536 -dict="$seeds/tovel.dict" -print_final_stats=1 \
        -artifact_prefix="$findings/$target-" "$work" $seed_dirs
}

run document "$seeds/documents $root/tests/fuzz/document"
run session "$seeds/sessions $root/tests/fuzz/session"
run cli_file "$seeds/documents $root/tests/fuzz/cli_file"
run sync "$seeds/documents $root/tests/fuzz/sync"
run syntax "$seeds/documents $root/tests/fuzz/syntax"
run format "$seeds/documents $root/tests/fuzz/format"
echo "fuzz: no target found a crash, a leak, a time-out or a broken property"
