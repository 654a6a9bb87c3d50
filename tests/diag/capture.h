#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

// Runs a writer against an in-memory stream and returns what it wrote.
template <typename Writer>
std::string capture_stream(Writer write) {
    char* data = nullptr;
    size_t size = 0;
    FILE* stream = open_memstream(&data, &size);
    write(stream);
    fclose(stream);
    std::string result(data, size);
    free(data);
    return result;
}
