// Parameter references: resolution against a cube's parameters and substitution by values.
#include "ExpressionTestCube.h"
#include "ExpressionTestHelpers.h"
#include "support/CapturingLog.h"

#include <memcube/SalesCube.h>
#include <pova/Member.h>

#include <gtest/gtest.h>

using namespace expression_test;
using ZELT_o::Expression;
using Value = TestParameterValue;

namespace {

// Each row: a parameter "P" of a type with a value (or only a default), and what "<<p>>"
// becomes, or the error (severity 2, logged) resolving it raises.
TEST(ExpressionParameters, EachTypeAndValueSubstitutesOrFails) {
    support::Ref<memcube::MemCube> const sales = memcube::makeSalesCube();
    ZELT_o::Member* const member = sales->findMember("[Region].[France]");
    struct Case {
        LONG type;
        support::Ref<ZELT_o::ParameterValue> value;
        support::Ref<ZELT_o::ParameterValue> fallback;
        char const* expected;
    };
    Case const cases[] = {
        {2, Value::make(Value::kString, "Total"), nullptr, "193[Total]"},
        {3, Value::make(Value::kString, "Total"), nullptr, "193[Total]"},
        {2, nullptr, Value::make(Value::kString, "fallback"), "193[fallback]"},
        {4, Value::make(Value::kString, "[Region].[North]"), nullptr, "124[[Region].[North]]"},
        {11, Value::make(Value::kMember, {}, 0, member), nullptr, "124[[Region].[France]]"},
        {6, Value::make(Value::kInteger, {}, 2024), nullptr, "142[2024]"},
        {6, Value::make(Value::kDouble, {}, 1.5), nullptr, "142[1.5]"},
        // A member set stands as the reference itself.
        {5, Value::make(Value::kMemberSet), nullptr, "197[p]"},
        {0, Value::make(Value::kString, "x"), nullptr, "!C2018003[p]"},
        {1, Value::make(Value::kInteger, {}, 1), nullptr, "!C2018003[p]"},
        {7, Value::make(Value::kString, "x"), nullptr, "!C2018003[p]"},
        {12, Value::make(Value::kString, "x"), nullptr, "!C2018003[p]"},
        {2, Value::make(Value::kInteger, {}, 1), nullptr, "!C2018004[p]"},
        {4, Value::make(Value::kDouble, {}, 1), nullptr, "!C2018004[p]"},
        {6, Value::make(Value::kString, "1"), nullptr, "!C2018004[p]"},
        {2, nullptr, nullptr, "!C201A20E[P]"},
    };
    for (Case const& c : cases) {
        std::string const row = std::to_string(c.type) + " " + c.expected;
        auto const cube = support::adopt(new TestCube());
        TestParameter* const parameter = cube->addParameter("P", c.type, c.value);
        parameter->fDefault = c.fallback;
        Tree const tree = build("197[p]");
        std::vector<ZELT_o::Parameter*> used;
        if (c.expected[0] == '!') {
            testing_support::CapturingLog log;
            BaseError const error = caughtError([&] { tree->resolveParameters(cube.get(), used); });
            EXPECT_EQ(describe(error), c.expected) << row;
            EXPECT_EQ(error.level(), 2) << row;
            EXPECT_EQ(error.status(), 0) << row;
            ASSERT_EQ(log.records().size(), 1u) << row;
            EXPECT_EQ(log.records().front().code, error.code()) << row;
            continue;
        }
        tree->resolveParameters(cube.get(), used);
        EXPECT_EQ(used, (std::vector<ZELT_o::Parameter*>{parameter})) << row;
        EXPECT_EQ(shape(tree.get()), c.expected) << row;
        EXPECT_EQ(tree->isRestorePending(), c.type != 5) << row;
        if (c.type == 6) {
            EXPECT_EQ(tree->getValue().vt,
                      c.value->getValueType() == Value::kInteger ? VT_I4 : VT_R8)
                << row;
        }
        // The next text generation turns the node back into the reference.
        EXPECT_EQ(tree->getTextFromTree(), PovaString(" <<p>> ")) << row;
        EXPECT_EQ(shape(tree.get()), "197[p]") << row;
        EXPECT_FALSE(tree->isRestorePending()) << row;
    }
}

TEST(ExpressionParameters, ResolvingWalksTheWholeTreeChildrenFirst) {
    auto const cube = makeSalesCube();
    Tree tree =
        parse("IIf( <<Year>> > 2000 , <<label>> , <<Region>> ) + <<YEAR>>", cube.get(), true);
    std::vector<ZELT_o::Parameter*> used;
    tree->resolveParameters(cube.get(), used);
    std::vector<PovaString> names;
    for (ZELT_o::Parameter* parameter : used) {
        parameter->getUniqueName(names.emplace_back());
    }
    EXPECT_EQ(names, (std::vector<PovaString>{"Year", "Label", "Region", "Year"}));
    EXPECT_EQ(shape(tree.get()),
              "158(112(149(142[2024],142[2000]),193[Total],124[[Region].[North]]),142[2024])");
    EXPECT_EQ(tree->getTextFromTree(),
              PovaString("IIf ( <<Year>> > 2000 , <<label>> , <<Region>> ) + <<YEAR>> "));

    // An unknown name: 0xC2018005, logged, severity 2; without a viewpoint there are no
    // parameters.
    testing_support::CapturingLog log;
    Tree unknown = build("197[Nobody]");
    BaseError const error = caughtError([&] { unknown->resolveParameters(cube.get(), used); });
    EXPECT_EQ(describe(error), "!C2018005[Nobody]");
    EXPECT_EQ(error.level(), 2);
    EXPECT_EQ(log.records().size(), 1u);
    EXPECT_EQ(caughtError([&] {
                  unknown->resolveParameters(static_cast<ZELT_o::Viewpoint*>(nullptr), used);
              }).code(),
              0xC2018005u);
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
