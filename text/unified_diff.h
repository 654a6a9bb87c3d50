#pragma once

#include <string>
#include <string_view>

// The change from `before` to `after` as a unified diff (the format of
// `diff -u` and `git diff`): `--- label` and `+++ label` headers, then
// hunks of changed lines with three lines of context each. Lines are
// compared byte for byte, their breaks included; a last line without one
// is marked "\ No newline at end of file". Empty when the texts are equal.
std::string unified_diff(std::string_view before, std::string_view after, std::string_view before_label,
                         std::string_view after_label);
