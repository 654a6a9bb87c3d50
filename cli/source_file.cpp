#include "cli/source_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include "diag/memory.h"

namespace {

constexpr size_t kFirstCapacity = 64 * 1024;
constexpr const char* kTooLarge = "file too large (more than 2147483647 bytes)";

bool fail(char* reason, size_t size, const char* text) {
    snprintf(reason, size, "%s", text);
    return false;
}

// The size of a regular file, or -1 when the stream has none up front
// (pipes, terminals).
long long known_size(FILE* stream) {
    struct stat info;
    if (fstat(fileno(stream), &info) == 0 && S_ISREG(info.st_mode)) {
        return static_cast<long long>(info.st_size);
    }
    return -1;
}

// Reads to the end of the stream into a growing buffer; stops early with
// an error once the content passes the size limit. A full buffer is only
// enlarged when one more byte actually arrives, so a regular file, whose
// size is known, is read in one go, and an oversized one is refused before
// anything is read.
bool read_stream(FILE* stream, SourceText* source, char* reason, size_t reason_size) {
    long long size = known_size(stream);
    if (size > static_cast<long long>(kMaxSourceBytes)) {
        return fail(reason, reason_size, kTooLarge);
    }
    size_t capacity = size > 0 ? static_cast<size_t>(size) + 1 : kFirstCapacity;
    char* buffer = static_cast<char*>(alloc_or_abort(capacity));
    size_t length = 0;
    for (;;) {
        if (length + 1 == capacity) {
            int next = fgetc(stream);
            if (next == EOF) {
                break;
            }
            capacity = capacity > kMaxSourceBytes / 2 ? kMaxSourceBytes + 2 : capacity * 2;
            buffer = static_cast<char*>(realloc_or_abort(buffer, capacity));
            buffer[length++] = static_cast<char>(next);
        } else {
            size_t got = fread(buffer + length, 1, capacity - 1 - length, stream);
            length += got;
            if (got == 0) {
                break;
            }
        }
        if (length > kMaxSourceBytes) {
            free(buffer);
            return fail(reason, reason_size, kTooLarge);
        }
    }
    if (ferror(stream)) {
        int error = errno;
        free(buffer);
        return fail(reason, reason_size, strerror(error != 0 ? error : EIO));
    }
    buffer[length] = '\0';
    source->bytes = buffer;
    source->length = length;
    return true;
}

}  // namespace

bool read_source(const char* name, SourceText* source, char* reason, size_t reason_size) {
    *source = SourceText{nullptr, 0};
    if (strcmp(name, "-") == 0) {
        errno = 0;
        bool ok = read_stream(stdin, source, reason, reason_size);
        clearerr(stdin);
        return ok;
    }
    errno = 0;
    FILE* stream = fopen(name, "rb");
    if (stream == nullptr) {
        return fail(reason, reason_size, strerror(errno != 0 ? errno : ENOENT));
    }
    errno = 0;
    bool ok = read_stream(stream, source, reason, reason_size);
    fclose(stream);
    return ok;
}

void source_free(SourceText* source) {
    free(source->bytes);
    *source = SourceText{nullptr, 0};
}
