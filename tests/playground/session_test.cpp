#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/check_source.h"
#include "ide/format.h"
#include "lsp/json_holder.h"
#include "playground/session.h"
#include "tests/test_files.h"
#include "text/line_index.h"

namespace {

namespace fs = std::filesystem;

JsonHolder parse(const std::string& text) {
    JsonHolder json(cJSON_ParseWithLength(text.data(), text.size()));
    EXPECT_NE(json, nullptr) << "not JSON: " << text.substr(0, 200);
    return json;
}

struct SessionHolder {
    PlaygroundSession* session = playground_session_create();
    ~SessionHolder() { playground_session_destroy(session); }
};

// Every source of the repository: the examples and the golden texts.
std::vector<std::string> repository_sources() {
    std::vector<std::string> texts;
    const fs::path root(TOVEL_SOURCE_DIR);
    for (const char* dir : {"examples", "tests/diagnostics", "tests/ide/fixtures", "tests/ide/format"}) {
        std::error_code error;
        for (const auto& entry : fs::recursive_directory_iterator(root / dir, error)) {
            if (entry.path().extension() == ".tov") texts.push_back(read_file_bytes(entry.path()));
        }
    }
    return texts;
}

// Texts whose positions are easy to get wrong.
const std::vector<std::string> kAwkwardTexts = {
    "",
    "\xEF\xBB\xBFprogram main()\r\n  s = \"\xC3\xA9\xF0\x9F\x98\x80\" <> \"x\"\r\nend program\r\n",
    "program main()\n  print \"\xFF\xFE broken \xC3\"\n  x = 1 &\nend program",
    "function f(a, b = 2)\n  return a +\nend function\nf(1, \xF0\x9F\x98\x80",
    "server s(port: 1, port: 2)\n  get \"/a/\" (req)\n  end get\n  get \"/a/\" (req)\n  end get\nend server\n",
};

// The text's lines as the editor counts them: UTF-16 units per line.
struct EditorLines {
    explicit EditorLines(const std::string& text) {
        LineIndex index;
        line_index_build(&index, text.c_str());
        for (size_t line = 0; line < index.count; ++line) {
            TextRange bytes = line_index_line(&index, static_cast<uint32_t>(line));
            units.push_back(utf16_units_well_formed(text.c_str() + bytes.start, bytes.length()));
        }
        line_index_free(&index);
    }
    std::vector<int32_t> units;
};

// Every "range" and "selection" in `json` lies inside the text and starts
// no later than it ends.
void expect_ranges_inside(const cJSON* json, const EditorLines& lines, const std::string& what) {
    std::vector<const cJSON*> pending{json};
    while (!pending.empty()) {
        const cJSON* node = pending.back();
        pending.pop_back();
        for (const cJSON* child = node->child; child != nullptr; child = child->next) pending.push_back(child);
        if (node->string == nullptr || (std::string(node->string) != "range" && std::string(node->string) != "selection")) {
            continue;
        }
        ASSERT_EQ(cJSON_GetArraySize(node), 4) << what;
        int32_t v[4];
        for (int i = 0; i < 4; ++i) v[i] = cJSON_GetArrayItem(node, i)->valueint;
        for (int i : {0, 2}) {
            ASSERT_GE(v[i], 1) << what;
            ASSERT_LE(static_cast<size_t>(v[i]), lines.units.size()) << what;
            ASSERT_GE(v[i + 1], 1) << what;
            EXPECT_LE(v[i + 1], lines.units[static_cast<size_t>(v[i] - 1)] + 1) << what;
        }
        EXPECT_TRUE(v[0] < v[2] || (v[0] == v[2] && v[1] <= v[3])) << what;
    }
}

void expect_tokens_inside(const std::string& answer, const EditorLines& lines) {
    JsonHolder data = parse(answer);
    int line = 0;
    int start = 0;
    int count = cJSON_GetArraySize(data.get());
    ASSERT_EQ(count % 5, 0);
    for (int i = 0; i < count; i += 5) {
        int delta_line = cJSON_GetArrayItem(data.get(), i)->valueint;
        int delta_start = cJSON_GetArrayItem(data.get(), i + 1)->valueint;
        line += delta_line;
        start = delta_line == 0 ? start + delta_start : delta_start;
        ASSERT_LT(static_cast<size_t>(line), lines.units.size());
        EXPECT_LE(start + cJSON_GetArrayItem(data.get(), i + 2)->valueint, lines.units[static_cast<size_t>(line)]);
    }
}

// The findings exactly as tovel-check prints a file named like the playground's.
std::string tovel_check_output(const std::string& text) {
    CheckOptions options{};
    options.format = OUTPUT_TEXT;
    FILE* out = std::tmpfile();
    check_source(text.c_str(), "playground.tov", &options, out);
    std::string printed;
    std::rewind(out);
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, out)) > 0) printed.append(buffer, got);
    std::fclose(out);
    return printed;
}

