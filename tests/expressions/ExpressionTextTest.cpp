// The text forms of getTextFromTree, on trees built node by node.
#include "ExpressionTestHelpers.h"
#include "support/AssertionCounter.h"

#include <gtest/gtest.h>

using namespace expression_test;
using ZELT_o::Expression;

namespace {

std::string text(Tree const& tree) {
    return tree->getTextFromTree().string();
}

Tree node(Expression::ExpressionType kind, std::initializer_list<Tree> children) {
    Tree tree = leaf(kind);
    for (Tree const& child : children) {
        add(tree.get(), child);
    }
    return tree;
}

TEST(ExpressionText, EmptyAndLeafForms) {
    EXPECT_EQ(text(newTree()), "");
    EXPECT_EQ(text(leaf(Expression::kAsc)), " ASC ");
    EXPECT_EQ(text(leaf(Expression::kSelfBeforeAfter)), " SELF_BEFORE_AFTER ");
    EXPECT_EQ(text(leaf(Expression::kPercentOperator)), " % ");
    EXPECT_EQ(text(leaf(Expression::kNull)), " Null ");
    EXPECT_EQ(text(leaf(Expression::kExistsFlag)), " EXISTS ");
    EXPECT_EQ(text(leaf(Expression::kEmptyArgument)), "  ");
    EXPECT_EQ(text(number(12)), " 12 ");
    EXPECT_EQ(text(number(0.1)), " 0.1 ");
    EXPECT_EQ(text(number(1.5e-7)), " 1.5E-07 ");
    Tree truth = leaf(Expression::kBoolean);
    truth->getValue().vt = VT_BOOL;
    truth->getValue().boolVal = VARIANT_TRUE;
    EXPECT_EQ(text(truth), " True ");
    truth->getValue().boolVal = VARIANT_FALSE;
    EXPECT_EQ(text(truth), " False ");
    // A quoted name doubles its closing braces.
    EXPECT_EQ(text(leaf(Expression::kMemberName, "a}b")), " { a}}b } ");
    EXPECT_EQ(text(leaf(Expression::kQuotedName)), " {  } ");
    EXPECT_EQ(text(leaf(Expression::kParameterReference, "Year")), " <<Year>> ");
}

TEST(ExpressionText, FunctionFormWithCommasSuffixesAndEmptyArguments) {
    Tree const a = leaf(Expression::kQuotedName, "a");
    EXPECT_EQ(text(node(Expression::kAbs, {leaf(Expression::kQuotedName, "a")})), "Abs ( { a } ) ");
    EXPECT_EQ(text(node(Expression::kIIf, {number(1), number(2), number(3)})),
              "IIf ( 1 , 2 , 3 ) ");
    // No comma before an empty argument or an empty flag.
    EXPECT_EQ(
        text(node(Expression::kIIf, {number(1), number(2), leaf(Expression::kEmptyArgument)})),
        "IIf ( 1 , 2   ) ");
    EXPECT_EQ(text(node(Expression::kDescendants,
                        {leaf(Expression::kQuotedName, "m"), leaf(Expression::kEmptyArgument),
                         leaf(Expression::kEmptyFlag)})),
              "Descendants ( { m }     ) ");
    EXPECT_EQ(text(node(Expression::kHierarchizePost, {leaf(Expression::kQuotedName, "s")})),
              "Hierarchize ( { s } , POST) ");
    EXPECT_EQ(text(node(Expression::kToggleDrillStateRecursive, {number(1), number(2)})),
              "ToggleDrillState ( 1 , 2 , RECURSIVE) ");
    EXPECT_EQ(text(node(Expression::kUnionAll, {number(1), number(2)})), "Union ( 1 , 2 , ALL) ");
    EXPECT_EQ(text(node(Expression::kCountExcludeEmpty, {number(1)})),
              "Count ( 1 , ExcludeEmpty) ");
    EXPECT_EQ(text(node(Expression::kCountIncludeEmpty, {number(1)})),
              "Count ( 1 , IncludeEmpty) ");
    EXPECT_EQ(text(node(Expression::kSum, {number(1)})), "sum ( 1 ) ");
    EXPECT_EQ(text(node(Expression::kCoalesceEmpty, {number(1), number(2)})),
              "Coalesceempty ( 1 , 2 ) ");
    EXPECT_EQ(text(leaf(Expression::kYToD)), "Y_T_D () ");
    EXPECT_EQ(text(node(Expression::kNot, {number(1)})), "NOT ( 1 ) ");
    EXPECT_EQ(text(node(Expression::kNegate, {number(1)})), "- ( 1 ) ");
}

TEST(ExpressionText, OperatorCallAndWrapperForms) {
    EXPECT_EQ(text(node(Expression::kAdd, {number(1), number(2)})), " 1 + 2 ");
    EXPECT_EQ(text(node(Expression::kPower, {number(1), number(2)})), " 1 ^  2 ");
    EXPECT_EQ(text(node(Expression::kNotEqual, {number(1), number(2)})), " 1 <> 2 ");
    EXPECT_EQ(text(node(Expression::kExists, {number(1), number(2)})), " 1 EXISTS 2 ");
    // An infix node without children is nothing, with one child its operand and keyword.
    EXPECT_EQ(text(leaf(Expression::kAdd)), "");
    EXPECT_EQ(text(node(Expression::kPercent, {leaf(Expression::kQuotedName, "x")})), " { x } %");
    // A keyword that would run into a following keyword is kept apart by a blank.
    EXPECT_EQ(text(node(Expression::kAnd, {number(1), node(Expression::kAbs, {number(2)})})),
              " 1 AND Abs ( 2 ) ");
    EXPECT_EQ(text(node(Expression::kLess, {number(1), node(Expression::kAbs, {number(2)})})),
              " 1 <Abs ( 2 ) ");
    EXPECT_EQ(text(node(Expression::kPassThrough, {number(1)})), "  1  ");
    EXPECT_EQ(text(node(Expression::kCall, {leaf(Expression::kQuotedName, "f"), number(1)})),
              "  { f } ( 1 ) ");
    EXPECT_EQ(text(node(Expression::kIsNullC, {number(1)})), "  1  Is Null ");
    EXPECT_EQ(text(node(Expression::kParenthesisB, {number(1)})), " (  1  ) ");
    EXPECT_EQ(text(leaf(Expression::kParenthesis)), "");
    EXPECT_EQ(text(node(Expression::kProperty, {number(1)})), " Property(  1  )");
    EXPECT_EQ(text(node(Expression::kGetUniqueName, {number(1)})), "GetUniqueName (  1  ) ");
    EXPECT_EQ(text(leaf(Expression::kMember)), "");
}

TEST(ExpressionText, KindsWithoutKeywordReportAnAssertion) {
    testing_support::AssertionCounter assertions;
    EXPECT_EQ(text(node(Expression::kReserved180, {number(1), number(2)})), " 1  2 ");
    EXPECT_EQ(text(leaf(static_cast<Expression::ExpressionType>(4711))), " () ");
    EXPECT_EQ(assertions.count(
                  "! \"Default type processing in ExpressionBase::convert_node_to_string()\""),
              2u);
}

}  // namespace
