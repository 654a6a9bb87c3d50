// The name index: one walk over the syntax tree in text order, with an
// explicit stack (no nesting depth reaches the C stack). A node's handler
// looks at its children and pushes them with a mark saying what the names
// among them are; the names are recorded when the walk reaches them, so
// assignments declare in the order the program runs them. Reads, calls,
// jumps and modifiers resolve once the whole text is seen.
#include "ide/names.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "diag/ascii.h"
#include "ide/names_internal.h"
#include "syntax/syntax_tree.h"

namespace {

// The grammar symbols the index reads, looked up by name once.
struct NameSymbols {
    int32_t function, modifier, program, library, server, server_item;
    int32_t parameter_list, parameter_default, assignment, variable_name, dot_field_name, primary;
    int32_t ident_suffix, call_statement, unary_expression, for_each, label, go_to, go_sub, on_error;
    int32_t use, record_field_list, modifier_context;
    std::vector<uint8_t> handled;  // per symbol: one of the above, read by a handler of its own

    bool has_handler(int32_t symbol) const {
        return symbol >= 0 && static_cast<size_t>(symbol) < handled.size() && handled[static_cast<size_t>(symbol)];
    }

    static const NameSymbols& get() {
        static const NameSymbols symbols = make();
        return symbols;
    }

private:
    static NameSymbols make() {
        NameSymbols t = {
            syntax_symbol_named("function_statement"), syntax_symbol_named("modifier_statement"),
            syntax_symbol_named("program_statement"),  syntax_symbol_named("library_statement"),
            syntax_symbol_named("server_statement"),   syntax_symbol_named("server_item"),
            syntax_symbol_named("parameter_list"),     syntax_symbol_named("parameter_default"),
            syntax_symbol_named("assignment"),         syntax_symbol_named("variable_name"),
            syntax_symbol_named("dot_field_name"),     syntax_symbol_named("primary"),
            syntax_symbol_named("ident_suffix"),       syntax_symbol_named("call_statement"),
            syntax_symbol_named("unary_expression"),   syntax_symbol_named("for_each_statement"),
            syntax_symbol_named("label_statement"),    syntax_symbol_named("goto_statement"),
            syntax_symbol_named("gosub_statement"),    syntax_symbol_named("on_error_statement"),
            syntax_symbol_named("use_statement"),      syntax_symbol_named("record_field_list"),
            syntax_symbol_named("modifier_context"),   {}};
        const int32_t all[] = {t.function, t.modifier, t.program, t.library, t.server, t.server_item,
                               t.parameter_list, t.parameter_default, t.assignment, t.variable_name,
                               t.dot_field_name, t.primary, t.ident_suffix, t.call_statement, t.unary_expression,
                               t.for_each, t.label, t.go_to, t.go_sub, t.on_error, t.use,
                               t.record_field_list, t.modifier_context};
        for (int32_t symbol : all) {
            if (symbol < 0) continue;
            if (static_cast<size_t>(symbol) >= t.handled.size()) t.handled.resize(static_cast<size_t>(symbol) + 1, 0);
            t.handled[static_cast<size_t>(symbol)] = 1;
        }
        return t;
    }
};

// What a pushed child is, as its parent decided.
enum Mark : int32_t {
    MARK_WALK,        // walk it by its own symbol
    MARK_SKIP,        // no names in it
    MARK_WRITE,       // the variable an assignment or loop writes
    MARK_PARAMETER,
    MARK_CALL,        // a function called by a plain name
    MARK_QUALIFIED,   // `a.b(`: a function of the file, or a member of `a`
    MARK_FIELD,
    MARK_LABEL,       // declared
    MARK_JUMP,        // a label jumped to
    MARK_ALIAS,       // a module name or alias declared
};

struct Entry {
    uint32_t node;
    int32_t scope;
    Mark mark;
};

class IndexWalk {
public:
    IndexWalk(NameIndex* index, const SyntaxTree& tree) : x_(*index), tree_(tree), s_(NameSymbols::get()) {}