TEST(PlaygroundSession, AnswersStayInsideTheText) {
    std::vector<std::string> texts = repository_sources();
    ASSERT_GE(texts.size(), 20u);
    texts.insert(texts.end(), kAwkwardTexts.begin(), kAwkwardTexts.end());
    SessionHolder holder;
    PlaygroundSession* session = holder.session;
    for (const std::string& text : texts) {
        SCOPED_TRACE(text.substr(0, 60));
        EditorLines lines(text);
        JsonHolder update = parse(playground_update(session, text));
        expect_ranges_inside(update.get(), lines, "update");
        for (const std::string& answer : {playground_outline(session), playground_folding(session)}) {
            expect_ranges_inside(parse(answer).get(), lines, "outline");
        }
        int32_t last_line = static_cast<int32_t>(lines.units.size());
        expect_ranges_inside(parse(playground_quick_fixes(session, 1, 1, last_line, 1000)).get(), lines, "fixes");
        expect_ranges_inside(parse(playground_format(session, 2, true)).get(), lines, "format");
        expect_ranges_inside(parse(playground_format_range(session, last_line, 1000, 1, 1, 4, false)).get(), lines,
                             "range format");
        expect_tokens_inside(playground_semantic_tokens(session), lines);
        // Every line at a few columns, and one past its end.
        for (int32_t line = 1; line <= last_line; ++line) {
            int32_t width = lines.units[static_cast<size_t>(line - 1)];
            for (int32_t column : {1, 2, width / 2 + 1, width + 1, width + 5}) {
                expect_ranges_inside(parse(playground_hover(session, line, column)).get(), lines, "hover");
                expect_ranges_inside(parse(playground_definition(session, line, column)).get(), lines, "definition");
                parse(playground_completion(session, line, column));
                expect_ranges_inside(parse(playground_references(session, line, column, true)).get(), lines, "references");
                expect_ranges_inside(parse(playground_prepare_rename(session, line, column)).get(), lines, "prepare");
                expect_ranges_inside(parse(playground_rename(session, line, column, "renamed")).get(), lines, "rename");
                parse(playground_signature_help(session, line, column));
                expect_ranges_inside(parse(playground_format_on_type(session, line, column, "\n", 2, true)).get(),
                                     lines, "on type");
            }
        }
    }
}

TEST(PlaygroundSession, FindingsAreWhatTovelCheckPrints) {
    std::vector<std::string> texts = repository_sources();
    texts.insert(texts.end(), kAwkwardTexts.begin(), kAwkwardTexts.end());
    SessionHolder holder;
    size_t with_findings = 0;
    for (const std::string& text : texts) {
        JsonHolder update = parse(playground_update(holder.session, text));
        const cJSON* findings = cJSON_GetObjectItemCaseSensitive(update.get(), "findings");
        ASSERT_TRUE(cJSON_IsString(findings));
        // Both sides read up to the first zero byte, as the front end does.
        EXPECT_EQ(findings->valuestring, tovel_check_output(text)) << text.substr(0, 60);
        // One marker per printed finding, in the same order.
        const cJSON* diagnostics = cJSON_GetObjectItemCaseSensitive(update.get(), "diagnostics");
        std::string printed = findings->valuestring;
        size_t from = 0;
        for (const cJSON* marker = diagnostics->child; marker != nullptr; marker = marker->next) {
            std::string message = cJSON_GetObjectItemCaseSensitive(marker, "message")->valuestring;
            size_t at = printed.find(message, from);
            ASSERT_NE(at, std::string::npos) << message;
            from = at + message.size();
        }
        with_findings += cJSON_GetArraySize(diagnostics) > 0;
    }
    EXPECT_GE(with_findings, 5u);
}

// A session kept across versions (which reparses from the last tree) answers
// as a new session given the same text.
TEST(PlaygroundSession, LaterVersionsAnswerAsAFreshSession) {
    std::vector<std::string> versions;
    for (const std::string& text : repository_sources()) {
        versions.push_back(text);
        versions.push_back("x");  // short enough to live inside a string object
        if (text.size() > 20) {
            versions.push_back(text.substr(0, text.size() / 2) + "\n" + text.substr(text.size() / 2));
            versions.push_back(text.substr(0, text.size() / 3) + text.substr(text.size() / 3 + 7));
        }
    }
    SessionHolder kept;
    for (const std::string& text : versions) {
        SessionHolder fresh;
        EXPECT_EQ(playground_update(kept.session, text), playground_update(fresh.session, text));
        EXPECT_EQ(playground_syntax_tree(kept.session), playground_syntax_tree(fresh.session));
        EXPECT_EQ(playground_semantic_tokens(kept.session), playground_semantic_tokens(fresh.session));
        EXPECT_EQ(playground_outline(kept.session), playground_outline(fresh.session));
    }
}

