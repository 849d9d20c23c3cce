#include "FormatCommand.h"

#include "ClientError.h"

#include <basekit/BaseError.h>
#include <pova/common/NumberFormatter.h>
#include <pova/common/StyleCommon.h>
#include <pova/support/Ref.h>

#include <charconv>
#include <functional>
#include <map>
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
    "  --decimals N          N decimal places, 0 to 30 (-1: the default)\n"
    "  --strip-zeros         optional decimal digits (#) instead of fixed ones (0)\n"
    "  --no-point            no decimal point\n"
    "  --negative STYLE      minus, parens, none, or the style's number (0 to 2)\n"
    "  --plus                a plus sign before positive values\n"
    "  --currency SYMBOL     a currency symbol before the number\n"
    "  --currency-suffix     the currency symbol after the number\n"
    "  --percent [SYMBOL]    a percent symbol (default %) after the number\n"
    "  --percent-prefix      the percent symbol before the number\n"
    "  --scale FACTOR        thousands, millions, billions, trillions, or the factor's number\n"
    "                        (4 to 7)\n"
    "  --scientific          an exponent (E+000)\n"
    "  --help                this text\n";

using pova_tool::UsageError;

constexpr char kOptionsHint[] = "'pova format --help' lists the options";

// A named value, or a number from `low` to `high`.
LONG parse_choice(std::string const& option, std::string const& text,
                  std::map<std::string_view, LONG> const& names, LONG low, LONG high) {
    if (auto const it = names.find(text); it != names.end()) {
        return it->second;
    }
    std::string known;
    for (auto const& [name, value] : names) {
        known += std::string(name) + ", ";
    }
    try {
        pova_tool::parseNumber(text);
    } catch (UsageError const&) {
        throw UsageError("unknown value '" + text + "' of " + option + ": use " + known + "or " +
                             std::to_string(low) + " to " + std::to_string(high),
                         kOptionsHint);
    }
    return pova_tool::parseInRange(text, low, high, option, kOptionsHint);
}

class Options {
public:
    explicit Options(std::vector<std::string> const& args) : fArgs(args) {}

    // Throws a UsageError for a bad command line.
    void parse(NumberFormat& f, bool& help) {
        using Style = ZELT_o::Style;
        std::map<std::string_view, std::function<void()>> const flags = {
            {"--help", [&] { help = true; }},
            {"--thousands", [&] { f.thousandSeparator = PovaString(","); }},
            {"--strip-zeros", [&] { f.stripTrailingZeros = true; }},
            {"--no-point", [&] { f.decimalPointCharacter = PovaString(""); }},
            {"--plus", [&] { f.hasPlus = true; }},
            {"--currency-suffix", [&] { f.currencyIsPrefix = false; }},
            {"--percent-prefix", [&] { f.percentIsPrefix = true; }},
            {"--scientific", [&] { f.scientific = true; }},
            {"--decimals",
             [&] {
                 f.decimalPlaces = pova_tool::parseInRange(value(), -1, kMostDecimals, "--decimals",
                                                           kOptionsHint);
             }},
            {"--negative",
             [&] {
                 f.negativeStyle = parse_choice("--negative", value(),
                                                {{"minus", Style::kNegativeMinus},
                                                 {"parens", Style::kNegativeParentheses},
                                                 {"none", Style::kNegativeUnmarked}},
                                                Style::kNegativeMinus, Style::kNegativeUnmarked);
             }},
            {"--scale",
             [&] {
                 f.scaleFactor = parse_choice("--scale", value(),
                                              {{"thousands", Style::kScaleThousands},
                                               {"millions", Style::kScaleMillions},
                                               {"billions", Style::kScaleBillions},
                                               {"trillions", Style::kScaleTrillions}},
                                              Style::kScaleThousands, Style::kScaleTrillions);
             }},
            {"--currency", [&] { f.currencySymbol = PovaString(symbol(value())); }},
            {"--percent",
             [&] {
                 // The symbol is optional: a following option is not taken for it.
                 bool const given = fNext < fArgs.size() && !fArgs[fNext].starts_with("--");
                 f.percentSymbol = PovaString(given ? symbol(fArgs[fNext++]) : "%");
             }},
        };
        while (fNext < fArgs.size()) {
            fCurrent = fArgs[fNext++];
            auto const it = flags.find(fCurrent);
            if (it == flags.end()) {
                throw UsageError("unknown option '" + fCurrent + "'", kOptionsHint);
            }
            it->second();
        }
    }

private:
    // Beyond this a decimal digit holds nothing of a double.
    static constexpr LONG kMostDecimals = 30;

    std::string const& value() {
        if (fNext >= fArgs.size()) {
            throw UsageError(fCurrent + " needs a value", kOptionsHint);
        }
        return fArgs[fNext++];
    }

    std::string const& symbol(std::string const& text) const {
        if (text.empty()) {
            throw UsageError(fCurrent + " needs a symbol that is not empty", kOptionsHint);
        }
        return text;
    }

    std::vector<std::string> const& fArgs;
    std::size_t fNext = 0;
    std::string fCurrent;
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

void render(std::vector<std::string> const& args, std::ostream& out) {
    if (args.size() < 3) {
        throw UsageError("render needs a format string and at least one value",
                         "usage: format render FORMAT VALUE...");
    }
    // A format string that does not compile is the library's error, with its code.
    common::NumberFormatter const formatter(args[1]);
    std::string text;
    for (std::size_t i = 2; i < args.size(); ++i) {
        std::string const& value = args[i];
        double number = 0.0;
        auto const [end, error] =
            std::from_chars(value.data(), value.data() + value.size(), number);
        common::NumberFormatter::Rendered const rendered =
            value.empty() ? formatter.renderEmpty(text)
            : error == std::errc() && end == value.data() + value.size()
                ? formatter.render(number, text)
                : formatter.renderText(value, text);
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
}

}  // namespace

void pova_tool::runFormat(std::vector<std::string> const& args, std::ostream& out) {
    if (!args.empty() && args.front() == "render") {
        render(args, out);
        return;
    }
    NumberFormat format;
    bool help = false;
    Options(args).parse(format, help);
    if (help) {
        out << kUsage;
        return;
    }
    auto style = support::adopt(new common::StyleCommon());
    style->createFormatObject(&format);
    style->updateFormatString();
    out << style->getNumberFormat().string() << "\n";
}

int runFormatCommand(std::vector<std::string> const& args, std::ostream& out, std::ostream& err) {
    auto const report = [&](std::string const& message, std::string const& hint) {
        err << "pova: format: " << message << "\n";
        if (!hint.empty()) {
            err << "pova: " << hint << "\n";
        }
    };
    try {
        pova_tool::runFormat(args, out);
        return 0;
    } catch (pova_tool::ClientError const& error) {
        report(error.what(), error.hint());
        return error.isUsage() ? 2 : 1;
    } catch (BaseError const& error) {
        report(pova_tool::describe(error), "type 'help format' to see what a format string holds");
        return 1;
    }
}
