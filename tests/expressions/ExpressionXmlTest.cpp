// Saving and loading trees: save, load, save again and compare.
#include "ExpressionTestHelpers.h"

#include <basekit/NodeListIterator.h>
#include <basekit/XmlSupport.h>

#include <gtest/gtest.h>

using namespace expression_test;
using ZELT_o::Expression;

namespace {

// Each node writes its index, kind and text, numbers and booleans their value, names their
// name as the text; children go in order into an "ExpressionVector" list.
TEST(ExpressionXml, NumbersBooleansAndNamesAreAttributes) {
    Tree const tree = parse("0.1 = False OR { [Time] }");
    tree->getExpressions()[0]->getExpressions()[0]->getValue().dblVal = 0.1 + 0.2;
    PovaString const text = saved(*tree);
    EXPECT_EQ(text.string(),
              "<Expression Index=\"0\" ExpressionType=\"152\" ExpressionText=\"0.1 = False OR { "
              "[Time] }\"><Vector UniqueName=\"ExpressionVector\"><Expression Index=\"0\" "
              "ExpressionType=\"145\" ExpressionText=\"\"><Vector UniqueName=\"ExpressionVector\">"
              "<Expression Index=\"0\" ExpressionType=\"142\" ExpressionText=\"\" "
              "ExpressionValue=\"0.30000000000000004\"/><Expression Index=\"1\" "
              "ExpressionType=\"143\" ExpressionText=\"\" ExpressionValue=\"false\"/></Vector>"
              "</Expression><Expression Index=\"1\" ExpressionType=\"193\" "
              "ExpressionText=\"[Time]\"/></Vector></Expression>\n");
    EXPECT_EQ(loaded(text)->getExpressions()[0]->getExpressions()[0]->getValue().dblVal, 0.1 + 0.2);
}

// Loading replaces what the node held, reads only the "ExpressionVector" list and names the
// node as its children's parent.
TEST(ExpressionXml, LoadingReplacesTheContentFromTheExpressionVector) {
    Tree tree = parse("{ stale } + 1");
    Expression* const old = tree->getExpressions()[0];
    old->addRef();
    loaded(
        "<Expression ExpressionType=\"164\" ExpressionText=\"Abs(x)\">"
        "<Vector UniqueName=\"Other\"><Expression ExpressionType=\"142\"/></Vector>"
        "<Vector UniqueName=\"ExpressionVector\"><Expression ExpressionType=\"142\" "
        "ExpressionValue=\" 2.5 \"/><!-- a note --><Expression ExpressionType=\"193\" "
        "ExpressionText=\"y\"/></Vector></Expression>",
        tree);
    EXPECT_EQ(old->getRefCount(), 1);
    old->release();
    EXPECT_EQ(tree->getText(), PovaString("Abs(x)"));
    EXPECT_EQ(shape(tree.get()), "164(142[2.5],193[y])");
    for (Expression* child : tree->getExpressions()) {
        EXPECT_EQ(child->GetParentExpression(), tree.get());
    }
    loaded("<Expression ExpressionType=\"193\" ExpressionText=\"n\"/>", tree);
    EXPECT_EQ(shape(tree.get()), "193[n]");
    loaded("<Expression/>", tree);
    EXPECT_EQ(shape(tree.get()), "141");
}

// A number attribute that is there but not a valid number, or a kind outside the table, is
// E_UNEXPECTED, and the node stays as it was; no current element is too.
TEST(ExpressionXml, InvalidNumbersAreErrorsAndLeaveTheNodeAlone) {
    char const* const elements[] = {
        "<Expression ExpressionType=\"x\"/>",
        "<Expression ExpressionType=\"\"/>",
        "<Expression ExpressionType=\"230\"/>",
        "<Expression ExpressionType=\"-1\"/>",
        "<Expression ExpressionType=\"99999999999\"/>",
        "<Expression ExpressionType=\"142\" ExpressionValue=\"nonsense\"/>",
        "<Expression ExpressionType=\"143\" ExpressionValue=\"maybe\"/>",
        ("<Expression ExpressionType=\"164\"><Vector UniqueName=\"ExpressionVector\">"
         "<Expression ExpressionType=\"142\" ExpressionValue=\"1x\"/></Vector></Expression>"),
    };
    Tree const tree = parse("Abs( 1 )");
    for (char const* element : elements) {
        EXPECT_THROW(loaded(element, tree), ResultError) << element;
        EXPECT_EQ(shape(tree.get()), "164(142[1])") << element;
    }
    NodeListIterator empty;
    try {
        tree->load(empty, nullptr);
        ADD_FAILURE() << "no error";
    } catch (ResultError const& error) {
        EXPECT_EQ(error.result(), static_cast<HRESULT>(0x8000FFFF));
    }
}

// A chain of NOTs: each level adds the same few elements and attributes to the saved XML, so
// its size grows with the depth as the text does; ten thousand levels save, load, print, copy
// and go away without deep recursion.
TEST(ExpressionXml, DeepTreesRoundTripAndGrowLinearly) {
    auto saveDeep = [](int depth, Tree& back) {
        std::string text;
        for (int i = 0; i < depth; ++i) {
            text += "NOT ";
        }
        Tree const tree = parse(PovaString(text + "x"));
        PovaString const xml = saved(*tree);
        back = loaded(xml);
        EXPECT_EQ(back->getTextFromTree(), tree->getTextFromTree());
        EXPECT_EQ(saved(*back), xml);
        auto const copy = support::adopt(back->clone());
        EXPECT_EQ(copy->getTextFromTree(), tree->getTextFromTree());
        return static_cast<double>(xml.size());
    };
    Tree shallow;
    Tree deep;
    double const ratio = saveDeep(10000, deep) / saveDeep(1000, shallow);
    EXPECT_GT(ratio, 9.5);
    EXPECT_LT(ratio, 10.5);
}

}  // namespace
