// Semantic values of the expression grammar.
#pragma once

#include <pova/common/ExpressionBase.h>
#include <pova/support/Ref.h>

#include <vector>

namespace common::grammar {

class ExpressionDriver;

// A subtree being built; released with the parser's stack when a parse fails.
using Node = support::Ref<ExpressionBase>;

// What an argument of a keyword's argument list is: an expression (or bare operator), nothing
// (an empty argument), or a suffix keyword.
enum class Marker { Node, Empty, Recursive, Post, ExcludeEmpty, IncludeEmpty };

struct Argument {
    Node node;
    Marker marker = Marker::Node;
};

using Arguments = std::vector<Argument>;

// A name as the parser receives it: its text and the kind of node it makes.
struct NameToken {
    PovaString text;
    int kind = 0;
};

}  // namespace common::grammar
