// Saving and loading trees: save, load, save again and compare.
#include "ExpressionTestHelpers.h"

#include <basekit/NodeListIterator.h>

#include <gtest/gtest.h>

#include <string>

using namespace expression_test;
using ZELT_o::Expression;

namespace {

TEST(ExpressionXml, SaveCases) {
    for (Case const& c : cases("save")) {
        testing::ScopedTrace const trace("corpus/cases.txt", c.line, c.input);
        PovaString const xml = saved(*parse(PovaString(c.input)));
        EXPECT_EQ(xml.string(), c.expected);
        EXPECT_EQ(saved(*loaded(xml)), xml);
    }
}

// Loading into a tree that holds "Abs( 1 )" replaces its content and names it as its
// children's parent; a failed load leaves it as it was.
TEST(ExpressionXml, LoadCases) {
    for (Case const& c : cases("load")) {
        testing::ScopedTrace const trace("corpus/cases.txt", c.line, c.input);
        Tree const tree = parse("Abs( 1 )");
        auto const old = support::retain(tree->getExpressions()[0]);
        if (c.expected[0] == '!') {
            EXPECT_EQ(caughtResult([&] { loaded(c.input, tree); }),
                      static_cast<HRESULT>(std::stoul(c.expected.substr(1), nullptr, 16)));
            EXPECT_EQ(shape(tree.get()), "164(142[1])");
            continue;
        }
        EXPECT_EQ(shape(loaded(c.input, tree).get()), c.expected);
        EXPECT_EQ(old->getRefCount(), 1);
        for (Expression* child : tree->getExpressions()) {
            EXPECT_EQ(child->GetParentExpression(), tree.get());
        }
    }
    // No current element.
    NodeListIterator empty;
    EXPECT_EQ(caughtResult([&] { newTree()->load(empty, nullptr); }), E_UNEXPECTED);
}

}  // namespace
