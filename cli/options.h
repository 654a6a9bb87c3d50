#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// What the command line asked for. File names point into argv.
enum OutputFormat : int32_t {
    OUTPUT_TEXT = 0,
    OUTPUT_JSON = 1,
    OUTPUT_SARIF = 2,   // one SARIF 2.1.0 log of every file, at the end
    OUTPUT_GITHUB = 3,  // GitHub workflow annotation lines
};

struct CheckOptions {
    OutputFormat format;
    int32_t dump;          // print the syntax tree after a file's diagnostics
    int32_t tree;          // print the concrete syntax tree (any text) after them
    int32_t fix;           // apply the preferred fixes to the files first
    int32_t diff;          // with fix: print the change instead of writing it
    int32_t show_help;
    int32_t show_version;
    const char** files;    // owned array of borrowed names; "-" is standard input
    size_t file_count;
};

enum OptionsResult : int32_t {
    OPTIONS_OK = 0,
    OPTIONS_USAGE_ERROR = 1,
};

// Reads argv[1..argc). On a usage error, `problem` receives a one-line
// description (without the program name or a line break). "--" ends the
// options; a lone "-" is a file name. Options and files may be mixed.
OptionsResult parse_check_options(int argc, char** argv, CheckOptions* options, char* problem,
                                  size_t problem_size);

void check_options_free(CheckOptions* options);

void print_usage(FILE* stream);
