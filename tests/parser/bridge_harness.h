#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "diag/diagnostic.h"
#include "lexer/lexer.h"
#include "parser/grammar.tab.h"
#include "parser/token_bridge.h"
#include "parser/parse_context.h"
#include "parser/parse_value.h"

// Drives yylex the way the parser does: one context and one lexer over a
// text, diagnostics collected in a list. Every string the bridge hands out
// is copied into the result and freed at once.
class BridgeHarness {
public:
    struct Delivered {
        int code;
        SourceSpan location;
        bool wrote_text;    // the value's text member was replaced
        std::string text;   // what it held, when replaced
        NumberValue number; // meaningful for NUMBER only
    };

    explicit BridgeHarness(const char* text) {
        lexer_init(&lexer_, text, 1);
        diag_list_init(&list_);
        context_ = ParseContext{};
        context_.lexer = &lexer_;
        context_.diagnostics = &list_;
        context_.path = "mem.tov";
    }
    ~BridgeHarness() { diag_list_free(&list_); }
    BridgeHarness(const BridgeHarness&) = delete;
    BridgeHarness& operator=(const BridgeHarness&) = delete;

    Delivered next() {
        static char sentinel[] = "untouched";
        ParseValue value;
        value.number = NumberValue{-1.0, -1, -1};
        value.text = sentinel;
        Delivered out{};
        out.location = SourceSpan{-1, -1, -1, -1};
        out.code = yylex(&value, &out.location, &context_);
        if (out.code == TOK_NUMBER) {
            out.number = value.number;
        } else if (value.text != sentinel) {
            out.wrote_text = true;
            if (value.text) out.text = value.text;
            free(value.text);
        }
        return out;
    }

    ParseContext& context() { return context_; }
    Lexer& lexer() { return lexer_; }
    size_t diagnostic_count() const { return diag_list_count(&list_); }
    const Diagnostic* diagnostic(size_t index) const { return diag_list_at(&list_, index); }

private:
    Lexer lexer_;
    DiagnosticList list_;
    ParseContext context_;
};

inline void expect_span(const SourceSpan& span, int32_t start_line, int32_t start_column,
                        int32_t end_line, int32_t end_column) {
    EXPECT_EQ(span.start_line, start_line);
    EXPECT_EQ(span.start_column, start_column);
    EXPECT_EQ(span.end_line, end_line);
    EXPECT_EQ(span.end_column, end_column);
}