    void run() {
        x_.scopes.push_back({SCOPE_FILE, kNoName, {0, tree_.length}, tree_.length, kNoName});
        x_.uses.reserve(tree_.nodes.size() / 8);
        x_.values.reserve(tree_.nodes.size() / 32);
        stack_.reserve(4096);
        param_counts_.push_back(0);
        stack_.push_back({tree_.root, 0, MARK_WALK});
        while (!stack_.empty()) {
            Entry entry = stack_.back();
            stack_.pop_back();
            // A plain node's first child comes next: it is taken on at once.
            while (visit(entry, &entry)) {
            }
        }
    }

private:
    const SyntaxNode& node(uint32_t n) const { return tree_.nodes[n]; }
    bool is_token(uint32_t n, TokenKind kind) const {
        return (node(n).flags & SYNTAX_TOKEN) && node(n).token == kind && !(node(n).flags & SYNTAX_MISSING);
    }
    bool is_name_token(uint32_t n) const { return is_token(n, TOKEN_IDENT) || is_token(n, TOKEN_QUALIFIED_IDENT); }
    std::string_view text(TextRange range) const {
        return {tree_.text + range.start, static_cast<size_t>(range.length())};
    }

    // A block's range ends with its closing line's break; its text ends before.
    TextRange without_line_break(TextRange range) const {
        while (range.end > range.start && (tree_.text[range.end - 1] == '\n' || tree_.text[range.end - 1] == '\r')) --range.end;
        return range;
    }

    void children(uint32_t n, std::vector<uint32_t>* out) const {
        out->clear();
        for (uint32_t c = node(n).first_child; c != kNoSyntaxNode; c = node(c).next_sibling) out->push_back(c);
    }

    // Pushes the children so that they come off the stack in text order.
    void push_all(const std::vector<uint32_t>& kids, const std::vector<Mark>& marks, int32_t scope) {
        for (size_t i = kids.size(); i-- > 0;) {
            if (marks[i] == MARK_SKIP) continue;
            // Tokens matter only when marked, or when they name modifiers.
            const SyntaxNode& kid = node(kids[i]);
            if (marks[i] == MARK_WALK && (kid.flags & SYNTAX_TOKEN) && kid.token != TOKEN_MODIFIER_PREFIX &&
                kid.token != TOKEN_LENS_CONTENT) {
                continue;
            }
            stack_.push_back({kids[i], scope, marks[i]});
        }
    }

    // `name(...)` or `a.b(...)`: a primary that calls.
    bool is_call(const SyntaxNode& primary) const {
        uint32_t first = primary.first_child;
        if (first == kNoSyntaxNode) return false;
        if (is_token(first, TOKEN_QUALIFIED_IDENT)) return true;
        uint32_t suffix = node(first).next_sibling;
        return node(first).symbol == s_.variable_name && suffix != kNoSyntaxNode && node(suffix).symbol == s_.ident_suffix &&
               is_token(node(suffix).first_child, TOKEN_LPAREN);
    }

    // Most nodes (expressions, statements, lists) hold names only in the
    // nodes below them: their children go on the stack as they are, but for
    // a name right after `.`, a field, and tokens that name modifiers.
    // Skipped tokens inside an ERROR node are not read as names.
    void walk_children(uint32_t n, int32_t scope) {
        // Gathered first, pushed last to first; nodes rarely have more than
        // a handful of children, lists and ERROR nodes aside.
        Entry gathered[16];
        size_t count = 0;
        size_t base = stack_.size();
        bool after_dot = false;
        for (uint32_t c = node(n).first_child; c != kNoSyntaxNode; c = node(c).next_sibling) {
            const SyntaxNode& kid = node(c);
            Mark mark = MARK_SKIP;
            if (!(kid.flags & SYNTAX_TOKEN)) {
                mark = MARK_WALK;
            } else if (!(kid.flags & SYNTAX_MISSING)) {
                if (after_dot && (kid.token == TOKEN_IDENT || kid.token == TOKEN_QUALIFIED_IDENT)) {
                    mark = MARK_FIELD;
                } else if (kid.token == TOKEN_MODIFIER_PREFIX || kid.token == TOKEN_LENS_CONTENT) {
                    mark = MARK_WALK;
                }
            }
            after_dot = (kid.flags & SYNTAX_TOKEN) && kid.token == TOKEN_DOT && !(kid.flags & SYNTAX_MISSING);
            if (mark == MARK_SKIP) continue;
            if (count == 16) {
                stack_.insert(stack_.end(), gathered, gathered + count);
                count = 0;
            }
            gathered[count++] = {c, scope, mark};
        }
        if (stack_.size() == base) {
            for (size_t i = count; i-- > 0;) stack_.push_back(gathered[i]);
            return;
        }
        stack_.insert(stack_.end(), gathered, gathered + count);
        std::reverse(stack_.begin() + static_cast<ptrdiff_t>(base), stack_.end());
    }

