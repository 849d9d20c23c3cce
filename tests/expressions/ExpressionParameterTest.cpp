// Parameter references: resolution against a cube's parameters and substitution by values.
#include "ExpressionTestCube.h"
#include "ExpressionTestHelpers.h"
#include "support/CapturingLog.h"

#include <gtest/gtest.h>

using namespace expression_test;
using ZELT_o::Expression;

namespace {

// A cube offering one parameter `p` of `type` holding `value`.
struct OneParameter {
    support::Ref<TestCube> cube = support::adopt(new TestCube());
    TestParameter* parameter;

    OneParameter(LONG type, support::Ref<ZELT_o::ParameterValue> value)
        : parameter(cube->addParameter("P", type)) {
        parameter->setValue(std::move(value));
    }
};

// Resolves "<<p>>" against the parameter and returns the substituted node.
Tree resolved(OneParameter& setup) {
    Tree tree = leaf(Expression::kParameterReference, "p");
    std::vector<ZELT_o::Parameter*> used;
    tree->resolveParameters(setup.cube.get(), used);
    EXPECT_EQ(used, (std::vector<ZELT_o::Parameter*>{setup.parameter}));
    return tree;
}

BaseError resolveError(OneParameter& setup) {
    Tree tree = leaf(Expression::kParameterReference, "p");
    std::vector<ZELT_o::Parameter*> used;
    return caughtError([&] { tree->resolveParameters(setup.cube.get(), used); });
}

TEST(ExpressionParameters, EachTypeRowSubstitutesItsValue) {
    auto member = support::adopt(new TestMember("[Region].[South]"));
    struct Case {
        LONG type;
        support::Ref<ZELT_o::ParameterValue> value;
        Expression::ExpressionType kind;
        char const* name;
    };
    Case const cases[] = {
        {2, TestParameterValue::string("Total"), Expression::kQuotedName, "Total"},
        {3, TestParameterValue::string("Total"), Expression::kQuotedName, "Total"},
        {4, TestParameterValue::string("[Region].[North]"), Expression::kMemberName,
         "[Region].[North]"},
        {11, TestParameterValue::member(member.get()), Expression::kMemberName, "[Region].[South]"},
        {6, TestParameterValue::integer(2024), Expression::kNumber, "2024"},
        {6, TestParameterValue::real(1.5), Expression::kNumber, "1.5"},
    };
    for (Case const& c : cases) {
        OneParameter setup(c.type, c.value);
        Tree const tree = resolved(setup);
        EXPECT_EQ(tree->getType(), c.kind) << c.type;
        EXPECT_EQ(PovaString(tree->getStringValue()), PovaString(c.name)) << c.type;
        EXPECT_TRUE(tree->isRestorePending()) << c.type;
        // The next text generation turns the node back into the reference.
        EXPECT_EQ(tree->getTextFromTree(), PovaString(" <<p>> ")) << c.type;
        EXPECT_EQ(tree->getType(), Expression::kParameterReference);
        EXPECT_EQ(PovaString(tree->getStringValue()), PovaString("p"));
        EXPECT_FALSE(tree->isRestorePending());
    }
    OneParameter number(6, TestParameterValue::integer(7));
    Tree const seven = resolved(number);
    EXPECT_EQ(seven->getValue().vt, VT_I4);
    EXPECT_EQ(seven->getValue().lVal, 7);
    // A member set stands as the reference.
    OneParameter set(5, TestParameterValue::memberSet());
    Tree const same = resolved(set);
    EXPECT_EQ(same->getType(), Expression::kParameterReference);
    EXPECT_FALSE(same->isRestorePending());
}

TEST(ExpressionParameters, WrongTypesAndValuesAreSeverityTwoErrorsAndLogged) {
    struct Case {
        LONG type;
        support::Ref<ZELT_o::ParameterValue> value;
        ZELT_o::MessageCode code;
    };
    Case const cases[] = {
        {0, TestParameterValue::string("x"), 0xC2018003},
        {1, TestParameterValue::integer(1), 0xC2018003},
        {7, TestParameterValue::string("x"), 0xC2018003},
        {12, TestParameterValue::string("x"), 0xC2018003},
        {2, TestParameterValue::integer(1), 0xC2018004},
        {4, TestParameterValue::real(1), 0xC2018004},
        {6, TestParameterValue::string("1"), 0xC2018004},
    };
    for (Case const& c : cases) {
        testing_support::CapturingLog log;
        OneParameter setup(c.type, c.value);
        BaseError const error = resolveError(setup);
        EXPECT_EQ(error.code(), c.code) << c.type;
        EXPECT_EQ(error.level(), 2) << c.type;
        EXPECT_EQ(error.status(), 0) << c.type;
        EXPECT_EQ(error.getInsert(0), PovaString("p")) << c.type;
        ASSERT_EQ(log.records().size(), 1u) << c.type;
        EXPECT_EQ(log.records().front().code, c.code) << c.type;
    }
}

TEST(ExpressionParameters, DefaultValueStandsInAndAMissingValueIsAnError) {
    OneParameter setup(2, nullptr);
    setup.parameter->setDefaultValue(TestParameterValue::string("fallback"));
    EXPECT_EQ(PovaString(resolved(setup)->getStringValue()), PovaString("fallback"));
    OneParameter none(2, nullptr);
    BaseError const error = resolveError(none);
    EXPECT_EQ(error.code(), 0xC201A20Eu);
    EXPECT_EQ(error.getInsert(0), PovaString("P"));
    EXPECT_EQ(error.level(), 2);
}

TEST(ExpressionParameters, ResolvingWalksTheWholeTreeChildrenFirst) {
    auto const cube = makeSalesCube();
    Tree tree =
        parse("IIf( <<Year>> > 2000 , <<label>> , <<Region>> ) + <<YEAR>>", cube.get(), true);
    std::vector<ZELT_o::Parameter*> used;
    tree->resolveParameters(cube.get(), used);
    std::vector<PovaString> names;
    for (ZELT_o::Parameter* parameter : used) {
        PovaString name;
        parameter->getUniqueName(name);
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<PovaString>{"Year", "Label", "Region", "Year"}));
    EXPECT_EQ(shape(tree.get()),
              "158(112(149(142[2024],142[2000]),193[Total],124[[Region].[North]]),142[2024])");
    EXPECT_EQ(tree->getTextFromTree(),
              PovaString("IIf ( <<Year>> > 2000 , <<label>> , <<Region>> ) + <<YEAR>> "));

