// The search for the `}` that closes a brace prefix. It runs from the
// prefix's name to the end of the line: double-quoted parts (with their
// backslash escapes) are skipped and nested `{`/`}` pairs are matched.
//
// A search that finds its close costs no more than the bytes the prefix
// then consumes. A search that fails has walked to the end of the line and
// consumed nothing, and one line may hold many such braces, as in
// `(x {a {b} > 1) and (y {a {b} > 2) and ...`, each searching to the same
// line end. So the lexer remembers where a search failed and where that
// line ends, and a second failure there works out the answer for every
// later start on the line in one right-to-left pass; the searches after it
// look theirs up. Only such lines cost memory.
#include <cstdint>
#include <vector>

#include "lexer/scanner_internal.h"

namespace scanner {
namespace {

// In prefix_closes: a search from that start finds no close. Otherwise an
// entry is the offset of the close from prefix_failed_from.
constexpr int32_t kNoClose = -1;

// The plain search from `p`: returns the close, or null after storing in
// *line_end where the line ends.
const char* search_close(const char* p, const char** line_end) {
    bool in_string = false;
    int32_t nested = 0;
    for (;; ++p) {
        char c = *p;
        if (c == '\0' || c == '\n') break;
        if (in_string) {
            if (c == '"') {
                in_string = false;
            } else if (c == '\\') {
                // The escaped byte is ordinary, but a prefix never reaches
                // past its line: an escaped line feed ends the search too.
                if (p[1] == '\0' || p[1] == '\n') {
                    ++p;
                    break;
                }
                ++p;
            }
        } else if (c == '"') {
            in_string = true;
        } else if (c == '{') {
            ++nested;
        } else if (c == '}') {
            if (nested == 0) return p;
            --nested;
        }
    }
    *line_end = p;
    return nullptr;
}

// Fills the table for starts from `from` up to the line's end. Going right
// to left, each start's answer follows from answers further right: a `}`
// is its own close; a `{` first needs the close of its nested pair, then
// the close searched from just after that; a `"` needs the end of its
// quoted part, then the close searched from just after that.
void build_table(Lexer* lexer, const char* from) {
    const int32_t length = static_cast<int32_t>(lexer->prefix_failed_end - from);
    std::vector<int32_t>& closes = lexer->prefix_closes;
    closes.assign(static_cast<size_t>(length) + 1, kNoClose);
    // The closing quote found by a walk inside a quoted part from offset
    // i + 1 and i + 2; the end of the line closes nothing.
    int32_t quote_from_next = kNoClose;
    int32_t quote_from_second = kNoClose;
    for (int32_t i = length - 1; i >= 0; --i) {
        const char c = from[i];
        int32_t quote_here = quote_from_next;
        if (c == '"') {
            quote_here = i;
        } else if (c == '\\') {
            quote_here = i + 1 == length ? kNoClose : quote_from_second;
        }
        int32_t close = closes[static_cast<size_t>(i) + 1];
        if (c == '}') {
            close = i;
        } else if (c == '{' || c == '"') {
            int32_t inner_end = c == '{' ? close : quote_from_next;
            close = inner_end == kNoClose ? kNoClose : closes[static_cast<size_t>(inner_end) + 1];
        }
        closes[static_cast<size_t>(i)] = close;
        quote_from_second = quote_from_next;
        quote_from_next = quote_here;
    }
    lexer->prefix_failed_from = from;
}

bool on_failed_line(const Lexer* lexer, const char* from) {
    return lexer->prefix_failed_end != nullptr && from >= lexer->prefix_failed_from &&
           from <= lexer->prefix_failed_end;
}

}  // namespace

const char* find_prefix_close(Lexer* lexer, const char* from) {
    if (on_failed_line(lexer, from)) {
        // The table is never empty once built: it has an entry for the end.
        if (lexer->prefix_closes.empty()) build_table(lexer, from);
        int32_t close = lexer->prefix_closes[static_cast<size_t>(from - lexer->prefix_failed_from)];
        return close == kNoClose ? nullptr : lexer->prefix_failed_from + close;
    }
    const char* line_end = nullptr;
    const char* close = search_close(from, &line_end);
    if (close == nullptr && line_end - from < INT32_MAX) {
        lexer->prefix_failed_from = from;
        lexer->prefix_failed_end = line_end;
        lexer->prefix_closes.clear();
    }
    return close;
}

}  // namespace scanner
