#include <basekit/BaseError.h>
#include <pova/common/NumberFormatter.h>
#include <pova/common/StyleCommon.h>

#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

using common::NumberFormatter;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The format strings StyleCommon builds, over its options: every combination of the options
// that shape the digits, each with another choice of symbols and signs, and every choice of
// symbols and signs with three digit shapes.
std::vector<std::string> styleFormats() {
    char const* const percents[][2] = {{"", ""}, {"%", ""}, {"%", "prefix"}, {"pct", ""}};
    char const* const currencies[][2] = {{"", ""},        {"$", "prefix"},   {"$", ""},
                                         {"€", "prefix"}, {"EUR", "prefix"}, {"USD", ""}};
    std::size_t const shapes = 2 * 4 * 2 * 2 * 5 * 2;
    std::size_t const signs = 4 * 6 * 3 * 2;
    auto const format = [&](std::size_t shape, std::size_t sign) {
        ZELT_o::Style::NumberFormat f;
        f.thousandSeparator = shape % 2 == 1 ? "," : "";
        f.decimalPlaces = std::array{-1, 1, 2, 4}[shape / 2 % 4];
        f.stripTrailingZeros = shape / 8 % 2 == 1;
        f.decimalPointCharacter = shape / 16 % 2 == 1 ? "" : ".";
        f.scaleFactor = std::array{0, 4, 5, 6, 7}[shape / 32 % 5];
        f.scientific = shape / 160 % 2 == 1;
        f.percentSymbol = percents[sign % 4][0];
        f.percentIsPrefix = *percents[sign % 4][1] != '\0';
        f.currencySymbol = currencies[sign / 4 % 6][0];
        f.currencyIsPrefix = *currencies[sign / 4 % 6][1] != '\0';
        f.negativeStyle = static_cast<LONG>(sign / 24 % 3);
        f.hasPlus = sign / 72 % 2 == 1;
        return common::StyleCommon::buildFormatString(&f).string();
    };
    std::vector<std::string> formats;
    auto const add = [&](std::string const& text) {
        if (std::find(formats.begin(), formats.end(), text) == formats.end()) {
            formats.push_back(text);
        }
    };
    for (std::size_t shape = 0; shape < shapes; ++shape) {
        add(format(shape, shape * 7 % signs));
    }
    for (std::size_t sign = 0; sign < signs; ++sign) {
        for (std::size_t shape : {0, 43, 101}) {
            add(format((shape + sign) % shapes, sign));
        }
    }
    return formats;
}

// Common spreadsheet formats, dates excluded, separated by two spaces or a line break:
// general, fixed, accounting, currency, percentages, scientific, scaled, digits among text,
// conditions, texts.
std::vector<std::string> commonFormats() {
    std::string const text = R"(General  0  0.00  #,##0  #,##0.00  0.0  0.000  0.0000  #,##0.0
#,##0.000  #.##  #.00  0.#  00000  #,##0_);(#,##0)  #,##0_);[Red](#,##0)  #,##0.00_);(#,##0.00)
#,##0.00_);[Red](#,##0.00)  #,##0;-#,##0  #,##0;[Red]-#,##0  #,##0.00;[Red]-#,##0.00
0.00_);(0.00)  #,##0.00;(#,##0.00);"-"  0.00;-0.00;"zero"  +0.00;-0.00;0.00  [Red]0.00;[Blue]-0.00
[Blue]#,##0;[Red]#,##0;[Green]0  $#,##0_);($#,##0)  $#,##0_);[Red]($#,##0)  $#,##0.00_);($#,##0.00)
$#,##0.00_);[Red]($#,##0.00)  "$"#,##0.00  \$#,##0.00  [$€-407] #,##0.00  #,##0.00 [$€-1]
[$USD] #,##0.00  #,##0.00 "EUR"  £#,##0.00  ¥#,##0  €#,##0.00;-€#,##0.00
_(* #,##0_);_(* (#,##0);_(* "-"_);_(@_)  _($* #,##0_);_($* (#,##0);_($* "-"_);_(@_)
_(* #,##0.00_);_(* (#,##0.00);_(* "-"??_);_(@_)  _($* #,##0.00_);_($* (#,##0.00);_($* "-"??_);_(@_)
0%  0.0%  0.00%  #,##0.00%  0.00 %  %0  %0.00  0.00E+00  0.0E+0  0.000E+00  0.00E+000  0.0E-00
##0.0E+0  ##0.00E+00  00.00E+00  0.00e+00  #,##0,  #,##0,"K"  #,##0.0,"K"  #,##0,,"M"
#,##0.0,,"M"  #,##0.00,,,"B"  0.0,,  [>=1000000]0.0,,"M";[>=1000]0.0,"K";0  000-00-0000
(000) 000-0000  #,##0 "units"  "Total: "#,##0.00  0.00\%  ??0.00  #,##0.00??  * #,##0.00
[Blue][>0]0.00;[Red][<0]0.00;0.00  [<100]0.0;[>=1000]#,##0;0  [>100]"big";"small"  0;-0;0;@
0.00;-0.00;0.00;"Text: "@  @  "Note: "@  General;-General  "x"General)";
    std::vector<std::string> formats;
    std::regex const separator("  |\n");
    std::copy(std::sregex_token_iterator(text.begin(), text.end(), separator, -1),
              std::sregex_token_iterator(), std::back_inserter(formats));
    return formats;
}

