#include "tests/e2e/lsp_process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

long long now_ms() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void close_fd(int* fd) {
    if (*fd >= 0) {
        close(*fd);
        *fd = -1;
    }
}

// Appends what is readable now; closes the descriptor at end of stream.
bool drain(int* fd, std::string* sink) {
    char buffer[65536];
    ssize_t n = read(*fd, buffer, sizeof buffer);
    if (n > 0) {
        sink->append(buffer, static_cast<size_t>(n));
        return true;
    }
    if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
        close_fd(fd);
    }
    return false;
}

// One poll round over the child's output and error, plus its input when
// want_write. Returns the poll flags of the input (0 when not polled).
short poll_round(ChildProcess* child, std::string* output, std::string* error, bool want_write,
                 int wait_ms, bool* got_data) {
    pollfd fds[3];
    int n = 0;
    int out_index = -1, err_index = -1, in_index = -1;
    if (child->output_fd >= 0) {
        out_index = n;
        fds[n++] = {child->output_fd, POLLIN, 0};
    }
    if (child->error_fd >= 0) {
        err_index = n;
        fds[n++] = {child->error_fd, POLLIN, 0};
    }
    if (want_write && child->input_fd >= 0) {
        in_index = n;
        fds[n++] = {child->input_fd, POLLOUT, 0};
    }
    *got_data = false;
    if (n == 0) {
        return 0;
    }
    if (poll(fds, static_cast<nfds_t>(n), wait_ms) <= 0) {
        return 0;
    }
    if (out_index >= 0 && fds[out_index].revents != 0) {
        *got_data |= drain(&child->output_fd, output);
    }
    if (err_index >= 0 && fds[err_index].revents != 0) {
        *got_data |= drain(&child->error_fd, error);
    }
    return in_index >= 0 ? fds[in_index].revents : 0;
}

}  // namespace

bool child_start(ChildProcess* child, const char* path, const char* argument) {
    signal(SIGPIPE, SIG_IGN);  // the child may exit before reading all input
    int in_pipe[2], out_pipe[2], err_pipe[2];
    if (pipe(in_pipe) != 0 || pipe(out_pipe) != 0 || pipe(err_pipe) != 0) {
        return false;
    }
    pid_t pid = fork();
    if (pid < 0) {
        return false;
    }
    if (pid == 0) {
        dup2(in_pipe[0], 0);
        dup2(out_pipe[1], 1);
        dup2(err_pipe[1], 2);
        for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) {
            close(fd);
        }
        // An ignored SIGPIPE would be inherited; the program gets the
        // disposition an editor would give it.
        signal(SIGPIPE, SIG_DFL);
        execl(path, path, argument, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(in_pipe[0]);
    close(out_pipe[1]);
    close(err_pipe[1]);
    child->pid = pid;
    child->input_fd = in_pipe[1];
    child->output_fd = out_pipe[0];
    child->error_fd = err_pipe[0];
    for (int fd : {child->input_fd, child->output_fd, child->error_fd}) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    return true;
}

bool child_write(ChildProcess* child, const std::string& bytes, std::string* output,
                 std::string* error, int timeout_ms) {
    long long deadline = now_ms() + timeout_ms;
    size_t written = 0;
    while (written < bytes.size()) {
        if (child->input_fd < 0) {
            return false;
        }
        long long left = deadline - now_ms();
        if (left <= 0) {
            return false;
        }
        bool got_data = false;
        short flags = poll_round(child, output, error, true, static_cast<int>(left), &got_data);
        if (flags & (POLLERR | POLLHUP)) {
            close_fd(&child->input_fd);
            return false;
        }
        if (flags & POLLOUT) {
            ssize_t n = write(child->input_fd, bytes.data() + written, bytes.size() - written);
            if (n > 0) {
                written += static_cast<size_t>(n);
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                close_fd(&child->input_fd);
                return false;
            }
        }
    }
    return true;
}

void child_read_idle(ChildProcess* child, std::string* output, std::string* error, int idle_ms) {
    for (;;) {
        if (child->output_fd < 0 && child->error_fd < 0) {
            return;
        }
        bool got_data = false;
        poll_round(child, output, error, false, idle_ms, &got_data);
        if (!got_data) {
            return;
        }
    }
}

bool child_read_at_least(ChildProcess* child, size_t size, std::string* output, std::string* error,
                         int timeout_ms) {
    long long deadline = now_ms() + timeout_ms;
    while (output->size() < size) {
        long long left = deadline - now_ms();
        if (child->output_fd < 0 || left <= 0) {
            return false;
        }
        bool got_data = false;
        poll_round(child, output, error, false, static_cast<int>(left), &got_data);
    }
    return true;
}

void child_close_input(ChildProcess* child) {
    close_fd(&child->input_fd);
}

ChildExit child_finish(ChildProcess* child, std::string* output, std::string* error,
                       int timeout_ms) {
    ChildExit result;
    child_close_input(child);
    long long deadline = now_ms() + timeout_ms;
    while (child->output_fd >= 0 || child->error_fd >= 0) {
        long long left = deadline - now_ms();
        if (left <= 0) {
            result.timed_out = true;
            break;
        }
        bool got_data = false;
        poll_round(child, output, error, false, static_cast<int>(left), &got_data);
    }
    int status = 0;
    if (!result.timed_out) {
        // Output closed; the process is exiting. Give it the rest of the time.
        while (waitpid(child->pid, &status, WNOHANG) == 0) {
            if (now_ms() >= deadline) {
                result.timed_out = true;
                break;
            }
            usleep(1000);
        }
    }
    if (result.timed_out) {
        kill(child->pid, SIGKILL);
        waitpid(child->pid, &status, 0);
    } else if (WIFSIGNALED(status)) {
        result.signaled = true;
        result.status = WTERMSIG(status);
    } else {
        result.status = WEXITSTATUS(status);
    }
    close_fd(&child->output_fd);
    close_fd(&child->error_fd);
    child->pid = -1;
    return result;
}

RunResult run_with_input(const char* path, const std::string& input, int timeout_ms) {
    RunResult result;
    ChildProcess child;
    if (!child_start(&child, path)) {
        result.exit.status = -1;
        return result;
    }
    long long start = now_ms();
    child_write(&child, input, &result.output, &result.error, timeout_ms);
    long long left = timeout_ms - (now_ms() - start);
    result.exit = child_finish(&child, &result.output, &result.error,
                               static_cast<int>(left > 0 ? left : 1));
    return result;
}
