#include "ExpressionTestCube.h"
#include "ExpressionTestHelpers.h"
#include "support/CapturingLog.h"

#include <gtest/gtest.h>

#include <string>

using namespace expression_test;
using ZELT_o::Expression;

namespace {

TEST(ExpressionParser, Cases) {
    auto const cube = makeSalesCube();
    for (Case const& c : cases("parse")) {
        ZELT_o::Cube* const given = c.has("cube") ? cube.get() : nullptr;
        if (c.expected[0] != '!') {
            EXPECT_EQ(shape(parse(c.input, given, c.has("lookup")).get()), c.expected)
                << "line " << c.line;
            continue;
        }
        Tree const tree = newTree();
        BaseError const error =
            caughtError([&] { tree->setTextAndCreateTree(c.input, given, c.has("lookup")); });
        std::string const described = describe(error);
        EXPECT_EQ(c.expected.find('[') == std::string::npos
                      ? described.substr(0, described.find('['))
                      : described,
                  c.expected)
            << "line " << c.line;
        EXPECT_EQ(error.module(), PovaString("Lexer")) << "line " << c.line;
        EXPECT_EQ(error.level(), 1) << "line " << c.line;
        EXPECT_EQ(error.status(), 0) << "line " << c.line;
        // A failed parse leaves no partial tree behind.
        EXPECT_EQ(shape(tree.get()), "141") << "line " << c.line;
    }
}

TEST(ExpressionParser, FailedParseIsLoggedAndEmptiesTheNode) {
    testing_support::CapturingLog log;
    Tree tree = parse("a + b");
    EXPECT_THROW(tree->setTextAndCreateTree("a + (", nullptr, false), BaseError);
    EXPECT_EQ(shape(tree.get()), "141");
    EXPECT_EQ(tree->getText(), PovaString("a + ("));
    ASSERT_EQ(log.records().size(), 1u);
    EXPECT_EQ(log.records().front().code, 0x2017068u);
}

// Whatever the node held goes: children added node by node (the kind stays empty), a name and
// a value; the root keeps its identity and its children point back at it.
TEST(ExpressionParser, ParsingReplacesWhatTheNodeHeld) {
    Tree tree = newTree();
    Expression* const held = tree->AddNewChild();
    held->addRef();
    tree->setStringValue(u"stale");
    tree->getValue().vt = VT_BOOL;
    EXPECT_TRUE(tree->setTextAndCreateTree("x * y", nullptr, false));
    EXPECT_EQ(held->getRefCount(), 1);
    held->release();
    EXPECT_EQ(shape(tree.get()), "160(193[x],193[y])");
    EXPECT_EQ(tree->getText(), PovaString("x * y"));
    for (Expression* child : tree->getExpressions()) {
        EXPECT_EQ(child->GetParentExpression(), tree.get());
    }
    EXPECT_TRUE(tree->setTextAndCreateTree("{ n }", nullptr, false));
    EXPECT_EQ(shape(tree.get()), "193[n]");
    EXPECT_TRUE(tree->setTextAndCreateTree("", nullptr, false));
    EXPECT_EQ(shape(tree.get()), "141");
    EXPECT_EQ(tree->getValue().vt, VT_EMPTY);
    EXPECT_EQ(tree->getTextFromTree(), PovaString(""));
}

TEST(ExpressionParser, ConvertFromSkiffRewritesOnlyAcceptedText) {
    auto const cube = makeSalesCube();
    Tree tree = newTree();
    PovaString text = "sales*2";
    EXPECT_TRUE(tree->convertFromSkiff(text, cube.get()));
    EXPECT_EQ(text, PovaString(" { Sales } * 2 "));
    PovaString bad = "sales *";
    EXPECT_FALSE(tree->convertFromSkiff(bad, cube.get()));
    EXPECT_EQ(bad, PovaString("sales *"));
}

// Ten thousand levels of nesting parse, print, copy and go away without deep recursion.
TEST(ExpressionParser, DeeplyNestedTextIsSafe) {
    constexpr int kDepth = 10000;
    auto repeated = [](std::string const& piece, int times) {
        std::string text;
        while (times-- > 0) {
            text += piece;
        }
        return text;
    };
    for (std::string const& text :
         {repeated("( ", kDepth) + "1" + repeated(" )", kDepth), repeated("-", kDepth) + "1",
          "1" + repeated("+1", 3 * kDepth)}) {
        Tree tree = parse(PovaString(text));
        PovaString const once = tree->getTextFromTree();
        EXPECT_EQ(parse(once)->getTextFromTree(), once);
        support::Ref<Expression> copy = support::adopt(tree->clone());
        EXPECT_EQ(copy->getTextFromTree(), once);
    }
    Tree const unclosed = newTree();
    EXPECT_THROW(unclosed->setTextAndCreateTree(PovaString(repeated("(", kDepth)), nullptr, false),
                 BaseError);
}

}  // namespace
