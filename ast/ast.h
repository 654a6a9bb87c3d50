#pragma once

// Everything of the syntax tree: nodes, lists, constructors, destruction, dump.
#include "diag/memory.h"
#include "ast/dump.h"
#include "ast/expr.h"
#include "ast/free.h"
#include "ast/lists.h"
#include "ast/region.h"
#include "ast/server_node.h"
#include "ast/stmt.h"
