#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <vector>

#include "tests/e2e/cli_run.h"
#include "tests/e2e/framing.h"
#include "tests/e2e/lsp_process.h"

// The example programs are opened in the real server: the valid ones and
// the corrected ones must publish nothing, and each file of mistakes must
// publish findings of its stage only, so the examples cannot rot silently.
namespace {

constexpr int kTimeoutMs = 30000;

struct Published {
    bool ok = false;
    std::vector<std::string> codes;
    std::vector<int> severities;
};

std::vector<std::string> tov_files(const std::string& dir) {
    std::vector<std::string> files;
    if (DIR* handle = opendir(dir.c_str())) {
        while (dirent* entry = readdir(handle)) {
            std::string name = entry->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tov") == 0) {
                files.push_back(dir + "/" + name);
            }
        }
        closedir(handle);
    }
    return files;
}

// Values of every `"name":` member in the order they appear; the server
// writes protocol diagnostics without white space.
std::vector<std::string> member_values(const std::string& body, const std::string& name) {
    std::vector<std::string> values;
    std::string key = "\"" + name + "\":";
    for (size_t at = body.find(key); at != std::string::npos; at = body.find(key, at + 1)) {
        size_t start = at + key.size();
        size_t end = body.find_first_of(",}", start);
        std::string value = body.substr(start, end - start);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        values.push_back(value);
    }
    return values;
}

Published publish(const std::string& text) {
    std::string body =
        "{\"jsonrpc\":\"2.0\",\"method\":\"textDocument/didOpen\",\"params\":{\"textDocument\":"
        "{\"uri\":\"file:///example.tov\",\"text\":" + json_string(text) + "}}}";
    Published result;
    RunResult run = run_with_input(TOVEL_LSP_PATH, frame(body), kTimeoutMs);
    std::vector<std::string> bodies;
    std::string problem;
    if (run.exit.timed_out || run.exit.status != 0 || !split_frames(run.output, &bodies, &problem) ||
        bodies.size() != 1) {
        return result;
    }
    result.ok = bodies[0].find("\"diagnostics\":[") != std::string::npos;
    result.codes = member_values(bodies[0], "code");
    for (const std::string& severity : member_values(bodies[0], "severity")) {
        result.severities.push_back(atoi(severity.c_str()));
    }
    return result;
}

TEST(Examples, ValidProgramsPublishNothing) {
    std::string root = std::string(TOVEL_SOURCE_DIR) + "/examples";
    std::vector<std::string> files = tov_files(root);
    for (const std::string& file : tov_files(root + "/fixed")) {
        files.push_back(file);
    }
    ASSERT_GE(files.size(), 2u);
    for (const std::string& file : files) {
        Published published = publish(read_file_bytes(file));
        ASSERT_TRUE(published.ok) << file;
        EXPECT_EQ(published.codes, std::vector<std::string>{}) << file;
    }
}

TEST(Examples, MistakesPublishFindingsOfTheirStage) {
    struct Stage {
        const char* prefix;
        std::vector<std::string> codes;
        int severity;
    };
    const Stage stages[] = {
        {"lexer_", {"TV_DIAG_LEX_DETAIL", "TV_DIAG_LEX_ERROR"}, 1},
        {"parser_", {"TV_DIAG_PARSE_ERROR"}, 1},
        {"string_", {"TV_DIAG_STRING_LITERAL"}, 2},
        {"server_", {"TV_DIAG_SERVER_BLOCK"}, 1},
    };
    std::vector<std::string> files = tov_files(std::string(TOVEL_SOURCE_DIR) + "/examples/mistakes");
    ASSERT_GE(files.size(), 4u);
    for (const std::string& file : files) {
        std::string name = file.substr(file.find_last_of('/') + 1);
        const Stage* stage = nullptr;
        for (const Stage& candidate : stages) {
            if (name.rfind(candidate.prefix, 0) == 0) stage = &candidate;
        }
        ASSERT_NE(stage, nullptr) << "no stage for " << name;
        Published published = publish(read_file_bytes(file));
        ASSERT_TRUE(published.ok) << file;
        EXPECT_FALSE(published.codes.empty()) << file;
        for (size_t i = 0; i < published.codes.size(); ++i) {
            EXPECT_NE(std::find(stage->codes.begin(), stage->codes.end(), published.codes[i]),
                      stage->codes.end())
                << file << ": " << published.codes[i];
            EXPECT_EQ(published.severities[i], stage->severity) << file;
        }
    }
}

}  // namespace
