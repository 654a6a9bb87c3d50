#!/bin/sh
# Installs the Debian packages the build and the tests need, and only those
# that are missing. When everything is present it touches nothing and does
# no network work at all.
set -eu

# What is needed depends on the job: `build` is what building and running
# the programs takes (the demo needs nothing more); `test` adds the tools
# the whole suite drives: editors, the fuzzers' compiler, memcheck, and the
# browser, search tool and headers the VS Code test needs; `playground` is
# what building the browser playground takes (emscripten and npm), which
# the tests need too.
#   usage: setup.sh [build|playground|test]     (default: test)
need=${1:-test}
case "$need" in
    build|playground|test) ;;
    *) echo "usage: setup.sh [build|playground|test]" >&2; exit 2 ;;
esac

PACKAGES="g++ cmake ninja-build make pkg-config bison libcjson-dev googletest libgtest-dev libbenchmark-dev"
if [ "$need" = test ]; then
    PACKAGES="$PACKAGES neovim emacs-nox elpa-eglot"
    # The fuzzers (clang with its sanitizer and libFuzzer runtimes) and memcheck.
    PACKAGES="$PACKAGES clang libclang-rt-14-dev valgrind"
    # VS Code in a browser: Chromium to drive it, ripgrep for its search,
    # and what its native modules compile against.
    PACKAGES="$PACKAGES chromium ripgrep libkrb5-dev python3"
fi
if [ "$need" != build ]; then
    # The playground's WebAssembly build.
    PACKAGES="$PACKAGES emscripten"
fi

missing=""
for package in $PACKAGES; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    case "$status" in
        *" installed") ;;
        *) missing="$missing $package" ;;
    esac
done

# The VS Code extension's tests and packaging, and the playground's
# packages, run on Node.js. A machine may
# already carry a Node.js from elsewhere; only when there is no npm at all
# do Debian's packages come in.
if [ "$need" != build ] && ! command -v npm >/dev/null 2>&1; then
    missing="$missing nodejs npm"
fi

if [ -z "$missing" ]; then
    exit 0
fi

echo "setup: installing missing packages:$missing"
if [ "$(id -u)" -ne 0 ]; then
    echo "setup: these packages are missing and installing them needs root." >&2
    echo "setup: run:  sudo apt-get update && sudo apt-get install -y$missing" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends $missing
