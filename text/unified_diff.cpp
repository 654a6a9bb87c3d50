// Line diff by the greedy algorithm of Myers ("An O(ND) Difference
// Algorithm"): cost grows with the size of the texts times the number of
// differing lines, and fixes and formatting change few. Past a bound on
// that number the changed middle is shown as one replacement, still a
// correct diff.
#include "text/unified_diff.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

constexpr int64_t kMaxDifferences = 4096;
constexpr size_t kContext = 3;

std::vector<std::string_view> lines_of(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string_view::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

enum Op : char { KEEP = ' ', REMOVE = '-', ADD = '+' };

struct Edit {
    Op op;
    size_t line;  // in the old text for KEEP and REMOVE, the new one for ADD
};

// The furthest-reaching x on each diagonal k = x - y, step by step: step d
// reaches diagonals -d..d, so its band holds 2d + 1 entries, and all the
// bands together grow with the square of the differences, not with the
// texts' size times them. Each band is a block of its own, so none is
// copied as they accumulate.
class Bands {
public:
    void add_step(int64_t d) { bands_.emplace_back(static_cast<size_t>(2 * d + 1), 0); }
    int32_t& at(int64_t d, int64_t k) { return bands_[static_cast<size_t>(d)][static_cast<size_t>(k + d)]; }

private:
    std::vector<std::vector<int32_t>> bands_;
};

// The shortest edit script between a[0..n) and b[0..m), or false when it
// is longer than kMaxDifferences.
bool myers(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b, std::vector<Edit>* script) {
    const int64_t n = static_cast<int64_t>(a.size());
    const int64_t m = static_cast<int64_t>(b.size());
    const int64_t max = std::min(n + m, kMaxDifferences);
    Bands bands;
    for (int64_t d = 0; d <= max; ++d) {
        bands.add_step(d);
        for (int64_t k = -d; k <= d; k += 2) {
            // Down from diagonal k + 1 (a line added) or right from k - 1 (one removed).
            bool down = d > 0 && (k == -d || (k != d && bands.at(d - 1, k - 1) < bands.at(d - 1, k + 1)));
            int64_t x = d == 0 ? 0 : down ? bands.at(d - 1, k + 1) : bands.at(d - 1, k - 1) + 1;
            int64_t y = x - k;
            while (x < n && y < m && a[static_cast<size_t>(x)] == b[static_cast<size_t>(y)]) ++x, ++y;
            bands.at(d, k) = static_cast<int32_t>(x);
            if (x >= n && y >= m) {
                // Walk the steps back from (n, m).
                std::vector<Edit> reversed;
                int64_t cx = n, cy = m;
                for (int64_t back = d; back > 0; --back) {
                    int64_t ck = cx - cy;
                    bool came_down = ck == -back || (ck != back && bands.at(back - 1, ck - 1) < bands.at(back - 1, ck + 1));
                    int64_t pk = came_down ? ck + 1 : ck - 1;
                    int64_t px = bands.at(back - 1, pk);
                    int64_t py = px - pk;
                    while (cx > px + (came_down ? 0 : 1) && cy > py + (came_down ? 1 : 0)) reversed.push_back({KEEP, static_cast<size_t>(--cx)}), --cy;
                    if (came_down) reversed.push_back({ADD, static_cast<size_t>(--cy)});
                    else reversed.push_back({REMOVE, static_cast<size_t>(--cx)});
                }
                while (cx > 0 && cy > 0) reversed.push_back({KEEP, static_cast<size_t>(--cx)}), --cy;
                script->assign(reversed.rbegin(), reversed.rend());
                return true;
            }
        }
    }
    return false;
}

// Every old line removed and every new one added, around the common ends.
void replacement(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b, std::vector<Edit>* script) {
    size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
    size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) ++tail;
    for (size_t i = 0; i < head; ++i) script->push_back({KEEP, i});
    for (size_t i = head; i < a.size() - tail; ++i) script->push_back({REMOVE, i});
    for (size_t i = head; i < b.size() - tail; ++i) script->push_back({ADD, i});
    for (size_t i = a.size() - tail; i < a.size(); ++i) script->push_back({KEEP, i});
}

void append_line(std::string* out, char op, std::string_view line) {
    *out += op;
    *out += line;
    if (line.empty() || line.back() != '\n') *out += "\n\\ No newline at end of file\n";
}

}  // namespace

std::string unified_diff(std::string_view before, std::string_view after, std::string_view before_label,
                         std::string_view after_label) {
    if (before == after) return "";
    std::vector<std::string_view> a = lines_of(before);
    std::vector<std::string_view> b = lines_of(after);
    std::vector<Edit> script;
    if (!myers(a, b, &script)) {
        script.clear();
        replacement(a, b, &script);
    }
    std::string out = "--- " + std::string(before_label) + "\n+++ " + std::string(after_label) + "\n";
    // Old and new line numbers before each step of the script.
    std::vector<size_t> old_at(script.size() + 1, 0), new_at(script.size() + 1, 0);
    for (size_t i = 0; i < script.size(); ++i) {
        old_at[i + 1] = old_at[i] + (script[i].op != ADD);
        new_at[i + 1] = new_at[i] + (script[i].op != REMOVE);
    }
    size_t i = 0;
    while (i < script.size()) {
        while (i < script.size() && script[i].op == KEEP) ++i;
        if (i == script.size()) break;
        // A hunk: from kContext kept lines before the change to kContext
        // after the last change closer than twice that.
        size_t start = i >= kContext ? i - kContext : 0;
        while (start < i && script[start].op != KEEP) ++start;
        size_t end = i;
        for (size_t kept = 0; end < script.size(); ++end) {
            kept = script[end].op == KEEP ? kept + 1 : 0;
            if (kept > 2 * kContext) break;
        }
        size_t stop = end;
        while (stop > i && script[stop - 1].op == KEEP) --stop;
        stop = std::min(stop + kContext, script.size());
        size_t old_count = old_at[stop] - old_at[start];
        size_t new_count = new_at[stop] - new_at[start];
        out += "@@ -" + std::to_string(old_count == 0 ? old_at[start] : old_at[start] + 1) + "," + std::to_string(old_count) +
               " +" + std::to_string(new_count == 0 ? new_at[start] : new_at[start] + 1) + "," + std::to_string(new_count) + " @@\n";
        for (size_t s = start; s < stop; ++s) {
            const Edit& edit = script[s];
            append_line(&out, edit.op, edit.op == ADD ? b[edit.line] : a[edit.line]);
        }
        i = stop;
    }
    return out;
}
