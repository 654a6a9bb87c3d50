#!/bin/sh
# Installs the build into a scratch prefix and uses it the way a user would:
# tovel-lsp, tovel-check and tovel-fmt from that prefix's bin/ on PATH, the man pages
# and the editor hookups where the README says they are; then builds the
# Debian package and looks inside it.
#   usage: install_test.sh <build dir> <scratch dir>
set -eu
build=$1
scratch=$2
prefix="$scratch/prefix"
rm -rf "$scratch"
mkdir -p "$scratch"

fail() { echo "install_test: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

for file in bin/tovel-lsp bin/tovel-check bin/tovel-fmt \
    share/man/man1/tovel-lsp.1 share/man/man1/tovel-check.1 share/man/man1/tovel-fmt.1 \
    share/tovel/nvim/lsp-0.7.lua share/tovel/nvim/lsp-0.11.lua \
    share/tovel/nvim/ftdetect/tovel.vim share/tovel/nvim/syntax/tovel.vim \
    share/tovel/emacs/tovel-mode.el share/tovel/helix/languages.toml \
    share/tovel/vscode/package.json share/tovel/vscode/syntaxes/tovel.tmLanguage.json; do
    [ -f "$prefix/$file" ] || fail "$file was not installed"
done
[ ! -e "$prefix/share/tovel/vscode/node_modules" ] || fail "node_modules was installed"

PATH="$prefix/bin:$PATH"
export PATH
[ "$(command -v tovel-lsp)" = "$prefix/bin/tovel-lsp" ] || fail "tovel-lsp is not the installed one"

# An editor's session in three messages and a goodbye.
frame() { printf 'Content-Length: %d\r\n\r\n%s' "$(printf '%s' "$1" | wc -c)" "$1"; }
{
    frame '{"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}}'
    frame '{"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":"file:///a.tov","languageId":"tovel","version":1,"text":"dim x\n"}}}'
    frame '{"jsonrpc":"2.0","id":2,"method":"shutdown"}'
    frame '{"jsonrpc":"2.0","method":"exit"}'
} > "$scratch/session.in"
status=0
tovel-lsp < "$scratch/session.in" > "$scratch/session.out" || status=$?
[ "$status" -eq 0 ] || fail "tovel-lsp exited with $status"
grep -q '"textDocumentSync":1' "$scratch/session.out" || fail "no initialize answer"
grep -q '"message":"`dim` is not a Tovel statement' "$scratch/session.out" || fail "no diagnostic published"
grep -q '"id":2,"result":null' "$scratch/session.out" || fail "no shutdown answer"

printf 'dim x\n' > "$scratch/a.tov"
status=0
tovel-check "$scratch/a.tov" > "$scratch/check.out" || status=$?
[ "$status" -eq 1 ] || fail "tovel-check exited with $status, not 1"
grep -q "parse error at $scratch/a.tov:1:1: \`dim\` is not a Tovel statement" "$scratch/check.out" ||
    fail "tovel-check printed: $(cat "$scratch/check.out")"

printf 'IF x THEN\nprint  x\nEND IF\n' > "$scratch/b.tov"
tovel-fmt "$scratch/b.tov" || fail "tovel-fmt exited with $?"
[ "$(cat "$scratch/b.tov")" = "$(printf 'if x then\n  print x\nend if')" ] ||
    fail "tovel-fmt wrote: $(cat "$scratch/b.tov")"

for page in tovel-lsp tovel-check tovel-fmt; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$prefix/share/man/man1/$page.1" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page.1: $warnings"
done

# The Debian package holds the same layout under /usr.
(cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" >/dev/null)
deb=$(ls "$scratch"/*.deb)
dpkg-deb --contents "$deb" > "$scratch/deb.list"
for file in ./usr/bin/tovel-lsp ./usr/bin/tovel-check ./usr/bin/tovel-fmt ./usr/share/man/man1/tovel-lsp.1 \
    ./usr/share/man/man1/tovel-fmt.1 \
    ./usr/share/tovel/nvim/lsp-0.7.lua ./usr/share/tovel/emacs/tovel-mode.el; do
    grep -q " $file\$" "$scratch/deb.list" || fail "$file is not in $(basename "$deb")"
done
dpkg-deb --field "$deb" Depends | grep -q libcjson || fail "the package does not depend on cJSON"
echo "install_test: installed layout, session, checker, formatter, man pages and package all fine"
