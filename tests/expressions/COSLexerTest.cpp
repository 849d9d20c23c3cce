#include "ExpressionTestCube.h"
#include "support/CapturingLog.h"

#include <basekit/BaseError.h>
#include "expressions/COSLexer.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using expression_test::makeSalesCube;
using expression_test::TestCube;

namespace {

struct Token {
    int code;
    std::string text;  // token text of names and parameters
    double number = 0;
};

std::vector<Token> lex(PovaString const& text, ZELT_o::Cube* cube = nullptr, bool lookup = false) {
    COSLexer lexer(text, cube);
    lexer.setLookup(lookup);
    std::vector<Token> tokens;
    for (int i = 0; i < 100; ++i) {
        int const code = lexer.nextToken();
        Token token{code, PovaString(lexer.getTokenText()).string()};
        if (code == COSLexer::kNumber) {
            token.number = lexer.takeNumber();
        }
        tokens.push_back(token);
        if (code == COSLexer::kEnd) {
            break;
        }
    }
    return tokens;
}

std::vector<int> codes(PovaString const& text, ZELT_o::Cube* cube = nullptr, bool lookup = false) {
    std::vector<int> result;
    for (Token const& token : lex(text, cube, lookup)) {
        result.push_back(token.code);
    }
    return result;
}

BaseError lexError(PovaString const& text, ZELT_o::Cube* cube, bool lookup) {
    try {
        lex(text, cube, lookup);
    } catch (BaseError const& error) {
        return error;
    }
    ADD_FAILURE() << "no error for " << text.string();
    return BaseError(0, "none");
}

// Every keyword with its token, in the lexer's test order.
constexpr char const* kKeywords = R"(
ADDCALCULATEDMEMBERS 121 ALLMEMBERS 56 ASCENDANTS 63 ANCESTORS 59 ANCESTOR 58 ARRAY 122
AFTER 67 AXIS 60 ACOS 35 ASIN 36 ASC 123 ABS 30 ATN 34 AND 25 AVG 80 ALL 107
BEFORE_AND_AFTER 69 BOTTOMPERCENT 124 BOTTOMCOUNT 85 BOTTOMSUM 125 BETWEEN 162 BEFORE 68
BDESC 126 BASC 127 CURRENTDIMENSIONFILTEREDSET 169 CURRENTAXISFILTEREDSET 171
CURRENTDIMENSIONSET 170 CURRENTAXISSET 172 CURRENTMEMBER 46 COALESCEEMPTY 128
CLOSINGPERIOD 129 CORRELATION 151 COVARIANCEN 152 COVARIANCE 153 CURRENTSET 161
CROSSJOIN 103 CHILDREN 55 CURRENT 130 COUSIN 57 COUNT 81 CRPI 47 CAPTION 189 COS 31
DRILLDOWNMEMBERBOTTOM 108 DRILLDOWNLEVELBOTTOM 131 DRILLDOWNMEMBERTOP 109
DRILLDOWNLEVELTOP 132 DRILLDOWNMEMBER 110 DRILLDOWNLEVEL 111 DRILLUPMEMBER 112
DISTINCTCOUNT 82 DEFAULTMEMBER 133 DRILLUPLEVEL 113 DESCENDANTS 64 DIMENSIONS 134
DIMENSION 135 DISTINCT 102 D_T_D 205 DESC 136 EXCLUDEEMPTY 166 EXTRACT 137 EXCEPT 114
EXP 40 EQV 29 E 8 EXISTS 190 FIRSTSIBLING 92 FIRSTCHILD 94 FILTER 138 FALSE 6 FIX 49
GETUNIQUENAME 195 GENERATESET 185 GETCAPTION 196 GENERATE 139 GETNAME 194
HIERARCHIZE 115 HIDETUPLE 192 H_T_D 198 HEAD 54 INCLUDEEMPTY 165 ISGENERATION 88
ISANCESTOR 91 INTERSECT 106 ISSIBLING 89 ISEMPTY 87 INHERIT 193 ISLEAF 90 ITEM 98 IIF 83
INT 41 IMP 28 IS 140 LINREGINTERCEPT 154 LINREGVARIANCE 155 LINREGSLOPE 156
LINREGPOINT 157 LASTPERIODS 116 LASTSIBLING 93 LASTCHILD 95 LINREGR2 158 LEVELS 52
LEAVES 65 LEVEL 104 LEAD 97 LAG 96 LOG 37 MEMBERS 51 MEMBER 197 MEDIAN 79 M_T_D 203
MIN 44 MAX 43 MOD 39 MTD 147 NONEMPTYCROSSJOIN 160 NEXTMEMBER 61 NAMETOSET 159
NATIVE 164 NULL 4 NOT 24 NAME 188 OPENINGPERIOD 141 OUTSIDE 163 ORDINAL 84 ORDER 142
OR 26 PARALLELPERIOD 143 PERIODSTODATE 144 PREVMEMBER 62 PROPERTY 186 PARENT 53
P_T_D 201 POST 117 Q_T_D 202 QTD 146 ROLLUPCHILDREN 73 REMAINDER 50 RECURSIVE 118
ROUND 48 RANK 74 STRIPCALCULATEDMEMBERS 105 SELF_BEFORE_AFTER 72 SELF_AND_BEFORE 71
SELF_AND_AFTER 70 SHOWTUPLE 191 SIBLINGS 100 STDDEVP 78 SUBSET 119 STDDEV 77 STDEVP 78
STDEV 77 S_T_D 200 SELF 66 SUM 45 SIN 32 SGN 42 SQR 38 SET 168 TOGGLEDRILLSTATE 167
TOPPERCENT 149 TOPCOUNT 86 TOPSUM 150 TUPLE 173 TAIL 101 TRUE 5 TAN 33 UNIQUENAME 187
UNION 120 VARIANCEP 76 VARIANCE 75 VALUE 99 VARP 76 VAR 75 V_T_D 204 VTD 148 W_T_D 204
WTD 148 XOR 27 Y_T_D 199 YTD 145
)";

