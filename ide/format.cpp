// The formatter's guard rails: a text is laid out only when the front end
// parses it, and a layout is handed out only when the front end's tree of
// the result dumps exactly as the input's did.
#include "ide/format.h"

#include <cstdio>
#include <stdio_ext.h>
#include <cstdlib>
#include <functional>
#include <optional>

#include <pthread.h>

#include "ast/dump.h"
#include "ast/region.h"
#include "diag/diagnostic.h"
#include "parser/parse.h"
#include "syntax/syntax_tree.h"

namespace {

// Runs `work` on a thread of its own when one can be had, else at once
// (no threads in the build, none left on the machine); either way it has
// run when wait() returns.
class WorkBeside {
public:
    explicit WorkBeside(std::function<void()> work) : work_(std::move(work)) {
        started_ = pthread_create(&thread_, nullptr, &WorkBeside::run, this) == 0;
        if (!started_) work_();
    }
    ~WorkBeside() { wait(); }
    WorkBeside(const WorkBeside&) = delete;
    WorkBeside& operator=(const WorkBeside&) = delete;

    void wait() {
        if (started_) pthread_join(thread_, nullptr);
        started_ = false;
    }

private:
    static void* run(void* self) {
        static_cast<WorkBeside*>(self)->work_();
        return nullptr;
    }

    std::function<void()> work_;
    pthread_t thread_{};
    bool started_ = false;
};

// The front end's reading of a text: its tree, kept for a dump until the
// reading goes, or its first error.
class FrontEndReading {
public:
    explicit FrontEndReading(const char* text) {
        DiagnosticList list;
        diag_list_init(&list);
        ast_region_init(&region_);
        {
            AstRegionScope scope(&region_);
            parsed_ = parse_program(text, nullptr, 1, &list, &program_) == 0;
        }
        for (size_t i = 0; i < diag_list_count(&list) && !parsed_; ++i) {
            const Diagnostic* diagnostic = diag_list_at(&list, i);
            if (diagnostic->severity != SEVERITY_ERROR) continue;
            error_line_ = diagnostic->span.start_line;
            error_column_ = diagnostic->span.start_column;
            error_message_ = diagnostic->message;
            break;
        }
        diag_list_free(&list);
    }
    ~FrontEndReading() { ast_region_release(&region_); }
    FrontEndReading(const FrontEndReading&) = delete;
    FrontEndReading& operator=(const FrontEndReading&) = delete;

    bool parsed() const { return parsed_; }

    // The tree as the front end dumps it (`tovel-check --dump`).
    std::string dump() const { return "Program\n" + dump_statements(0, program_.count); }

    // The lines the dump gives top-level statements [first, last): the
    // dump's own lines after its first, "Program", are theirs in order.
    std::string dump_statements(size_t first, size_t last) const {
        char* buffer = nullptr;
        size_t size = 0;
        FILE* out = open_memstream(&buffer, &size);
        if (out == nullptr) return {};
        __fsetlocking(out, FSETLOCKING_BYCALLER);  // one thread writes it: no lock per call
        for (size_t i = first; i < last; ++i) dump_stmt(out, program_.items[i], 1);
        std::fclose(out);
        std::string dump(buffer, size);
        std::free(buffer);
        return dump;
    }

    size_t statements() const { return program_.count; }

    FormatResult refusal() const {
        FormatResult result{FORMAT_SYNTAX_ERROR, {}, error_line_, error_column_, error_message_};
        if (result.error_message.empty()) result.error_message = "the text does not parse";
        return result;
    }

private:
    AstRegion region_;
    Program program_ = {nullptr, 0};
    bool parsed_ = false;
    int32_t error_line_ = 0;
    int32_t error_column_ = 0;
    std::string error_message_;
};

// The front end's reading of a text and its dump, made beside the caller's
// own work: the formatter lays the text out from the syntax tree meanwhile,
// so the check costs little more than the second reading.
class ReadingInBackground {
public:
    explicit ReadingInBackground(const char* text) : text_(text), worker_([this] { read(); }) {}
    ReadingInBackground(const ReadingInBackground&) = delete;
    ReadingInBackground& operator=(const ReadingInBackground&) = delete;

    const FrontEndReading& reading() {
        worker_.wait();
        return *reading_;
    }
    const std::string& dump() {
        worker_.wait();
        return dump_;
    }

private:
    void read() {
        reading_.emplace(text_);
        if (reading_->parsed()) dump_ = reading_->dump();
    }
    const char* text_;
    std::optional<FrontEndReading> reading_;
    std::string dump_;
    WorkBeside worker_;  // last: it starts once the rest is ready
};

// Whether `reading` dumps as `expected`: the first half of its statements
// is dumped beside the second.
bool dumps_as(const FrontEndReading& reading, const std::string& expected) {
    size_t middle = reading.statements() / 2;
    std::string first_half;
    WorkBeside worker([&] { first_half = reading.dump_statements(0, middle); });
    std::string second_half = reading.dump_statements(middle, reading.statements());
    worker.wait();
    std::string_view rest(expected);
    constexpr std::string_view kHeader = "Program\n";
    if (rest.substr(0, kHeader.size()) != kHeader) return false;
    rest.remove_prefix(kHeader.size());
    return rest.size() == first_half.size() + second_half.size() && rest.substr(0, first_half.size()) == first_half &&
           rest.substr(first_half.size()) == second_half;
}

// The edits, if the text they make reads as the input did; else none.
FormatResult checked(const char* text, uint32_t length, ReadingInBackground* input, std::vector<IdeTextEdit> edits) {
    FormatResult result{FORMAT_DONE, {}, 0, 0, {}};
    if (edits.empty()) return result;
    std::string formatted = format_apply_edits(text, length, edits);
    FrontEndReading after(formatted.c_str());
    if (!after.parsed() || !dumps_as(after, input->dump())) {
        result.status = FORMAT_UNSAFE;
        return result;
    }
    result.edits = std::move(edits);
    return result;
}

}  // namespace

FormatResult ide_format(Analysis* analysis, FormatOptions options) {
    ReadingInBackground input(analysis->text);
    std::vector<IdeTextEdit> edits = format_layout_edits(analysis_tree(analysis), options);
    if (!input.reading().parsed()) return input.reading().refusal();
    return checked(analysis->text, analysis->length, &input, std::move(edits));
}

FormatResult ide_format_range(Analysis* analysis, TextRange range, FormatOptions options) {
    ReadingInBackground input(analysis->text);
    const SyntaxTree& tree = analysis_tree(analysis);
    TextRange lines = format_statement_lines(tree, range);
    std::vector<IdeTextEdit> inside;
    for (IdeTextEdit& edit : format_layout_edits(tree, options)) {
        if (edit.range.start >= lines.start && edit.range.end <= lines.end) inside.push_back(std::move(edit));
    }
    if (!input.reading().parsed()) return input.reading().refusal();
    return checked(analysis->text, analysis->length, &input, std::move(inside));
}

FormatResult format_source(const char* text, uint32_t length, FormatOptions options, std::string* formatted) {
    ReadingInBackground input(text);
    SyntaxTree tree;
    syntax_parse(&tree, text, length);
    std::vector<IdeTextEdit> edits = format_layout_edits(tree, options);
    if (!input.reading().parsed()) return input.reading().refusal();
    FormatResult result = checked(text, length, &input, std::move(edits));
    if (result.status == FORMAT_DONE) *formatted = format_apply_edits(text, length, result.edits);
    return result;
}
