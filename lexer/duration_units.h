#pragma once

#include <cstddef>
#include <cstdint>

// The unit words of a duration (`2 days 3 hours`), one table for the
// parser that adds them up, hover that totals them and highlighting that
// colours them. Units are compared exactly: `Day` is no unit.
struct DurationUnit {
    const char* singular;
    const char* plural;
    int64_t seconds;  // a month counts 30 days, a year 365
    bool calendar;    // months and years, whose real length varies
};

enum DurationUnitIndex : int32_t {
    DURATION_YEAR,
    DURATION_MONTH,
    DURATION_WEEK,
    DURATION_DAY,
    DURATION_HOUR,
    DURATION_MINUTE,
    DURATION_SECOND,
    DURATION_UNIT_COUNT,
};

inline constexpr DurationUnit kDurationUnits[DURATION_UNIT_COUNT] = {
    {"year", "years", 31536000, true}, {"month", "months", 2592000, true}, {"week", "weeks", 604800, false},
    {"day", "days", 86400, false},     {"hour", "hours", 3600, false},     {"minute", "minutes", 60, false},
    {"second", "seconds", 1, false},
};

// The unit a word names, singular or plural, or -1.
int32_t duration_unit_of(const char* word, size_t length);