// The edits of "format", applied where their positions say, give the text
// tovel-fmt writes.
TEST(PlaygroundSession, FormatEditsGiveTheFormattedText) {
    SessionHolder holder;
    size_t formatted = 0;
    for (const std::string& text : repository_sources()) {
        std::string expected;
        if (format_source(text.c_str(), static_cast<uint32_t>(text.size()), FormatOptions{}, &expected).status !=
            FORMAT_DONE) {
            continue;
        }
        parse(playground_update(holder.session, text));
        JsonHolder answer = parse(playground_format(holder.session, 2, true));
        const cJSON* edits = cJSON_GetObjectItemCaseSensitive(answer.get(), "edits");
        ASSERT_TRUE(cJSON_IsArray(edits));
        LineIndex index;
        line_index_build(&index, text.c_str());
        std::string result = text;
        for (int i = cJSON_GetArraySize(edits) - 1; i >= 0; --i) {
            const cJSON* edit = cJSON_GetArrayItem(edits, i);
            const cJSON* range = cJSON_GetObjectItemCaseSensitive(edit, "range");
            auto offset = [&](int first) {
                ProtocolPosition position{cJSON_GetArrayItem(range, first)->valueint - 1,
                                          cJSON_GetArrayItem(range, first + 1)->valueint - 1};
                uint32_t at = 0;
                EXPECT_TRUE(line_index_offset_at(&index, position, POSITION_ENCODING_UTF16, &at));
                return at;
            };
            uint32_t start = offset(0);
            result.replace(start, offset(2) - start, cJSON_GetObjectItemCaseSensitive(edit, "text")->valuestring);
        }
        line_index_free(&index);
        EXPECT_EQ(result, expected) << text.substr(0, 60);
        ++formatted;
    }
    EXPECT_GE(formatted, 10u);
}

TEST(PlaygroundSession, MistakeAfterWideCharactersAndItsFix) {
    SessionHolder holder;
    const std::string text = "program main()\n  s = \"\xC3\xA9\xF0\x9F\x98\x80\" <> \"x\"\nend program\n";
    EXPECT_EQ(playground_update(holder.session, text),
              "{\"diagnostics\":[{\"severity\":1,\"code\":\"TV_DIAG_LEX_DETAIL\",\"message\":\"'<>' is not an "
              "operator; not-equal is != -- a != b\",\"range\":[2,13,2,15]}],\"findings\":\"runtime error at "
              "playground.tov:2:16: '<>' is not an operator; not-equal is != -- a != b\\n\"}");
    EXPECT_EQ(playground_quick_fixes(holder.session, 2, 14, 2, 14),
              "[{\"title\":\"Replace <> with !=\",\"diagnostic\":0,\"preferred\":true,"
              "\"edits\":[{\"range\":[2,13,2,15],\"text\":\"!=\"}]}]");
    EXPECT_EQ(playground_hover(holder.session, 2, 3),
              "{\"markdown\":\"**variable** `s`, introduced on line 2\",\"range\":[2,3,2,4]}");
}

// Names after wide characters: columns in UTF-16 units, as the editor counts.
TEST(PlaygroundSession, NamesAfterWideCharacters) {
    SessionHolder holder;
    const std::string text = "' Adds.\nfunction add(a, b = 1)\n  return a + b\nend function\n"
                             "x = \"\xC3\xA9\xF0\x9F\x98\x80\" + add(x, 2)\n";
    parse(playground_update(holder.session, text));
    EXPECT_EQ(playground_references(holder.session, 3, 10, true),
              "[{\"range\":[2,14,2,15],\"write\":true,\"declaration\":true},"
              "{\"range\":[3,10,3,11],\"write\":false,\"declaration\":false}]");
    EXPECT_EQ(playground_prepare_rename(holder.session, 5, 14), "{\"range\":[5,13,5,16],\"placeholder\":\"add\"}");
    EXPECT_EQ(playground_rename(holder.session, 5, 14, "plus"),
              "{\"edits\":[{\"range\":[2,10,2,13],\"text\":\"plus\"},{\"range\":[5,13,5,16],\"text\":\"plus\"}]}");
    EXPECT_EQ(playground_rename(holder.session, 5, 14, "end"),
              "{\"refusal\":\"`end` is not a valid name for a function in Tovel.\"}");
    EXPECT_EQ(playground_signature_help(holder.session, 5, 21),
              "{\"label\":\"add(a, b = 1)\",\"parameters\":[\"a\",\"b = 1\"],\"documentation\":\"Adds.\",\"active\":1}");
}

}  // namespace
