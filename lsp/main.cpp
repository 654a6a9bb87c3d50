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
#if defined(__GLIBC__)
#include <malloc.h>
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
#if defined(__GLIBC__)
    // Every keystroke builds answers of hundreds of kilobytes (semantic
    // tokens, the outline) and drops them again. Left to its defaults the
    // allocator maps and unmaps such blocks, or trims the heap, each time,
    // and the kernel's page faults then cost as much as computing the
    // answer. Blocks up to 4 MB come from the heap, and up to 32 MB of
    // freed heap stays for the next request.
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    mallopt(M_TRIM_THRESHOLD, 32 << 20);
#endif
    return run_server();
}
