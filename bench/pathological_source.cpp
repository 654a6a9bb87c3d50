#include "bench/pathological_source.h"

namespace {

// "é" is two bytes and one UTF-16 unit, the emoji four bytes and two units.
constexpr char kAccentsAndEmoji[] = "d\xC3\xA9j\xC3\xA0 vu \xF0\x9F\x98\x80 caf\xC3\xA9 \xF0\x9F\x8E\x89";

std::string one_line_of_escapes(size_t min_bytes, const std::string& ahead_of_escape) {
    std::string text = "x = [\"\\q\"";
    while (text.size() < min_bytes) {
        text += ", \"" + ahead_of_escape + "\\q\"";
    }
    text += "]\n";
    return text;
}

}  // namespace

std::string many_routes_source() {
    std::string text = "server api(port: 8080)\n";
    for (int i = 0; i < 30000; ++i) {
        text += "    get \"/r" + std::to_string(i) +
                "/{id}\"(req)\n        n = " + std::to_string(i) + "\n    end get\n";
    }
    text += "end server\n";
    return text;
}

std::string many_findings_source() {
    std::string text = "server api()\n";
    for (int i = 0; i < 30000; ++i) {
        std::string n = std::to_string(i / 3);
        switch (i % 3) {
        case 0:
            text += "    get \"/a" + n + "/\"(req)\n    end get\n";
            break;
        case 1:
            text += "    fetch \"/b" + n + "\"(req)\n    end fetch\n";
            break;
        default:
            text += "    get \"/c" + n + "/{x}\"(req)\n    end get\n    stream \"/c" + n +
                    "/{y}\"(req)\n    end stream\n";
            break;
        }
    }
    text += "end server\n";
    return text;
}

std::string repeated_route_source() {
    std::string text = "server api()\n";
    for (int i = 0; i < 30000; ++i) {
        text += "    get \"/same\"(req)\n    end get\n";
    }
    text += "end server\n";
    return text;
}

std::string repeated_declarations_source() {
    std::string text;
    for (int i = 0; i < 10000; ++i) {
        text += "server api()\nend server\n";
    }
    text += "server sites()\n";
    for (int i = 0; i < 10000; ++i) {
        text += "    web docs(host: \"docs.example\")\n    end web\n";
    }
    text += "end server\nserver options(port: 1";
    for (int i = 0; i < 10000; ++i) {
        text += ", port: 1";
    }
    text += ")\nend server\n";
    return text;
}

std::string findings_on_one_line_source(size_t min_bytes) {
    return one_line_of_escapes(min_bytes, "");
}

std::string multibyte_lines_source(size_t min_bytes) {
    std::string line = std::string("x = [\"") + kAccentsAndEmoji + kAccentsAndEmoji +
                       kAccentsAndEmoji + "\", \"" + kAccentsAndEmoji + "\\q\"]\n";
    std::string text;
    while (text.size() < min_bytes) {
        text += line;
    }
    return text;
}

std::string multibyte_one_line_source(size_t min_bytes) {
    return one_line_of_escapes(min_bytes, kAccentsAndEmoji);
}

std::string operator_chain_source(size_t terms) {
    std::string text = "total = t0";
    text.reserve(terms * 6);
    for (size_t i = 1; i < terms; ++i) {
        text += i % 3 == 0 ? " * t" : " + t";
        text += static_cast<char>('0' + i % 10);
    }
    text += '\n';
    return text;
}
