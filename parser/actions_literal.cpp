// Semantic actions for durations (`2 days 3 hours`) and the policies of
// record fields (`count(reset 0): 5`).

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "diag/ascii.h"
#include "lexer/duration_units.h"
#include "parser/actions.h"
#include "parser/error_report.h"

Duration duration_zero(void) {
    Duration zero;
    std::memset(&zero, 0, sizeof zero);
    return zero;
}

// The count a term contributes: the number truncated toward zero. A number
// beyond the 32-bit range (1e12 days) is held at the range's end instead of
// wrapping into nonsense.
static int32_t term_count(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return INT32_MAX;
    if (value <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(value);
}

static int32_t saturating_add(int32_t a, int32_t b) {
    int64_t sum = static_cast<int64_t>(a) + b;
    if (sum > INT32_MAX) return INT32_MAX;
    if (sum < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(sum);
}

// The count a unit word adds to, or null when the word is no unit. Units
// are compared exactly: `Day` is not a unit.
static int32_t* unit_count(Duration* duration, const char* unit) {
    // In the order of the unit table.
    static int32_t Duration::*const counts[DURATION_UNIT_COUNT] = {
        &Duration::years, &Duration::months,  &Duration::weeks,   &Duration::days,
        &Duration::hours, &Duration::minutes, &Duration::seconds,
    };
    int32_t index = duration_unit_of(unit, std::strlen(unit));
    return index < 0 ? nullptr : &(duration->*counts[index]);
}

Duration add_duration_term(Duration duration, NumberValue number, char* unit, char** bad_unit) {
    int32_t* count = unit_count(&duration, unit);
    if (!count) {
        if (*bad_unit) {
            tree_free(unit);
        } else {
            *bad_unit = unit;
        }
        return duration;
    }
    *count = saturating_add(*count, term_count(number.value));
    tree_free(unit);
    return duration;
}

const char* operator_word_hint(const char* word) {
    if (std::strcmp(word, "mod") == 0) return "the remainder is mod(a, b)";
    if (std::strcmp(word, "xor") == 0) return "bitwise XOR is bxor(a, b)";
    if (std::strcmp(word, "div") == 0) return "integer division is floor(a / b)";
    return nullptr;
}

void report_unknown_unit(ParseContext* context, char* unit, SourceSpan where) {
    // `10 mod 3` parses as a duration with the unit `mod`: explain the
    // operator rather than the unit.
    char lowered[32];
    size_t length = 0;
    for (; length < sizeof lowered - 1 && unit[length]; ++length) {
        lowered[length] = ascii_lower(unit[length]);
    }
    lowered[length] = '\0';
    char message[256];
    const char* hint = operator_word_hint(lowered);
    if (hint) {
        std::snprintf(message, sizeof message, "'%s' is not an operator in Tovel; %s", unit, hint);
    } else {
        std::snprintf(message, sizeof message,
                      "unknown duration unit '%s' -- the units are year, month, week, day, hour, "
                      "minute and second, singular or plural",
                      unit);
    }
    tree_free(unit);
    report_parse_error(context, where.start_line, where.start_column, where.end_line,
                       where.end_column, message);
}

int32_t duration_term(ParseContext* context, Duration base, NumberValue number, char* unit,
                      SourceSpan unit_at, Duration* out) {
    char* bad_unit = nullptr;
    Duration result = add_duration_term(base, number, unit, &bad_unit);
    if (bad_unit) {
        report_unknown_unit(context, bad_unit, unit_at);
        return 0;
    }
    *out = result;
    return 1;
}

int32_t policy_word(ParseContext* context, char* word, PolicySpec* out) {
    static const struct {
        const char* word;
        FieldPolicy policy;
    } policies[] = {{"copy", FIELD_COPY}, {"link", FIELD_LINK}, {"exclude", FIELD_EXCLUDE}};
    for (const auto& entry : policies) {
        if (std::strcmp(word, entry.word) == 0) {
            tree_free(word);
            out->policy = entry.policy;
            out->reset_value = nullptr;
            return 1;
        }
    }
    bool is_reset = std::strcmp(word, "reset") == 0;
    tree_free(word);
    report_at_token(context, is_reset
                                 ? "reset policy requires a value, e.g. (reset 0)"
                                 : "unknown field policy (expected copy, link, reset, or exclude)");
    return 0;
}

int32_t policy_with_value(ParseContext* context, char* word, Expr* value, PolicySpec* out) {
    bool is_reset = std::strcmp(word, "reset") == 0;
    tree_free(word);
    if (!is_reset) {
        expr_free(value);
        report_at_token(context, "only the reset policy takes a value");
        return 0;
    }
    out->policy = FIELD_RESET;
    out->reset_value = value;
    return 1;
}
