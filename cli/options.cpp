#include "cli/options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "diag/memory.h"

namespace {

bool parse_format_name(const char* name, OutputFormat* format) {
    if (strcmp(name, "text") == 0) {
        *format = OUTPUT_TEXT;
        return true;
    }
    if (strcmp(name, "json") == 0) {
        *format = OUTPUT_JSON;
        return true;
    }
    if (strcmp(name, "sarif") == 0) {
        *format = OUTPUT_SARIF;
        return true;
    }
    if (strcmp(name, "github") == 0) {
        *format = OUTPUT_GITHUB;
        return true;
    }
    return false;
}

bool starts_with(const char* text, const char* prefix) {
    return strncmp(text, prefix, strlen(prefix)) == 0;
}

OptionsResult usage_problem(char* problem, size_t size, const char* format, const char* detail) {
    snprintf(problem, size, format, detail);
    return OPTIONS_USAGE_ERROR;
}

}  // namespace

OptionsResult parse_check_options(int argc, char** argv, CheckOptions* options, char* problem,
                                  size_t problem_size) {
    *options = CheckOptions{OUTPUT_TEXT, 0, 0, 0, 0, 0, 0, nullptr, 0};
    if (problem_size > 0) {
        problem[0] = '\0';
    }
    if (argc > 1) {
        options->files = static_cast<const char**>(
            alloc_or_abort(sizeof(const char*) * static_cast<size_t>(argc - 1)));
    }
    bool options_ended = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (options_ended || arg[0] != '-' || strcmp(arg, "-") == 0) {
            options->files[options->file_count++] = arg;
        } else if (strcmp(arg, "--") == 0) {
            options_ended = true;
        } else if (strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0) {
            options->show_help = 1;
        } else if (strcmp(arg, "--version") == 0) {
            options->show_version = 1;
        } else if (strcmp(arg, "--dump") == 0) {
            options->dump = 1;
        } else if (strcmp(arg, "--tree") == 0) {
            options->tree = 1;
        } else if (strcmp(arg, "--fix") == 0) {
            options->fix = 1;
        } else if (strcmp(arg, "--diff") == 0) {
            options->fix = 1;
            options->diff = 1;
        } else if (starts_with(arg, "--format=")) {
            const char* name = arg + strlen("--format=");
            if (!parse_format_name(name, &options->format)) {
                return usage_problem(problem, problem_size,
                                     "unknown format '%s' (use text, json, sarif or github)", name);
            }
        } else if (strcmp(arg, "--format") == 0) {
            if (i + 1 >= argc) {
                return usage_problem(problem, problem_size, "%s needs a value (text, json, sarif or github)", arg);
            }
            const char* name = argv[++i];
            if (!parse_format_name(name, &options->format)) {
                return usage_problem(problem, problem_size,
                                     "unknown format '%s' (use text, json, sarif or github)", name);
            }
        } else {
            return usage_problem(problem, problem_size, "unknown option '%s'", arg);
        }
    }
    // Help and version answer on their own; only a real check needs files.
    if (options->file_count == 0 && !options->show_help && !options->show_version) {
        return usage_problem(problem, problem_size, "%s", "no input files (use - for standard input)");
    }
    for (size_t i = 0; i < options->file_count; ++i) {
        if (options->fix && !options->diff && strcmp(options->files[i], "-") == 0) {
            return usage_problem(problem, problem_size, "%s", "--fix cannot rewrite standard input (use --diff)");
        }
    }
    return OPTIONS_OK;
}

void check_options_free(CheckOptions* options) {
    free(options->files);
    options->files = nullptr;
    options->file_count = 0;
}

void print_usage(FILE* stream) {
    fputs("usage: tovel-check [options] FILE...\n"
          "Checks Tovel source files and prints their diagnostics, one per line.\n"
          "A FILE of - reads standard input (reported as <stdin>).\n"
          "\n"
          "options:\n"
          "  --format=text   diagnostic lines for people (default)\n"
          "  --format=json   one JSON object per line for tools\n"
          "  --format=sarif  one SARIF 2.1.0 log of every file, for code scanning\n"
          "  --format=github GitHub Actions annotation lines (::error file=...)\n"
          "  --dump          after a file's diagnostics, print its syntax tree\n"
          "                  (only when the file parsed)\n"
          "  --tree          after a file's diagnostics, print its concrete syntax\n"
          "                  tree, byte ranges, ERROR and MISSING nodes marked\n"
          "                  (any file, also one with mistakes)\n"
          "  --fix           apply the fixes the editor would prefer, again until\n"
          "                  none is left, then report what remains; each file\n"
          "                  is replaced whole (written beside it, then renamed)\n"
          "                  and left untouched when nothing applies\n"
          "  --diff          with or instead of --fix: print the change as a\n"
          "                  unified diff and write nothing\n"
          "  --help, -h      show this help and exit\n"
          "  --version       show the version and exit\n"
          "  --              treat every later argument as a file name\n"
          "\n"
          "exit status: 0 no errors, 1 at least one error diagnostic,\n"
          "2 usage error or a file that could not be read.\n",
          stream);
}
