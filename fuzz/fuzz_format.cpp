// libFuzzer entry: check_format on every input; a broken property is a crash.
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string problem = check_format(data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "broken property: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
