#include "cli/format_command.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "cli/fix_file.h"
#include "cli/source_file.h"
#include "ide/format.h"
#include "text/unified_diff.h"

namespace {

bool parse_indent(const char* value, uint32_t* indent) {
    if (value == nullptr || *value == '\0' || std::strlen(value) > 2) return false;
    uint32_t number = 0;
    for (const char* c = value; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9') return false;
        number = number * 10 + static_cast<uint32_t>(*c - '0');
    }
    if (number < 1 || number > kMaxIndentWidth) return false;
    *indent = number;
    return true;
}

enum Outcome : int32_t {
    OUTCOME_UNCHANGED,
    OUTCOME_CHANGED,    // formatted (or, with --check/--diff, would be)
    OUTCOME_REFUSED,    // does not parse, or cannot be rewritten whole
    OUTCOME_SKIPPED,    // found in a directory and does not parse
    OUTCOME_TROUBLE,    // not read or not written
    OUTCOME_INTERNAL,   // the layout would change the program
};

struct Run {
    const FormatCommand& command;
    FILE* out;
    FILE* err;
    bool changed = false;
    bool refused = false;
    bool trouble = false;
    bool internal = false;

    void note(Outcome outcome) {
        changed |= outcome == OUTCOME_CHANGED;
        refused |= outcome == OUTCOME_REFUSED;
        trouble |= outcome == OUTCOME_TROUBLE;
        internal |= outcome == OUTCOME_INTERNAL;
    }

    int status() const {
        if (internal) return kFormatExitInternal;
        if (trouble) return kFormatExitTrouble;
        if (refused || (command.check && changed)) return kFormatExitRefused;
        return kFormatExitDone;
    }

    void problem(const std::string& name, const char* format, const std::string& detail) {
        std::fflush(out);
        std::fprintf(err, "tovel-fmt: %s: ", name.c_str());
        std::fprintf(err, format, detail.c_str());
        std::fputc('\n', err);
    }
};

bool is_stdin(const std::string& name) { return name == "-"; }


// What becomes of the text once it is known: printed, listed, shown as a
// diff or written over the file.
Outcome deliver(Run* run, const std::string& name, const SourceText& source, const std::string* formatted) {
    const FormatCommand& command = run->command;
    bool changes = formatted != nullptr;
    std::string shown = std::string(source_display_name(name.c_str()));
    if (command.check && changes) std::fprintf(run->out, "%s\n", shown.c_str());
    if (command.diff && changes) {
        std::string diff = unified_diff(source.bytes, *formatted, shown, shown);
        std::fwrite(diff.data(), 1, diff.size(), run->out);
    }
    if (command.check || command.diff) return changes ? OUTCOME_CHANGED : OUTCOME_UNCHANGED;
    if (is_stdin(name)) {
        const std::string& text = changes ? *formatted : std::string(source.bytes, source.length);
        std::fwrite(text.data(), 1, text.size(), run->out);
        return changes ? OUTCOME_CHANGED : OUTCOME_UNCHANGED;
    }
    if (!changes) return OUTCOME_UNCHANGED;
    char reason[512];
    if (!replace_file_atomically(name.c_str(), *formatted, reason, sizeof reason)) {
        run->problem(name, "%s", reason);
        return OUTCOME_TROUBLE;
    }
    return OUTCOME_CHANGED;
}

// A text that is not formatted still goes through a filter whole, so an
// editor piping its buffer through `tovel-fmt -` never loses it.
void pass_through(Run* run, const std::string& name, const SourceText& source) {
    if (is_stdin(name) && !run->command.check && !run->command.diff) {
        std::fwrite(source.bytes, 1, source.length, run->out);
    }
}

Outcome format_text(Run* run, const std::string& name, const SourceText& source, bool found_in_directory) {
    std::string shown = std::string(source_display_name(name.c_str()));
    if (std::strlen(source.bytes) != source.length) {
        // The front end reads up to a zero byte; a rewrite would drop the rest.
        run->problem(shown, "%s", "holds a zero byte; not formatted");
        pass_through(run, name, source);
        return OUTCOME_REFUSED;
    }
    FormatOptions options;
    options.indent_width = run->command.indent;
    std::string formatted;
    FormatResult result = format_source(source.bytes, static_cast<uint32_t>(source.length), options, &formatted);
    if (result.status == FORMAT_SYNTAX_ERROR) {
        std::string where = shown + ":" + std::to_string(result.error_line) + ":" + std::to_string(result.error_column);
        run->problem(where, found_in_directory ? "skipped, it does not parse: %s" : "not formatted, it does not parse: %s",
                     result.error_message);
        pass_through(run, name, source);
        return found_in_directory ? OUTCOME_SKIPPED : OUTCOME_REFUSED;
    }
    if (result.status == FORMAT_UNSAFE) {
        run->problem(shown, "%s",
                     "internal error: the formatted text would not mean what the file means; nothing written");
        pass_through(run, name, source);
        return OUTCOME_INTERNAL;
    }
    return deliver(run, name, source, result.edits.empty() ? nullptr : &formatted);
}

Outcome format_file(Run* run, const std::string& name, bool found_in_directory) {
    SourceText source;
    char reason[256];
    if (!read_source(name.c_str(), &source, reason, sizeof reason)) {
        run->problem(std::string(source_display_name(name.c_str())), "%s", reason);
        return OUTCOME_TROUBLE;
    }
    Outcome outcome = format_text(run, name, source, found_in_directory);
    source_free(&source);
    return outcome;
}

bool has_tovel_suffix(const std::string& name) {
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".tov") == 0;
}

