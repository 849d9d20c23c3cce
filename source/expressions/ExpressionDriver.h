// ExpressionDriver: runs parses of expressions. It turns the lexer's tokens into the parser's
// (the token-mapping step) and builds the tree nodes the grammar's reductions ask for.
// Errors are thrown as BaseError with module "Lexer".
//
// The node builders take their operands as Nodes and hand the new node back as a raw pointer
// owning one reference, the form the parser's stack keeps. A driver serves one parse; parses
// share nothing, so they may run in several threads at once.
#pragma once

#include <basekit/AnyError.h>
#include "expressions/COSLexer.h"

#include "ExpressionGrammar.hpp"
#include "expressions/ExpressionNodes.h"

#include <exception>
#include <string>

namespace common::grammar {

class ExpressionDriver {
public:
    ExpressionDriver() = default;
    ~ExpressionDriver();
    ExpressionDriver(ExpressionDriver const&) = delete;
    ExpressionDriver& operator=(ExpressionDriver const&) = delete;

    // Parses the lexer's whole text; returns the tree's root (a fresh node, one reference).
    static Node parseText(COSLexer& lexer);
    // Takes back the root parseText() returned once its content has gone elsewhere.
    static void recycle(Node top);

    // The token-mapping step: the next lexer token as a parser token, its value in `value`.
    int next_token(EXPRESSION_YYSTYPE& value);
    // The parser found the text wrong; the parse is being abandoned.
    void syntax_error(char const* message);
    // Keeps the exception being handled, which abandons the parse; the first one is thrown
    // again when the parser has returned.
    void fail() noexcept;

    // Node construction for the grammar's reductions.
    void accept(Node tree);
    ExpressionBase* infix(int kind, Node left, Node right);
    // "x Is Null" is the is-null form; any other right operand makes an Is comparison.
    ExpressionBase* is(int kind, Node left, Node right);
    // NOT and unary minus print their operand in parentheses, so parentheses written around
    // the operand are not kept twice. `sign` names the operator checked by the sign rule.
    ExpressionBase* prefix(LONG kind, Node operand, char const* sign);
    ExpressionBase* unary_plus(Node operand);
    ExpressionBase* number(double value, double exponent);
    ExpressionBase* boolean(bool value);
    ExpressionBase* leaf(int kind);
    ExpressionBase* operator_argument(int token);
    ExpressionBase* parenthesis(Node inner);
    ExpressionBase* call(LONG kind, Node callee, Node argument);
    // An argument list is the node the keyword's reduction turns into its own node: its
    // children are the arguments, a null child an empty argument.
    ExpressionBase* list(Node first);
    ExpressionBase* extend(Node list, Node argument);
    // `suffix` is the code of the suffix keyword closing the list (a Suffix), or 0.
    ExpressionBase* function(int token, Node arguments, int suffix);

private:
    // A new node of `kind` with room for `children` children.
    Node make(LONG kind, std::size_t children = 0);
    static bool ends_with_number(ExpressionBase* node);
    static void append(ExpressionBase& parent, Node child);
    ExpressionBase* descendants(Node arguments);
    [[noreturn]] void semantic_error(ZELT_o::MessageCode code, PovaString const& insert);
    // A sign may not stand before a flag, or before a dimension, hierarchy, level or set.
    void check_sign_operand(ExpressionBase& operand, char const* sign);

    Node parse(COSLexer& lexer);

    COSLexer* fLexer = nullptr;
    Node fTree;
    // A node left over from an earlier parse, made use of first.
    Node fSpare;
    std::exception_ptr fFailure;
    std::string fSyntaxError;
};

}  // namespace common::grammar