std::string mixedCase(std::string text) {
    for (std::size_t i = 0; i < text.size(); i += 2) {
        if (text[i] >= 'A' && text[i] <= 'Z') {
            text[i] = static_cast<char>(text[i] - 'A' + 'a');
        }
    }
    return text;
}

TEST(COSLexer, EveryKeywordInAnyCaseGivesItsToken) {
    std::istringstream table(kKeywords);
    std::string upper;
    int token = 0;
    int count = 0;
    while (table >> upper >> token) {
        ++count;
        std::string lower = upper;
        for (char& c : lower) {
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        }
        for (std::string const& text : {upper, lower, mixedCase(upper)}) {
            EXPECT_EQ(codes(PovaString(text + "(")), (std::vector<int>{token, 10, 1})) << text;
        }
    }
    EXPECT_EQ(count, 181);
}

TEST(COSLexer, KeywordEndsOnlyBeforeANonLetter) {
    auto const cube = makeSalesCube();
    EXPECT_EQ(codes("sum SUM"), (std::vector<int>{45, 45, 1}));
    // A letter after the keyword makes a word; a digit or an underscore does not.
    EXPECT_EQ(lex("SUMX").front().code, COSLexer::kName);
    EXPECT_EQ(lex("SUMX").front().text, "SUMX");
    BaseError const error = lexError("SUMX", cube.get(), true);
    EXPECT_EQ(error.code(), 0x2017068u);
    EXPECT_EQ(error.module(), PovaString("Lexer"));
    EXPECT_EQ(error.getInsert(0), PovaString("SUMX"));
    auto const sum1 = lex("SUM1");
    ASSERT_EQ(sum1.size(), 3u);
    EXPECT_EQ(sum1[0].code, 45);
    EXPECT_EQ(sum1[1].code, COSLexer::kNumber);
    EXPECT_EQ(sum1[1].number, 1);
    EXPECT_EQ(codes("Abs_x"), (std::vector<int>{30, 3, 1}));
    // Longer keywords are tried before their prefixes.
    EXPECT_EQ(codes("Ancestors Ancestor Members Member Descendants Desc Order Or IsLeaf Is"),
              (std::vector<int>{59, 58, 51, 197, 64, 136, 142, 26, 90, 140, 1}));
}

TEST(COSLexer, OneLetterEAndExists) {
    EXPECT_EQ(codes("E"), (std::vector<int>{8, 1}));
    EXPECT_EQ(codes("e+"), (std::vector<int>{8, 15, 1}));
    EXPECT_EQ(codes("EXISTS exists"), (std::vector<int>{190, 190, 1}));
    // No keyword begins with J, K or Z.
    EXPECT_EQ(codes("J K Z"), (std::vector<int>{3, 3, 3, 1}));
}

