#pragma once

#include <string>

// `path`, as a Tovel program writes it (relative to the file or absolute),
// as a URI beside `base` (the document's URI, `scheme://authority/path`):
// its bytes percent-encoded where a URI needs it, `.` and `..` segments
// resolved. False when `base` has no such form or `path` is empty. No file
// is looked at.
bool uri_resolve(const char* base, const std::string& path, std::string* resolved);
