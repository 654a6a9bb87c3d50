#include "lsp/uri.h"

#include <cstring>
#include <vector>

#include "text/percent_encoding.h"

namespace {

// "/a/./b/../c" -> "/a/c"; `..` never climbs above the root.
std::string without_dot_segments(const std::string& path) {
    std::vector<std::string> segments;
    size_t start = 1;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        std::string segment = path.substr(start, end - start);
        bool last = end == path.size();
        if (segment == "..") {
            if (!segments.empty()) segments.pop_back();
            if (last) segments.emplace_back();
        } else if (segment == ".") {
            if (last) segments.emplace_back();
        } else {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::string out;
    for (const std::string& segment : segments) out += "/" + segment;
    return out.empty() ? "/" : out;
}

}  // namespace

bool uri_resolve(const char* base, const std::string& path, std::string* resolved) {
    const char* scheme_end = std::strstr(base, "://");
    if (scheme_end == nullptr || path.empty()) return false;
    const char* path_start = std::strchr(scheme_end + 3, '/');
    if (path_start == nullptr) return false;
    std::string prefix(base, static_cast<size_t>(path_start - base));
    std::string base_path(path_start);
    base_path = base_path.substr(0, base_path.find_first_of("?#"));
    std::string joined = path[0] == '/' ? percent_encoded(path)
                                        : base_path.substr(0, base_path.rfind('/') + 1) + percent_encoded(path);
    *resolved = prefix + without_dot_segments(joined);
    return true;
}
