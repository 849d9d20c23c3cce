#include "ExpressionTestCube.h"
#include "ExpressionTestHelpers.h"
#include "support/CapturingLog.h"

#include <gtest/gtest.h>

#include <string>

using namespace expression_test;
using ZELT_o::Expression;

namespace {

std::string shapeOf(char const* text, ZELT_o::Cube* cube = nullptr, bool lookup = false) {
    return shape(parse(text, cube, lookup).get());
}

TEST(ExpressionParser, PrecedenceAndAssociativity) {
    struct Case {
        char const* text;
        char const* shape;
    };
    Case const cases[] = {
        // * before +, + before comparisons, comparisons before NOT, NOT before AND ...
        {"a + b * c", "158(193[a],160(193[b],193[c]))"},
        {"a - b - c", "159(159(193[a],193[b]),193[c])"},
        {"a = b + 1", "145(193[a],158(193[b],142[1]))"},
        {"NOT a = b AND c", "151(153(145(193[a],193[b])),193[c])"},
        {"a OR b AND c", "152(193[a],151(193[b],193[c]))"},
        {"a XOR b OR c", "152(154(193[a],193[b]),193[c])"},
        {"a IMP b EQV c", "156(193[a],155(193[b],193[c]))"},
        // Unary minus binds tighter than * but not than ^, which is right-associative.
        {"- a * b", "160(157(193[a]),193[b])"},
        {"-2 ^ 2", "157(163(142[2],142[2]))"},
        {"2 ^ 3 ^ 2", "163(142[2],163(142[3],142[2]))"},
        {"a ^ - b", "163(193[a],157(193[b]))"},
        {"a \\ b % c / d", "161(144(162(193[a],193[b]),193[c]),193[d])"},
        // A percentage before the % operator keeps its own parentheses, so that its printed
        // form does not read as a percentage of a percentage.
        {"5%%b", "144(190(142[0.05]),193[b])"},
        {"2 ^ 5%%b", "144(190(163(142[2],142[0.05])),193[b])"},
        {"+ a", "193[a]"},
        {"a < b <= c", "148(147(193[a],193[b]),193[c])"},
        {"a >= b <> c > d", "149(146(150(193[a],193[b]),193[c]),193[d])"},
        {"a >< b", "146(193[a],193[b])"},
        // Is: "Is Null" is its own form; Is binds like a comparison.
        {"x Is Null", "18(193[x])"},
        {"x Is Null AND y", "151(18(193[x]),193[y])"},
        {"x Is y + 1", "21(193[x],158(193[y],142[1]))"},
        {"x Is ( Null )", "21(193[x],190(185))"},
        {"a EXISTS b", "208(193[a],193[b])"},
        {"EXISTS EXISTS EXISTS", "208(209,209)"},
        // Parentheses stay, except around the operand of NOT and unary minus, which print
        // their own.
        {"( a + b ) * c", "160(190(158(193[a],193[b])),193[c])"},
        {"NOT ( a )", "153(193[a])"},
        {"- ( ( a ) )", "157(190(193[a]))"},
    };
    for (Case const& c : cases) {
        EXPECT_EQ(shapeOf(c.text), c.shape) << c.text;
    }
}

TEST(ExpressionParser, LiteralsNamesAndParameters) {
    auto const cube = makeSalesCube();
    EXPECT_EQ(shapeOf("TRUE OR false"), "152(143,143)");
    Tree const truth = parse("True");
    EXPECT_EQ(truth->getValue().vt, VT_BOOL);
    EXPECT_NE(truth->getValue().boolVal, 0);
    Tree const small = parse("1.5E-07");
    EXPECT_EQ(small->getType(), Expression::kNumber);
    EXPECT_DOUBLE_EQ(small->getValue().dblVal, 1.5e-7);
    EXPECT_DOUBLE_EQ(parse("2E3")->getValue().dblVal, 2000);
    EXPECT_DOUBLE_EQ(parse("2 E + 3")->getValue().dblVal, 2000);
    EXPECT_DOUBLE_EQ(parse("12.5k")->getValue().dblVal, 12500);
    // Names by the class the cube gives them.
    EXPECT_EQ(shapeOf("[Time].[2024] + Sales + {[product]} + [Time].[Year] + [Time].[Calendar] + "
                      "[Time] + {[Top Products]} + { unknown }",
                      cube.get(), true),
              "158(158(158(158(158(158(158(124[[Time].[2024]],124[Sales]),123[[Product]]),"
              "194[[Time].[Year]]),123[[Time].[Calendar]]),123[[Time]]),123[[Top Products]]),"
              "193[unknown])");
    EXPECT_EQ(shapeOf("<<year>> * <<Region>> + <<Products>> + <<Label>>", cube.get(), true),
              "158(158(160(197[year],197[Region]),197[Products]),197[Label])");
    // Without lookup every name is a plain name.
    EXPECT_EQ(shapeOf("[Time].[2024]", cube.get(), false), "193[[Time].[2024]]");
}

TEST(ExpressionParser, KeywordArgumentListsPickTheKind) {
    struct Case {
        char const* text;
        char const* shape;
    };
    Case const cases[] = {
        {"Abs( x )", "164(193[x])"},
        {"Union( a , b )", "58(193[a],193[b])"},
        {"Union( a , b , ALL )", "57(193[a],193[b])"},
        // A closing ALL without a form that takes it is an argument.
        {"Union( a , ALL )", "58(193[a],196)"},
        {"Filter( a , ALL )", "37(193[a],196)"},
        {"Generate( a , b , ALL )", "27(193[a],193[b])"},
        {"Generate( a , b , c )", "26(193[a],193[b],193[c])"},
        {"ToggleDrillState( a , b , RECURSIVE )", "15(193[a],193[b])"},
        {"DrillDownMember( a , b )", "66(193[a],193[b])"},
        {"DrillDownMember( a , b , recursive )", "67(193[a],193[b])"},
        {"Hierarchize( s , POST )", "61(193[s])"},
        {"Count( s )", "109(193[s])"},
        {"Count( s , EXCLUDEEMPTY )", "107(193[s])"},
        {"Count( s , IncludeEmpty )", "108(193[s])"},
        {"DrillDownLevel( s )", "68(193[s])"},
        {"DrillDownLevel( s , l )", "69(193[s],193[l])"},
        {"DrillDownLevelTop( s , 3 )", "28(193[s],142[3])"},
        {"DrillDownLevelTop( s , 3 , l , m )", "31(193[s],142[3],193[l],193[m])"},
        {"DrillDownLevelBottom( s , 3 , l , m )", "30(193[s],142[3],193[l],193[m])"},
        {"RollupChildren( m , - )", "99(193[m],95)"},
        {"Order( s , m , BDESC )", "36(193[s],193[m],35)"},
        {"Property( x )", "204(193[x])"},
        {"GetCaption( x )", "220(193[x])"},
        {"YTD( m )", "223(193[m])"},
        {"wtd( )", "228"},
        {"CurrentSet()", "3"},
        {"STDEV( s ) + STDDEV( s ) + VARIANCE( s ) + VAR( s )",
         "158(158(158(103(193[s]),103(193[s])),101(193[s])),101(193[s]))"},
        // Calls: a name or a parameter followed by one argument in parentheses.
        {"f ( x )", "14(193[f],193[x])"},
        // Descendants always has a level and a flag, empty ones where they are left out.
        {"Descendants( m )", "114(193[m],198,214)"},
        {"Descendants( m , l )", "114(193[m],193[l],214)"},
        {"Descendants( m , LEAVES )", "114(193[m],198,118)"},
        {"Descendants( m , , SELF_AND_AFTER )", "114(193[m],198,120)"},
        {"Descendants( m , 2 , SELF )", "114(193[m],142[2],115)"},
    };
    for (Case const& c : cases) {
        EXPECT_EQ(shapeOf(c.text), c.shape) << c.text;
    }
    auto const cube = makeSalesCube();
    EXPECT_EQ(shapeOf("<<Region>> ( Sales )", cube.get(), true), "138(197[Region],124[Sales])");
}

TEST(ExpressionParser, RejectedTextsGiveLexerErrorsAndLeaveNoTree) {
    char const* const syntaxErrors[] = {
        "a +",
        "( a",
        "a )",
        "Abs( a , b )",
        "Abs( )",
        "Abs x",
        "Ascendants( m )",
        "Crpi( x )",
        "a : b",
        "Union( a , , b )",
        "Count( RECURSIVE , s )",
        "Descendants( m , l , x )",
        "Descendants( )",
        "Filter( a , b , POST )",
        "1E+400",
        "99999 E 400",
        "Value( x )",
        "E",
        "a b",
    };
    for (char const* text : syntaxErrors) {
        BaseError const error = parseError(text);
        EXPECT_EQ(error.code(), 0x2017068u) << text;
        EXPECT_EQ(error.module(), PovaString("Lexer")) << text;
        EXPECT_EQ(error.level(), 1) << text;
        EXPECT_EQ(error.status(), 0) << text;
    }
    auto const cube = makeSalesCube();
    // A sign before a flag, a dimension, a hierarchy, a level or a set.
    for (char const* text :
         {"- ASC", "+ SELF", "- [Time]", "+ ( [Time].[Year] )", "- {[Top Products]}"}) {
        BaseError const error = parseError(text, cube.get(), true);
        EXPECT_EQ(error.code(), 0x2017067u) << text;
        EXPECT_EQ(error.getInsert(0), PovaString(text[0] == '-' ? "-" : "+")) << text;
    }
    EXPECT_EQ(parseError("[Nowhere] + 1", cube.get(), true).code(), 0x2017068u);
    EXPECT_EQ(parseError("<<Nobody>>", cube.get(), true).code(), 0xC2018005u);
}

TEST(ExpressionParser, FailedParseIsLoggedAndEmptiesTheNode) {
    testing_support::CapturingLog log;
    Tree tree = parse("a + b");
    EXPECT_THROW(tree->setTextAndCreateTree("a + (", nullptr, false), BaseError);
    EXPECT_EQ(tree->getType(), Expression::kEmpty);
    EXPECT_TRUE(tree->getExpressions().empty());
    EXPECT_EQ(tree->getText(), PovaString("a + ("));
    bool logged = false;
    for (LogRecord const& record : log.records()) {
        logged = logged || record.code == 0x2017068u;
    }
    EXPECT_TRUE(logged);
}

TEST(ExpressionParser, ParsingReplacesTheTreeAndKeepsTheText) {
    Tree tree = parse("a + b");
    auto* const before = tree.get();
    EXPECT_TRUE(tree->setTextAndCreateTree("c", nullptr, false));
    EXPECT_EQ(tree.get(), before);
    EXPECT_EQ(shape(tree.get()), "193[c]");
    EXPECT_EQ(tree->getText(), PovaString("c"));
    EXPECT_TRUE(tree->setTextAndCreateTree("", nullptr, false));
    EXPECT_EQ(tree->getType(), Expression::kEmpty);
    EXPECT_EQ(tree->getTextFromTree(), PovaString(""));
    // The root's children point back at the root.
    tree->setTextAndCreateTree("x * y", nullptr, false);
    for (Expression* child : tree->getExpressions()) {
        EXPECT_EQ(child->GetParentExpression(), tree.get());
    }
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
    std::string parentheses;
    for (int i = 0; i < kDepth; ++i) {
        parentheses += "( ";
    }
    parentheses += "1";
    for (int i = 0; i < kDepth; ++i) {
        parentheses += " )";
    }
    std::string minuses(kDepth, '-');
    minuses += "1";
    std::string sum = "1";
    for (int i = 0; i < 3 * kDepth; ++i) {
        sum += "+1";
    }
    for (std::string const& text : {parentheses, minuses, sum}) {
        Tree tree = parse(PovaString(text));
        PovaString const once = tree->getTextFromTree();
        Tree again = parse(once);
        EXPECT_EQ(again->getTextFromTree(), once);
        support::Ref<Expression> copy = support::adopt(tree->clone());
        EXPECT_EQ(copy->getTextFromTree(), once);
    }
    std::string unclosed(kDepth, '(');
    EXPECT_EQ(parseError(PovaString(unclosed)).code(), 0x2017068u);
}

}  // namespace
