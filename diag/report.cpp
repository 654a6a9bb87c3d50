#include <cstdarg>
#include <cstdio>

#include "diag/diagnostic.h"
#include "diag/render.h"

namespace {

// Checker messages are formatted into a fixed buffer; longer texts are cut.
constexpr size_t kReportBufferSize = 512;

DiagnosticList* g_current_list = nullptr;

}  // namespace

void diag_add_error(DiagnosticList* list, DiagnosticKind kind, int32_t subcode, const char* path,
                    SourceSpan span, const char* message) {
    if (list != nullptr) {
        diag_list_push(list, SEVERITY_ERROR, kind, subcode, path, span, message);
        return;
    }
    // Without a list the finding must not be lost: one text line on stderr.
    Diagnostic record = {SEVERITY_ERROR, kind,
                         subcode,        const_cast<char*>(path),
                         span,           const_cast<char*>(message != nullptr ? message : ""),
                         DiagFix{DIAG_FIX_NONE, 0, 0}, DiagSubject{}};
    diag_render_text(stderr, &record);
}

void diag_set_current_list(DiagnosticList* list) {
    g_current_list = list;
}

DiagnosticList* diag_current_list() {
    return g_current_list;
}

void diag_add_error_current(DiagnosticKind kind, int32_t subcode, const char* path, SourceSpan span,
                            const char* message) {
    diag_add_error(g_current_list, kind, subcode, path, span, message);
}

int32_t diag_add_runtime_warning(int32_t subcode, const char* path, SourceSpan span,
                                 const char* message) {
    if (g_current_list == nullptr) {
        return 0;
    }
    diag_list_push(g_current_list, SEVERITY_WARNING, TV_DIAG_RUNTIME_ERROR, subcode, path, span,
                   message);
    return 1;
}

void diag_reportf(DiagReporter* reporter, int32_t line, int32_t column, const char* format, ...) {
    char buffer[kReportBufferSize];
    va_list arguments;
    va_start(arguments, format);
    int written = vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    if (written < 0) {
        buffer[0] = '\0';  // an encoding error still yields a record
    }
    SourceSpan span = {line, column, line, column};
    diag_add_error(reporter->list, TV_DIAG_SERVER_BLOCK, 0, reporter->path, span, buffer);
    reporter->count += 1;
}
