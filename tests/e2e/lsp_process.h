#pragma once

#include <string>
#include <sys/types.h>

// A child process driven through pipes: its standard input, output and
// error. Used by the end-to-end tests and by the demo client, so a hang in
// the server shows up as a time-out instead of blocking the caller.
struct ChildProcess {
    pid_t pid = -1;
    int input_fd = -1;   // write end of the child's standard input
    int output_fd = -1;  // read end of the child's standard output
    int error_fd = -1;   // read end of the child's standard error
};

// Starts the program, without arguments or with the one given. False if it
// could not be started.
bool child_start(ChildProcess* child, const char* path, const char* argument = nullptr);

// Writes all bytes to the child's input while draining its output and error
// into the given strings. False on time-out or when the child stopped
// reading (it may legitimately exit before consuming everything).
bool child_write(ChildProcess* child, const std::string& bytes, std::string* output,
                 std::string* error, int timeout_ms);

// Collects output until nothing more arrives for idle_ms (or the child
// closes its output).
void child_read_idle(ChildProcess* child, std::string* output, std::string* error, int idle_ms);

// Collects output until it holds at least size bytes. False on time-out or
// when the child closed its output first.
bool child_read_at_least(ChildProcess* child, size_t size, std::string* output, std::string* error,
                         int timeout_ms);

void child_close_input(ChildProcess* child);

struct ChildExit {
    bool timed_out = false;
    bool signaled = false;
    int status = -1;  // exit status, or the signal number when signaled
};

// Closes the input, drains output and error to their end and waits for the
// child; kills it after timeout_ms.
ChildExit child_finish(ChildProcess* child, std::string* output, std::string* error,
                       int timeout_ms);

struct RunResult {
    std::string output;
    std::string error;
    ChildExit exit;
};

// Runs the program with the given standard input to completion.
RunResult run_with_input(const char* path, const std::string& input, int timeout_ms);
