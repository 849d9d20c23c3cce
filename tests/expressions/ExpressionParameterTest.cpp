// Parameter references: resolution against a cube's parameters and substitution by values.
#include "ExpressionTestCube.h"
#include "ExpressionTestHelpers.h"
#include "support/CapturingLog.h"

#include <memcube/SalesCube.h>
#include <pova/Member.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>

using namespace expression_test;
using ZELT_o::Expression;
using Value = TestParameterValue;

namespace {

TEST(ExpressionParameters, Cases) {
    support::Ref<memcube::MemCube> const sales = memcube::makeSalesCube();
    std::string const kinds[] = {"", "String", "Integer", "Double", "Member", "MemberSet"};
    for (Case const& c : cases("param")) {
        testing::ScopedTrace const trace("corpus/cases.txt", c.line, c.input);
        // The type, the kind of the value and the value.
        std::smatch input;
        ASSERT_TRUE(std::regex_match(c.input, input, std::regex(R"((\d+) ?(\w*) ?(.*))")));
        auto const type = static_cast<LONG>(std::stol(input[1]));
        std::string const text = input[3];
        auto const kind = static_cast<Value::ParamValueType>(
            std::ranges::find(kinds, input[2].str()) - std::begin(kinds));
        ZELT_o::Member* const member = sales->findMember(PovaString(text));
        support::Ref<ZELT_o::ParameterValue> const value =
            kind == Value::kNone ? nullptr : Value::make(kind, PovaString(text), member);
        auto const cube = support::adopt(new TestCube());
        TestParameter* const parameter = cube->addParameter(c.has("other") ? "Q" : "P", type,
                                                            c.has("default") ? nullptr : value);
        parameter->fDefault = c.has("default") ? value : nullptr;
        Tree const tree = build("197[p]");
        std::vector<ZELT_o::Parameter*> used;
        if (c.expected[0] == '!') {
            testing_support::CapturingLog log;
            BaseError const error = caughtError([&] { tree->resolveParameters(cube.get(), used); });
            EXPECT_EQ(describe(error), c.expected);
            EXPECT_EQ(error.level(), 2);
            EXPECT_EQ(error.status(), 0);
            ASSERT_EQ(log.records().size(), 1u);
            EXPECT_EQ(log.records().front().code, error.code());
            continue;
        }
        tree->resolveParameters(cube.get(), used);
        EXPECT_EQ(used, (std::vector<ZELT_o::Parameter*>{parameter}));
        EXPECT_EQ(shape(tree.get()), c.expected);
        EXPECT_EQ(tree->isRestorePending(), type != 5);
        if (type == 6) {
            EXPECT_EQ(tree->getValue().vt, kind == Value::kInteger ? VT_I4 : VT_R8);
        }
        // The next text generation turns the node back into the reference.
        EXPECT_EQ(tree->getTextFromTree(), PovaString(" <<p>> "));
        EXPECT_EQ(shape(tree.get()), "197[p]");
        EXPECT_FALSE(tree->isRestorePending());
    }
}

TEST(ExpressionParameters, ResolvingWalksTheWholeTreeChildrenFirst) {
    auto const cube = makeSalesCube();
    Tree tree =
        parse("IIf( <<Year>> > 2000 , <<label>> , <<Region>> ) + <<YEAR>>", cube.get(), true);
    std::vector<ZELT_o::Parameter*> used;
    tree->resolveParameters(cube.get(), used);
    std::vector<ZELT_o::Parameter*> all;  // Year, Threshold, Region, Products, Label, ...
    cube->getParameters(all);
    EXPECT_EQ(used, (std::vector<ZELT_o::Parameter*>{all[0], all[4], all[2], all[0]}));
    EXPECT_EQ(shape(tree.get()),
              "158(112(149(142[2024],142[2000]),193[Total],124[[Region].[North]]),142[2024])");
    EXPECT_EQ(tree->getTextFromTree(),
              PovaString("IIf ( <<Year>> > 2000 , <<label>> , <<Region>> ) + <<YEAR>> "));

    // Without a viewpoint there are no parameters.
    auto* const none = static_cast<ZELT_o::Viewpoint*>(nullptr);
    EXPECT_EQ(caughtError([&] { tree->resolveParameters(none, used); }).code(), 0xC2018005u);
}

TEST(ExpressionParameters, ReplaceParameterIsPermanentAndReplaceNodeLastsOnePrint) {
    auto const cube = makeSalesCube();
    Tree tree = parse("<<Label>> = <<Year>> AND <<label>> <> 1", cube.get(), true);
    std::vector<ZELT_o::Parameter*> parameters;
    cube->getParameters(parameters);
    tree->replaceParameter(parameters[4]);
    EXPECT_EQ(tree->getTextFromTree(), PovaString(" { Total } = <<Year>> AND { Total } <> 1 "));
    EXPECT_EQ(tree->getTextFromTree(), PovaString(" { Total } = <<Year>> AND { Total } <> 1 "));

    Tree reference = build("197[p]");
    reference->replaceNode(Expression::kMemberName, u"[Time].[2024]");
    EXPECT_EQ(shape(reference.get()), "124[[Time].[2024]]");
    EXPECT_EQ(reference->getTextFromTree(), PovaString(" <<p>> "));
    // Other nodes are left alone.
    Tree other = build("193[q]");
    other->replaceNode(Expression::kMemberName, u"x");
    EXPECT_EQ(shape(other.get()), "193[q]");
    EXPECT_FALSE(other->isRestorePending());
}

}  // namespace
