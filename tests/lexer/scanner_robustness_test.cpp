// Robustness: random bytes and random mutations of realistic programs.
// Every call must terminate, tokens must lie inside the text at the
// positions their bytes have, positions only move forward, and EOF repeats
// once reached.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "lexer/lexer.h"

namespace {

// Small deterministic generator (splitmix64), identical on every platform.
struct Random {
    uint64_t state;
    uint64_t next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    size_t below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(next() % n); }
    bool one_in(size_t n) { return below(n) == 0; }
};

const char* const kPrograms[] = {
    "program demo\nx = 1\nprint x + 2 ' note\nif x > 1 then\n  print \"big\"\nelse\n  print \"small\"\nend\n",
    "consider level\nif 1\n  print \"one\"\nelse\n  print \"other\"\nend consider\n",
    "function area(w, h)\n  return w * h\nend\nfor i = 1 to 10 step 2\n  total += area(i, 2)\nnext\n",
    "record = {name: \"Ann\", age: 41,\n  tags: [\"a\", \"b\"]}\nx {scale}= 2\ny {within 0.5 } = 3\n",
    "watch total\n  print total\nend\nwait = 2 days 3 hours\nz = math.sqrt (16) + 0x1F - 1.5e-3\n",
    "server api\n  web site\n    route \"/users/{id}\"\n  end\nend\non error\n  print error.code(1)\nend\n",
    "s = \"line\none \\u{1F600} \\\"q\\\" it's\"\nif a !>= b and not c then gosub handler\nhandler:\nreturn\n",
};

// Bytes the scanner treats specially, plus ordinary ones.
const char kAlphabet[] =
    "{}()[]\"'\\\n\r\t .:,=<>!$%&#^;?+-*/_0123456789xXeEaAzZ";
const char* const kWords[] = {"end", "consider", "if", "else", "end consider", "{a}", "{a ",
                              "\\u{", "\xC3\xA9", "\xEF\xBB\xBF", "0x", "1.", "e+"};

void append_random_piece(Random& random, std::string& out) {
    switch (random.below(4)) {
    case 0: out += static_cast<char>(1 + random.below(255)); break;
    case 1: out += kWords[random.below(std::size(kWords))]; break;
    default: out += kAlphabet[random.below(sizeof kAlphabet - 1)]; break;
    }
}

std::string random_text(Random& random) {
    std::string out;
    size_t pieces = random.below(200);
    for (size_t i = 0; i < pieces; ++i) append_random_piece(random, out);
    return out;
}

std::string mutated_program(Random& random) {
    std::string text = kPrograms[random.below(std::size(kPrograms))];
    size_t edits = 1 + random.below(6);
    for (size_t i = 0; i < edits; ++i) {
        size_t at = random.below(text.size() + 1);
        switch (random.below(5)) {
        case 0: {
            std::string piece;
            append_random_piece(random, piece);
            text.insert(at, piece);
            break;
        }
        case 1: text.erase(at, random.below(12)); break;
        case 2: text.insert(at, text.substr(random.below(text.size()), random.below(30))); break;
        case 3: if (at < text.size()) text[at] = kAlphabet[random.below(sizeof kAlphabet - 1)]; break;
        default: text.resize(at); break;
        }
    }
    return text;
}

// Walks a cursor through the text to compute the position of any byte at
// or after the previous one, the way the lexer counts positions.
struct PositionCursor {
    const char* at;
    int32_t line = 1;
    int32_t column = 1;
    void move_to(const char* target) {
        for (; at < target; ++at) {
            if (*at == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
    }
};

void check_text(const std::string& text, Random& random) {
    const char* source = text.c_str();
    const char* end = source + std::strlen(source);
    Lexer lexer;
    lexer_init(&lexer, source, 1);
    PositionCursor cursor{lexer.cur};
    int32_t last_line = 1, last_column = 1;
    const size_t limit = 2 * static_cast<size_t>(end - source) + 4;
    size_t count = 0;
    for (;; ++count) {
        ASSERT_LE(count, limit) << "too many tokens for: " << text;
        if (random.one_in(20)) lexer_begin_lens(&lexer);
        Token token = lexer_next_token(&lexer);
        ASSERT_GE(token.kind, TOKEN_EOF);
        ASSERT_LE(token.kind, TOKEN_ERROR);
        ASSERT_GE(token.length, 0);
        ASSERT_GE(token.start, source);
        ASSERT_LE(token.start + token.length, end) << text;
        ASSERT_GE(token.start, cursor.at) << "token start moved back in: " << text;
        cursor.move_to(token.start);
        if (token.kind == TOKEN_MODIFIER_PREFIX) {
            // Positioned at its `{`, earlier on the same line as its text.
            ASSERT_EQ(token.line, cursor.line) << text;
            ASSERT_LT(token.column, cursor.column) << text;
            ASSERT_EQ(token.start[token.column - cursor.column], '{') << text;
        } else {
            ASSERT_EQ(token.line, cursor.line) << text;
            ASSERT_EQ(token.column, cursor.column) << text;
        }
        ASSERT_TRUE(token.line > last_line || (token.line == last_line && token.column >= last_column))
            << "position moved back in: " << text;
        last_line = token.line;
        last_column = token.column;
        ASSERT_GE(lexer.bracket_depth, 0);
        ASSERT_GE(lexer.consider_depth, 0);
        ASSERT_LT(strnlen(lexer.error_message, sizeof lexer.error_message), sizeof lexer.error_message);
        ASSERT_LE(lexer.cur, end);
        if (token.kind == TOKEN_EOF) break;
        if (token.kind == TOKEN_LBRACE && random.one_in(2)) lexer_begin_lens(&lexer);
    }
    ASSERT_EQ(lexer.cur, end);
    for (int again = 0; again < 3; ++again) {
        Token token = lexer_next_token(&lexer);
        ASSERT_EQ(token.kind, TOKEN_EOF);
        ASSERT_EQ(token.length, 0);
        ASSERT_EQ(token.start, end);
        ASSERT_EQ(token.line, last_line);
        ASSERT_EQ(token.column, last_column);
    }
}

TEST(ScannerRobustness, RandomBytes) {
    Random random{20261209};
    for (int i = 0; i < 3000; ++i) {
        check_text(random_text(random), random);
        if (HasFatalFailure()) return;
    }
}

TEST(ScannerRobustness, MutatedPrograms) {
    Random random{4242};
    for (int i = 0; i < 3000; ++i) {
        check_text(mutated_program(random), random);
        if (HasFatalFailure()) return;
    }
}

TEST(ScannerRobustness, Extremes) {
    Random random{7};
    const std::string cases[] = {
        std::string(10000, '('),
        std::string(10000, '{'),
        std::string(5000, '[') + std::string(5000, ']') + "\n",
        std::string(100000, 'a'),
        "\"" + std::string(100000, 'x'),
        std::string(20000, '\\'),
        "{" + std::string(50000, 'a') + " " + std::string(50000, '"'),
        std::string(3000, ' ') + "end" + std::string(3000, '\t') + "consider",
        "\xEF\xBB",
        "\xEF",
        "'",
    };
    for (const std::string& text : cases) {
        check_text(text, random);
        if (HasFatalFailure()) return;
    }
}

}  // namespace
