// Go to definition and hover.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ide/features.h"
#include "lexer/duration_units.h"

namespace {

bool is_jump(TokenKind kind) { return kind == TOKEN_GOTO || kind == TOKEN_GOSUB; }

// The function a token calls: `name(` or `a.b(`; -1 when it calls nothing
// declared here.
int32_t called_function(const Outline& outline, size_t token) {
    const Token& t = outline.tokens[token];
    if (t.kind != TOKEN_IDENT && t.kind != TOKEN_QUALIFIED_IDENT) return -1;
    return outline_find_function(outline, token_text(t));
}

bool names_label(const Outline& outline, size_t token) {
    return outline.tokens[token].kind == TOKEN_IDENT && token > 0 && is_jump(outline.tokens[token - 1].kind);
}

// One line per keyword: what it does.
const char* keyword_summary(TokenKind kind) {
    switch (kind) {
    case TOKEN_PROGRAM: return "declares the program block: its parameters and the statements that run first";
    case TOKEN_LIBRARY: return "declares a library: functions and modifiers other files `use` or `load`";
    case TOKEN_LOAD: return "loads another Tovel file (`load name from \"path\" as alias`)";
    case TOKEN_USE: return "makes a library's names available (`use name` or `use name from \"path\"`)";
    case TOKEN_EXPORT: return "makes a modifier visible to files that load this one";
    case TOKEN_IF: case TOKEN_CONSIDER_IF: return "runs statements when a condition holds; a branch of `consider` when in its column";
    case TOKEN_THEN: return "ends the condition of an `if`";
    case TOKEN_ELSE: case TOKEN_CONSIDER_ELSE: return "the statements that run when no condition before it held";
    case TOKEN_END: return "closes the block named after it (`end if`, `end function`, `end get`)";
    case TOKEN_END_CONSIDER: return "closes a `consider` statement";
    case TOKEN_FOR: return "repeats statements for a range (`for i = 1 to 10`) or each element (`for each x in xs`)";
    case TOKEN_TO: return "the upper limit of a counted loop";
    case TOKEN_STEP: return "how much a counted loop adds each time";
    case TOKEN_DO: return "starts a loop that runs at least once, closed by `until`";
    case TOKEN_UNTIL: return "ends a `do` loop when its condition holds";
    case TOKEN_WHILE: return "repeats statements while a condition holds";
    case TOKEN_CONSIDER: return "picks the first branch whose value matches the subject";
    case TOKEN_BREAK: return "leaves the innermost loop";
    case TOKEN_CONTINUE: return "goes on with the next round of the innermost loop";
    case TOKEN_FUNCTION: return "declares a function";
    case TOKEN_RETURN: return "ends the function or `gosub` and hands back a value";
    case TOKEN_PRINT: return "writes a value to the output (`print to error` writes to the error stream)";
    case TOKEN_DIM: return "not a Tovel statement: assign to create a variable";
    case TOKEN_AS: return "names what `load` brings in";
    case TOKEN_WATCH: return "runs statements whenever the watched values change";
    case TOKEN_UNWATCH: return "stops watching a value";
    case TOKEN_WITHOUT: case TOKEN_WATCHERS: return "`without watchers` runs statements without triggering any watch";
    case TOKEN_MODIFIER: return "declares a modifier, applied with a brace prefix or a lens";
    case TOKEN_GOTO: return "jumps to a label";
    case TOKEN_GOSUB: return "jumps to a label and comes back at its `return`";
    case TOKEN_WITH: return "runs statements holding a lock (`with lock(x)`) or as a principal";
    case TOKEN_NEW: return "makes an object from a prototype, optionally `with` a record of fields";
    case TOKEN_SPAWN: return "starts a function as an actor of its own";
    case TOKEN_ON: return "sets how errors and warnings are handled, or declares a server hook";
    case TOKEN_NEXT: return "closes a `for` loop";
    case TOKEN_STOP: return "stops the program (in `on error stop`, on the first error)";
    case TOKEN_ERROR_VALUE: return "the current error, or raises one (`error \"message\"`)";
    case TOKEN_TRUE: case TOKEN_FALSE: return "a boolean value";
    case TOKEN_NOTHING: return "the absence of a value";
    case TOKEN_UNKNOWN: return "a value not known yet";
    case TOKEN_AND: return "true when both sides are";
    case TOKEN_OR: return "true when either side is";
    case TOKEN_NOT: return "negates a condition";
    case TOKEN_EXCLUDING: return "the elements of the left side not in the right";
    case TOKEN_INTERSECTING: return "the elements in both sides";
    case TOKEN_IN: return "what a `for each` loop walks";
    case TOKEN_EACH: return "`for each` walks the elements of a collection";
    default: return nullptr;
    }
}

int32_t unit_of(const Token& token) {
    return token.kind == TOKEN_IDENT ? duration_unit_of(token.start, static_cast<size_t>(token.length)) : -1;
}

bool is_duration_pair(const Outline& o, size_t number) {
    return number + 1 < o.tokens.size() && o.tokens[number].kind == TOKEN_NUMBER &&
           o.tokens[number + 1].line == o.tokens[number].line && unit_of(o.tokens[number + 1]) >= 0;
}

// "2 days 6 hours": the whole run of number-and-unit pairs around `token`.
bool duration_hover(Analysis* analysis, size_t token, IdeHover* hover) {
    const Outline& o = analysis_outline(analysis);
    size_t pair = o.tokens[token].kind == TOKEN_NUMBER ? token : token - (token > 0 ? 1 : 0);
    if (!is_duration_pair(o, pair)) return false;
    size_t first = pair;
    while (first >= 2 && is_duration_pair(o, first - 2)) first -= 2;
    double seconds = 0;
    bool calendar = false;
    size_t last = first;
    for (size_t i = first; is_duration_pair(o, i); i += 2) {
        const DurationUnit& unit = kDurationUnits[unit_of(o.tokens[i + 1])];
        calendar |= unit.calendar;
        seconds += std::trunc(std::strtod(token_text(o.tokens[i]).c_str(), nullptr)) * static_cast<double>(unit.seconds);
        last = i + 1;
    }
    char total[64];
    std::snprintf(total, sizeof total, "%.0f", seconds);
    hover->markdown = "**Duration**: " + std::string(total) + " seconds";
    if (calendar) hover->markdown += " (a month counts as 30 days, a year as 365)";
    hover->range = {analysis_token_range(analysis, first).start, analysis_token_range(analysis, last).end};
    return true;
}

// The route a verb or path token belongs to, or -1.
int32_t route_of(const Outline& o, size_t token) {
    for (size_t i = 0; i < o.blocks.size(); ++i) {
        const OutlineBlock& block = o.blocks[i];
        if (block.kind == BLOCK_ROUTE && (token == block.name_token || token == block.name_token + 1)) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

}  // namespace

// A duration covers its whole run of numbers and units; everything else
// covers the token.
bool ide_hover(Analysis* analysis, uint32_t offset, IdeHover* hover) {
    size_t token = analysis_token_at(analysis, offset);
    if (token == kNoToken) return false;
    const Outline& o = analysis_outline(analysis);
    const Token& t = o.tokens[token];
    hover->range = analysis_token_range(analysis, token);
    if (duration_hover(analysis, token, hover)) return true;
    if (int32_t route = route_of(o, token); route >= 0) {
        const OutlineBlock& block = o.blocks[static_cast<size_t>(route)];
        std::string verb = token_text(o.tokens[block.name_token]);
        hover->markdown = "**Route** `" + verb + "` `" + block.name.substr(verb.size() + 1) + "`";
        return true;
    }
    if (int32_t function = called_function(o, token); function >= 0) {
        const OutlineBlock& block = o.blocks[static_cast<size_t>(function)];
        hover->markdown = "```tovel\nfunction " + block.name + block.detail + "\n```";
        return true;
    }
    if (const char* summary = keyword_summary(t.kind)) {
        hover->markdown = "**" + token_text(t) + "**: " + summary;
        return true;
    }
    return false;
}

bool ide_definition(Analysis* analysis, uint32_t offset, TextRange* target) {
    size_t token = analysis_token_at(analysis, offset);
    if (token == kNoToken) return false;
    const Outline& o = analysis_outline(analysis);
    if (names_label(o, token)) {
        size_t label = outline_find_label(o, token_text(o.tokens[token]));
        if (label == kNoToken) return false;
        *target = analysis_token_range(analysis, label);
        return true;
    }
    int32_t function = called_function(o, token);
    if (function < 0) return false;
    *target = analysis_token_range(analysis, o.blocks[static_cast<size_t>(function)].name_token);
    return true;
}
