// The token vocabulary: every token kind the lexer produces, in the order
// that gives each its value (0 for EOF, counting up), with the grammar token
// the bridge hands the parser for it. The lexer's enum and names and the
// bridge's kind-to-code table are all expanded from this one list, so a new
// keyword is a line here, an entry of the keyword table and a %token of the
// grammar.
//
// X(KIND, GRAMMAR_TOKEN): TOKEN_KIND in the lexer, TOK_GRAMMAR_TOKEN in the
// parser. The keyword `unknown` is UNKNOWN_VALUE in the grammar; ERROR never
// reaches the parser (the bridge turns it into a diagnostic) and is paired
// with the parser's own undefined token.
#ifndef TOVEL_LEXER_TOKEN_KINDS_H
#define TOVEL_LEXER_TOKEN_KINDS_H

#define TOVEL_TOKEN_KINDS(X) \
    X(EOF, YYEOF) \
    X(IDENT, IDENT) \
    X(QUALIFIED_IDENT, QUALIFIED_IDENT) \
    X(NUMBER, NUMBER) \
    X(STRING, STRING) \
    X(LENS_CONTENT, LENS_CONTENT) \
    X(PROGRAM, PROGRAM) \
    X(LIBRARY, LIBRARY) \
    X(LOAD, LOAD) \
    X(USE, USE) \
    X(EXPORT, EXPORT) \
    X(IF, IF) \
    X(CONSIDER_IF, CONSIDER_IF) \
    X(THEN, THEN) \
    X(ELSE, ELSE) \
    X(CONSIDER_ELSE, CONSIDER_ELSE) \
    X(END, END) \
    X(END_CONSIDER, END_CONSIDER) \
    X(FOR, FOR) \
    X(TO, TO) \
    X(STEP, STEP) \
    X(DO, DO) \
    X(UNTIL, UNTIL) \
    X(WHILE, WHILE) \
    X(CONSIDER, CONSIDER) \
    X(BREAK, BREAK) \
    X(CONTINUE, CONTINUE) \
    X(FUNCTION, FUNCTION) \
    X(RETURN, RETURN) \
    X(PRINT, PRINT) \
    X(DIM, DIM) \
    X(AS, AS) \
    X(WATCH, WATCH) \
    X(UNWATCH, UNWATCH) \
    X(WITHOUT, WITHOUT) \
    X(WATCHERS, WATCHERS) \
    X(MODIFIER, MODIFIER) \
    X(GOTO, GOTO) \
    X(GOSUB, GOSUB) \
    X(WITH, WITH) \
    X(NEW, NEW) \
    X(SPAWN, SPAWN) \
    X(ON, ON) \
    X(NEXT, NEXT) \
    X(STOP, STOP) \
    X(ERROR_VALUE, ERROR_VALUE) \
    X(TRUE, TRUE) \
    X(FALSE, FALSE) \
    X(NOTHING, NOTHING) \
    X(UNKNOWN, UNKNOWN_VALUE) \
    X(AND, AND) \
    X(OR, OR) \
    X(NOT, NOT) \
    X(EXCLUDING, EXCLUDING) \
    X(INTERSECTING, INTERSECTING) \
    X(IN, IN) \
    X(EACH, EACH) \
    X(OP_EQ, OP_EQ) \
    X(OP_NE, OP_NE) \
    X(OP_GT, OP_GT) \
    X(OP_LT, OP_LT) \
    X(OP_GE, OP_GE) \
    X(OP_LE, OP_LE) \
    X(OP_NGT, OP_NGT) \
    X(OP_NLT, OP_NLT) \
    X(OP_NGE, OP_NGE) \
    X(OP_NLE, OP_NLE) \
    X(PLUS, PLUS) \
    X(MINUS, MINUS) \
    X(STAR, STAR) \
    X(SLASH, SLASH) \
    X(PLUS_EQ, PLUS_EQ) \
    X(MINUS_EQ, MINUS_EQ) \
    X(STAR_EQ, STAR_EQ) \
    X(SLASH_EQ, SLASH_EQ) \
    X(LPAREN, LPAREN) \
    X(RPAREN, RPAREN) \
    X(LBRACKET, LBRACKET) \
    X(RBRACKET, RBRACKET) \
    X(MODIFIER_PREFIX, MODIFIER_PREFIX) \
    X(LBRACE, LBRACE) \
    X(RBRACE, RBRACE) \
    X(COMMA, COMMA) \
    X(DOT, DOT) \
    X(COLON, COLON) \
    X(NEWLINE, NEWLINE) \
    X(ERROR, YYUNDEF)

#endif
