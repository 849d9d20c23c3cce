// What the printer and the grammar need to know of each node kind, read from
// ExpressionKinds.def.
#pragma once

#include <basekit/WinTypes.h>
#include <pova/Expression.h>

#include <cstddef>

namespace common::expression_kinds {

// How a node's own text is made.
enum class Text { Fixed, Quoted, Number, Boolean, Parameter, Blank, Missing };
// How the node's text and its children's texts are put together.
enum class Form {
    Empty,
    Leaf,
    PassThrough,
    Call,
    IsNull,
    Infix,
    Parenthesis,
    Property,
    Wrapped,
    Function
};
// What a function form writes after its children.
enum class Suffix { None, Recursive, All, Post, ExcludeEmpty, IncludeEmpty };

struct KindInfo {
    LONG number;
    char const* name;
    OLECHAR const* keyword;
    Text text;
    Form form;
    Suffix suffix;
    int token;
    int minArgs;
    int maxArgs;  // -1: no limit
};

// The kind's entry, or null for a number outside the table.
KindInfo const* find(LONG kind);
// The text a function form writes after its children ("" for None).
OLECHAR const* suffixText(Suffix suffix);

// The kind an infix operator token builds, or -1.
LONG infixKind(int token);
// The kind a leaf keyword or operator token builds, or -1.
LONG leafKind(int token);
// The kind a keyword with an argument list builds, or -1 when the keyword takes no such list.
LONG functionKind(int token, Suffix suffix, std::size_t argumentCount);
// Whether the keyword takes an argument list.
bool takesArguments(int token);
// Whether some kind of the keyword has that suffix.
bool hasSuffix(int token, Suffix suffix);

}  // namespace common::expression_kinds