    // The marks every node gets unless its handler says otherwise: a name
    // right after `.` is a field, other bare name tokens are not names.
    void default_marks(const std::vector<uint32_t>& kids, std::vector<Mark>* out) const {
        std::vector<Mark>& marks = *out;
        marks.assign(kids.size(), MARK_WALK);
        for (size_t i = 0; i < kids.size(); ++i) {
            if (!(node(kids[i]).flags & SYNTAX_TOKEN)) continue;
            bool after_dot = i > 0 && is_token(kids[i - 1], TOKEN_DOT);
            if (is_name_token(kids[i])) marks[i] = after_dot ? MARK_FIELD : MARK_SKIP;
        }
    }

    // True with `next` set when the node's first child is to be visited
    // next (its other children are on the stack).
    bool visit(const Entry& e, Entry* next) {
        const SyntaxNode& n = node(e.node);
        if (n.flags & SYNTAX_MISSING) return false;
        if (e.mark != MARK_WALK) {
            marked(e);
            return false;
        }
        if (n.flags & SYNTAX_TOKEN) {
            if (n.token == TOKEN_MODIFIER_PREFIX || n.token == TOKEN_LENS_CONTENT) modifier_uses(n, e.scope);
            return false;
        }
        if ((n.flags & SYNTAX_ERROR) || !s_.has_handler(n.symbol) || (n.symbol == s_.primary && !is_call(n))) {
            walk_children(e.node, e.scope);
            if (stack_.empty()) return false;
            *next = stack_.back();
            stack_.pop_back();
            return true;
        }
        handled_node(e, n);
        return false;
    }

    void handled_node(const Entry& e, const SyntaxNode& n) {
        // The commonest nodes, a name alone, without the lists below.
        if (n.symbol == s_.variable_name || n.symbol == s_.dot_field_name) {
            uint32_t leaf = n.first_child;
            if (leaf != kNoSyntaxNode && (node(leaf).flags & SYNTAX_TOKEN) && !(node(leaf).flags & SYNTAX_MISSING)) {
                add_use(node(leaf).range, n.symbol == s_.variable_name ? NAME_VARIABLE : NAME_FIELD, ROLE_READ, e.scope, kNoName);
            }
            return;
        }
        // Scratch lists, reused: a handler never visits another node.
        std::vector<uint32_t>& kids = kids_;
        std::vector<Mark>& marks = marks_;
        children(e.node, &kids);
        default_marks(kids, &marks);
        int32_t scope = e.scope;
        int32_t s = n.symbol;
        if (s == s_.function) {
            scope = function_block(e, kids, &marks);
        } else if (s == s_.modifier) {
            scope = modifier_block(e, kids);
        } else if (s == s_.program || s == s_.library) {
            scope = open_scope(s == s_.program ? SCOPE_PROGRAM : SCOPE_LIBRARY, n.range, kids, e.scope, kNoName);
        } else if (s == s_.server) {
            for (size_t i = 0; i < kids.size(); ++i) {
                if (node(kids[i]).flags & SYNTAX_TOKEN) marks[i] = MARK_SKIP;
            }
        } else if (s == s_.server_item) {
            scope = server_item(e, kids, &marks);
        } else if (s == s_.parameter_list) {
            parameter_list(kids, &marks, e.scope);
            return;
        } else if (s == s_.parameter_default || s == s_.modifier_context) {
            return;
        } else {
            mark_names(s, kids, &marks);
        }
        push_all(kids, marks, scope);
    }

