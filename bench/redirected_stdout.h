// Points standard output somewhere else while a benchmark writes
// notifications, so that the JSON is really built and written but the
// console stays readable.
#ifndef TOVEL_BENCH_REDIRECTED_STDOUT_H
#define TOVEL_BENCH_REDIRECTED_STDOUT_H

#include <unistd.h>

#include <cstdio>

// Points file descriptor 1 at `target` while alive. Whatever stdio holds is
// flushed on both edges so no byte lands on the wrong side.
struct RedirectedStdout {
    int saved;
    explicit RedirectedStdout(int target) {
        fflush(stdout);
        saved = dup(STDOUT_FILENO);
        dup2(target, STDOUT_FILENO);
    }
    ~RedirectedStdout() {
        fflush(stdout);
        dup2(saved, STDOUT_FILENO);
        close(saved);
    }
    RedirectedStdout(const RedirectedStdout&) = delete;
    RedirectedStdout& operator=(const RedirectedStdout&) = delete;
};

#endif
