#include "tests/e2e/transcript.h"

#include <dirent.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <sstream>

#include "tests/e2e/framing.h"

namespace {

enum class Pending { kNone, kSend, kExpect, kRaw };

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool starts_with(const std::string& line, const char* prefix, std::string* rest) {
    std::string p(prefix);
    if (line.compare(0, p.size(), p) != 0) {
        return false;
    }
    *rest = line.substr(p.size());
    return true;
}

struct Parser {
    Transcript* transcript = nullptr;
    Pending pending = Pending::kNone;
    std::string text;  // text of the pending directive so far

    bool flush(std::string* problem) {
        switch (pending) {
        case Pending::kSend:
            transcript->input += frame(text);
            break;
        case Pending::kExpect:
            transcript->expected.push_back(text);
            break;
        case Pending::kRaw: {
            std::string bytes;
            if (!unescape_bytes(text, &bytes)) {
                *problem = "bad escape in raw line: " + text;
                return false;
            }
            transcript->input += bytes;
            break;
        }
        case Pending::kNone:
            break;
        }
        pending = Pending::kNone;
        text.clear();
        return true;
    }

    bool line(const std::string& line, std::string* problem) {
        if (!line.empty() && (line[0] == ' ' || line[0] == '\t') && pending != Pending::kNone) {
            text += line.substr(line.find_first_not_of(" \t") == std::string::npos
                                    ? line.size()
                                    : line.find_first_not_of(" \t"));
            return true;
        }
        if (!flush(problem)) {
            return false;
        }
        std::string rest;
        if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') {
            return true;
        }
        if (starts_with(line, "--> ", &rest)) {
            pending = Pending::kSend;
        } else if (starts_with(line, "<-- ", &rest)) {
            pending = Pending::kExpect;
        } else if (starts_with(line, "raw ", &rest)) {
            pending = Pending::kRaw;
        } else if (starts_with(line, "repeat ", &rest)) {
            return repeat(rest, problem);
        } else if (starts_with(line, "exit ", &rest)) {
            transcript->exit_status = atoi(rest.c_str());
            return true;
        } else {
            *problem = "unknown line: " + line;
            return false;
        }
        text = rest;
        return true;
    }

    bool repeat(const std::string& rest, std::string* problem) {
        size_t blank = rest.find(' ');
        long count = strtol(rest.c_str(), nullptr, 10);
        std::string bytes;
        if (blank == std::string::npos || count <= 0 || !unescape_bytes(rest.substr(blank + 1), &bytes)) {
            *problem = "bad repeat line: " + rest;
            return false;
        }
        for (long i = 0; i < count; ++i) {
            transcript->input += bytes;
        }
        return true;
    }
};

}  // namespace

bool unescape_bytes(const std::string& text, std::string* bytes) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes->push_back(text[i]);
            continue;
        }
        if (++i >= text.size()) {
            return false;
        }
        switch (text[i]) {
        case 'r': bytes->push_back('\r'); break;
        case 'n': bytes->push_back('\n'); break;
        case 't': bytes->push_back('\t'); break;
        case '\\': bytes->push_back('\\'); break;
        case 'x': {
            int high = i + 1 < text.size() ? hex_value(text[i + 1]) : -1;
            int low = i + 2 < text.size() ? hex_value(text[i + 2]) : -1;
            if (high < 0 || low < 0) {
                return false;
            }
            bytes->push_back(static_cast<char>(high * 16 + low));
            i += 2;
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

bool parse_transcript(const std::string& text, Transcript* transcript, std::string* problem) {
    Parser parser;
    parser.transcript = transcript;
    std::istringstream stream(text);
    std::string line;
    int number = 0;
    while (std::getline(stream, line)) {
        ++number;
        if (!parser.line(line, problem)) {
            *problem = "line " + std::to_string(number) + ": " + *problem;
            return false;
        }
    }
    if (!parser.flush(problem)) {
        return false;
    }
    if (transcript->exit_status < 0) {
        *problem = "missing exit line";
        return false;
    }
    return true;
}

std::string rewrite_transcript(const std::string& text, const std::vector<std::string>& bodies,
                               int exit_status) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);

    // An expectation that still holds keeps its lines as written (wrapped).
    Transcript recorded;
    std::string problem;
    parse_transcript(text, &recorded, &problem);

    std::vector<std::string> out;
    size_t next_body = 0;
    size_t after_last_expectation = std::string::npos;
    bool in_expectation = false;
    bool keeping = false;
    for (const std::string& line : lines) {
        bool continuation = !line.empty() && (line[0] == ' ' || line[0] == '\t');
        if (in_expectation && continuation) {
            if (keeping) {
                out.push_back(line);
                after_last_expectation = out.size();
            }
            continue;
        }
        in_expectation = false;
        if (line.rfind("<-- ", 0) == 0 || line == "<--") {
            in_expectation = true;
            keeping = false;
            if (next_body < bodies.size()) {
                keeping = next_body < recorded.expected.size() &&
                          recorded.expected[next_body] == bodies[next_body];
                out.push_back(keeping ? line : "<-- " + bodies[next_body]);
                ++next_body;
                after_last_expectation = out.size();
            }
            continue;
        }
        if (line.rfind("exit ", 0) == 0) {
            if (after_last_expectation == std::string::npos) after_last_expectation = out.size();
            out.push_back("exit " + std::to_string(exit_status));
            continue;
        }
        out.push_back(line);
    }
    if (after_last_expectation == std::string::npos) after_last_expectation = out.size();
    std::vector<std::string> surplus;
    for (; next_body < bodies.size(); ++next_body) surplus.push_back("<-- " + bodies[next_body]);
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(after_last_expectation), surplus.begin(),
               surplus.end());
    std::string result;
    for (const std::string& line : out) result += line + "\n";
    return result;
}

std::string transcript_dir() { return std::string(TOVEL_SOURCE_DIR) + "/tests/e2e/transcripts"; }

std::vector<std::string> transcript_names() {
    std::vector<std::string> names;
    if (DIR* dir = opendir(transcript_dir().c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0) {
                names.push_back(name.substr(0, name.size() - 4));
            }
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}