    // Statements and expressions that say what the names among their
    // children are.
    void mark_names(int32_t s, const std::vector<uint32_t>& kids, std::vector<Mark>* marks) const {
        if (s == s_.assignment) {
            if (!kids.empty() && node(kids[0]).symbol == s_.variable_name) (*marks)[0] = MARK_WRITE;
        } else if (s == s_.primary) {
            if (kids.size() >= 2 && node(kids[0]).symbol == s_.variable_name && node(kids[1]).symbol == s_.ident_suffix &&
                is_token(node(kids[1]).first_child, TOKEN_LPAREN)) {
                (*marks)[0] = MARK_CALL;
            } else if (!kids.empty() && is_token(kids[0], TOKEN_QUALIFIED_IDENT)) {
                (*marks)[0] = MARK_QUALIFIED;
            }
        } else if (s == s_.call_statement) {
            if (!kids.empty() && is_token(kids[0], TOKEN_IDENT)) (*marks)[0] = MARK_CALL;
            if (!kids.empty() && is_token(kids[0], TOKEN_QUALIFIED_IDENT)) (*marks)[0] = MARK_QUALIFIED;
        } else if (s == s_.unary_expression) {
            if (kids.size() >= 2 && is_token(kids[0], TOKEN_SPAWN) && is_token(kids[1], TOKEN_IDENT)) (*marks)[1] = MARK_CALL;
        } else if (s == s_.for_each) {
            for (size_t i = 0; i < kids.size(); ++i) {
                if (is_token(kids[i], TOKEN_IDENT)) (*marks)[i] = MARK_WRITE;
            }
        } else if (s == s_.label) {
            if (!kids.empty() && node(kids[0]).symbol == s_.variable_name) (*marks)[0] = MARK_LABEL;
        } else if (s == s_.go_to || s == s_.go_sub) {
            if (kids.size() >= 2 && node(kids[1]).symbol == s_.variable_name) (*marks)[1] = MARK_JUMP;
        } else if (s == s_.on_error) {
            if (kids.size() == 4 && is_token(kids[1], TOKEN_ERROR_VALUE) && is_token(kids[3], TOKEN_IDENT)) (*marks)[3] = MARK_JUMP;
        } else if (s == s_.use) {
            use_statement(kids, marks);
        } else if (s == s_.record_field_list) {
            for (size_t i = 0; i + 1 < kids.size(); ++i) {
                if (is_token(kids[i], TOKEN_IDENT) && is_token(kids[i + 1], TOKEN_LPAREN)) (*marks)[i] = MARK_FIELD;
            }
        }
    }

    // ---- Blocks ---------------------------------------------------------------

    // A block's scope; `kids` are the block's children, its closing line among them.
    int32_t open_scope(ScopeKind kind, TextRange range, const std::vector<uint32_t>& kids, int32_t parent,
                       int32_t owner) {
        uint32_t body_end = range.end;
        for (size_t i = kids.size(); i-- > 0;) {
            if (is_token(kids[i], TOKEN_END) && !(node(kids[i]).flags & SYNTAX_MISSING)) {
                body_end = node(kids[i]).range.start;
                break;
            }
        }
        x_.scopes.push_back({kind, parent, range, body_end, owner});
        param_counts_.push_back(0);
        return static_cast<int32_t>(x_.scopes.size() - 1);
    }

    // The parameter list as written, from `(` to `)`.
    std::string parenthesised(const std::vector<uint32_t>& kids, size_t from) const {
        uint32_t start = UINT32_MAX;
        for (size_t i = from; i < kids.size(); ++i) {
            if (is_token(kids[i], TOKEN_LPAREN) && start == UINT32_MAX) start = node(kids[i]).range.start;
            if (is_token(kids[i], TOKEN_RPAREN) && start != UINT32_MAX) {
                return std::string(text({start, node(kids[i]).range.end}));
            }
        }
        return "";
    }

