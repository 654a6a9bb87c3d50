#pragma once

#include <cstddef>
#include <string>

#include "ide/outline.h"

// A run of number-and-unit pairs on one line, `2 days 6 hours`: what
// hover and inlay hints say a duration comes to.
struct DurationRun {
    size_t first;    // token of its first number
    size_t last;     // token of its last unit
    double seconds;  // whole numbers of each unit, summed
    bool calendar;   // months or years in it
};

// The run that token `token` belongs to.
bool duration_run_at(const Outline& outline, size_t token, DurationRun* run);

// Whether `token` starts a run (a number with its unit, after no other pair).
bool duration_run_starts(const Outline& outline, size_t token);

// "194400", the seconds as a whole number.
std::string duration_seconds_text(double seconds);

constexpr const char* kCalendarNote = "a month counts as 30 days, a year as 365";
