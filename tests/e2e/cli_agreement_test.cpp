#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "diag/diagnostic.h"
#include "diag/render.h"
#include "tests/e2e/cli_run.h"
#include "tests/e2e/cli_server.h"

// tovel-check must say exactly what the server publishes for the same text:
// the same diagnostics in the same order, with the server's 0-based
// positions turned back into 1-based byte columns, rendered as text and as
// JSON lines.
namespace {

struct Source {
    const char* name;
    size_t findings;  // how many diagnostics the server publishes
    std::string text;
};

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const Source& source, std::ostream* out) { *out << source.name; }

std::string repeated(const std::string& piece, size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (size_t i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

std::string server_block(const std::string& items) { return "server s()\n" + items + "end server\n"; }

const std::vector<Source>& sources() {
    static const std::vector<Source> cases = {
        {"clean", 0, "x = 1\nprint x\n"},
        {"empty", 0, ""},
        {"no_final_line_break", 1, "x = 1\nprint x"},
        {"habit_from_other_languages", 1, "x = 1\nlet y = 2\n"},
        {"character_not_used", 1, "x = 1\ny = x & 2\n"},
        {"unclosed_bracket", 1, "x = (1 +\n\n"},
        {"unterminated_string", 1, "print \"abc\n"},
        {"server_block_findings", 4,
         "server s(port: 80 + 1, colour: \"red\", inherit: true, inherit: yes)\nend server\n"},
        {"warning_then_route_error", 2,
         "print \"a\\q\"\n" + server_block("  get \"/a//b\"(req)\n  end get\n")},
        {"warning_only", 1, "print \"tab\\q\"\n"},
        {"syntax_error_hides_route_error", 1,
         server_block("  get \"/a//b\"(req)\n  end get\n") + "x = = 1\n"},
        {"multibyte_before_error", 1, "print \"h\xC3\xA9llo \xF0\x9F\x98\x80\" let\n"},
        {"invalid_utf8", 1, "x = \"\xFF\xFE\"\nprint \xC3(\n"},
        {"invalid_utf8_clean", 0, "x = \"\xFF\xC3\"\n"},
        {"invalid_utf8_in_message", 1, server_block("  get \"/a//\xFF\xC3(\"(req)\n  end get\n")},
        {"nul_ends_text", 0, std::string("x = 1\n\0let y = (\n", 17)},
        {"nul_inside_statement", 1, std::string("print (1 +\0 2)\n", 15)},
        {"crlf_line_ends", 1, "x = 1\r\nlet y = 2\r\n"},
        {"byte_order_mark", 1, "\xEF\xBB\xBFlet x = 1\n"},
        {"byte_order_mark_error_later", 1, "\xEF\xBB\xBFx = 1\ny = $\n"},
        {"deep_brackets", 1, "x = " + repeated("(", 30000) + "1" + repeated(")", 30000) + "\n"},
        {"deep_blocks", 1, repeated("if a then\n", 20000) + repeated("end if\n", 20000)},
        {"long_program_error_at_end", 1, repeated("x = x + 1\n", 8000) + "let z = 1\n"},
        {"control_bytes_in_string", 1, "print \"a\x01" "b\tc\"\nlet\n"},
    };
    return cases;
}

DiagnosticKind kind_named(const std::string& name) {
    const DiagnosticKind kinds[] = {TV_DIAG_NONE,           TV_DIAG_LEX_ERROR,
                                    TV_DIAG_LEX_DETAIL,     TV_DIAG_PARSE_ERROR,
                                    TV_DIAG_STRING_LITERAL, TV_DIAG_SERVER_BLOCK,
                                    TV_DIAG_RUNTIME_ERROR};
    for (DiagnosticKind kind : kinds) {
        if (name == diag_kind_name(kind)) {
            return kind;
        }
    }
    ADD_FAILURE() << "unknown code " << name;
    return TV_DIAG_NONE;
}

bool starts_with_byte_order_mark(const std::string& text) { return text.rfind("\xEF\xBB\xBF", 0) == 0; }

// The server counts line-1 characters from the very first byte of the
// document, so behind a byte-order mark they are 3 bytes further on than
// the lexer's columns, which start after the mark.
int column_from(const std::string& text, int line, int character) {
    int column = character + 1;
    if (line == 0 && starts_with_byte_order_mark(text) && character > 0) {
        column -= 3;
    }
    return column;
}

// The record the command line should have printed for a published one.
std::string rendered(const PublishedDiagnostic& published, const std::string& text,
                     const std::string& path, bool json) {
    std::string message = published.message;
    Diagnostic record;
    record.severity = static_cast<Severity>(published.severity - 1);
    record.kind = kind_named(published.code);
    record.subcode = 0;
    record.path = const_cast<char*>(path.c_str());
    record.span = {published.start_line + 1,
                   column_from(text, published.start_line, published.start_character),
                   published.end_line + 1,
                   column_from(text, published.end_line, published.end_character)};
    record.message = message.data();
    char* buffer = nullptr;
    size_t size = 0;
    FILE* stream = open_memstream(&buffer, &size);
    if (json) {
        diag_render_json(stream, &record);
    } else {
        diag_render_text(stream, &record);
    }
    fclose(stream);
    std::string line(buffer, size);
    free(buffer);
    return line;
}

// One well-formed UTF-8 sequence at the start of `bytes`: its length, or 0.
size_t sequence_length(const unsigned char* bytes, size_t available) {
    const unsigned char lead = bytes[0];
    if (lead < 0x80) {
        return 1;
    }
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    if (available < length || bytes[1] < low || bytes[1] > high) {
        return 0;
    }
    for (size_t i = 2; i < length; ++i) {
        if ((bytes[i] & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

// The protocol carries only valid UTF-8, so the server publishes a message
// with each stray byte replaced by U+FFFD; the command line prints the bytes
// as they are. Comparing the two needs the same replacement on this side.
std::string as_published(const std::string& bytes) {
    std::string out;
    const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t position = 0;
    while (position < bytes.size()) {
        size_t length = sequence_length(data + position, bytes.size() - position);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            position += 1;
        } else {
            out.append(bytes, position, length);
            position += length;
        }
    }
    return out;
}

class CliAgreesWithServer : public testing::TestWithParam<Source> {};

TEST_P(CliAgreesWithServer, SameDiagnosticsAsPublished) {
    const Source& source = GetParam();
    std::vector<PublishedDiagnostic> published;
    std::string problem;
    ASSERT_TRUE(published_diagnostics(source.text, "file:///prog.tov", &published, &problem))
        << problem;
    // A case that stopped finding anything would agree trivially.
    ASSERT_EQ(published.size(), source.findings);

    ScratchDir scratch;
    std::string path = scratch.write("prog.tov", source.text);
    std::string expected_text, expected_json;
    bool any_error = false;
    for (const PublishedDiagnostic& diagnostic : published) {
        expected_text += rendered(diagnostic, source.text, path, false);
        expected_json += rendered(diagnostic, source.text, path, true);
        any_error = any_error || diagnostic.severity == 1;
    }
    const int expected_status = any_error ? 1 : 0;

    CheckRun text = run_check({path});
    EXPECT_FALSE(text.crashed);
    EXPECT_EQ(text.status, expected_status);
    EXPECT_EQ(as_published(text.output), expected_text);
    EXPECT_EQ(text.error, "");

    CheckRun json = run_check({"--format=json", path});
    EXPECT_FALSE(json.crashed);
    EXPECT_EQ(json.status, expected_status);
    EXPECT_EQ(as_published(json.output), expected_json);
    EXPECT_EQ(json.error, "");
}

// The command line does not clean messages up: a route path with stray
// bytes is quoted with those very bytes, in both formats.
TEST(CliMessages, StrayBytesPassThrough) {
    ScratchDir scratch;
    const std::string path = scratch.write(
        "prog.tov", server_block("  get \"/a//\xFF\xC3(\"(req)\n  end get\n"));
    for (const char* format : {"--format=text", "--format=json"}) {
        CheckRun run = run_check({format, path});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.output.find("/a//\xFF\xC3("), std::string::npos) << run.output;
    }
}

std::string case_name(const testing::TestParamInfo<Source>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Sources, CliAgreesWithServer, testing::ValuesIn(sources()), case_name);

}  // namespace
