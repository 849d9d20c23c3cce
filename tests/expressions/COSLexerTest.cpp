#include "ExpressionTestCube.h"
#include "ExpressionTestHelpers.h"
#include "support/CapturingLog.h"

#include "expressions/COSLexer.h"

#include <gtest/gtest.h>

#include <charconv>
#include <string>

using namespace expression_test;

namespace {

// The tokens of `text` as the cases write them, up to the end token.
std::string tokens(PovaString const& text, ZELT_o::Cube* cube, bool lookup) {
    COSLexer lexer(text, cube);
    lexer.setLookup(lookup);
    std::string result;
    for (int i = 0; i < 100; ++i) {
        int const code = lexer.nextToken();
        result += (result.empty() ? "" : " ") + std::to_string(code);
        if (code == COSLexer::kNumber) {
            char number[32];
            *std::to_chars(number, number + sizeof number - 1, lexer.takeNumber()).ptr = 0;
            result += std::string(":") + number;
        } else if (code == COSLexer::kName ||
                   (code >= COSLexer::kMemberName && code <= COSLexer::kStringParameter)) {
            result += "[" + PovaString(lexer.getTokenText()).string() + "]";
        }
        if (code == COSLexer::kEnd) {
            break;
        }
    }
    return result;
}

TEST(COSLexer, Cases) {
    auto const cube = makeSalesCube();
    for (Case const& c : cases("lex")) {
        ZELT_o::Cube* const given = c.has("cube") ? cube.get() : nullptr;
        if (c.expected[0] != '!') {
            EXPECT_EQ(tokens(c.input, given, c.has("lookup")), c.expected) << "line " << c.line;
            continue;
        }
        testing_support::CapturingLog log;
        BaseError const error = caughtError([&] { tokens(c.input, given, c.has("lookup")); });
        EXPECT_EQ(describe(error), c.expected) << "line " << c.line;
        EXPECT_EQ(error.module(), PovaString("Lexer")) << "line " << c.line;
        EXPECT_EQ(error.level(), 1) << "line " << c.line;
        // Only an unknown parameter is also logged.
        EXPECT_EQ(log.records().size(), error.code() == 0xC2018005 ? 1u : 0u) << "line " << c.line;
    }
}

// Every keyword of the table, upper case, lower case and mixed.
TEST(COSLexer, EveryKeywordInAnyCaseGivesItsToken) {
    std::vector<Case> const keywords = cases("keyword");
    EXPECT_EQ(keywords.size(), 182u);
    for (Case const& c : keywords) {
        std::string lower = c.input;
        std::string mixed = c.input;
        for (std::size_t i = 0; i < lower.size(); ++i) {
            if (lower[i] >= 'A' && lower[i] <= 'Z') {
                lower[i] = static_cast<char>(lower[i] - 'A' + 'a');
                mixed[i] = i % 2 == 0 ? lower[i] : mixed[i];
            }
        }
        for (std::string const& text : {c.input, lower, mixed}) {
            EXPECT_EQ(tokens(PovaString(text + "("), nullptr, false), c.expected + " 10 1") << text;
        }
    }
}

TEST(COSLexer, TakeNumberResetsTheNumber) {
    COSLexer lexer("42", nullptr);
    EXPECT_EQ(lexer.nextToken(), COSLexer::kNumber);
    EXPECT_EQ(lexer.takeNumber(), 42);
    EXPECT_EQ(lexer.takeNumber(), 0);
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

TEST(PovaFormatLexer, ReadWordAndLookup) {
    PovaFormatLexer lexer("  one two", nullptr);
    EXPECT_EQ(lexer.readWord(), PovaString("one"));
    EXPECT_EQ(lexer.readWord(), PovaString("two"));
    EXPECT_EQ(lexer.readWord(), PovaString());
    EXPECT_FALSE(lexer.setLookup(false));
    EXPECT_TRUE(lexer.setLookup(true));
}

}  // namespace