    int32_t function_block(const Entry& e, const std::vector<uint32_t>& kids, std::vector<Mark>* marks) {
        const SyntaxNode& n = node(e.node);
        int32_t decl = kNoName;
        if (kids.size() >= 2 && is_name_token(kids[1])) {
            TextRange name = node(kids[1]).range;
            decl = add_decl(NAME_FUNCTION, std::string(text(name)), 0, name);
            x_.decls[static_cast<size_t>(decl)].block = without_line_break(n.range);
            x_.decls[static_cast<size_t>(decl)].detail = parenthesised(kids, 2);
            add_use(name, NAME_FUNCTION, ROLE_DECLARATION, e.scope, decl);
            (*marks)[1] = MARK_SKIP;
            x_.functions.emplace(x_.decls[static_cast<size_t>(decl)].name, decl);
        }
        return open_scope(SCOPE_FUNCTION, n.range, kids, e.scope, decl);
    }

    // The leaves of `n` in text order (a modifier's signature is short).
    void leaves(uint32_t n, std::vector<uint32_t>* out) const {
        std::vector<uint32_t> pending{n};
        while (!pending.empty()) {
            uint32_t at = pending.back();
            pending.pop_back();
            if (node(at).flags & SYNTAX_TOKEN) {
                out->push_back(at);
                continue;
            }
            std::vector<uint32_t> kids;
            children(at, &kids);
            for (size_t i = kids.size(); i-- > 0;) pending.push_back(kids[i]);
        }
    }

    int32_t modifier_block(const Entry& e, const std::vector<uint32_t>& kids) {
        const SyntaxNode& n = node(e.node);
        size_t at = 0;
        while (at < kids.size() && !is_token(kids[at], TOKEN_MODIFIER)) ++at;
        int32_t decl = kNoName;
        uint32_t parameters = kNoSyntaxNode;
        if (at + 1 < kids.size() && !(node(kids[at + 1]).flags & SYNTAX_TOKEN)) {
            std::vector<uint32_t> words;
            leaves(kids[at + 1], &words);
            std::string name;
            TextRange range{node(kids[at + 1]).range.start, node(kids[at + 1]).range.start};
            for (uint32_t w : words) {
                if (node(w).flags & SYNTAX_MISSING) continue;
                if (node(w).token == TOKEN_LPAREN) break;
                if (!name.empty()) name += ' ';
                name += text(node(w).range);
                range.end = node(w).range.end;
            }
            for (uint32_t c = node(kids[at + 1]).first_child; c != kNoSyntaxNode; c = node(c).next_sibling) {
                if (node(c).symbol == s_.parameter_list) parameters = c;
            }
            if (!name.empty()) {
                decl = add_decl(NAME_MODIFIER, name, 0, range);
                x_.decls[static_cast<size_t>(decl)].block = without_line_break(n.range);
                x_.decls[static_cast<size_t>(decl)].detail = parameters != kNoSyntaxNode
                    ? "(" + std::string(text(node(parameters).range)) + ")" : "";
                if (at + 3 < kids.size() && is_token(kids[at + 2], TOKEN_FOR) &&
                    !(node(kids[at + 3]).flags & SYNTAX_MISSING)) {
                    x_.decls[static_cast<size_t>(decl)].context = std::string(text(node(kids[at + 3]).range));
                }
                add_use(range, NAME_MODIFIER, ROLE_DECLARATION, e.scope, decl);
                x_.modifiers.emplace(name, decl);
            }
        }
        // The signature is walked in the modifier's scope, declaring its parameters.
        return open_scope(SCOPE_MODIFIER, n.range, kids, e.scope, decl);
    }

