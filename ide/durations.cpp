#include "ide/durations.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "lexer/duration_units.h"

namespace {

int32_t unit_of(const Token& token) {
    return token.kind == TOKEN_IDENT ? duration_unit_of(token.start, static_cast<size_t>(token.length)) : -1;
}

bool is_duration_pair(const Outline& o, size_t number) {
    return number + 1 < o.tokens.size() && o.tokens[number].kind == TOKEN_NUMBER &&
           o.tokens[number + 1].line == o.tokens[number].line && unit_of(o.tokens[number + 1]) >= 0;
}

}  // namespace

bool duration_run_starts(const Outline& o, size_t token) {
    return is_duration_pair(o, token) && !(token >= 2 && is_duration_pair(o, token - 2));
}

bool duration_run_at(const Outline& o, size_t token, DurationRun* run) {
    size_t pair = o.tokens[token].kind == TOKEN_NUMBER ? token : token - (token > 0 ? 1 : 0);
    if (!is_duration_pair(o, pair)) return false;
    size_t first = pair;
    while (first >= 2 && is_duration_pair(o, first - 2)) first -= 2;
    *run = {first, first, 0, false};
    for (size_t i = first; is_duration_pair(o, i); i += 2) {
        const DurationUnit& unit = kDurationUnits[unit_of(o.tokens[i + 1])];
        run->calendar |= unit.calendar;
        run->seconds += std::trunc(std::strtod(token_text(o.tokens[i]).c_str(), nullptr)) * static_cast<double>(unit.seconds);
        run->last = i + 1;
    }
    return true;
}

std::string duration_seconds_text(double seconds) {
    char total[64];
    std::snprintf(total, sizeof total, "%.0f", seconds);
    return total;
}
