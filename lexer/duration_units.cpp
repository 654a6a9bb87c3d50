#include "lexer/duration_units.h"

#include <cstring>

namespace {

bool spelled(const char* word, size_t length, const char* spelling) {
    return std::strlen(spelling) == length && std::memcmp(word, spelling, length) == 0;
}

}  // namespace

int32_t duration_unit_of(const char* word, size_t length) {
    for (int32_t i = 0; i < DURATION_UNIT_COUNT; ++i) {
        if (spelled(word, length, kDurationUnits[i].singular) || spelled(word, length, kDurationUnits[i].plural)) {
            return i;
        }
    }
    return -1;
}
