#include "ExpressionTestCube.h"
#include "ExpressionTestHelpers.h"
#include "support/CapturingLog.h"

#include "expressions/COSLexer.h"

#include <gtest/gtest.h>

#include <cctype>
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
            EXPECT_EQ(lexer.takeNumber(), 0);  // taking the number resets it
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
        testing::ScopedTrace const trace("corpus/cases.txt", c.line, c.input);
        ZELT_o::Cube* const given = c.has("cube") ? cube.get() : nullptr;
        if (c.expected[0] != '!') {
            EXPECT_EQ(tokens(c.input, given, c.has("lookup")), c.expected);
            continue;
        }
        testing_support::CapturingLog log;
        BaseError const error = caughtError([&] { tokens(c.input, given, c.has("lookup")); });
        EXPECT_EQ(describe(error), c.expected);
        EXPECT_EQ(error.module(), PovaString("Lexer"));
        EXPECT_EQ(error.level(), 1);
        // Only an unknown parameter is also logged.
        EXPECT_EQ(log.records().size(), error.code() == 0xC2018005 ? 1u : 0u);
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
            lower[i] = static_cast<char>(std::tolower(lower[i]));
            mixed[i] = i % 2 == 0 ? lower[i] : mixed[i];
        }
        for (std::string const& text : {c.input, lower, mixed}) {
            EXPECT_EQ(tokens(PovaString(text + "("), nullptr, false), c.expected + " 10 1") << text;
        }
    }
}

// Reads past the end are taken back first; words end at blanks.
TEST(PovaFormatLexer, CharactersWordsAndLookup) {
    PovaFormatLexer lexer("ab", nullptr);
    for (OLECHAR const expected : {u'a', u'b', u'\0', u'\0'}) {
        EXPECT_EQ(lexer.getCharacter(), expected);
    }
    for (OLECHAR const expected : {u'\0', u'\0', u'b'}) {
        EXPECT_EQ(lexer.ungetCharacter(), expected);
    }
    EXPECT_EQ(lexer.getCharacter(), u'b');
    PovaFormatLexer words("  one two", nullptr);
    EXPECT_EQ(words.readWord(), PovaString("one"));
    EXPECT_EQ(words.readWord(), PovaString("two"));
    EXPECT_EQ(words.readWord(), PovaString());
    EXPECT_FALSE(words.setLookup(false));
    EXPECT_TRUE(words.setLookup(true));
}

}  // namespace
