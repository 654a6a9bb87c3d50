// tovel-lsp: the Tovel language server. The editor starts it without
// arguments and speaks the protocol over standard input and output.

#include "lsp/server_loop.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#else
#include <csignal>
#endif

int main() {
#ifdef _WIN32
    // No line-ending translation on any standard stream.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#else
    // An editor that closes our output early must not kill us with a
    // signal: the writes just fail, and we read on until input ends.
    signal(SIGPIPE, SIG_IGN);
#endif
    return run_server();
}
