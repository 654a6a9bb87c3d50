#pragma once

#include <string>

#include "tests/test_files.h"
#include <vector>

// Runs tovel-check the way a shell would: with arguments, with standard
// input taken from a file holding `input`, and with standard output and
// error captured in files, so no pipe can fill up and stall either side.
struct CheckRun {
    std::string output;
    std::string error;
    int status = -1;       // exit status; -1 when the run did not end normally
    bool crashed = false;  // ended by a signal or killed after the time-out
};

// `directory`, when not empty, is the working directory of the run.
CheckRun run_check(const std::vector<std::string>& args, const std::string& input = "",
                   const std::string& directory = "", int timeout_ms = 30000);

// The same for tovel-fmt, and for any program.
CheckRun run_fmt(const std::vector<std::string>& args, const std::string& input = "",
                 const std::string& directory = "");
CheckRun run_program(const std::string& program, const std::vector<std::string>& args, const std::string& input,
                     const std::string& directory, int timeout_ms);

// A fresh directory under the system's temporary folder, removed with the
// files written into it when the value goes away.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // Writes `bytes` to a file of that name in the directory; returns its path.
    std::string write(const std::string& name, const std::string& bytes);
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::vector<std::string> files_;
};

// The whole file, or nothing when it cannot be read.

