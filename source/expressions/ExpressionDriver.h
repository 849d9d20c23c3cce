// ExpressionDriver: runs parses of expressions. It turns the lexer's tokens into the parser's
// (the token-mapping step) and builds the tree nodes the grammar's reductions ask for.
// Errors are thrown as BaseError with module "Lexer".
#pragma once

#include <basekit/AnyError.h>
#include "expressions/COSLexer.h"

#include "ExpressionGrammar.hpp"
#include "expressions/ExpressionNodes.h"

#include <string>

namespace common::grammar {

class ExpressionDriver {
public:
    ExpressionDriver();
    ExpressionDriver(ExpressionDriver const&) = delete;
    ExpressionDriver& operator=(ExpressionDriver const&) = delete;

    // Parses the lexer's whole text; returns the tree's root (a fresh node, one reference).
    // Each thread keeps one driver, so that the parser's stack is not made anew for every
    // parse; a parse started while that one is busy (from a callback) gets a driver of its own.
    static Node parseText(COSLexer& lexer);

    // The token-mapping step: the next lexer token as a parser token.
    ExpressionParser::symbol_type next_token();
    [[noreturn]] void syntax_error(std::string const& message);

    // Node construction for the grammar's reductions.
    void accept(Node tree);
    Node infix(int kind, Node left, Node right);
    // "x Is Null" is the is-null form; any other right operand makes an Is comparison.
    Node is(int kind, Node left, Node right);
    // NOT and unary minus print their operand in parentheses, so parentheses written around
    // the operand are not kept twice. `sign` names the operator checked by the sign rule.
    Node prefix(LONG kind, Node operand, char const* sign);
    Node unary_plus(Node operand);
    Node number(double value, double exponent);
    Node boolean(bool value);
    Node name(NameToken const& token);
    Node parameter(PovaString const& name);
    Node leaf(int kind);
    Argument operator_argument(int token);
    Node parenthesis(Node inner);
    Node call(LONG kind, Node callee, Node argument);
    Node function(int token, Arguments arguments);

private:
    static Node make(LONG kind);
    static bool ends_with_number(ExpressionBase* node);
    static void append(Node& parent, Node child);
    Node descendants(Arguments arguments);
    [[noreturn]] void semantic_error(ZELT_o::MessageCode code, PovaString const& insert);
    // A sign may not stand before a flag, or before a dimension, hierarchy, level or set.
    void check_sign_operand(ExpressionBase& operand, char const* sign);

    Node parse(COSLexer& lexer);

    COSLexer* fLexer = nullptr;
    Node fTree;
    bool fBusy = false;
    ExpressionParser fParser;
};

}  // namespace common::grammar
