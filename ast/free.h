#pragma once

#include "ast/expr.h"
#include "ast/lists.h"
#include "ast/server_node.h"
#include "ast/stmt.h"

// Destruction. Every operation accepts null nodes, null strings and empty
// lists. None of them recurses on the C stack: an operator chain or a nest of
// blocks as deep as the input allows is released with a heap work list.

void expr_free(Expr* expr);
void stmt_free(Stmt* stmt);
void stmt_list_free(StmtList list);
void expr_list_free(ExprList list);
void field_list_free(RecordFieldList list);
void param_list_free(ParamList list);
void branch_list_free(ConsiderBranchList list);
void item_free(ServerItem* item);
void item_list_free(ServerItemList list);
// Frees the strings and arguments of an embedded reference and every chained link.
void modifier_ref_free(ModifierRef ref);
void modifier_signature_free(ModifierSignature sig);