TEST(COSLexer, NumbersWithBlanksFractionsAndMagnitudes) {
    struct Case {
        char const* text;
        double value;
    };
    Case const cases[] = {
        {"12.5k", 12500}, {"5%", 0.05},   {"3m", 0.003},
        {"3M", 3e6},      {"2B", 2e9},    {"2T", 2e12},
        {"7u", 7e-6},     {"7n", 7e-9},   {"7p", 7e-12},
        {"1 234", 1234},  {"1 . 5", 1.5}, {".25", 0.25},
        {"5 k", 5000},    {"0.1", 0.1},   {".", 0},
        {"007", 7},       {"3.", 3},      {"123456789012345678", 123456789012345678.0},
    };
    for (Case const& c : cases) {
        auto const tokens = lex(c.text);
        ASSERT_EQ(tokens.size(), 2u) << c.text;
        EXPECT_EQ(tokens[0].code, COSLexer::kNumber) << c.text;
        EXPECT_DOUBLE_EQ(tokens[0].number, c.value) << c.text;
    }
    // A suffix that is no magnitude is the next token; no exponent is read here.
    EXPECT_EQ(codes("5x"), (std::vector<int>{2, 3, 1}));
    EXPECT_EQ(codes("1.5E-07"), (std::vector<int>{2, 8, 16, 2, 1}));
    EXPECT_EQ(codes("1.2.3"), (std::vector<int>{2, 2, 1}));
}

TEST(COSLexer, TakeNumberResetsTheNumber) {
    COSLexer lexer("42", nullptr);
    EXPECT_EQ(lexer.nextToken(), COSLexer::kNumber);
    EXPECT_EQ(lexer.takeNumber(), 42);
    EXPECT_EQ(lexer.takeNumber(), 0);
}

TEST(COSLexer, PunctuationAndComparisons) {
    EXPECT_EQ(codes("( ) , = + - * / \\ ^ % :"),
              (std::vector<int>{10, 11, 7, 9, 15, 16, 17, 18, 19, 20, 14, 184, 1}));
    EXPECT_EQ(codes("<> ><"), (std::vector<int>{23, 23, 1}));
    EXPECT_EQ(codes("<= >= < >"), (std::vector<int>{22, 21, 12, 13, 1}));
    EXPECT_EQ(codes("<1"), (std::vector<int>{12, 2, 1}));
    EXPECT_EQ(codes(">"), (std::vector<int>{13, 1}));
}

TEST(COSLexer, LineFeedEndsTheTokens) {
    EXPECT_EQ(codes("abs\nabs"), (std::vector<int>{30, 1}));
    EXPECT_EQ(codes("\t \r"), (std::vector<int>{1}));
    EXPECT_EQ(codes(""), (std::vector<int>{1}));
}

TEST(COSLexer, BracedNames) {
    auto const doubled = lex("{a}}b}");
    ASSERT_EQ(doubled.size(), 2u);
    EXPECT_EQ(doubled[0].code, COSLexer::kName);
    EXPECT_EQ(doubled[0].text, "a}b");
    // Blanks around the name go; a missing closing brace ends the name at the end.
    EXPECT_EQ(lex("{  a b \t}").front().text, "a b");
    EXPECT_EQ(lex("{ open").front().text, "open");
    auto const followed = lex("{x})");
    EXPECT_EQ(followed[1].code, COSLexer::kClose);
    // With lookup on, the cube classifies the name and gives its canonical text.
    auto const cube = makeSalesCube();
    auto const member = lex("{ [time].[2024] }", cube.get(), true);
    EXPECT_EQ(member[0].code, COSLexer::kMemberName);
    EXPECT_EQ(member[0].text, "[Time].[2024]");
    auto const unknown = lex("{ [Nowhere] }", cube.get(), true);
    EXPECT_EQ(unknown[0].code, COSLexer::kName);
    EXPECT_EQ(unknown[0].text, "[Nowhere]");
    EXPECT_EQ(lex("{ [Time].[2024] }", cube.get(), false)[0].code, COSLexer::kName);
    EXPECT_EQ(lex("{ [Time].[2024] }", nullptr, true)[0].code, COSLexer::kName);
}

