// tovel-fmt: the formatter on files, directories and standard input.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

constexpr int kFormatExitDone = 0;      // formatted, or nothing to do
constexpr int kFormatExitRefused = 1;   // --check found changes, or a text did not parse
constexpr int kFormatExitTrouble = 2;   // usage error, a file not read or not written
constexpr int kFormatExitInternal = 3;  // a layout that would change a program, withheld

constexpr uint32_t kMaxIndentWidth = 16;

struct FormatCommand {
    bool check = false;  // list the files that would change; write nothing
    bool diff = false;   // print a unified diff; write nothing
    bool show_help = false;
    bool show_version = false;
    uint32_t indent = 2;
    std::vector<std::string> files;  // "-" is standard input
};

// Reads argv[1..argc); false with `problem` set (one line, no program name)
// on a usage error.
bool format_command_parse(int argc, char** argv, FormatCommand* command, std::string* problem);

void format_command_usage(FILE* out);

// Formats every file in argument order (directories: their `.tov` files,
// recursively, in name order) and returns the exit status.
int format_command_run(const FormatCommand& command, FILE* out, FILE* err);
