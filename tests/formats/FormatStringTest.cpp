#include <basekit/BaseError.h>
#include <pova/common/StyleCommon.h>
#include <pova/support/Ref.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

using common::StyleCommon;
using NumberFormat = ZELT_o::Style::NumberFormat;

namespace {

struct Case {
    char const* name;
    std::function<void(NumberFormat&)> setup;
    char const* expected;
};

std::vector<Case> const& cases() {
    static std::vector<Case> const all = {
        // The point is written even without decimals.
        {"defaults", [](NumberFormat&) {}, "####.;-####."},
        {"currency_prefix_parentheses",
         [](NumberFormat& f) {
             f.thousandSeparator = ",";
             f.decimalPlaces = 2;
             f.negativeStyle = 1;
             f.currencySymbol = "$";
         },
         "$#,###.00;$(#,###.00)"},
        {"currency_suffix_after_parenthesis",
         [](NumberFormat& f) {
             f.thousandSeparator = ",";
             f.decimalPlaces = 2;
             f.negativeStyle = 1;
             f.currencySymbol = "$";
             f.currencyIsPrefix = false;
         },
         "#,###.00$;(#,###.00)$"},
        {"millions_with_plus",
         [](NumberFormat& f) {
             f.scaleFactor = 5;
             f.hasPlus = true;
             f.decimalPointCharacter = "";
         },
         "+####,,;-####,,"},
        {"scientific_percent_suffix",
         [](NumberFormat& f) {
             f.percentSymbol = "%";
             f.scientific = true;
             f.decimalPointCharacter = "";
         },
         "####E+000%;-####E+000%"},
        // The decimal point character itself is never written.
        {"point_is_always_a_dot",
         [](NumberFormat& f) {
             f.decimalPointCharacter = ",";
             f.decimalPlaces = 3;
         },
         "####.000;-####.000"},
        {"strip_trailing_zeros",
         [](NumberFormat& f) {
             f.decimalPlaces = 2;
             f.stripTrailingZeros = true;
         },
         "####.##;-####.##"},
        {"zero_decimals", [](NumberFormat& f) { f.decimalPlaces = 0; }, "####.;-####."},
        {"thousands_scale", [](NumberFormat& f) { f.scaleFactor = 4; }, "####.,;-####.,"},
        {"trillions_scale", [](NumberFormat& f) { f.scaleFactor = 7; }, "####.,,,,;-####.,,,,"},
        {"scale_three_adds_nothing", [](NumberFormat& f) { f.scaleFactor = 3; }, "####.;-####."},
        {"scale_eight_adds_nothing", [](NumberFormat& f) { f.scaleFactor = 8; }, "####.;-####."},
        {"other_negative_styles_add_no_sign", [](NumberFormat& f) { f.negativeStyle = 2; },
         "####.;####."},
        {"percent_and_currency_prefixes",
         [](NumberFormat& f) {
             f.percentSymbol = "%";
             f.percentIsPrefix = true;
             f.currencySymbol = "EUR";
             f.hasPlus = true;
         },
         "%\"EUR\"+####.;%\"EUR\"-####."},
        // Suffix order: parenthesis, currency, percent.
        {"currency_and_percent_suffixes",
         [](NumberFormat& f) {
             f.percentSymbol = "pct";
             f.currencySymbol = "kr";
             f.currencyIsPrefix = false;
             f.negativeStyle = 1;
         },
         "####.\"krpct\";(####.)\"krpct\""},
        // Scale comes after the decimals, the exponent after the scale.
        {"every_piece",
         [](NumberFormat& f) {
             f.thousandSeparator = " ";
             f.decimalPlaces = 1;
             f.scaleFactor = 4;
             f.scientific = true;
         },
         "#,###.0,E+000;-#,###.0,E+000"},
        {"number_format_type_is_ignored", [](NumberFormat& f) { f.numberFormatType = 3; },
         "####.;-####."},
    };
    return all;
}

class FormatString : public ::testing::TestWithParam<std::size_t> {};

TEST_P(FormatString, IsBuiltFromTheNumberFormat) {
    Case const& c = cases()[GetParam()];
    auto style = support::adopt(new StyleCommon());
    c.setup(*style->createFormatObject(nullptr));
    style->updateFormatString();
    EXPECT_EQ(style->getNumberFormat().string(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Examples, FormatString, ::testing::Range<std::size_t>(0, cases().size()),
                         [](auto const& info) { return std::string(cases()[info.param].name); });

TEST(FormatString, EmptyWithoutANumberFormat) {
    auto style = support::adopt(new StyleCommon());
    style->setNumberFormat("stale");
    style->updateFormatString();
    EXPECT_TRUE(style->getNumberFormat().empty());

    style->createFormatObject(nullptr);
    style->updateFormatString();
    style->deleteFormatObject();
    style->updateFormatString();
    EXPECT_TRUE(style->getNumberFormat().empty());
}

TEST(FormatString, DecimalPlacesAreBounded) {
    NumberFormat f;
    f.decimalPlaces = 2000000000;
    PovaString const text = StyleCommon::buildFormatString(&f);
    EXPECT_LT(text.length(), 200u);
}

TEST(FormatString, ReadingAFormatStringIsNotImplemented) {
    NumberFormat f;
    try {
        StyleCommon::ReadFormatString("#,###.00", &f);
        FAIL() << "no error";
    } catch (ResultError const& e) {
        EXPECT_EQ(e.result(), E_NOTIMPL);
    }
}

}  // namespace
