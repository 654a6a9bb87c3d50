#include "cli/fix_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "ast/region.h"
#include "ide/analysis.h"
#include "ide/features.h"

namespace {

// The edits are in text order and never overlap.
std::string applied(const char* text, const std::vector<IdeTextEdit>& edits) {
    std::string out;
    uint32_t at = 0;
    for (const IdeTextEdit& edit : edits) {
        out.append(text + at, edit.range.start - at);
        out += edit.new_text;
        at = edit.range.end;
    }
    out += text + at;
    return out;
}

bool fail(char* reason, size_t size, const char* what) {
    std::snprintf(reason, size, "%s: %s", what, std::strerror(errno));
    return false;
}

bool write_all(int fd, const std::string& bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

std::string fix_text(const char* text, int* rounds) {
    std::string current = text;
    *rounds = 0;
    AstRegion region;
    ast_region_init(&region);
    for (int round = 0; round < kMaxFixRounds; ++round) {
        Analysis* analysis = analysis_create(current.c_str(), "fix.tov", &region);
        std::vector<IdeTextEdit> edits = ide_fix_all(analysis);
        std::string next = edits.empty() ? current : applied(current.c_str(), edits);
        analysis_destroy(analysis);
        if (next == current) break;
        current = std::move(next);
        ++*rounds;
    }
    ast_region_release(&region);
    return current;
}

bool replace_file_atomically(const char* named, const std::string& bytes, char* reason, size_t reason_size) {
    // Through a symbolic link the file it points at is replaced, and the
    // link stays a link.
    char* resolved = realpath(named, nullptr);
    std::string target = resolved != nullptr ? resolved : named;
    std::free(resolved);
    const char* path = target.c_str();
    struct stat original;
    if (stat(path, &original) != 0) return fail(reason, reason_size, "cannot look at the file");
    std::string temporary = target + ".tovel-fix-XXXXXX";
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0) return fail(reason, reason_size, "cannot create a file beside it");
    bool ok = write_all(fd, bytes) && fchmod(fd, original.st_mode & 07777) == 0 && fsync(fd) == 0;
    int saved = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    if (ok && rename(name.data(), path) == 0) return true;
    if (ok) saved = errno;
    unlink(name.data());
    errno = saved;
    return fail(reason, reason_size, "cannot write the fixed file");
}
