// The layout on example texts, as data: every tests/ide/format/NAME.tov is
// formatted and compared with NAME.formatted beside it (the refusal, for a
// text that does not parse). A name ending in `.tabs` is formatted with
// tabs, one ending in `.indentN` with N spaces a level. TOVEL_UPDATE=1
// rewrites the goldens.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "ast/region.h"
#include "ide/format.h"
#include "tests/golden_update.h"
#include "tests/test_files.h"

namespace fs = std::filesystem;

namespace {

fs::path format_dir() { return fs::path(TOVEL_SOURCE_DIR) / "tests" / "ide" / "format"; }

std::vector<std::string> case_names() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(format_dir(), error)) {
        if (entry.path().extension() == ".tov") names.push_back(entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

FormatOptions options_named(const std::string& name) {
    FormatOptions options;
    size_t dot = name.rfind('.');
    std::string suffix = dot == std::string::npos ? "" : name.substr(dot + 1);
    if (suffix == "tabs") options.use_tabs = true;
    if (suffix.rfind("indent", 0) == 0) options.indent_width = static_cast<uint32_t>(std::stoi(suffix.substr(6)));
    return options;
}

std::string render(const std::string& text, const FormatResult& result) {
    switch (result.status) {
    case FORMAT_DONE: return format_apply_edits(text.c_str(), static_cast<uint32_t>(text.size()), result.edits);
    case FORMAT_SYNTAX_ERROR:
        return "not formatted: " + std::to_string(result.error_line) + ":" + std::to_string(result.error_column) +
               ": " + result.error_message + "\n";
    case FORMAT_UNSAFE: return "withheld: the layout would change the tree\n";
    }
    return "";
}

class FormatCase : public ::testing::TestWithParam<std::string> {};

TEST_P(FormatCase, LaidOutAsRecorded) {
    const std::string name = GetParam();
    const std::string text = read_file_bytes((format_dir() / (name + ".tov")).string());
    FormatOptions options = options_named(name);
    AstRegion region;
    ast_region_init(&region);
    Analysis* analysis = analysis_create(text.c_str(), "case.tov", &region);
    FormatResult in_editor = ide_format(analysis, options);
    analysis_destroy(analysis);
    ast_region_release(&region);
    std::string formatted;
    FormatResult on_command_line = format_source(text.c_str(), static_cast<uint32_t>(text.size()), options, &formatted);

    std::string rendered = render(text, in_editor);
    EXPECT_EQ(render(text, on_command_line), rendered) << "the editor and the command line disagree";
    if (on_command_line.status == FORMAT_DONE && !on_command_line.edits.empty()) {
        EXPECT_EQ(formatted, rendered);
    }
    const fs::path golden = format_dir() / (name + ".formatted");
    if (update_goldens_requested()) {
        ASSERT_TRUE(write_file_bytes(golden.string(), rendered));
        return;
    }
    EXPECT_EQ(read_file_bytes(golden.string()), rendered) << golden << " (TOVEL_UPDATE=1 rewrites it)";
}

INSTANTIATE_TEST_SUITE_P(Texts, FormatCase, ::testing::ValuesIn(case_names()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return test_name_of(info.param); });

}  // namespace
