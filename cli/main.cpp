// tovel-check: checks Tovel files from the command line with the same front
// end and the same messages as the language server, for people and for
// build pipelines that have no editor at hand.

#include <cstdio>
#include <cstring>

#include <string>

#include "cli/check_source.h"
#include "cli/fix_file.h"
#include "cli/report_formats.h"
#include "cli/options.h"
#include "cli/source_file.h"
#include "text/unified_diff.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

constexpr int kExitClean = 0;
constexpr int kExitErrorsFound = 1;
constexpr int kExitTrouble = 2;

constexpr const char* kVersionLine = "tovel-check 0.1.0\n";

// --fix and --diff: the fixed text (true when it differs), written over
// the file or shown as a diff. A file holding a zero byte is not fixed:
// the front end reads only up to it, and rewriting would drop the rest.
bool fix_source(const char* name, const SourceText& source, bool diff_only, std::string* fixed, bool* trouble) {
    if (std::strlen(source.bytes) != source.length) {
        fflush(stdout);
        fprintf(stderr, "tovel-check: %s: holds a zero byte; not fixed\n", source_display_name(name));
        *trouble = true;
        return false;
    }
    int rounds = 0;
    *fixed = fix_text(source.bytes, &rounds);
    if (rounds == 0) return false;
    if (diff_only) {
        std::string diff = unified_diff(source.bytes, *fixed, source_display_name(name), source_display_name(name));
        fwrite(diff.data(), 1, diff.size(), stdout);
        return true;
    }
    char reason[512];
    if (!replace_file_atomically(name, *fixed, reason, sizeof reason)) {
        fflush(stdout);
        fprintf(stderr, "tovel-check: %s: %s\n", source_display_name(name), reason);
        *trouble = true;
        return false;
    }
    return true;
}

// Checks every file in argument order; a file that cannot be read is
// reported and skipped so the others still get checked.
int check_files(const CheckOptions* options) {
    bool errors_found = false;
    bool trouble = false;
    SarifLog sarif;
    for (size_t i = 0; i < options->file_count; ++i) {
        const char* name = options->files[i];
        SourceText source;
        char reason[256];
        if (!read_source(name, &source, reason, sizeof reason)) {
            // Keep the order of messages on a shared terminal sensible.
            fflush(stdout);
            fprintf(stderr, "tovel-check: %s: %s\n", source_display_name(name), reason);
            trouble = true;
            continue;
        }
        std::string fixed;
        const char* text = source.bytes;
        if (options->fix && fix_source(name, source, options->diff != 0, &fixed, &trouble)) text = fixed.c_str();
        if (check_source(text, source_display_name(name), options, stdout, &sarif)) {
            errors_found = true;
        }
        source_free(&source);
    }
    if (options->format == OUTPUT_SARIF) sarif.write(stdout);
    if (fflush(stdout) != 0 || ferror(stdout)) {
        fprintf(stderr, "tovel-check: cannot write the results to standard output\n");
        return kExitTrouble;
    }
    return trouble ? kExitTrouble : errors_found ? kExitErrorsFound : kExitClean;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // Sources are bytes, and output lines end in a bare line feed.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    CheckOptions options;
    char problem[512];
    if (parse_check_options(argc, argv, &options, problem, sizeof problem) != OPTIONS_OK) {
        fprintf(stderr, "tovel-check: %s\n", problem);
        fprintf(stderr, "Try 'tovel-check --help' for more information.\n");
        check_options_free(&options);
        return kExitTrouble;
    }
    int status = kExitClean;
    if (options.show_help) {
        print_usage(stdout);
    } else if (options.show_version) {
        fputs(kVersionLine, stdout);
    } else {
        status = check_files(&options);
    }
    if (status == kExitClean && (fflush(stdout) != 0 || ferror(stdout))) {
        status = kExitTrouble;
    }
    check_options_free(&options);
    return status;
}
