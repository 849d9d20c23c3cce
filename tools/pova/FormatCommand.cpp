#include "FormatCommand.h"

#include <basekit/BaseError.h>
#include <pova/common/NumberFormatter.h>
#include <pova/common/StyleCommon.h>
#include <pova/support/Ref.h>

#include <charconv>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string_view>

namespace {

using NumberFormat = ZELT_o::Style::NumberFormat;

constexpr char kUsage[] =
    "usage: pova format [options]\n"
    "       pova format render FORMAT VALUE...\n"
    "Prints the format string (positive section;negative section) of a number format.\n"
    "Without options the number format has its default fields.\n"
    "With \"render\", prints each VALUE rendered with the format string FORMAT, one line each:\n"
    "a VALUE that is not a number is a text, \"\" an empty cell. The colour a section asks for\n"
    "and a fill follow in brackets. Quote FORMAT for the shell: it holds ; # and quotes. In\n"
    "commands read from standard input, only a \";\" that ends a word splits the line, and only\n"
    "a line that starts with \"#\" is a comment; double quotes keep blanks in a word.\n"
    "\n"
    "options:\n"
    "  --thousands           group the digits in thousands\n"
    "  --decimals N          N decimal places (0 or less: none)\n"
    "  --strip-zeros         optional decimal digits (#) instead of fixed ones (0)\n"
    "  --no-point            no decimal point\n"
    "  --negative STYLE      minus, parens, none, or the style's number\n"
    "  --plus                a plus sign before positive values\n"
    "  --currency SYMBOL     a currency symbol before the number\n"
    "  --currency-suffix     the currency symbol after the number\n"
    "  --percent [SYMBOL]    a percent symbol (default %) after the number\n"
    "  --percent-prefix      the percent symbol before the number\n"
    "  --scale FACTOR        thousands, millions, billions, trillions, or the factor's number\n"
    "                        (4 to 7)\n"
    "  --scientific          an exponent (E+000)\n"
    "  --help                this text\n";

bool parse_long(std::string_view text, LONG& value) {
    auto const [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// A named value or a number.
bool parse_choice(std::string_view text, std::map<std::string_view, LONG> const& names,
                  LONG& value) {
    if (auto const it = names.find(text); it != names.end()) {
        value = it->second;
        return true;
    }
    return parse_long(text, value);
}

class Options {
public:
    Options(std::vector<std::string> const& args, std::ostream& err) : fArgs(args), fErr(err) {}

    // False on a bad command line (already reported).
    bool parse(NumberFormat& f, bool& help) {
        using Style = ZELT_o::Style;
        std::map<std::string_view, std::function<bool()>> const flags = {
            {"--help", [&] { return help = true; }},
            {"--thousands", [&] { return set(f.thousandSeparator, ","); }},
            {"--strip-zeros", [&] { return f.stripTrailingZeros = true; }},
            {"--no-point", [&] { return set(f.decimalPointCharacter, ""); }},
            {"--plus", [&] { return f.hasPlus = true; }},
            {"--currency-suffix", [&] { return !(f.currencyIsPrefix = false); }},
            {"--percent-prefix", [&] { return f.percentIsPrefix = true; }},
            {"--scientific", [&] { return f.scientific = true; }},
            {"--decimals",
             [&] {
                 return with_value("a number", [&](std::string_view v) {
                     return parse_long(v, f.decimalPlaces);
                 });
             }},
            {"--negative",
             [&] {
                 return with_value("minus, parens, none or a number", [&](std::string_view v) {
                     return parse_choice(v,
                                         {{"minus", Style::kNegativeMinus},
                                          {"parens", Style::kNegativeParentheses},
                                          {"none", Style::kNegativeUnmarked}},
                                         f.negativeStyle);
                 });
             }},
            {"--scale",
             [&] {
                 return with_value("thousands, millions, billions, trillions or a number",
                                   [&](std::string_view v) {
                                       return parse_choice(v,
                                                           {{"thousands", Style::kScaleThousands},
                                                            {"millions", Style::kScaleMillions},
                                                            {"billions", Style::kScaleBillions},
                                                            {"trillions", Style::kScaleTrillions}},
                                                           f.scaleFactor);
                                   });
             }},
            {"--currency",
             [&] {
                 return with_value("a symbol", [&](std::string_view v) {
                     return !v.empty() && set(f.currencySymbol, v);
                 });
             }},
            {"--percent",
             [&] {
                 // The symbol is optional: a following option is not taken for it.
                 std::string_view symbol = "%";
                 if (fNext < fArgs.size() && !fArgs[fNext].starts_with("--")) {
                     symbol = fArgs[fNext++];
                 }
                 return !symbol.empty() && set(f.percentSymbol, symbol);
             }},
        };
        while (fNext < fArgs.size()) {
            fCurrent = fArgs[fNext++];
            auto const it = flags.find(fCurrent);
            if (it == flags.end()) {
                fErr << "pova format: unknown option " << fCurrent << "\n";
                return false;
            }
            if (!it->second()) {
                return false;
            }
        }
        return true;
    }

private:
    static bool set(PovaString& field, std::string_view value) {
        field = PovaString(value);
        return true;
    }

    template <class Read>
    bool with_value(char const* expected, Read&& read) {
        if (fNext >= fArgs.size()) {
            fErr << "pova format: " << fCurrent << " needs " << expected << "\n";
            return false;
        }
        std::string const& value = fArgs[fNext++];
        if (!read(std::string_view(value))) {
            fErr << "pova format: " << fCurrent << " " << value << ": expected " << expected
                 << "\n";
            return false;
        }
        return true;
    }

    std::vector<std::string> const& fArgs;
    std::ostream& fErr;
    std::size_t fNext = 0;
    std::string_view fCurrent;
};

char const* colour_name(common::NumberFormatter::Colour colour) {
    using Colour = common::NumberFormatter::Colour;
    switch (colour) {
        case Colour::kBlack:
            return "Black";
        case Colour::kBlue:
            return "Blue";
        case Colour::kCyan:
            return "Cyan";
        case Colour::kGreen:
            return "Green";
        case Colour::kMagenta:
            return "Magenta";
        case Colour::kRed:
            return "Red";
        case Colour::kWhite:
            return "White";
        case Colour::kYellow:
            return "Yellow";
        case Colour::kIndexed:
            return "Color";
        case Colour::kNone:
            break;
    }
    return nullptr;
}

int render(std::vector<std::string> const& args, std::ostream& out, std::ostream& err) {
    if (args.size() < 3) {
        err << "pova format render: needs a format string and at least one value\n";
        return 2;
    }
    std::optional<common::NumberFormatter> formatter;
    try {
        formatter.emplace(args[1]);
    } catch (BaseError const& error) {
        err << "pova format render: " << error.what() << "\n";
        return 2;
    }
    std::string text;
    for (std::size_t i = 2; i < args.size(); ++i) {
        std::string const& value = args[i];
        double number = 0.0;
        auto const [end, error] =
            std::from_chars(value.data(), value.data() + value.size(), number);
        common::NumberFormatter::Rendered const rendered =
            value.empty() ? formatter->renderEmpty(text)
            : error == std::errc() && end == value.data() + value.size()
                ? formatter->render(number, text)
                : formatter->renderText(value, text);
        out << text;
        if (char const* colour = colour_name(rendered.colour)) {
            out << "  [" << colour;
            if (rendered.colourIndex != 0) {
                out << rendered.colourIndex;
            }
            out << "]";
        }
        if (!rendered.fill.empty()) {
            out << "  [fill " << rendered.fill << " at " << rendered.fillAt << "]";
        }
        out << "\n";
    }
    return 0;
}

}  // namespace

int runFormatCommand(std::vector<std::string> const& args, std::ostream& out, std::ostream& err) {
    if (!args.empty() && args.front() == "render") {
        return render(args, out, err);
    }
    NumberFormat format;
    bool help = false;
    if (!Options(args, err).parse(format, help)) {
        err << "Try 'pova format --help'.\n";
        return 2;
    }
    if (help) {
        out << kUsage;
        return 0;
    }
    auto style = support::adopt(new common::StyleCommon());
    style->createFormatObject(&format);
    style->updateFormatString();
    out << style->getNumberFormat().string() << "\n";
    return 0;
}