// Zero, signs, halves that round either way, large and small magnitudes, not-a-number; fewer of
// them for the many style formats.
// clang-format off
std::vector<double> const kValues = {
    0.0, 1.0, -1.0, 0.5, -0.5, 1.5, -1.5, 2.5, 0.005, -0.005, 0.015, 0.025, 0.125, -0.125, 2.675,
    0.45, 12.0, -12.0, 99.99, 999.995, 1234.5, -1234.5, 1234.5678, -1234.5678, 12345.675,
    999999.5, 1e6, -2.5e6, 1234567.891, 123456789.5, 1e9 + 0.5, 123456789012.0, 1e15, -1e15, 1e20,
    1e-3, 1.234e-4, -1.234e-4, 1e-7, 1e-10, -1e-10, 3.14159265358979, 0.1, 1e100, kNaN};
std::vector<double> const kStyleValues = {
    0.0, 1.0, -1.0, 0.5, -0.5, 2.5, 0.015, -0.125, 12.0, -12.0, 999.995, 1234.5, -1234.5,
    1234.5678, 999999.5, -2.5e6, 1234567.891, 123456789.5, 1e15, 1e-3, -1.234e-4, 1e-10, 0.1, kNaN};
// clang-format on

struct Pair {
    std::string format;
    double value = 0.0;
    std::optional<std::string> text;  // A text cell instead of the value.
    std::string ours;                 // "=" and the text, or "!" when refused.
    std::string theirs;               // The same from the reference, its complaint after "!".
};

std::string number_text(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return std::isnan(value) ? "NaN" : text;
}

std::string hex(std::string const& text) {
    std::string out;
    for (unsigned char const c : text) {
        out += "0123456789abcdef"[c >> 4];
        out += "0123456789abcdef"[c & 15];
    }
    return out;
}

// Renders every pair with the reference in one run of node (ssf_render.js says how).
bool run_reference(std::vector<Pair>& pairs) {
    std::filesystem::path const file =
        std::filesystem::path(testing::TempDir()) / ("numfmt_pairs_" + std::to_string(getpid()));
    {
        std::ofstream input(file, std::ios::binary);
        for (Pair const& p : pairs) {
            input << (p.text ? "s " : "n ") << hex(p.format) << " "
                  << hex(p.text ? *p.text : number_text(p.value)) << "\n";
        }
    }
    std::string const command = std::string("'") + POVA_NODE + "' '" + POVA_SSF_SCRIPT + "' '" +
                                POVA_SSF_DIR + "' < '" + file.string() + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string output;
    char buffer[65536];
    for (std::size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) {
        output.append(buffer, n);
    }
    int const status = pipe ? pclose(pipe.release()) : -1;
    std::filesystem::remove(file);
    std::istringstream lines(output);
    std::size_t i = 0;
    for (std::string line; std::getline(lines, line) && i < pairs.size(); ++i) {
        pairs[i].theirs = line;
        if (line.starts_with('=')) {
            pairs[i].theirs = "=";
            for (std::size_t at = 1; at + 1 < line.size(); at += 2) {
                pairs[i].theirs += static_cast<char>(std::stoi(line.substr(at, 2), nullptr, 16));
            }
        }
    }
    EXPECT_TRUE(status == 0 && i == pairs.size())
        << "the reference renderer failed (scripts/setup installs node and ssf): " << command;
    return status == 0 && i == pairs.size();
}

