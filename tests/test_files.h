#pragma once

#include <cctype>
#include <cstdio>
#include <string>

// Files as byte strings for the tests and the tools beside them, and test
// names made from file names.

// Reads the whole file; false when it cannot be opened.
inline bool read_file_bytes(const std::string& path, std::string* bytes) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    bytes->clear();
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes->append(buffer, got);
    std::fclose(file);
    return true;
}

// The whole file, or "" when it cannot be opened.
inline std::string read_file_bytes(const std::string& path) {
    std::string bytes;
    read_file_bytes(path, &bytes);
    return bytes;
}

// Replaces the file's content; false when it cannot be written.
inline bool write_file_bytes(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// A file name as a test name: every byte but letters and digits becomes '_'.
inline std::string test_name_of(std::string name) {
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}
