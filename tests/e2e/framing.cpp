#include "tests/e2e/framing.h"

#include "diag/render.h"

namespace {

constexpr char kPrefix[] = "Content-Length: ";
constexpr size_t kPrefixSize = sizeof kPrefix - 1;

}  // namespace

bool split_frames(const std::string& output, std::vector<std::string>* bodies, std::string* problem) {
    size_t position = 0;
    while (position < output.size()) {
        if (output.compare(position, kPrefixSize, kPrefix) != 0) {
            *problem = "expected a Content-Length header at byte " + std::to_string(position);
            return false;
        }
        size_t digits = position + kPrefixSize;
        size_t end = digits;
        size_t length = 0;
        while (end < output.size() && output[end] >= '0' && output[end] <= '9' && end - digits < 10) {
            length = length * 10 + static_cast<size_t>(output[end] - '0');
            ++end;
        }
        if (end == digits || output.compare(end, 4, "\r\n\r\n") != 0) {
            *problem = "malformed header at byte " + std::to_string(position);
            return false;
        }
        size_t body = end + 4;
        if (output.size() - body < length) {
            *problem = "truncated body at byte " + std::to_string(body);
            return false;
        }
        bodies->push_back(output.substr(body, length));
        position = body + length;
    }
    return true;
}

std::string frame(const std::string& body) {
    return kPrefix + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string json_string(const std::string& text) {
    std::string literal = "\"";
    json_append_escaped(&literal, text.data(), text.size());
    return literal + "\"";
}
