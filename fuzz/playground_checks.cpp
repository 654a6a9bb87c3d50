// The playground and the server are two edges over the same features: for
// one text they must show the same findings at the same places.
#include <string>

#include "fuzz/fuzz_checks.h"
#include "lsp/json_holder.h"
#include "playground/session.h"

namespace {

int32_t member_int(const cJSON* object, const char* a, const char* b) {
    const cJSON* inner = cJSON_GetObjectItemCaseSensitive(cJSON_GetObjectItemCaseSensitive(object, a), b);
    return cJSON_IsNumber(inner) ? inner->valueint : -1;
}

// The protocol's range (0-based) as the playground writes it (1-based).
std::string editor_range(const cJSON* range) {
    return "[" + std::to_string(member_int(range, "start", "line") + 1) + "," +
           std::to_string(member_int(range, "start", "character") + 1) + "," +
           std::to_string(member_int(range, "end", "line") + 1) + "," +
           std::to_string(member_int(range, "end", "character") + 1) + "]";
}

std::string printed(const cJSON* json) {
    PrintedJson text(cJSON_PrintUnformatted(json));
    return text ? text.get() : "";
}

std::string compare_finding(const cJSON* server, const cJSON* playground, int index) {
    std::string at = "finding " + std::to_string(index) + ": ";
    const cJSON* message = cJSON_GetObjectItemCaseSensitive(server, "message");
    const cJSON* shown = cJSON_GetObjectItemCaseSensitive(playground, "message");
    if (!cJSON_IsString(message) || !cJSON_IsString(shown) || std::string(message->valuestring) != shown->valuestring) {
        return at + "the playground's message differs from the server's";
    }
    if (editor_range(cJSON_GetObjectItemCaseSensitive(server, "range")) !=
        printed(cJSON_GetObjectItemCaseSensitive(playground, "range"))) {
        return at + "the playground places it elsewhere than the server";
    }
    const cJSON* related = cJSON_GetArrayItem(cJSON_GetObjectItemCaseSensitive(server, "relatedInformation"), 0);
    const cJSON* shown_related = cJSON_GetObjectItemCaseSensitive(playground, "related");
    if ((related == nullptr) != (shown_related == nullptr)) return at + "only one side names an earlier place";
    if (related != nullptr &&
        editor_range(cJSON_GetObjectItemCaseSensitive(cJSON_GetObjectItemCaseSensitive(related, "location"), "range")) !=
            printed(cJSON_GetObjectItemCaseSensitive(shown_related, "range"))) {
        return at + "the earlier place differs";
    }
    return "";
}

}  // namespace

std::string check_playground_agrees(const char* text, const cJSON* published) {
    PlaygroundSession* session = playground_session_create();
    JsonHolder answer(cJSON_Parse(playground_update(session, text).c_str()));
    playground_session_destroy(session);
    const cJSON* findings = cJSON_GetObjectItemCaseSensitive(answer.get(), "diagnostics");
    if (!cJSON_IsArray(findings)) return "the playground's update is not the JSON it promises";
    if (cJSON_GetArraySize(findings) != cJSON_GetArraySize(published)) {
        return "the playground shows " + std::to_string(cJSON_GetArraySize(findings)) + " findings, the server " +
               std::to_string(cJSON_GetArraySize(published));
    }
    for (int i = 0; i < cJSON_GetArraySize(published); ++i) {
        std::string problem = compare_finding(cJSON_GetArrayItem(published, i), cJSON_GetArrayItem(findings, i), i);
        if (!problem.empty()) return problem;
    }
    return "";
}