    // An unknown name: 0xC2018005, logged, severity 2.
    testing_support::CapturingLog log;
    Tree unknown = leaf(Expression::kParameterReference, "Nobody");
    BaseError const error = caughtError([&] { unknown->resolveParameters(cube.get(), used); });
    EXPECT_EQ(error.code(), 0xC2018005u);
    EXPECT_EQ(error.level(), 2);
    EXPECT_EQ(error.getInsert(0), PovaString("Nobody"));
    EXPECT_EQ(log.records().size(), 1u);
    // Without a viewpoint there are no parameters.
    EXPECT_EQ(caughtError([&] {
                  unknown->resolveParameters(static_cast<ZELT_o::Viewpoint*>(nullptr), used);
              }).code(),
              0xC2018005u);
}

TEST(ExpressionParameters, ReplaceParameterIsPermanent) {
    auto const cube = makeSalesCube();
    Tree tree = parse("<<Label>> = <<Year>> AND <<label>> <> 1", cube.get(), true);
    std::vector<ZELT_o::Parameter*> parameters;
    cube->getParameters(parameters);
    for (ZELT_o::Parameter* parameter : parameters) {
        PovaString name;
        parameter->getUniqueName(name);
        if (name == PovaString("Label")) {
            tree->replaceParameter(parameter);
        }
    }
    EXPECT_EQ(tree->getTextFromTree(), PovaString(" { Total } = <<Year>> AND { Total } <> 1 "));
    EXPECT_EQ(tree->getTextFromTree(), PovaString(" { Total } = <<Year>> AND { Total } <> 1 "));
}

TEST(ExpressionParameters, ReplaceNodeAppliesOnlyToReferencesUntilTheNextPrint) {
    Tree reference = leaf(Expression::kParameterReference, "p");
    reference->replaceNode(Expression::kMemberName, u"[Time].[2024]");
    EXPECT_EQ(reference->getType(), Expression::kMemberName);
    EXPECT_EQ(PovaString(reference->getStringValue()), PovaString("[Time].[2024]"));
    EXPECT_EQ(reference->getTextFromTree(), PovaString(" <<p>> "));
    Tree other = leaf(Expression::kQuotedName, "q");
    other->replaceNode(Expression::kMemberName, u"x");
    EXPECT_EQ(other->getType(), Expression::kQuotedName);
    EXPECT_FALSE(other->isRestorePending());
}

}  // namespace
