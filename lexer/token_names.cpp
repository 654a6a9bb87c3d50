// Names of the token kinds, used when tracing and in test renderings.
#include "lexer/lexer.h"

namespace {

constexpr const char* kTokenKindNames[TOKEN_KIND_COUNT] = {
#define TOVEL_TOKEN_KIND_NAME(kind, grammar_token) #kind,
    TOVEL_TOKEN_KINDS(TOVEL_TOKEN_KIND_NAME)
#undef TOVEL_TOKEN_KIND_NAME
};

}  // namespace

const char* token_kind_name(int32_t kind) {
    if (kind < 0 || kind >= TOKEN_KIND_COUNT) return "UNKNOWN";
    return kTokenKindNames[kind];
}