    // Routes and hooks have code for a body; directives and sites do not.
    int32_t server_item(const Entry& e, const std::vector<uint32_t>& kids, std::vector<Mark>* marks) {
        for (size_t i = 0; i < kids.size(); ++i) {
            if (node(kids[i]).flags & SYNTAX_TOKEN) (*marks)[i] = MARK_SKIP;
        }
        bool hook = !kids.empty() && is_token(kids[0], TOKEN_ON);
        bool route = kids.size() >= 2 && is_token(kids[1], TOKEN_STRING);
        if (!hook && !route) return e.scope;
        return open_scope(SCOPE_HANDLER, node(e.node).range, kids, e.scope, kNoName);
    }

    void parameter_list(const std::vector<uint32_t>& kids, std::vector<Mark>* marks, int32_t scope) {
        for (size_t i = 0; i < kids.size(); ++i) {
            if (!is_token(kids[i], TOKEN_IDENT)) continue;
            (*marks)[i] = MARK_PARAMETER;
        }
        push_all(kids, *marks, scope);
    }

    void use_statement(const std::vector<uint32_t>& kids, std::vector<Mark>* marks) const {
        size_t declared = kids.size();
        for (size_t i = 1; i < kids.size(); ++i) {
            if (is_token(kids[i], TOKEN_AS) && i + 1 < kids.size() && is_token(kids[i + 1], TOKEN_IDENT)) declared = i + 1;
        }
        if (declared == kids.size() && kids.size() >= 2 && is_token(kids[1], TOKEN_IDENT)) declared = 1;
        if (declared < kids.size()) (*marks)[declared] = MARK_ALIAS;
    }

    // ---- Names ------------------------------------------------------------------

    // The name token of a marked child: itself, or a variable name's leaf.
    uint32_t name_leaf(uint32_t n) const {
        if (node(n).flags & SYNTAX_TOKEN) return n;
        uint32_t leaf = node(n).first_child;
        return leaf != kNoSyntaxNode && (node(leaf).flags & SYNTAX_TOKEN) && !(node(leaf).flags & SYNTAX_MISSING)
                   ? leaf : kNoSyntaxNode;
    }

    // A parameter's default as written: after its `=`, the next sibling.
    std::string default_of(uint32_t parameter) const {
        uint32_t equals = node(parameter).next_sibling;
        if (equals == kNoSyntaxNode || !is_token(equals, TOKEN_OP_EQ)) return "";
        uint32_t value = node(equals).next_sibling;
        return value == kNoSyntaxNode ? "" : std::string(text(node(value).range));
    }

    void marked(const Entry& e) {
        uint32_t leaf = name_leaf(e.node);
        if (leaf == kNoSyntaxNode) return;
        TextRange range = node(leaf).range;
        std::string_view name = text(range);
        switch (e.mark) {
        case MARK_WRITE: write(range, e.scope); break;
        case MARK_PARAMETER: {
            int32_t decl = add_decl(NAME_PARAMETER, std::string(name), e.scope, range);
            NameDecl& d = x_.decls[static_cast<size_t>(decl)];
            d.detail = default_of(e.node);
            d.owner = x_.scopes[static_cast<size_t>(e.scope)].owner;
            d.position = param_counts_[static_cast<size_t>(e.scope)]++;
            x_.values.insert(scoped_name(e.scope, name), decl);
            add_use(range, NAME_PARAMETER, ROLE_DECLARATION, e.scope, decl);
            break;
        }
        case MARK_CALL: add_use(range, NAME_FUNCTION, ROLE_CALL, e.scope, kNoName); break;
        case MARK_QUALIFIED: qualified_.push_back(add_use(range, NAME_FUNCTION, ROLE_CALL, e.scope, kNoName)); break;
        case MARK_FIELD: add_use(range, NAME_FIELD, ROLE_READ, e.scope, kNoName); break;
        case MARK_LABEL: {
            int32_t decl = add_decl(NAME_LABEL, std::string(name), e.scope, range);
            x_.decls[static_cast<size_t>(decl)].block = node(e.node).range;
            x_.labels.insert(scoped_name(e.scope, name), decl);
            add_use(range, NAME_LABEL, ROLE_DECLARATION, e.scope, decl);
            break;
        }
        case MARK_JUMP: add_use(range, NAME_LABEL, ROLE_CALL, e.scope, kNoName); break;
        case MARK_ALIAS: {
            int32_t decl = add_decl(NAME_ALIAS, std::string(name), e.scope, range);
            x_.values.insert(scoped_name(e.scope, name), decl);
            add_use(range, NAME_ALIAS, ROLE_DECLARATION, e.scope, decl);
            break;
        }
        case MARK_WALK:
        case MARK_SKIP: break;
        }
    }

