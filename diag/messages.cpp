#include "diag/messages.h"

#include <cstdio>
#include <cstring>

void format_unknown_block_message(char* buffer, size_t size, const char* word) {
    if (buffer == nullptr || size == 0) {
        return;
    }
    const char* shown = word != nullptr ? word : "?";
    const char* suffix = "";
    static const char* const subroutine_words[] = {"sub", "def", "procedure", "method", "func"};
    if (word != nullptr) {
        for (const char* candidate : subroutine_words) {
            if (std::strcmp(word, candidate) == 0) {
                suffix = " -- Tovel has no such statement; a subroutine is a `function`";
                break;
            }
        }
    }
    std::snprintf(buffer, size, "unknown declarative block '%s' (only 'server' exists)%s", shown,
                  suffix);
}
