#include "check/route_pattern.h"

#include <cstring>

#include "ast/ast.h"
#include "check/subject.h"
#include "diag/ascii.h"
#include "diag/diagnostic.h"

namespace {



struct CaptureName {
    const char* text;
    int32_t length;
};

bool same_bytes(const char* a, int32_t a_length, const char* b, int32_t b_length) {
    return a_length == b_length && std::memcmp(a, b, static_cast<size_t>(a_length)) == 0;
}

// Reports one problem with the path at the handler; the verb and the path
// lead every message.
#define REPORT_PATH(reporter, handler, path, format, ...)                                          \
    do {                                                                                           \
        diag_reportf((reporter), (handler)->line, (handler)->column, "%s \"%s\": " format,         \
                     (handler)->word ? (handler)->word : "", (path)__VA_OPT__(, ) __VA_ARGS__);   \
        diag_about((reporter), diag_part(DIAG_SUBJECT_ROUTE_PATH, (handler)->line, (handler)->column)); \
    } while (0)

// Validates one capture segment "{...}" at index `index`; `names` holds the
// captures seen so far in this path.
bool check_capture_segment(DiagReporter* reporter, const ServerItem* handler, const char* path,
                           RouteSegment* segment, bool is_last, CaptureName* names,
                           int32_t* name_count) {
    const char* text = segment->text;
    int32_t length = segment->length;
    if (length < 2 || text[length - 1] != '}') {
        REPORT_PATH(reporter, handler, path, "malformed pattern segment '%.*s' (no closing })",
                    length, text);
        return false;
    }
    const char* name = text + 1;
    int32_t name_length = length - 2;
    bool greedy = false;
    if (name_length > 3 && std::memcmp(name + name_length - 3, "...", 3) == 0) {
        greedy = true;
        name_length -= 3;
    }
    if (!is_capture_identifier(name, name_length)) {
        REPORT_PATH(reporter, handler, path,
                    "malformed pattern segment '%.*s' (the capture name must be an identifier)",
                    length, text);
        return false;
    }
    if (greedy && !is_last) {
        REPORT_PATH(reporter, handler, path,
                    "puts {%.*s...} before the end; a greedy capture may only be the LAST segment",
                    name_length, name);
        return false;
    }
    for (int32_t i = 0; i < *name_count; ++i) {
        if (same_bytes(names[i].text, names[i].length, name, name_length)) {
            REPORT_PATH(reporter, handler, path, "repeats the capture name '%.*s'", name_length,
                        name);
            return false;
        }
    }
    names[(*name_count)++] = CaptureName{name, name_length};
    segment->kind = greedy ? SEGMENT_GREEDY : SEGMENT_CAPTURE;
    return true;
}

bool check_literal_segment(DiagReporter* reporter, const ServerItem* handler, const char* path,
                           RouteSegment* segment) {
    if (segment->length == 0) {
        REPORT_PATH(reporter, handler, path, "empty path segment");
        return false;
    }
    for (int32_t i = 0; i < segment->length; ++i) {
        char c = segment->text[i];
        if (c == '{' || c == '}') {
            REPORT_PATH(reporter, handler, path,
                        "malformed pattern segment '%.*s' (a capture is a whole segment: /{name}/)",
                        segment->length, segment->text);
            return false;
        }
    }
    segment->kind = SEGMENT_LITERAL;
    return true;
}

// Walks the segments after the leading slash up to `end`, recording each one
// and checking it; stops at the first problem.
bool check_segments(DiagReporter* reporter, const ServerItem* handler, const char* path,
                    const char* end, RoutePattern* pattern) {
    CaptureName names[ROUTE_MAX_SEGMENTS];
    int32_t name_count = 0;
    const char* cursor = path + 1;
    for (;;) {
        if (pattern->segment_count == ROUTE_MAX_SEGMENTS) {
            REPORT_PATH(reporter, handler, path, "more than %d path segments", ROUTE_MAX_SEGMENTS);
            return false;
        }
        const char* slash =
            static_cast<const char*>(std::memchr(cursor, '/', static_cast<size_t>(end - cursor)));
        const char* stop = slash ? slash : end;
        bool is_last = slash == nullptr;
        RouteSegment* segment = &pattern->segments[pattern->segment_count++];
        segment->text = cursor;
        // Documents are far below 2 GiB, but a segment length must still fit
        // the 32-bit field and printf's precision.
        size_t length = static_cast<size_t>(stop - cursor);
        segment->length = length <= 0x7fffffffu ? static_cast<int32_t>(length) : 0x7fffffff;
        bool ok = segment->length > 0 && cursor[0] == '{'
                      ? check_capture_segment(reporter, handler, path, segment, is_last, names,
                                              &name_count)
                      : check_literal_segment(reporter, handler, path, segment);
        if (!ok) {
            return false;
        }
        if (is_last) {
            return true;
        }
        cursor = slash + 1;
    }
}

} // namespace

int32_t route_verb_known(const char* verb) {
    if (verb == nullptr) {
        return 0;
    }
    for (const char* known : kRouteVerbs) {
        if (std::strcmp(verb, known) == 0) {
            return 1;
        }
    }
    return 0;
}

const char* route_conflict_verb(const char* verb) {
    if (verb != nullptr && std::strcmp(verb, "stream") == 0) {
        return "get";
    }
    return verb;
}

int32_t is_capture_identifier(const char* text, int32_t length) {
    if (text == nullptr || length < 1) {
        return 0;
    }
    unsigned char first = static_cast<unsigned char>(text[0]);
    if (!is_ascii_letter(first) && first != '_') {
        return 0;
    }
    for (int32_t i = 1; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (!is_ascii_letter(c) && !is_ascii_digit(c) && c != '_') {
            return 0;
        }
    }
    return 1;
}

int32_t check_route_path(DiagReporter* reporter, const ServerItem* handler, RoutePattern* pattern) {
    pattern->segment_count = 0;
    const char* path = handler->path ? handler->path : "";
    if (path[0] != '/') {
        REPORT_PATH(reporter, handler, path, "a route path must start with /");
        return 0;
    }
    size_t n = std::strlen(path);
    if (n > 1 && path[n - 1] == '/') {
        // The message shows the path with and without its final slash; the
        // precision is clamped for paths longer than printf can count (the
        // message is cut at 511 bytes long before that matters).
        int shown = n - 1 <= 0x7fffffffu ? static_cast<int>(n - 1) : 0x7fffffff;
        REPORT_PATH(reporter, handler, path,
                    "a route path must not end with / ('%s' and '%.*s' are different paths and "
                    "this layer rewrites neither)",
                    path, shown, path);
        return 0;
    }
    if (n == 1) {
        return 1;
    }
    return check_segments(reporter, handler, path, path + n, pattern) ? 1 : 0;
}

int32_t patterns_indistinguishable(const RoutePattern* a, const RoutePattern* b) {
    if (a->segment_count != b->segment_count) {
        return 0;
    }
    for (int32_t i = 0; i < a->segment_count; ++i) {
        const RouteSegment& x = a->segments[i];
        const RouteSegment& y = b->segments[i];
        if (x.kind != y.kind) {
            return 0;
        }
        if (x.kind == SEGMENT_LITERAL && !same_bytes(x.text, x.length, y.text, y.length)) {
            return 0;
        }
    }
    return 1;
}