TEST(COSLexer, WordsAreClassifiedByTheCube) {
    auto const cube = makeSalesCube();
    // Classes 1 to 6 give tokens 174, 179, 178, 175, 176, 177.
    EXPECT_EQ(codes("[Time].[2024] [Time].[Year] [Time].[Calendar] [Time] Sales [Top_Products]",
                    cube.get(), false),
              (std::vector<int>{3, 3, 3, 3, 3, 3, 1}));
    cube->addName("[Top_Products]", 6);
    EXPECT_EQ(codes("[Time].[2024] [Time].[Year] [Time].[Calendar] [Time] Sales [Top_Products]",
                    cube.get(), true),
              (std::vector<int>{174, 179, 178, 175, 176, 177, 1}));
    // Brackets, dots and parentheses stay in a word; operators and blanks end it.
    auto const word = lex("[Time].[2024]+1", cube.get(), true);
    EXPECT_EQ(word[0].text, "[Time].[2024]");
    EXPECT_EQ(word[1].code, COSLexer::kPlus);
    EXPECT_EQ(lex("f(x),y", nullptr, false)[0].text, "f(x),y");
    EXPECT_EQ(lexError("x", nullptr, true).code(), 0x2017068u);
}

TEST(COSLexer, ParameterReferencesByType) {
    auto cube = makeSalesCube();
    cube->addParameter("Member11", 11);
    cube->addParameter("Text3", 3);
    cube->addParameter("Flag", 0);
    cube->addParameter("Interval", 7);
    auto const year = lex("<<year>>", cube.get(), true);
    EXPECT_EQ(year[0].code, COSLexer::kNumericParameter);
    EXPECT_EQ(year[0].text, "year");
    EXPECT_EQ(codes("<<Region>> <<member11>> <<Products>> <<Label>> <<TEXT3>>", cube.get()),
              (std::vector<int>{181, 181, 182, 183, 183, 1}));
    // A single ">" stays in the name.
    auto anglesCube = makeSalesCube();
    anglesCube->addParameter("a>b", 6);
    EXPECT_EQ(lex("<<a>b>>", anglesCube.get())[0].text, "a>b");

    testing_support::CapturingLog log;
    BaseError const unknown = lexError("<<Nope>>", cube.get(), true);
    EXPECT_EQ(unknown.code(), 0xC2018005u);
    EXPECT_EQ(unknown.getInsert(0), PovaString("Nope"));
    EXPECT_EQ(log.records().size(), 1u);
    EXPECT_EQ(log.records().front().code, 0xC2018005u);
    for (char const* text : {"<<Flag>>", "<<Interval>>"}) {
        BaseError const wrong = lexError(text, cube.get(), true);
        EXPECT_EQ(wrong.code(), 0xC2018003u);
        EXPECT_EQ(wrong.module(), PovaString("Lexer"));
        EXPECT_EQ(wrong.level(), 1);
    }
    EXPECT_EQ(lexError("<<Year>>", nullptr, true).code(), 0xC2018005u);
}

TEST(PovaFormatLexer, ReadsPastTheEndAreTakenBackFirst) {
    PovaFormatLexer lexer("ab", nullptr);
    EXPECT_EQ(lexer.getCharacter(), u'a');
    EXPECT_EQ(lexer.getCharacter(), u'b');
    EXPECT_EQ(lexer.getCharacter(), 0);
    EXPECT_EQ(lexer.getCharacter(), 0);
    EXPECT_EQ(lexer.ungetCharacter(), 0);
    EXPECT_EQ(lexer.ungetCharacter(), 0);
    EXPECT_EQ(lexer.ungetCharacter(), u'b');
    EXPECT_EQ(lexer.getCharacter(), u'b');
}

TEST(PovaFormatLexer, KeywordSuffixMovesOnlyOnAMatch) {
    PovaFormatLexer lexer("xBS(", nullptr);
    EXPECT_EQ(lexer.getCharacter(), u'x');
    EXPECT_FALSE(lexer.matchKeywordSuffix("BSX"));
    EXPECT_FALSE(lexer.matchKeywordSuffix("B"));
    EXPECT_TRUE(lexer.matchKeywordSuffix("BS"));
    EXPECT_EQ(lexer.getCharacter(), u'(');
}

TEST(PovaFormatLexer, ReadWordAndLookupSwitch) {
    PovaFormatLexer lexer("  one two", nullptr);
    EXPECT_EQ(lexer.readWord(), PovaString("one"));
    EXPECT_EQ(lexer.readWord(), PovaString("two"));
    EXPECT_EQ(lexer.readWord(), PovaString());
    EXPECT_FALSE(lexer.setLookup(false));
    EXPECT_TRUE(lexer.setLookup(true));
}

}  // namespace
