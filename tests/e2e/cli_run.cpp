#include "tests/e2e/cli_run.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

long long now_ms() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void sleep_ms(long ms) {
    timespec pause = {0, ms * 1000000L};
    nanosleep(&pause, nullptr);
}

void write_all(const std::string& path, const std::string& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return;
    }
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

// Only async-signal-safe calls between fork and exec.
[[noreturn]] void exec_child(const std::string& in, const std::string& out,
                             const std::string& err, const char* directory, char** argv) {
    int in_fd = open(in.c_str(), O_RDONLY);
    int out_fd = open(out.c_str(), O_WRONLY | O_TRUNC);
    int err_fd = open(err.c_str(), O_WRONLY | O_TRUNC);
    if (in_fd < 0 || out_fd < 0 || err_fd < 0 || dup2(in_fd, 0) < 0 || dup2(out_fd, 1) < 0 ||
        dup2(err_fd, 2) < 0 || (directory != nullptr && chdir(directory) != 0)) {
        _exit(127);
    }
    execv(argv[0], argv);
    _exit(127);
}

// Waits for the child, killing it once the time is up.
void wait_child(pid_t pid, int timeout_ms, CheckRun* run) {
    long long deadline = now_ms() + timeout_ms;
    int status = 0;
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            break;
        }
        if (done < 0) {
            run->crashed = true;
            return;
        }
        if (now_ms() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            run->crashed = true;
            return;
        }
        sleep_ms(2);
    }
    if (WIFEXITED(status)) {
        run->status = WEXITSTATUS(status);
    } else {
        run->crashed = true;
    }
}

}  // namespace


ScratchDir::ScratchDir() {
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") +
                          "/tovel-check-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) != nullptr) {
        path_ = buffer.data();
    }
}

ScratchDir::~ScratchDir() {
    for (const std::string& file : files_) {
        unlink(file.c_str());
    }
    if (!path_.empty()) {
        rmdir(path_.c_str());
    }
}

std::string ScratchDir::write(const std::string& name, const std::string& bytes) {
    std::string file = path_ + "/" + name;
    write_all(file, bytes);
    files_.push_back(file);
    return file;
}

CheckRun run_check(const std::vector<std::string>& args, const std::string& input,
                   const std::string& directory, int timeout_ms) {
    return run_program(TOVEL_CHECK_PATH, args, input, directory, timeout_ms);
}

CheckRun run_fmt(const std::vector<std::string>& args, const std::string& input, const std::string& directory) {
    return run_program(TOVEL_FMT_PATH, args, input, directory, 30000);
}

CheckRun run_program(const std::string& program, const std::vector<std::string>& args, const std::string& input,
                     const std::string& directory, int timeout_ms) {
    CheckRun run;
    ScratchDir scratch;
    std::string in = scratch.write("stdin", input);
    std::string out = scratch.write("stdout", "");
    std::string err = scratch.write("stderr", "");

    std::vector<std::string> words = {program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    fflush(nullptr);
    pid_t pid = fork();
    if (pid < 0) {
        run.crashed = true;
        return run;
    }
    if (pid == 0) {
        exec_child(in, out, err, directory.empty() ? nullptr : directory.c_str(), argv.data());
    }
    wait_child(pid, timeout_ms, &run);
    run.output = read_file_bytes(out);
    run.error = read_file_bytes(err);
    return run;
}
