// Go to definition and hover.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ide/features.h"
#include "ide/durations.h"

namespace {

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

// "2 days 6 hours": the whole run of number-and-unit pairs around `token`.
bool duration_hover(Analysis* analysis, size_t token, IdeHover* hover) {
    DurationRun run;
    if (!duration_run_at(analysis_outline(analysis), token, &run)) return false;
    hover->markdown = "**Duration**: " + duration_seconds_text(run.seconds) + " seconds";
    if (run.calendar) hover->markdown += " (" + std::string(kCalendarNote) + ")";
    hover->range = {analysis_token_range(analysis, run.first).start, analysis_token_range(analysis, run.last).end};
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

// The comment lines right above `line`, each without its `'` and one blank.
std::string ide_comment_above(Analysis* analysis, uint32_t line) {
    LineIndex* index = analysis_index(analysis);
    std::vector<std::string> lines;
    for (uint32_t at = line; at-- > 0 && lines.size() < 50;) {
        TextRange range = line_index_line(index, at);
        uint32_t start = range.start;
        uint32_t end = range.end;
        while (start < end && (analysis->text[start] == ' ' || analysis->text[start] == '\t')) ++start;
        while (end > start && (analysis->text[end - 1] == '\n' || analysis->text[end - 1] == '\r')) --end;
        if (start == end || analysis->text[start] != '\'') break;
        ++start;
        if (start < end && analysis->text[start] == ' ') ++start;
        lines.emplace_back(analysis->text + start, end - start);
    }
    std::string doc;
    for (size_t i = lines.size(); i-- > 0;) doc += lines[i] + (i > 0 ? "\n" : "");
    return doc;
}

namespace {

uint32_t line_of(Analysis* analysis, uint32_t offset) { return line_index_line_of(analysis_index(analysis), offset); }

// What a declared name is, where it comes from, and what it documents.
std::string name_markdown(Analysis* analysis, const NameIndex& index, const NameDecl& d) {
    std::string line = std::to_string(line_of(analysis, d.range.start) + 1);
    switch (d.kind) {
    case NAME_FUNCTION:
    case NAME_MODIFIER: {
        std::string header = std::string(name_kind_word(d.kind)) + " " + d.name + d.detail;
        if (!d.context.empty()) header += " for " + d.context;
        std::string text = "```tovel\n" + header + "\n```";
        std::string doc = ide_comment_above(analysis, line_of(analysis, d.block.start));
        return doc.empty() ? text : text + "\n\n" + doc;
    }
    case NAME_PARAMETER: {
        std::string text = "**parameter** `" + d.name + "`";
        if (d.owner != kNoName) text += " of `" + index.decls[static_cast<size_t>(d.owner)].name + "`";
        if (!d.detail.empty()) text += ", by default `" + d.detail + "`";
        return text;
    }
    case NAME_VARIABLE: return "**variable** `" + d.name + "`, introduced on line " + line;
    case NAME_LABEL: return "**label** `" + d.name + "`, on line " + line;
    case NAME_ALIAS: return "**module** `" + d.name + "`, brought in on line " + line;
    case NAME_FIELD:
    case NAME_MEMBER: break;
    }
    return "";
}

bool name_hover(Analysis* analysis, uint32_t offset, IdeHover* hover) {
    const NameIndex& index = analysis_names(analysis);
    int32_t at = name_use_at(index, offset);
    if (at == kNoName) return false;
    const NameUse& use = index.uses[static_cast<size_t>(at)];
    std::string name(analysis->text + use.range.start, use.range.length());
    hover->range = use.range;
    if (use.decl != kNoName) {
        hover->markdown = name_markdown(analysis, index, index.decls[static_cast<size_t>(use.decl)]);
    } else if (use.kind == NAME_MEMBER) {
        const NameUse& base = index.uses[static_cast<size_t>(use.base)];
        hover->markdown = "**member** `" + name + "` of `" + std::string(analysis->text + base.range.start, base.range.length()) + "`";
    } else if (use.kind == NAME_FIELD) {
        hover->markdown = "**field** `" + name + "`";
    } else {
        hover->markdown = "**" + std::string(name_kind_word(use.kind)) + "** `" + name + "`, not declared in this file";
    }
    return !hover->markdown.empty();
}

}  // namespace

// A duration covers its whole run of numbers and units; everything else
// covers the token.
bool ide_hover(Analysis* analysis, uint32_t offset, IdeHover* hover) {
    size_t token = analysis_token_at(analysis, offset);
    // Inside a brace prefix no token starts: its modifier's words are a name.
    if (token == kNoToken) return name_hover(analysis, offset, hover);
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
    if (name_hover(analysis, offset, hover)) return true;
    hover->range = analysis_token_range(analysis, token);
    if (const char* summary = keyword_summary(t.kind)) {
        hover->markdown = "**" + token_text(t) + "**: " + summary;
        return true;
    }
    return false;
}

bool ide_definition(Analysis* analysis, uint32_t offset, TextRange* target) {
    const NameIndex& index = analysis_names(analysis);
    int32_t at = name_use_at(index, offset);
    if (at == kNoName || index.uses[static_cast<size_t>(at)].decl == kNoName) return false;
    *target = index.decls[static_cast<size_t>(index.uses[static_cast<size_t>(at)].decl)].range;
    return true;
}
