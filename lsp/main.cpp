// tovel-lsp: the Tovel language server. The editor starts it without
// arguments and speaks the protocol over standard input and output.

#include "lsp/server_loop.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#endif

int main() {
#ifdef _WIN32
    // No line-ending translation on any standard stream.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    return run_server();
}
