#pragma once

#include <cstdlib>
#include <cstring>

// True when TOVEL_UPDATE=1: the golden tests (transcripts, dumps, the CLI's
// recorded output, the diagnostics files) then rewrite their files with what
// the code produces instead of comparing, so a deliberate change is one
// command and a reviewable diff:
//   TOVEL_UPDATE=1 ctest --test-dir build && git diff
inline bool update_goldens_requested() {
    const char* update = std::getenv("TOVEL_UPDATE");
    return update != nullptr && std::strcmp(update, "1") == 0;
}
