#pragma once

#include <cstddef>
#include <string>

// `tovel-check --fix`: the preferred fixes the editor features offer,
// applied round after round until none is left (each round's fixes can
// uncover the next syntax error), at most kMaxFixRounds times.
constexpr int kMaxFixRounds = 16;

// The text with every preferred fix applied; the rounds that changed it.
std::string fix_text(const char* text, int* rounds);

// Replaces the file `path` by `bytes` in one step: written beside it under
// a temporary name with the same permissions, flushed to disk, then renamed
// over it, so a reader sees the old file or the new one, never a part. A
// symbolic link is followed: the file it names is replaced, the link kept.
// On failure the file is untouched, the temporary removed, and `reason`
// says why.
bool replace_file_atomically(const char* path, const std::string& bytes, char* reason, size_t reason_size);
