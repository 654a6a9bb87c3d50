#pragma once

union ParseValue;

// Frees whatever the semantic value of grammar symbol `symbol` owns. The
// generated parser calls it for every value it drops: values popped while
// unwinding after an error, the look-ahead at clean-up, and whatever is left
// on the stack when the parse ends. Symbols without an owned value are left
// alone, and so is the program list, which the parse context owns.
void parser_value_discard(int symbol, ParseValue* value);