// The `.tov` files under `root`, in name order, hidden entries left out and
// linked directories not followed (so a link cycle cannot trap the walk).
bool tovel_files_under(Run* run, const std::string& root, std::vector<std::string>* files) {
    std::vector<std::string> pending{root};
    bool read_all = true;
    while (!pending.empty()) {
        std::string directory = pending.back();
        pending.pop_back();
        DIR* handle = opendir(directory.c_str());
        if (handle == nullptr) {
            run->problem(directory, "%s", std::strerror(errno));
            read_all = false;
            continue;
        }
        std::vector<std::string> names;
        while (const dirent* entry = readdir(handle)) {
            if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);
        }
        closedir(handle);
        std::sort(names.begin(), names.end());
        std::vector<std::string> subdirectories;
        for (const std::string& name : names) {
            std::string path = directory + (directory.back() == '/' ? "" : "/") + name;
            struct stat info;
            if (lstat(path.c_str(), &info) != 0) continue;
            if (S_ISDIR(info.st_mode)) {
                subdirectories.push_back(path);
            } else if (has_tovel_suffix(name) && (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode))) {
                files->push_back(path);
            }
        }
        // Depth first, in name order: the files of a directory, then each
        // subdirectory's.
        pending.insert(pending.end(), subdirectories.rbegin(), subdirectories.rend());
    }
    return read_all;
}

bool is_directory(const std::string& name) {
    struct stat info;
    return !is_stdin(name) && stat(name.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

bool format_command_parse(int argc, char** argv, FormatCommand* command, std::string* problem) {
    bool options_done = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (options_done || arg[0] != '-' || std::strcmp(arg, "-") == 0) {
            command->files.emplace_back(arg);
        } else if (std::strcmp(arg, "--") == 0) {
            options_done = true;
        } else if (std::strcmp(arg, "--check") == 0) {
            command->check = true;
        } else if (std::strcmp(arg, "--diff") == 0) {
            command->diff = true;
        } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            command->show_help = true;
        } else if (std::strcmp(arg, "--version") == 0) {
            command->show_version = true;
        } else if (std::strcmp(arg, "--indent") == 0 || std::strncmp(arg, "--indent=", 9) == 0) {
            const char* value = arg[8] == '=' ? arg + 9 : (i + 1 < argc ? argv[++i] : nullptr);
            if (!parse_indent(value, &command->indent)) {
                *problem = "--indent takes a number of spaces from 1 to " + std::to_string(kMaxIndentWidth);
                return false;
            }
        } else {
            *problem = std::string("unknown option '") + arg + "'";
            return false;
        }
    }
    if (command->files.empty() && !command->show_help && !command->show_version) {
        *problem = "no file given (use - for standard input)";
        return false;
    }
    return true;
}

void format_command_usage(FILE* out) {
    std::fputs(
        "usage: tovel-fmt [--check] [--diff] [--indent N] FILE...\n"
        "Lays Tovel source files out in the one Tovel layout, in place.\n"
        "A FILE of - reads standard input and writes the result to standard\n"
        "output; a directory stands for the .tov files under it.\n"
        "\n"
        "options:\n"
        "  --check       list the files that would change and write nothing;\n"
        "                exit 1 when there is one\n"
        "  --diff        print the changes as a unified diff and write nothing\n"
        "  --indent N    spaces per level, 1 to 16 (default 2)\n"
        "  --help, -h    show this help and exit\n"
        "  --version     show the version and exit\n"
        "  --            treat every later argument as a file name\n"
        "\n"
        "A file that does not parse is left as it is (named with the place\n"
        "of its first error); a file already laid out is not touched; any\n"
        "other is replaced whole (written beside it, then renamed).\n"
        "\n"
        "exit status: 0 done, 1 a change found by --check or a named file\n"
        "that does not parse, 2 usage error or a file not read or written,\n"
        "3 internal error (a layout that would change the program, withheld).\n",
        out);
}

int format_command_run(const FormatCommand& command, FILE* out, FILE* err) {
    Run run{command, out, err};
    for (const std::string& name : command.files) {
        if (!is_directory(name)) {
            run.note(format_file(&run, name, false));
            continue;
        }
        std::vector<std::string> files;
        if (!tovel_files_under(&run, name, &files)) run.trouble = true;
        for (const std::string& file : files) run.note(format_file(&run, file, true));
    }
    if (std::fflush(out) != 0 || std::ferror(out)) {
        std::fprintf(err, "tovel-fmt: cannot write to standard output\n");
        return kFormatExitTrouble;
    }
    return run.status();
}
