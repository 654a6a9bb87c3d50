#pragma once

#include <cstddef>

// ASCII byte tests and case folding for every layer. Tovel folds only ASCII
// letters (keywords, unit words, header names); bytes above 127 are never
// letters here, whatever the C locale says.

constexpr char ascii_lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

constexpr bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }

// A blank inside a line of Tovel: space or tab.
constexpr bool is_space_or_tab(char c) { return c == ' ' || c == '\t'; }

// White space as the C locale's isspace sees it: blanks, line breaks, form feed.
constexpr bool is_ascii_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// True when the `length` bytes at `text`, lowered, equal `lower` (already lower case).
constexpr bool equals_lowered(const char* text, const char* lower, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (ascii_lower(text[i]) != lower[i]) return false;
    }
    return true;
}
