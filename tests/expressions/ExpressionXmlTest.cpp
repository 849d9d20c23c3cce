// Saving and loading trees: save, load, save again and compare.
#include "ExpressionTestCube.h"
#include "ExpressionTestHelpers.h"

#include <basekit/NodeListIterator.h>
#include <basekit/XmlSupport.h>

#include <gtest/gtest.h>

using namespace expression_test;
using ZELT_o::Expression;

namespace {

PovaString saved(Expression& tree) {
    XmlSupport xml;
    xml.createDocument();
    XmlNode const element = xml.createElement("Expression");
    tree.save(xml, 0, element);
    return xml.xml();
}

Tree loaded(PovaString const& text) {
    XmlSupport xml;
    EXPECT_TRUE(xml.readXml(text));
    NodeListIterator iterator(XmlNodeList{xml.documentElement()});
    Tree tree = newTree();
    tree->load(iterator, nullptr);
    return tree;
}

TEST(ExpressionXml, RoundTripsParsedTrees) {
    auto const cube = makeSalesCube();
    char const* const texts[] = {
        "IIf( [Measures].[Sales] > 1.5E-07 , True , FALSE ) AND NOT <<Label>> = {a}}b}",
        "Descendants( [Time].[2024] , , LEAVES ) + Union( {[Top Products]} , {x} , ALL )",
        "Native( {x} ) + [Time].[Year] + [Time] + {[Top Products]} + 0.30000000000000004",
    };
    for (char const* text : texts) {
        Tree const tree = parse(text, cube.get(), true);
        PovaString const first = saved(*tree);
        Tree const back = loaded(first);
        EXPECT_EQ(saved(*back), first) << text;
        EXPECT_EQ(back->getTextFromTree(), tree->getTextFromTree()) << text;
        EXPECT_EQ(shape(back.get()), shape(tree.get())) << text;
    }
}

TEST(ExpressionXml, NumbersBooleansAndNamesAreAttributes) {
    Tree const tree = parse("0.1 + 0.2");
    tree->getExpressions()[0]->getValue().dblVal = 0.1 + 0.2;
    PovaString const text = saved(*tree);
    XmlSupport xml;
    ASSERT_TRUE(xml.readXml(text));
    XmlNode const root = xml.documentElement();
    PovaString value;
    EXPECT_TRUE(root.getAttribute("Index", value));
    EXPECT_EQ(value, PovaString("0"));
    EXPECT_TRUE(root.getAttribute("ExpressionType", value));
    EXPECT_EQ(value, PovaString("158"));
    EXPECT_TRUE(root.getAttribute("ExpressionText", value));
    EXPECT_EQ(value, PovaString("0.1 + 0.2"));
    XmlNode const vector = root.findChild("Vector");
    ASSERT_TRUE(vector);
    EXPECT_TRUE(vector.getAttribute("UniqueName", value));
    EXPECT_EQ(value, PovaString("ExpressionVector"));
    XmlNodeList const children = vector.childNodes();
    ASSERT_EQ(children.size(), 2u);
    EXPECT_TRUE(children[1].getAttribute("Index", value));
    EXPECT_EQ(value, PovaString("1"));

    // The number comes back exactly through "ExpressionValue".
    Tree const back = loaded(text);
    VARIANT const& number = back->getExpressions()[0]->getValue();
    EXPECT_EQ(number.vt, VT_R8);
    EXPECT_EQ(number.dblVal, 0.1 + 0.2);

    Tree const flag = parse("False");
    EXPECT_NE(saved(*flag).string().find("ExpressionValue=\"false\""), std::string::npos);
    Tree const flagBack = loaded(saved(*flag));
    EXPECT_EQ(flagBack->getValue().vt, VT_BOOL);
    EXPECT_EQ(flagBack->getValue().boolVal, VARIANT_FALSE);
    // A name is saved as the text.
    Tree const name = parse("{ [Time] }");
    EXPECT_NE(saved(*name).string().find("ExpressionText=\"[Time]\""), std::string::npos);
}

TEST(ExpressionXml, LoadingReadsOnlyTheExpressionVector) {
    Tree const tree = loaded(
        "<Expression ExpressionType=\"164\" ExpressionText=\"Abs(x)\">"
        "<Vector UniqueName=\"Other\"><Expression ExpressionType=\"142\"/></Vector>"
        "<Vector UniqueName=\"ExpressionVector\"><Expression ExpressionType=\"142\" "
        "ExpressionValue=\"nonsense\"/><!-- a note --><Expression ExpressionType=\"193\" "
        "ExpressionText=\"y\"/></Vector></Expression>");
    EXPECT_EQ(tree->getText(), PovaString("Abs(x)"));
    EXPECT_EQ(shape(tree.get()), "164(142[0],193[y])");
    for (Expression* child : tree->getExpressions()) {
        EXPECT_EQ(child->GetParentExpression(), tree.get());
    }
    // No current element: no child list to read.
    NodeListIterator empty;
    Tree node = newTree();
    EXPECT_THROW(node->load(empty, nullptr), ResultError);
}

TEST(ExpressionXml, DeepTreesRoundTrip) {
    constexpr int kDepth = 500;
    Tree root = newTree();
    Expression* node = root.get();
    for (int i = 0; i < kDepth; ++i) {
        node->setType(Expression::kNegate);
        node = node->AddNewChild();
    }
    node->setType(Expression::kQuotedName);
    node->setStringValue(u"deep");
    PovaString const text = saved(*root);
    Tree const back = loaded(text);
    EXPECT_EQ(back->getTextFromTree(), root->getTextFromTree());
}

}  // namespace