    // An assignment's or loop's variable: the one declared so far under its
    // name, seen from here, or a new one.
    void write(TextRange range, int32_t scope) {
        std::string_view name = text(range);
        int32_t decl = name_lookup_view(x_, x_.values, scope, name);
        if (decl != kNoName) {
            add_use(range, x_.decls[static_cast<size_t>(decl)].kind, ROLE_WRITE, scope, decl);
            return;
        }
        decl = add_decl(NAME_VARIABLE, std::string(name), scope, range);
        x_.values.insert(scoped_name(scope, name), decl);
        add_use(range, NAME_VARIABLE, ROLE_DECLARATION, scope, decl);
    }

    // A brace prefix (`{round 2}`) or each clause of a lens (`within 0.5;
    // tolerant`): the run of words it starts with, resolved once every
    // modifier is known.
    void modifier_uses(const SyntaxNode& n, int32_t scope) {
        uint32_t at = n.range.start;
        uint32_t end = n.range.end;
        if (n.token == TOKEN_MODIFIER_PREFIX) {
            at += at < end && tree_.text[at] == '{';
            end -= end > at && tree_.text[end - 1] == '}';
        }
        bool in_string = false;
        uint32_t clause = at;
        for (uint32_t i = at; i <= end; ++i) {
            char c = i < end ? tree_.text[i] : ';';
            if (in_string && c == '\\') {
                ++i;
            } else if (c == '"') {
                in_string = !in_string;
            } else if (c == ';' && !in_string) {
                TextRange words = leading_words({clause, i});
                if (!words.empty()) add_use(words, NAME_MODIFIER, ROLE_CALL, scope, kNoName);
                clause = i + 1;
            }
        }
    }

    // The words at the start of `clause`, single blanks between them.
    TextRange leading_words(TextRange clause) const {
        uint32_t i = clause.start;
        while (i < clause.end && is_space_or_tab(tree_.text[i])) ++i;
        TextRange words{i, i};
        while (i < clause.end && name_starts_with(tree_.text[i])) {
            while (i < clause.end && name_continues_with(tree_.text[i])) ++i;
            words.end = i;
            if (i + 1 < clause.end && tree_.text[i] == ' ' && name_starts_with(tree_.text[i + 1])) ++i;
        }
        return words;
    }

    // ---- Records ------------------------------------------------------------------

    int32_t add_decl(NameKind kind, std::string name, int32_t scope, TextRange range) {
        x_.decls.push_back({kind, std::move(name), scope, range, range, "", "", kNoName, -1});
        return static_cast<int32_t>(x_.decls.size() - 1);
    }

    int32_t add_use(TextRange range, NameKind kind, NameRole role, int32_t scope, int32_t decl) {
        x_.uses.push_back({range, kind, role, scope, decl, kNoName});
        return static_cast<int32_t>(x_.uses.size() - 1);
    }

    NameIndex& x_;
    const SyntaxTree& tree_;
    const NameSymbols& s_;
    std::vector<Entry> stack_;
    std::vector<int32_t> param_counts_;
    std::vector<uint32_t> kids_;
    std::vector<Mark> marks_;

public:
    std::vector<int32_t> qualified_;  // uses of `a.b(`, before resolution
};

}  // namespace

void name_index_build(NameIndex* index, const SyntaxTree& tree) {
    *index = NameIndex{};
    index->text = tree.text;
    IndexWalk walk(index, tree);
    walk.run();
    name_index_resolve(index, walk.qualified_);
}
