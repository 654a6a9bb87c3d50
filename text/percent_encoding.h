#pragma once

#include <string>
#include <string_view>

// Bytes as a URI path writes them: letters, digits, `-._~` and `/` as they
// are, every other byte as %XX (upper-case hex).
std::string percent_encoded(std::string_view bytes);
