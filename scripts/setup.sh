#!/bin/sh
# Installs the Debian packages the build and the tests need, and only those
# that are missing. When everything is present it touches nothing and does
# no network work at all.
set -eu

# Build and unit tests, then the editors the end-to-end editor tests drive.
PACKAGES="g++ cmake ninja-build make pkg-config bison libcjson-dev googletest libgtest-dev libbenchmark-dev"
PACKAGES="$PACKAGES neovim emacs-nox elpa-eglot"
# The fuzzers (clang with its sanitizer and libFuzzer runtimes) and memcheck.
PACKAGES="$PACKAGES clang libclang-rt-14-dev valgrind"

missing=""
for package in $PACKAGES; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    case "$status" in
        *" installed") ;;
        *) missing="$missing $package" ;;
    esac
done

# The VS Code extension's grammar tests and packaging run on Node.js. A
# machine may already carry a Node.js from elsewhere; only when there is no
# npm at all do Debian's packages come in.
if ! command -v npm >/dev/null 2>&1; then
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
