#pragma once

#include <cstddef>
#include <cstdint>

#include "diag/source_span.h"

// Every stage of analysis reports its findings as Diagnostic records appended
// to one DiagnosticList per analysis. Records keep the order in which they
// were added; nothing is sorted, merged or de-duplicated.

enum Severity : int32_t {
    SEVERITY_ERROR = 0,
    SEVERITY_WARNING = 1,
    SEVERITY_NOTE = 2,
};

enum DiagnosticKind : int32_t {
    TV_DIAG_NONE = 0,
    TV_DIAG_LEX_ERROR = 1000,
    TV_DIAG_LEX_DETAIL = 1001,
    TV_DIAG_PARSE_ERROR = 2000,
    TV_DIAG_STRING_LITERAL = 2001,
    TV_DIAG_SERVER_BLOCK = 2002,
    TV_DIAG_RUNTIME_ERROR = 3000,
};

// A mistake whose repair is a mechanical edit, named by the stage that
// finds it, so that quick fixes never depend on the wording of a message.
enum DiagFixKind : int32_t {
    DIAG_FIX_NONE = 0,
    DIAG_FIX_NOT_EQUAL,       // `<>` where `!=` is meant
    DIAG_FIX_JOIN_TEXT,       // `&` where `+` joins text
    DIAG_FIX_TYPE_SIGIL,      // a sigil after a name (`count%`)
    DIAG_FIX_LET,             // `let` at the start of an assignment
    DIAG_FIX_REM,             // `rem` where a comment is meant
    DIAG_FIX_DIM,             // `dim name ...` where an assignment creates the variable
    DIAG_FIX_UNKNOWN_ESCAPE,  // `\q` in a string, kept as two characters
};

// The bytes of the mistake itself, as offsets from the first byte of the
// analysed text (a byte-order mark included): the sigil, the `<>`, the
// `let` word, the backslash and the escaped character. Not the finding's
// span, which may stand elsewhere (a syntax error after `let x`).
struct DiagFix {
    DiagFixKind kind;
    uint32_t offset;
    uint32_t length;
};

// What a server-block finding is about, named by the checker as it
// reports: the item's part an editor should underline, and the earlier
// item a repeat or conflict refers to. The finding's span stays the item's
// first token, as every client is sent it; an editor that asks gets these.
enum DiagSubjectKind : int32_t {
    DIAG_SUBJECT_NONE = 0,
    DIAG_SUBJECT_BLOCK_WORD,         // the word opening a block (`server`, `web`)
    DIAG_SUBJECT_BLOCK_NAME,         // a server's or site's name
    DIAG_SUBJECT_END_WORD,           // the word after `end`
    DIAG_SUBJECT_OPTION_NAME,        // option `index` of a block's header
    DIAG_SUBJECT_OPTION_VALUE,
    DIAG_SUBJECT_DIRECTIVE_WORD,
    DIAG_SUBJECT_DIRECTIVE_ARGUMENTS,
    DIAG_SUBJECT_HOOK_NAME,
    DIAG_SUBJECT_ROUTE,              // a route's verb and path
    DIAG_SUBJECT_ROUTE_VERB,
    DIAG_SUBJECT_ROUTE_PATH,
    DIAG_SUBJECT_ROUTE_PARAMETERS,
};

struct DiagPart {
    DiagSubjectKind kind;
    int32_t index;   // options: which, from 0
    int32_t line;    // the item's first token, 1-based; 0 for none
    int32_t column;
};

struct DiagSubject {
    DiagPart focus;    // on the finding's own item
    DiagPart related;  // on an earlier item; line 0 when there is none
};

struct Diagnostic {
    Severity severity;
    DiagnosticKind kind;
    int32_t subcode;  // producers in the server always pass 0
    char* path;       // owned, may be null; the document URI in the server
    SourceSpan span;
    char* message;    // owned, never null
    DiagFix fix;      // DIAG_FIX_NONE unless a stage named its mistake
    DiagSubject subject;  // DIAG_SUBJECT_NONE unless the checker named it
};

// Grows 0 -> 8 -> 16 -> ... ; owns every record's path and message.
struct DiagnosticList {
    Diagnostic* items;
    size_t count;
    size_t capacity;
};

// The server-block checker reports through this: list and path are borrowed,
// count is the number of records added through it.
struct DiagReporter {
    DiagnosticList* list;
    const char* path;
    int32_t count;
};

void diag_list_init(DiagnosticList* list);
void diag_list_free(DiagnosticList* list);
// Copies path (null stays null) and message (null becomes "").
void diag_list_push(DiagnosticList* list, Severity severity, DiagnosticKind kind, int32_t subcode,
                    const char* path, SourceSpan span, const char* message);
size_t diag_list_count(const DiagnosticList* list);
// Names the mistake of the record added last; nothing without a list or a
// record.
void diag_list_mark_fix(DiagnosticList* list, DiagFix fix);
// Names what the last record is about.
void diag_list_mark_subject(DiagnosticList* list, DiagSubject subject);
// Null when index is not below the count.
const Diagnostic* diag_list_at(const DiagnosticList* list, size_t index);

// Appends an error; with a null list the record goes to standard error as
// one text line instead.
void diag_add_error(DiagnosticList* list, DiagnosticKind kind, int32_t subcode, const char* path,
                    SourceSpan span, const char* message);

// Process-wide slot for code without a list of its own. Null at start; the
// language server never sets it.
void diag_set_current_list(DiagnosticList* list);
DiagnosticList* diag_current_list();
void diag_add_error_current(DiagnosticKind kind, int32_t subcode, const char* path, SourceSpan span,
                            const char* message);
// 0 (and nothing stored) without a current list, else appends a warning of
// kind TV_DIAG_RUNTIME_ERROR and returns 1.
int32_t diag_add_runtime_warning(int32_t subcode, const char* path, SourceSpan span,
                                 const char* message);

// printf-style error of kind TV_DIAG_SERVER_BLOCK at (line, column); the
// message is cut to 511 bytes.
void diag_reportf(DiagReporter* reporter, int32_t line, int32_t column, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

// "TV_DIAG_PARSE_ERROR", ...; "TV_DIAG_UNKNOWN" outside the table.
const char* diag_kind_name(int32_t kind);
// "error", "warning", "note"; anything else is "error".
const char* diag_severity_name(int32_t severity);
// Stage label used on text lines: "lexer error", "parse error", "runtime error", "error".
const char* diag_kind_label(int32_t kind);
