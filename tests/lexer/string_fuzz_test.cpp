#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "diag/diagnostic.h"
#include "lexer/string_literal.h"

namespace {

// Bytes that steer the decoder into its escape paths, mixed with arbitrary
// ones so that every byte value shows up now and then.
unsigned char random_literal_byte(std::mt19937& random) {
    static const char kSteering[] = "\\\\\\uuu{{}}0123456789abcdefABDF\"qn\nt";
    std::uniform_int_distribution<int> coin(0, 1);
    if (coin(random)) {
        std::uniform_int_distribution<size_t> pick(0, sizeof kSteering - 2);
        return static_cast<unsigned char>(kSteering[pick(random)]);
    }
    std::uniform_int_distribution<int> any(0, 255);
    return static_cast<unsigned char>(any(random));
}

// Random bytes between quotes, each literal in a heap block of exactly its
// length so that the sanitizer build notices a read past the token, and
// the value checked against its buffer size and the diagnostics added.
TEST(StringFuzz, RandomLiteralsStayInsideTheirBuffers) {
    std::mt19937 random(20261209);
    std::uniform_int_distribution<int32_t> inner_length(0, 48);
    std::uniform_int_distribution<int> quoted(0, 7);
    for (int round = 0; round < 40000; ++round) {
        int32_t inner = inner_length(random);
        bool with_quotes = quoted(random) != 0;  // now and then any bytes at all
        int32_t length = inner + (with_quotes ? 2 : 0);
        char* literal = static_cast<char*>(malloc(length > 0 ? static_cast<size_t>(length) : 1));
        bool has_backslash = false;
        bool has_nul = false;
        for (int32_t i = 0; i < length; ++i) {
            literal[i] = static_cast<char>(random_literal_byte(random));
            has_backslash |= literal[i] == '\\';
            has_nul |= literal[i] == '\0';
        }
        if (with_quotes) {
            literal[0] = '"';
            literal[length - 1] = '"';
        }

        DiagnosticList list;
        diag_list_init(&list);
        StringReport context{};
        context.list = &list;
        context.path = "fuzz.tov";
        int32_t ok = -1;
        char* value = decode_string_literal(&context, literal, length, 7, 3, &ok);

        std::string shown(literal, static_cast<size_t>(length));
        size_t errors = 0;
        for (size_t i = 0; i < diag_list_count(&list); ++i) {
            const Diagnostic* d = diag_list_at(&list, i);
            ASSERT_EQ(d->kind, TV_DIAG_STRING_LITERAL) << shown;
            ASSERT_EQ(d->span.start_line, 7) << shown;
            ASSERT_EQ(d->span.start_column, 3) << shown;
            if (d->severity == SEVERITY_ERROR) {
                ++errors;
                ASSERT_EQ(i + 1, diag_list_count(&list)) << "error not last: " << shown;
            } else {
                ASSERT_EQ(d->severity, SEVERITY_WARNING) << shown;
            }
        }
        if (ok == 1) {
            ASSERT_NE(value, nullptr) << shown;
            ASSERT_EQ(errors, 0u) << shown;
            size_t limit = length > 1 ? static_cast<size_t>(length) - 2 : 0;
            ASSERT_LE(strlen(value), limit) << shown;
            // Without escapes the value is the text between the quotes.
            if (length >= 2 && !has_backslash && !has_nul) {
                ASSERT_EQ(std::string(value), shown.substr(1, static_cast<size_t>(length) - 2));
            }
        } else {
            ASSERT_EQ(ok, 0) << shown;
            ASSERT_EQ(value, nullptr) << shown;
            ASSERT_EQ(errors, 1u) << shown;
        }
        free(value);
        free(literal);
        diag_list_free(&list);
    }
}

}  // namespace
