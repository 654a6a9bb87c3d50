#pragma once

#include "lexer/lexer.h"

// The keywords that may start a statement, and those an expression may
// hold. `dim` is in neither: the language rejects it.
inline constexpr TokenKind kStatementKeywords[] = {
    TOKEN_PROGRAM, TOKEN_LIBRARY,  TOKEN_LOAD,     TOKEN_USE,     TOKEN_EXPORT,   TOKEN_IF,    TOKEN_ELSE,
    TOKEN_END,     TOKEN_FOR,      TOKEN_NEXT,     TOKEN_DO,      TOKEN_UNTIL,    TOKEN_WHILE, TOKEN_CONSIDER,
    TOKEN_BREAK,   TOKEN_CONTINUE, TOKEN_FUNCTION, TOKEN_RETURN,  TOKEN_PRINT,    TOKEN_WATCH, TOKEN_UNWATCH,
    TOKEN_WITHOUT, TOKEN_MODIFIER, TOKEN_GOTO,     TOKEN_GOSUB,   TOKEN_WITH,     TOKEN_ON,    TOKEN_ERROR_VALUE};
inline constexpr TokenKind kExpressionKeywords[] = {
    TOKEN_NOT,  TOKEN_TRUE, TOKEN_FALSE, TOKEN_NOTHING, TOKEN_UNKNOWN,   TOKEN_NEW,          TOKEN_SPAWN,
    TOKEN_AND,  TOKEN_OR,   TOKEN_IN,    TOKEN_EACH,    TOKEN_EXCLUDING, TOKEN_INTERSECTING, TOKEN_THEN,
    TOKEN_TO,   TOKEN_STEP, TOKEN_AS,    TOKEN_WITH,    TOKEN_WATCHERS,  TOKEN_ERROR_VALUE};

