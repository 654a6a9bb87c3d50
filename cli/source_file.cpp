#include "cli/source_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include "ast/alloc.h"

namespace {

constexpr size_t kFirstCapacity = 64 * 1024;

bool fail(char* reason, size_t size, const char* text) {
    snprintf(reason, size, "%s", text);
    return false;
}

// A regular file tells its size up front, which saves the regrowth; pipes
// and terminals start small and double.
size_t initial_capacity(FILE* stream) {
    struct stat info;
    if (fstat(fileno(stream), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
        static_cast<unsigned long long>(info.st_size) <= kMaxSourceBytes) {
        return static_cast<size_t>(info.st_size) + 1;
    }
    return kFirstCapacity;
}

// Reads to the end of the stream into a growing buffer; stops early with
// an error once the content passes the size limit. A full buffer is only
// enlarged when one more byte actually arrives, so a regular file of known
// size is read without regrowth.
bool read_stream(FILE* stream, SourceText* source, char* reason, size_t reason_size) {
    size_t capacity = initial_capacity(stream);
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
            return fail(reason, reason_size, "file too large (more than 2147483647 bytes)");
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