std::string ours(Pair const& p, double value) {
    try {
        NumberFormatter const formatter(p.format);
        std::string out;
        p.text ? formatter.renderText(*p.text, out) : formatter.render(value, out);
        return "=" + out;
    } catch (BaseError const&) {
        return "!";
    }
}

// Helpers of the deviations' checks.
bool has(std::string const& text, char const* part) {
    return text.find(part) != std::string::npos;
}
// The format without its quoted texts and escaped characters: the codes the renderers read.
std::string codes(std::string const& format) {
    static std::regex const quoted(R"("[^"]*"|\\.)");
    return std::regex_replace(format, quoted, "");
}
std::string without_minus(std::string text) {
    if (auto const at = text.find('-'); at != std::string::npos) {
        text.erase(at, 1);
    }
    return text;
}
bool no_digit_but_zero(std::string const& text) {
    return text.find_first_of("123456789") == std::string::npos;
}
bool refused(Pair const& p) {
    return p.theirs.starts_with('!') && p.ours != "!";
}
// Ours for the value moved a little towards zero: what rounding the binary value gives.
std::string nudged(Pair const& p) {
    return ours(p, p.value * (1 - 1e-12));
}
// The magnitude a scientific text shows (the digits before "E" times ten to the exponent) and
// the precision of its last digit.
std::optional<std::pair<long double, long double>> scientific(std::string const& text) {
    static std::regex const number("([0-9.,]*)E([-+]?[0-9]+)");
    std::smatch match;
    if (!std::regex_search(text, match, number)) {
        return std::nullopt;
    }
    std::string mantissa = match[1].str();
    std::erase(mantissa, ',');
    std::size_t const point = mantissa.find('.');
    int const decimals = point == std::string::npos ? 0 : int(mantissa.size() - point - 1);
    int const exponent = std::stoi(match[2].str());
    long double const m =
        mantissa.find_first_of("0123456789") == std::string::npos ? 0.0L : std::stold(mantissa);
    return std::pair{m * std::pow(10.0L, exponent), std::pow(10.0L, exponent - decimals)};
}
bool same_scientific(std::string const& ours, std::string const& theirs) {
    auto const a = scientific(ours);
    auto const b = scientific(theirs);
    return a && b &&
           std::fabs(a->first - b->first) <= 0.5L * std::max(a->second, b->second) * (1 + 1e-9L);
}

// A difference from the reference that is not a fault of ours: why, and a check of exactly
// that, so that a fault of ours does not pass for a known difference. Listed most specific
// first: a difference counts under the first that explains it.
struct Deviation {
    char const* reason;
    std::function<bool(Pair const&)> applies;
};
std::vector<Deviation> const kDeviations = {
    {"not-a-number renders as the error #NUM!; the reference writes NaN into the pattern",
     [](Pair const& p) { return std::isnan(p.value) && p.ours == "=#NUM!"; }},
    {"from 1e21 the reference formats JavaScript's exponent text (1e+21) as if it were digits",
     [](Pair const& p) {
         static std::regex const javaScript("[0-9]e([-+,]|$)");
         return std::regex_search(p.theirs, javaScript) && !has(p.ours, "e");
     }},
    {"beyond 15 significant digits the reference writes the binary value's digits, where "
     "spreadsheets write zeros; checked: the same number to 15 digits",
     [](Pair const& p) {
         auto const number = [](std::string text) {
             std::erase_if(text, [](char c) { return (c < '0' || c > '9') && c != '.'; });
             return text.find_first_of("0123456789") == std::string::npos ? 0.0L : std::stold(text);
         };
         if (std::fabs(p.value) < 1e15) {
             return false;
         }
         long double const a = number(p.ours);
         return std::fabs(a - number(p.theirs)) <= 1e-14L * a;
     }},
    {"the reference refuses a percent sign that does not follow a digit placeholder (%0, "
     "0.00 %, 0\"USD\"%), which spreadsheets accept",
     [](Pair const& p) { return refused(p) && p.theirs.starts_with("!unrecognized character %"); }},
    {"the reference cannot render a grouped integer part without a 0 placeholder (#,###, as "
     "StyleCommon builds it) for a value with decimals",
     [](Pair const& p) {
         return refused(p) && p.theirs.starts_with("!unsupported format |#,###");
     }},
    {"the reference refuses the currency signs £ and ¥ unquoted, which spreadsheets accept",
     [](Pair const& p) {
         return refused(p) && std::regex_search(codes(p.format), std::regex("£|¥"));
     }},
    {"the reference refuses ? placeholders after decimals and before a space",
     [](Pair const& p) { return refused(p) && has(codes(p.format), "?"); }},
    {"the reference reads a lower-case e+ as the year code; spreadsheets take it for E+",
     [](Pair const& p) {
         Pair upper = p;
         std::replace(upper.format.begin(), upper.format.end(), 'e', 'E');
         return std::regex_search(codes(p.format), std::regex("e[-+]")) &&
                p.ours == ours(upper, p.value);
     }},
    {"the reference writes scientific mantissas its own way: one integer digit whatever the "
     "placeholders before the point (00.00E+00 fills them, ##0.00E+00 and ####E+000 make the "
     "exponent a multiple of their number, as spreadsheets do), fewer exponent digits than its "
     "zeros, a mantissa rounded up to 1000 left so; checked: the same number at the coarser "
     "precision",
     [](Pair const& p) {
         return same_scientific(p.ours, p.theirs) ||
                (!p.text && same_scientific(nudged(p), p.theirs));
     }},
    {"the reference rounds the binary value half up: a negative half towards zero, a decimal "
     "half such as 2.675 that the binary value falls just short of down; we round the 15 "
     "significant digits half away from zero, as spreadsheets do",
     [](Pair const& p) {
         std::string const n = p.text || p.value == 0.0 ? "" : nudged(p);
         return !n.empty() &&
                (p.theirs == n || (p.theirs == without_minus(n) && no_digit_but_zero(n)));
     }},
    {"the reference drops the minus sign of a negative number that rounds to zero; spreadsheets "
     "show it (-0.00)",
     [](Pair const& p) {
         return p.value < 0 && p.theirs == without_minus(p.ours) && no_digit_but_zero(p.ours);
     }},
    {"with conditions the reference drops the minus sign in every section; we drop it only in a "
     "section whose condition admits negative numbers alone ([<0], [<=-1])",
     [](Pair const& p) {
         return p.value < 0 && has(p.format, "[") && p.theirs == without_minus(p.ours);
     }},
    {"the reference writes 0 for the empty integer part of a negative number (#.00: -0.50)",
     [](Pair const& p) {
         auto const zero = [](std::string text) {
             return std::regex_replace(text, std::regex("-\\."), "-0.");
         };
         return p.value < 0 && (p.theirs == zero(p.ours) || p.theirs == zero(nudged(p)));
     }},
    {"the reference puts the minus sign in the place of the last space of ? placeholders; we put "
     "it first",
     [](Pair const& p) {
         return p.theirs == std::regex_replace(p.ours, std::regex("^=-( *) "), "=$1-");
     }},
    {"the reference puts the minus sign of General where General stands; we put it first",
     [](Pair const& p) {
         return has(p.format, "General") && p.value < 0 &&
                without_minus(p.theirs) == without_minus(p.ours);
     }},
    {"with literals among digit placeholders (000-00-0000) the reference drops digits that have "
     "no placeholder, the minus sign, or a placeholder of a negative number; checked: the same "
     "literals, its digits the end of ours",
     [](Pair const& p) {
         auto const part = [](std::string const& text, char const* drop) {
             return std::regex_replace(text, std::regex(drop), "");
         };
         std::string const ourDigits = part(p.ours, "[^0-9]");
         return std::regex_search(codes(p.format), std::regex("0[-) ]+0")) &&
                part(p.ours, "[-0-9]") == part(p.theirs, "[-0-9]") &&
                ourDigits.ends_with(part(p.theirs, "[^0-9]"));
     }}};

TEST(NumberFormatterDifferential, AgreesWithTheReferenceOrDeviatesForAReason) {
    std::vector<Pair> pairs;
    for (std::string const& format : styleFormats()) {
        for (double const value : kStyleValues) {
            pairs.push_back({format, value, {}, {}, {}});
        }
    }
    for (std::string const& format : commonFormats()) {
        for (double const value : kValues) {
            pairs.push_back({format, value, {}, {}, {}});
        }
        pairs.push_back({format, 0.0, "abc", {}, {}});
    }
    for (Pair& p : pairs) {
        p.ours = ours(p, p.value);
    }
    ASSERT_GE(pairs.size(), 20000u);
    ASSERT_TRUE(run_reference(pairs));
    std::map<std::string, std::size_t> counts;
    std::size_t agreed = 0;
    std::ostringstream unexplained;
    for (Pair const& p : pairs) {
        if (p.ours == p.theirs) {
            ++agreed;
            continue;
        }
        auto const it = std::find_if(kDeviations.begin(), kDeviations.end(),
                                     [&](Deviation const& d) { return d.applies(p); });
        if (it != kDeviations.end()) {
            ++counts[it->reason];
        } else {
            unexplained << p.format << "\t" << (p.text ? *p.text : number_text(p.value))
                        << "\tours " << p.ours << "\ttheirs " << p.theirs << "\n";
        }
    }
    std::cout << pairs.size() << " pairs, " << agreed << " the same\n";
    for (auto const& [reason, count] : counts) {
        std::cout << count << "\t" << reason << "\n";
    }
    EXPECT_EQ(unexplained.str(), "");
}

// Our side of the deviations, which the reference cannot check.
TEST(NumberFormatter, RendersWhereTheReferenceDeviates) {
    // clang-format off
    struct {
        char const* format;
        double value;
        char const* expected;
    } const cases[] = {
        {"0.00", 2.675, "2.68"}, {"0", -2.5, "-3"}, {"0.00", -0.001, "-0.00"},
        {"0.00;(0.00)", -0.001, "(0.00)"}, {"0.00", kNaN, "#NUM!"},
        {"#,##0", std::numeric_limits<double>::infinity(), "#NUM!"},
        {"0", 123456789012345678.0, "123456789012346000"}, {"##0.0E+0", 999999.5, "1.0E+6"},
        {"00.00E+00", 12345.0, "12.35E+03"}, {"#.0E+00", 0.0, "0.0E+00"},
        {"0.0,E+00", 1234.0, "1.2E+03"},  // No scaling in scientific notation.
        {"%0", 0.5, "%50"}, {"[<100]0.0;[>=1000]#,##0;0", -5, "-5.0"}, {"[<0]0;0", -5, "5"},
        {"[>100]0;[<-100]0", 5, "5"},  // No condition holds: the last section.
        {"0.00e+00", 1234.5, "1.23E+03"}, {"General", 123456789012.0, "1.23457E+11"},
        {"General", 0.0000123456789, "1.23457E-05"}, {"#,##0.00 £", -1234.5, "-1,234.50 £"},
        {"", 2.5, "2.5"}, {"@", -1.5, "-1.5"}};
    // clang-format on
    std::string out;
    for (auto const& c : cases) {
        NumberFormatter(c.format).render(c.value, out);
        EXPECT_EQ(out, c.expected) << c.format << " " << c.value;
    }
}

TEST(NumberFormatter, RefusesMalformedStringsWhenCompiled) {
    // clang-format off
    std::pair<std::string, char const*> const cases[] = {
        {"0;0;0;@;0", "at most four sections"}, {"\"abc", "quoted text is not closed"},
        {"0\\", "backslash at the end"}, {"0_", "needs a character after it"},
        {"*x0*y", "at most one fill"}, {"[Red0", "\"[\" is not closed"},
        {"[Purple]0", "not a colour, a condition or a currency"},
        {"[Color57]0", "not a colour"}, {"[<abc]0", "needs a number"},
        {"[<1][>2]0", "at most one condition"}, {"[h]:mm", "elapsed times"},
        {"yyyy-mm-dd", "dates and times"}, {"0 AM/PM", "dates and times"},
        {"# ?/?", "fractions"}, {"0E5", "exponent only with"},
        {"0E+", "placeholders after its sign"}, {"E+00", "placeholders before it"},
        {"0.0E+0E+0", "at most one exponent"}, {"General0", "cannot be mixed"},
        {"0;@", "belongs in the text section"}, {"0;0;0;0", "text section cannot hold"},
        {"0;0;0;[>1]@", "cannot have a condition"}, {"0" + std::string(201, '%'), "too many"}};
    // clang-format on
    for (auto const& [format, complaint] : cases) {
        try {
            NumberFormatter const formatter(format);
            ADD_FAILURE() << format << " compiled";
        } catch (BaseError const& error) {
            EXPECT_EQ(error.code(), 0xC2017330u) << format;
            EXPECT_TRUE(has(error.what(), complaint)) << format << ": " << error.what();
        }
    }
}

TEST(NumberFormatter, ReportsSectionColourAndFill) {
    using Colour = NumberFormatter::Colour;
    struct {
        char const* format;
        double value;
        std::string text;
        int section;
        Colour colour;
        int colourIndex;
        char const* fill;
        std::size_t fillAt;
    } const cases[] = {{"[Blue]0;[Red](0);[Color12]\"-\"", -3, "(3)", 1, Colour::kRed, 0, "", 0},
                       {"[Blue]0;[Red](0);[Color12]\"-\"", 0, "-", 2, Colour::kIndexed, 12, "", 0},
                       {"[green][>=10]0;[MAGENTA]0", 12, "12", 0, Colour::kGreen, 0, "", 0},
                       {"[green][>=10]0;[MAGENTA]0", 2, "2", 1, Colour::kMagenta, 0, "", 0},
                       {"_($* #,##0_)", 1234, " $1,234 ", 0, Colour::kNone, 0, " ", 2},
                       {"0**", 5, "5", 0, Colour::kNone, 0, "*", 1}};
    std::string out;
    for (auto const& c : cases) {
        NumberFormatter const formatter(c.format);  // The fill points into it.
        NumberFormatter::Rendered const r = formatter.render(c.value, out);
        EXPECT_EQ(std::tie(out, r.section, r.colour, r.colourIndex, r.fillAt),
                  std::tie(c.text, c.section, c.colour, c.colourIndex, c.fillAt))
            << c.format;
        EXPECT_EQ(r.fill, c.fill) << c.format;
    }
}

TEST(NumberFormatter, RendersTextEmptyAndErrorCells) {
    NumberFormatter const withText("0.00;-0.00;0;[Cyan]\"<\"@\">\"");
    std::string out;
    NumberFormatter::Rendered const r = withText.renderText("abc", out);
    EXPECT_EQ(out, "<abc>");
    EXPECT_EQ(r.section, 3);
    EXPECT_EQ(r.colour, NumberFormatter::Colour::kCyan);
    EXPECT_EQ(NumberFormatter("0.00").renderText("abc", out).section, -1);
    EXPECT_EQ(out, "abc");
    EXPECT_EQ(withText.renderEmpty(out).section, -1);
    EXPECT_EQ(out, "");
    withText.renderError("#N/A", out);
    EXPECT_EQ(out, "#N/A");
    VARIANT error;
    VariantInit(&error);
    error.vt = VT_ERROR;
    std::pair<basekit::Variant, char const*> const cells[] = {{basekit::Variant(), ""},
                                                              {basekit::Variant(2.5), "2.50"},
                                                              {basekit::Variant(LONG{-7}), "-7.00"},
                                                              {basekit::Variant(u"x"), "<x>"},
                                                              {basekit::Variant(true), "<TRUE>"},
                                                              {basekit::Variant(error), "#VALUE!"}};
    for (auto const& [cell, expected] : cells) {
        withText.render(*cell, out);
        EXPECT_EQ(out, expected);
    }
    EXPECT_EQ(withText.formatString(), "0.00;-0.00;0;[Cyan]\"<\"@\">\"");
    EXPECT_EQ(NumberFormatter().formatString(), "General");
}

}  // namespace
