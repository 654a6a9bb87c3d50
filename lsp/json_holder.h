#pragma once

#include <cstdlib>
#include <memory>

#include <cjson/cJSON.h>

// Owning holders so that every cJSON tree, printed text and message body is
// released on every path out of a function.

struct JsonDeleter {
    void operator()(cJSON* item) const { cJSON_Delete(item); }
};
using JsonHolder = std::unique_ptr<cJSON, JsonDeleter>;

struct PrintedJsonDeleter {
    void operator()(char* text) const { cJSON_free(text); }
};
using PrintedJson = std::unique_ptr<char, PrintedJsonDeleter>;

struct MallocDeleter {
    void operator()(char* buffer) const { free(buffer); }
};
using MessageBody = std::unique_ptr<char, MallocDeleter>;
