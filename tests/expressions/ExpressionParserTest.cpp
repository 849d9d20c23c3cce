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
        testing::ScopedTrace const trace("corpus/cases.txt", c.line, c.input);
        ZELT_o::Cube* const given = c.has("cube") ? cube.get() : nullptr;
        if (c.expected[0] != '!') {
            // Whatever the node held goes: children added node by node to an empty kind, a name
            // and a value.
            Tree const held = build("141[stale](142[1])");
            held->getValue().vt = VT_BOOL;
            EXPECT_EQ(shape(parse(c.input, given, c.has("lookup"), held).get()), c.expected);
            continue;
        }
        // A failed parse is logged and takes what the node held, leaving only the text.
        testing_support::CapturingLog log;
        Tree const tree = parse("a + b");
        BaseError const error =
            caughtError([&] { tree->setTextAndCreateTree(c.input, given, c.has("lookup")); });
        std::string const described = describe(error);
        bool const codeOnly = c.expected.find('[') == std::string::npos;
        EXPECT_EQ(codeOnly ? described.substr(0, described.find('[')) : described, c.expected);
        EXPECT_EQ(error.module(), PovaString("Lexer"));
        EXPECT_EQ(error.level(), 1);
        EXPECT_EQ(error.status(), 0);
        EXPECT_EQ(shape(tree.get()), "141");
        EXPECT_EQ(tree->getText(), PovaString(c.input));
        // An unknown parameter is logged by the lexer as well.
        ASSERT_EQ(log.records().size(), error.code() == 0xC2018005 ? 2u : 1u);
        EXPECT_EQ(log.records().back().code, error.code());
    }
}

// The root keeps its identity, releases what it held and its children point back at it.
TEST(ExpressionParser, ParsingReplacesWhatTheNodeHeld) {
    Tree tree = newTree();
    Expression* const held = tree->AddNewChild();
    held->addRef();
    EXPECT_TRUE(tree->setTextAndCreateTree("x * y", nullptr, false));
    EXPECT_EQ(held->getRefCount(), 1);
    held->release();
    EXPECT_EQ(shape(tree.get()), "160(193[x],193[y])");
    EXPECT_EQ(tree->getText(), PovaString("x * y"));
    for (Expression* child : tree->getExpressions()) {
        EXPECT_EQ(child->GetParentExpression(), tree.get());
    }
}

TEST(ExpressionParser, ConvertFromSkiffCases) {
    auto const cube = makeSalesCube();
    for (Case const& c : cases("skiff")) {
        PovaString text(c.input);
        EXPECT_EQ(newTree()->convertFromSkiff(text, cube.get()), !c.has("rejected")) << c.input;
        EXPECT_EQ(text.string(), c.expected) << c.input;
    }
}

}  // namespace
