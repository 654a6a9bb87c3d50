#include "bench/bench_text.h"

#include "bench/pathological_source.h"
#include "bench/realistic_source.h"

namespace {

// Size of the texts whose size can be chosen.
constexpr size_t kTextBytes = 1 << 20;

}  // namespace

const std::string& bench_text(BenchText which) {
    switch (which) {
    case TEXT_REALISTIC: {
        static const std::string text = realistic_tovel_source(kTextBytes);
        return text;
    }
    case TEXT_MANY_ROUTES: {
        static const std::string text = many_routes_source();
        return text;
    }
    case TEXT_MANY_FINDINGS: {
        static const std::string text = many_findings_source();
        return text;
    }
    case TEXT_REPEATED_ROUTE: {
        static const std::string text = repeated_route_source();
        return text;
    }
    case TEXT_REPEATED_DECLARATIONS: {
        static const std::string text = repeated_declarations_source();
        return text;
    }
    case TEXT_ONE_LINE: {
        static const std::string text = findings_on_one_line_source(kTextBytes);
        return text;
    }
    case TEXT_MULTIBYTE_LINES: {
        static const std::string text = multibyte_lines_source(kTextBytes);
        return text;
    }
    case TEXT_MULTIBYTE_ONE_LINE: {
        static const std::string text = multibyte_one_line_source(kTextBytes);
        return text;
    }
    case TEXT_OPERATOR_CHAIN: {
        static const std::string text = operator_chain_source(500000);
        return text;
    }
    default: {
        static const std::string text = realistic_source_of_lines(5000);
        return text;
    }
    }
}
