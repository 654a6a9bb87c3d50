// The mistakes a user makes while typing, as edits that can be made at
// every line of a correct file: for the locality tests of the syntax tree
// and of the editor features read off it.
#pragma once

#include <cctype>
#include <cstddef>
#include <string>
#include <vector>

namespace typing_mistakes {

struct Line {
    size_t start, end;  // end excludes the line feed
};

inline std::vector<Line> lines_of(const std::string& text) {
    std::vector<Line> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back({start, end});
        start = end + 1;
    }
    return lines;
}

// Replace `removed` bytes at `at` by `inserted`; `fits` is false when the
// mistake cannot be made on the line.
struct Edit {
    bool fits = false;
    size_t at = 0;
    size_t removed = 0;
    std::string inserted;

    std::string apply(const std::string& text) const {
        return text.substr(0, at) + inserted + text.substr(at + removed);
    }
    // Where a byte of the correct text stands after the edit (bytes in the
    // removed stretch map to the edit's place).
    size_t map(size_t offset) const {
        if (offset < at) return offset;
        if (offset < at + removed) return at;
        return offset - removed + inserted.size();
    }
    // The same, but a byte in the removed stretch maps to the byte before
    // the edit: where a line's end moves when its line is deleted.
    size_t map_left(size_t offset) const {
        if (offset >= at && offset < at + removed) return at == 0 ? 0 : at - 1;
        return map(offset);
    }
};

enum Kind { UNCLOSED_PAREN, UNCLOSED_BRACKET, UNCLOSED_STRING, DELETED_CLOSING_LINE, STRAY_END, MISSPELLED_WORD };

inline Edit erase_last(const std::string& text, Line line, char c) {
    size_t at = text.rfind(c, line.end);
    if (at == std::string::npos || at < line.start) return {};
    return {true, at, 1, ""};
}

inline size_t first_word(const std::string& text, Line line) {
    size_t at = line.start;
    while (at < line.end && text[at] == ' ') ++at;
    return at < line.end && std::isalpha(static_cast<unsigned char>(text[at])) ? at : std::string::npos;
}

inline Edit make(Kind kind, const std::string& t, Line l) {
    switch (kind) {
    case UNCLOSED_PAREN: return erase_last(t, l, ')');
    case UNCLOSED_BRACKET: return erase_last(t, l, ']');
    case UNCLOSED_STRING: return erase_last(t, l, '"');
    case DELETED_CLOSING_LINE: {
        size_t at = first_word(t, l);
        if (at == std::string::npos) return {};
        if (t.compare(at, 4, "end ") != 0 && t.compare(at, 4, "next") != 0 && t.compare(at, 5, "until") != 0) return {};
        return {true, l.start, std::min(l.end + 1, t.size()) - l.start, ""};
    }
    case STRAY_END: return {true, std::min(l.end + 1, t.size()), 0, "end while\n"};
    case MISSPELLED_WORD: {
        size_t at = first_word(t, l);
        if (at == std::string::npos) return {};
        return {true, at, 0, std::string(1, t[at])};
    }
    }
    return {};
}

struct Named {
    Kind kind;
    const char* name;
};

constexpr Named kAll[] = {
    {UNCLOSED_PAREN, "unclosed ("},          {UNCLOSED_BRACKET, "unclosed ["},
    {UNCLOSED_STRING, "unclosed string"},    {DELETED_CLOSING_LINE, "deleted closing line"},
    {STRAY_END, "stray end while"},          {MISSPELLED_WORD, "misspelled first word"},
};

}  // namespace typing_mistakes
