// tovel-fmt: lays Tovel files out in the one layout the editor features
// use too, for people and for build pipelines (`tovel-fmt --check`).
#include <cstdio>
#include <string>

#include "cli/format_command.h"

int main(int argc, char** argv) {
    FormatCommand command;
    std::string problem;
    if (!format_command_parse(argc, argv, &command, &problem)) {
        std::fprintf(stderr, "tovel-fmt: %s\n", problem.c_str());
        std::fprintf(stderr, "Try 'tovel-fmt --help' for more information.\n");
        return kFormatExitTrouble;
    }
    if (command.show_help) {
        format_command_usage(stdout);
    } else if (command.show_version) {
        std::fputs("tovel-fmt 0.1.0\n", stdout);
    } else {
        return format_command_run(command, stdout, stderr);
    }
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? kFormatExitDone : kFormatExitTrouble;
}
