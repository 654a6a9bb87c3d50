// Validation of one server statement: its keyword, closing word, options,
// items, and the web sites declared inside it.
#pragma once

struct DiagReporter;
struct Stmt;

// All checks of one STMT_SERVER statement and its sites.
void check_server(DiagReporter* reporter, const Stmt* server);
