#include <pova/common/StyleCommon.h>
#include <pova/support/Ref.h>

#include <gtest/gtest.h>

#include <string>

// The cases name only the fields they change; the rest keep their defaults.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif

using common::StyleCommon;
using NumberFormat = ZELT_o::Style::NumberFormat;

namespace {

std::string formatString(NumberFormat const& f) {
    return StyleCommon::buildFormatString(&f).string();
}

TEST(FormatString, IsBuiltFromTheNumberFormat) {
    struct {
        NumberFormat format;
        char const* expected;
    } const cases[] = {
        {{}, "####.;-####."},  // the point is written even without decimals
        {{.decimalPlaces = 2, .currencySymbol = "$", .thousandSeparator = ",", .negativeStyle = 1},
         "$#,###.00;$(#,###.00)"},
        {{.decimalPlaces = 2,
          .currencySymbol = "$",
          .currencyIsPrefix = false,
          .thousandSeparator = ",",
          .negativeStyle = 1},
         "#,###.00$;(#,###.00)$"},
        {{.scaleFactor = 5, .hasPlus = true, .decimalPointCharacter = ""}, "+####,,;-####,,"},
        {{.decimalPointCharacter = "", .percentSymbol = "%", .scientific = true},
         "####E+000%;-####E+000%"},
        // The decimal point character itself is never written.
        {{.decimalPlaces = 3, .decimalPointCharacter = ","}, "####.000;-####.000"},
        {{.decimalPlaces = 2, .stripTrailingZeros = true}, "####.##;-####.##"},
        {{.decimalPlaces = 0}, "####.;-####."},
        {{.scaleFactor = 4}, "####.,;-####.,"},
        {{.scaleFactor = 7}, "####.,,,,;-####.,,,,"},
        {{.scaleFactor = 3}, "####.;-####."},
        {{.scaleFactor = 8}, "####.;-####."},
        {{.negativeStyle = 2}, "####.;####."},
        {{.numberFormatType = 3}, "####.;-####."},
        // Prefix order: percent, currency, sign; a symbol with format codes is quoted.
        {{.currencySymbol = "EUR", .hasPlus = true, .percentSymbol = "%", .percentIsPrefix = true},
         "%\"EUR\"+####.;%\"EUR\"-####."},
        // Suffix order: parenthesis, currency, percent; adjacent quoted symbols share the quotes.
        {{.currencySymbol = "kr",
          .currencyIsPrefix = false,
          .negativeStyle = 1,
          .percentSymbol = "pct"},
         "####.\"krpct\";(####.)\"krpct\""},
        // An escaped quote ends no quoted run: the next symbol opens its own.
        {{.currencySymbol = "y", .percentSymbol = "x\"", .percentIsPrefix = true},
         "\"x\"\\\"\"y\"####.;\"x\"\\\"\"y\"-####."},
        // Scale comes after the decimals, the exponent after the scale.
        {{.scaleFactor = 4, .decimalPlaces = 1, .thousandSeparator = " ", .scientific = true},
         "#,###.0,E+000;-#,###.0,E+000"},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(formatString(c.format), c.expected);
    }
}

// How a symbol appears in the string: as it is when a spreadsheet shows each of its characters
// literally, else quoted, with quotes and backslashes escaped.
TEST(FormatString, QuotesSymbolsThatHoldFormatCodes) {
    struct {
        char const* symbol;
        char const* written;
    } const cases[] = {
        {"$", "$"},
        {"\xe2\x82\xac", "\xe2\x82\xac"},  // euro sign
        {"\xc2\xa3", "\xc2\xa3"},          // pound sign
        {"\xe2\x82\xb9", "\xe2\x82\xb9"},  // rupee sign
        {"%", "%"},                        // the percent code itself
        {"(-) $/:", "(-) $/:"},
        {"EUR", "\"EUR\""},
        {"z\xc5\x82", "\"z\xc5\x82\""},
        {"R$", "\"R$\""},
        {"kr.", "\"kr.\""},
        {"pct%", "\"pct%\""},
        {"0#?,;E_*[]@", "\"0#?,;E_*[]@\""},
        {"a\"b", "\"a\"\\\"\"b\""},
        {"\"", "\\\""},
        {"\\", "\\\\"},
        {"a\\", "\"a\"\\\\"},
    };
    for (auto const& c : cases) {
        std::string const q = c.written;
        NumberFormat f{.currencySymbol = c.symbol, .decimalPointCharacter = ""};
        EXPECT_EQ(formatString(f), q + "####;" + q + "-####") << c.symbol;
        f.currencyIsPrefix = false;
        EXPECT_EQ(formatString(f), "####" + q + ";-####" + q) << c.symbol;
        NumberFormat p{.decimalPointCharacter = "", .percentSymbol = c.symbol};
        EXPECT_EQ(formatString(p), "####" + q + ";-####" + q) << c.symbol;
        p.percentIsPrefix = true;
        EXPECT_EQ(formatString(p), q + "####;" + q + "-####") << c.symbol;
    }
}

TEST(FormatString, EmptyWithoutANumberFormatAndBoundedDecimals) {
    auto style = support::adopt(new StyleCommon());
    style->setNumberFormat("stale");
    style->updateFormatString();
    EXPECT_TRUE(style->getNumberFormat().empty());

    style->createFormatObject(nullptr);
    style->updateFormatString();
    style->deleteFormatObject();
    style->updateFormatString();
    EXPECT_TRUE(style->getNumberFormat().empty());

    // A loaded count is not trusted to size the string.
    EXPECT_LT(formatString({.decimalPlaces = 2000000000}).size(), 200u);
}

}  // namespace
