// Compiling a number format string: the sections are read into tokens, then each section's
// tokens are placed (integer, decimal or exponent part; a comma groups, scales or is text) and
// turned into the steps that rendering walks.
#include "NumberFormatProgram.h"

#include <basekit/BaseError.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>

namespace common::numfmt {

namespace {

constexpr ZELT_o::MessageCode kBadFormat = 0xC2017330u;
constexpr std::size_t kMostSections = 4;
// Past this many places the value is all zeros or past every double: a shift this large is a
// mistake, and refusing it keeps rendered texts short.
constexpr int kMostShift = 400;

enum class Tok : std::uint8_t {
    kDigit,
    kPoint,
    kComma,
    kPercent,
    kExponent,
    kLiteral,
    kGeneral,
    kText,
    kFill,
};

struct Token {
    Tok tok;
    char ch = 0;  // The placeholder (0 # ?), or the exponent's letter.
    bool plus = false;
    std::string text;    // Literal and fill text.
    bool slash = false;  // A literal "/": a fraction when digit placeholders surround it.
};

struct RawSection {
    std::vector<Token> tokens;
    Condition condition;
    NumberFormatter::Colour colour = NumberFormatter::Colour::kNone;
    int colourIndex = 0;
};

[[noreturn]] void refuse(std::string_view format, std::string const& why, std::size_t where) {
    throw BaseError(kBadFormat, "NumberFormatter")
        .addInsert(PovaString(std::string(format)))
        .addInsert(PovaString(why + " (at character " + std::to_string(where + 1) + ")"));
}

[[noreturn]] void refuse(std::string_view format, std::string const& why) {
    throw BaseError(kBadFormat, "NumberFormatter")
        .addInsert(PovaString(std::string(format)))
        .addInsert(PovaString(why));
}

// The length of the UTF-8 sequence that starts with `lead`; a stray byte counts as one.
std::size_t sequence_length(unsigned char lead) {
    if (lead >= 0xF0 && lead < 0xF8) {
        return 4;
    }
    if (lead >= 0xE0 && lead < 0xF0) {
        return 3;
    }
    if (lead >= 0xC0 && lead < 0xE0) {
        return 2;
    }
    return 1;
}

bool starts_with_nocase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

bool equals_nocase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && starts_with_nocase(a, b);
}

// Reads the format into sections of tokens.
class Lexer {
public:
    explicit Lexer(std::string_view format) : fFormat(format) {}

    std::vector<RawSection> run() {
        std::vector<RawSection> sections(1);
        while (fAt < fFormat.size()) {
            char const c = fFormat[fAt];
            if (c == ';') {
                if (sections.size() == kMostSections) {
                    fail("a format has at most four sections");
                }
                sections.emplace_back();
                fPoint = fExponent = fFill = false;
                ++fAt;
                continue;
            }
            read(sections.back());
        }
        return sections;
    }

private:
    [[noreturn]] void fail(std::string const& why) const { refuse(fFormat, why, fAt); }

    void literal(RawSection& section, std::string_view text, bool slash = false) {
        auto& tokens = section.tokens;
        if (!slash && !tokens.empty() && tokens.back().tok == Tok::kLiteral &&
            !tokens.back().slash) {
            tokens.back().text += text;
            return;
        }
        tokens.push_back({Tok::kLiteral, 0, false, std::string(text), slash});
    }

    // The code point after the character at fAt (which it consumes); fails at the end.
    std::string_view next_character(char const* what) {
        ++fAt;
        if (fAt >= fFormat.size()) {
            fail(std::string(what) + " at the end of the format needs a character after it");
        }
        std::size_t const length = std::min(
            sequence_length(static_cast<unsigned char>(fFormat[fAt])), fFormat.size() - fAt);
        std::string_view const character = fFormat.substr(fAt, length);
        fAt += length;
        return character;
    }

    void read(RawSection& section) {
        char const c = fFormat[fAt];
        switch (c) {
            case '"': {
                std::size_t const end = fFormat.find('"', fAt + 1);
                if (end == std::string_view::npos) {
                    fail("a quoted text is not closed");
                }
                literal(section, fFormat.substr(fAt + 1, end - fAt - 1));
                fAt = end + 1;
                return;
            }
            case '\\':
                literal(section, next_character("a backslash"));
                return;
            case '_':
                next_character("\"_\"");
                literal(section, " ");
                return;
            case '*': {
                if (fFill) {
                    fail("a section has at most one fill (*)");
                }
                fFill = true;
                std::string_view const fill = next_character("\"*\"");
                section.tokens.push_back({Tok::kFill, 0, false, std::string(fill), false});
                return;
            }
            case '[':
                bracket(section);
                return;
            case '0':
            case '#':
            case '?':
                section.tokens.push_back({Tok::kDigit, c, false, {}, false});
                ++fAt;
                return;
            case '.':
                if (fPoint || fExponent) {
                    literal(section, ".");
                } else {
                    fPoint = true;
                    section.tokens.push_back({Tok::kPoint, 0, false, {}, false});
                }
                ++fAt;
                return;
            case ',':
                section.tokens.push_back({Tok::kComma, 0, false, {}, false});
                ++fAt;
                return;
            case '%':
                section.tokens.push_back({Tok::kPercent, 0, false, {}, false});
                ++fAt;
                return;
            case '@':
                section.tokens.push_back({Tok::kText, 0, false, {}, false});
                ++fAt;
                return;
            case '/':
                literal(section, "/", true);
                ++fAt;
                return;
            default:
                break;
        }
        if (std::isalpha(static_cast<unsigned char>(c)) != 0) {
            letter(section);
            return;
        }
        std::size_t const length =
            std::min(sequence_length(static_cast<unsigned char>(c)), fFormat.size() - fAt);
        literal(section, fFormat.substr(fAt, length));
        fAt += length;
    }

    void letter(RawSection& section) {
        std::string_view const rest = fFormat.substr(fAt);
        char const c = static_cast<char>(std::tolower(static_cast<unsigned char>(rest[0])));
        if (starts_with_nocase(rest, "general")) {
            section.tokens.push_back({Tok::kGeneral, 0, false, {}, false});
            fAt += 7;
            return;
        }
        if (c == 'e') {
            if (rest.size() < 2 || (rest[1] != '+' && rest[1] != '-')) {
                fail("\"E\" is an exponent only with \"+\" or \"-\" after it; quote it otherwise");
            }
            if (fExponent) {
                fail("a section has at most one exponent");
            }
            fExponent = true;
            section.tokens.push_back({Tok::kExponent, rest[0], rest[1] == '+', {}, false});
            fAt += 2;
            return;
        }
        if (std::string_view("ymdhsgb").find(c) != std::string_view::npos ||
            starts_with_nocase(rest, "am/pm") || starts_with_nocase(rest, "a/p")) {
            fail("dates and times are not supported (quote a letter to show it as it is)");
        }
        literal(section, rest.substr(0, 1));
        ++fAt;
    }

    void bracket(RawSection& section) {
        std::size_t const end = fFormat.find(']', fAt + 1);
        if (end == std::string_view::npos) {
            fail("a \"[\" is not closed");
        }
        std::string_view const code = fFormat.substr(fAt + 1, end - fAt - 1);
        if (code.starts_with('$')) {
            // [$symbol-locale]: the symbol is shown; the locale is not used.
            std::string_view const symbol = code.substr(1, code.find('-') - 1);
            if (!symbol.empty()) {
                literal(section, symbol);
            }
        } else if (!code.empty() && (code[0] == '<' || code[0] == '>' || code[0] == '=')) {
            if (section.condition.test != Condition::Test::kNone) {
                fail("a section has at most one condition");
            }
            section.condition = condition(code);
        } else if (!colour(section, code)) {
            if (!code.empty() &&
                std::string_view("hmsHMS").find(code[0]) != std::string_view::npos) {
                fail("elapsed times are not supported");
            }
            fail("\"[" + std::string(code) + "]\" is not a colour, a condition or a currency");
        }
        fAt = end + 1;
    }

    Condition condition(std::string_view code) const {
        static constexpr std::array<std::pair<std::string_view, Condition::Test>, 6> kTests{{
            {"<=", Condition::Test::kLessEqual},
            {">=", Condition::Test::kGreaterEqual},
            {"<>", Condition::Test::kNotEqual},
            {"<", Condition::Test::kLess},
            {">", Condition::Test::kGreater},
            {"=", Condition::Test::kEqual},
        }};
        for (auto const& [text, test] : kTests) {
            if (!code.starts_with(text)) {
                continue;
            }
            std::string_view number = code.substr(text.size());
            while (!number.empty() && number.front() == ' ') {
                number.remove_prefix(1);
            }
            while (!number.empty() && number.back() == ' ') {
                number.remove_suffix(1);
            }
            Condition parsed{test, 0.0};
            auto const [end, error] =
                std::from_chars(number.data(), number.data() + number.size(), parsed.limit);
            if (number.empty() || error != std::errc() || end != number.data() + number.size() ||
                !std::isfinite(parsed.limit)) {
                fail("the condition \"[" + std::string(code) + "]\" needs a number");
            }
            return parsed;
        }
        fail("the condition \"[" + std::string(code) + "]\" is not understood");
    }

    static bool colour(RawSection& section, std::string_view code) {
        using Colour = NumberFormatter::Colour;
        static constexpr std::array<std::pair<std::string_view, Colour>, 8> kNames{{
            {"black", Colour::kBlack},
            {"blue", Colour::kBlue},
            {"cyan", Colour::kCyan},
            {"green", Colour::kGreen},
            {"magenta", Colour::kMagenta},
            {"red", Colour::kRed},
            {"white", Colour::kWhite},
            {"yellow", Colour::kYellow},
        }};
        for (auto const& [name, colour] : kNames) {
            if (equals_nocase(code, name)) {
                section.colour = colour;
                section.colourIndex = 0;
                return true;
            }
        }
        if (starts_with_nocase(code, "color") && code.size() > 5) {
            int index = 0;
            std::string_view const digits = code.substr(5);
            auto const [end, error] =
                std::from_chars(digits.data(), digits.data() + digits.size(), index);
            if (error == std::errc() && end == digits.data() + digits.size() && index >= 1 &&
                index <= 56) {
                section.colour = Colour::kIndexed;
                section.colourIndex = index;
                return true;
            }
        }
        return false;
    }

    std::string_view fFormat;
    std::size_t fAt = 0;
    bool fPoint = false;     // The section has its decimal point.
    bool fExponent = false;  // The section has its exponent.
    bool fFill = false;      // The section has its fill.
};

// Turns one section's tokens into steps.
class SectionBuilder {
public:
    SectionBuilder(std::string_view format, Program& program, std::size_t index)
        : fFormat(format), fProgram(program), fIndex(index) {}

    Section build(RawSection const& raw, bool textSection) {
        Section section;
        section.condition = raw.condition;
        section.colour = raw.colour;
        section.colourIndex = raw.colourIndex;
        std::vector<Token> const& tokens = raw.tokens;
        if (textSection) {
            build_text(section, tokens);
            return section;
        }

        // Where the parts end: the integer part runs to the point or the exponent, the decimals
        // from the point to the exponent.
        std::size_t const exponentAt = find(tokens, Tok::kExponent);
        std::size_t const pointAt = std::min(find(tokens, Tok::kPoint), exponentAt);
        bool general = false;
        for (std::size_t k = 0; k < tokens.size(); ++k) {
            Token const& token = tokens[k];
            if (token.tok == Tok::kDigit) {
                (k < pointAt      ? section.integerPlaces
                 : k < exponentAt ? section.fractionPlaces
                                  : section.exponentPlaces)++;
            }
            if (token.tok == Tok::kGeneral) {
                general = true;
            }
            if (token.tok == Tok::kText) {
                fail("\"@\" belongs in the text section (the fourth, or the only one)");
            }
            if (token.slash && k > 0 && has_digit(tokens, 0, k) &&
                has_digit(tokens, k + 1, tokens.size())) {
                fail("fractions are not supported");
            }
        }
        bool const digits =
            section.integerPlaces + section.fractionPlaces + section.exponentPlaces > 0;
        if (general && digits) {
            fail("\"General\" cannot be mixed with digit placeholders");
        }
        if (exponentAt < tokens.size()) {
            if (section.exponentPlaces == 0) {
                fail("an exponent needs digit placeholders after its sign");
            }
            if (section.integerPlaces + section.fractionPlaces == 0) {
                fail("an exponent needs digit placeholders before it");
            }
            section.scientific = true;
        }
        section.general = general;

        std::uint32_t integer = 0;
        std::uint32_t fraction = 0;
        std::uint32_t exponent = 0;
        for (std::size_t k = 0; k < tokens.size(); ++k) {
            Token const& token = tokens[k];
            switch (token.tok) {
                case Tok::kDigit: {
                    Step step;
                    step.placeholder = token.ch == '0'   ? Placeholder::kZero
                                       : token.ch == '?' ? Placeholder::kSpace
                                                         : Placeholder::kNothing;
                    if (k < pointAt) {
                        section.engineering = section.engineering || token.ch != '0';
                        step.op = Op::kInteger;
                        step.leftmost = integer == 0;
                        step.position = section.integerPlaces - 1 - integer++;
                    } else if (k < exponentAt) {
                        step.op = Op::kFraction;
                        step.position = fraction++;
                        if (token.ch == '0') {
                            section.forcedFraction = fraction;
                        }
                    } else {
                        step.op = Op::kExponentDigit;
                        step.leftmost = exponent == 0;
                        step.position = section.exponentPlaces - 1 - exponent++;
                    }
                    section.steps.push_back(step);
                    break;
                }
                case Tok::kPoint:
                    section.steps.push_back({Op::kPoint});
                    break;
                case Tok::kComma:
                    comma(section, tokens, k, pointAt, exponentAt);
                    break;
                case Tok::kPercent:
                    section.shift += 2;
                    add_literal(section, "%");
                    break;
                case Tok::kExponent: {
                    Step step{Op::kExponent};
                    step.plus = token.plus;
                    section.steps.push_back(step);
                    break;
                }
                case Tok::kLiteral:
                    add_literal(section, token.text);
                    break;
                case Tok::kGeneral:
                    section.steps.push_back({Op::kGeneral});
                    break;
                case Tok::kFill:
                    add_fill(section, token.text);
                    break;
                case Tok::kText:
                    break;  // Refused above.
            }
        }
        if (section.scientific) {
            // A mantissa shows at least its units digit.
            for (Step& step : section.steps) {
                if (step.op == Op::kInteger && step.position == 0) {
                    step.placeholder = Placeholder::kZero;
                }
            }
        }
        if (std::abs(section.shift) > kMostShift) {
            fail("too many \"%\" signs or scaling commas");
        }
        return section;
    }

private:
    [[noreturn]] void fail(std::string const& why) const {
        refuse(fFormat, why + " (section " + std::to_string(fIndex + 1) + ")");
    }

    static std::size_t find(std::vector<Token> const& tokens, Tok tok) {
        auto const it = std::find_if(tokens.begin(), tokens.end(),
                                     [tok](Token const& t) { return t.tok == tok; });
        return static_cast<std::size_t>(it - tokens.begin());
    }

    static bool has_digit(std::vector<Token> const& tokens, std::size_t from, std::size_t to) {
        return std::any_of(tokens.begin() + static_cast<std::ptrdiff_t>(from),
                           tokens.begin() + static_cast<std::ptrdiff_t>(to),
                           [](Token const& t) { return t.tok == Tok::kDigit; });
    }

    // A comma between integer placeholders groups the thousands; one right after the last
    // placeholder (or the point), alone or in a run, divides by 1,000 (but for an exponent);
    // any other is text.
    void comma(Section& section, std::vector<Token> const& tokens, std::size_t k,
               std::size_t pointAt, std::size_t exponentAt) {
        if (k < pointAt && has_digit(tokens, 0, k) && has_digit(tokens, k + 1, pointAt)) {
            section.grouping = true;
            return;
        }
        std::size_t before = k;
        while (before > 0 && tokens[before - 1].tok == Tok::kComma) {
            --before;
        }
        bool const afterNumber = before > 0 && (tokens[before - 1].tok == Tok::kDigit ||
                                                tokens[before - 1].tok == Tok::kPoint);
        if (afterNumber && k < exponentAt && !has_digit(tokens, k + 1, exponentAt)) {
            // In scientific notation the exponent already shows the magnitude: scaling there
            // would only misstate it.
            if (exponentAt == tokens.size()) {
                section.shift -= 3;
            }
            return;
        }
        add_literal(section, ",");
    }

    void add_literal(Section& section, std::string_view text) {
        auto const at = static_cast<std::uint32_t>(fProgram.literals.size());
        fProgram.literals += text;
        if (!section.steps.empty() && section.steps.back().op == Op::kLiteral &&
            section.steps.back().at + section.steps.back().length == at) {
            section.steps.back().length += static_cast<std::uint32_t>(text.size());
            return;
        }
        Step step{Op::kLiteral};
        step.at = at;
        step.length = static_cast<std::uint32_t>(text.size());
        section.steps.push_back(step);
    }

    void add_fill(Section& section, std::string_view text) {
        section.fillAt = static_cast<std::uint32_t>(fProgram.literals.size());
        section.fillLength = static_cast<std::uint32_t>(text.size());
        fProgram.literals += text;
        section.steps.push_back({Op::kFill});
    }

    // In the text section only "@", literals, spaces and the fill mean something; the number
    // codes that merely stand for characters show as those characters.
    void build_text(Section& section, std::vector<Token> const& tokens) {
        if (section.condition.test != Condition::Test::kNone) {
            fail("the text section cannot have a condition");
        }
        for (Token const& token : tokens) {
            switch (token.tok) {
                case Tok::kText:
                    section.text = true;
                    section.steps.push_back({Op::kText});
                    break;
                case Tok::kLiteral:
                    add_literal(section, token.text);
                    break;
                case Tok::kFill:
                    add_fill(section, token.text);
                    break;
                case Tok::kComma:
                    add_literal(section, ",");
                    break;
                case Tok::kPercent:
                    add_literal(section, "%");
                    break;
                case Tok::kPoint:
                    add_literal(section, ".");
                    break;
                default:
                    fail("the text section cannot hold digit placeholders, exponents or General");
            }
        }
    }

    std::string_view fFormat;
    Program& fProgram;
    std::size_t fIndex;
};

}  // namespace

bool Condition::holds(double value) const {
    switch (test) {
        case Test::kNone:
            return true;
        case Test::kLess:
            return value < limit;
        case Test::kLessEqual:
            return value <= limit;
        case Test::kGreater:
            return value > limit;
        case Test::kGreaterEqual:
            return value >= limit;
        case Test::kEqual:
            return value == limit;
        case Test::kNotEqual:
            return value != limit;
    }
    return false;
}

bool Condition::onlyNegative() const {
    switch (test) {
        case Test::kLess:
        case Test::kLessEqual:
            return limit <= 0.0;
        case Test::kEqual:
            return limit < 0.0;
        default:
            return false;
    }
}

std::shared_ptr<Program const> compile(std::string_view format) {
    auto program = std::make_shared<Program>();
    program->source = std::string(format);
    // An empty format is the general one.
    std::vector<RawSection> const raw = Lexer(format.empty() ? "General" : format).run();

    // The text section: the fourth, or a lone section that holds "@".
    bool const loneText =
        raw.size() == 1 && std::any_of(raw[0].tokens.begin(), raw[0].tokens.end(),
                                       [](Token const& t) { return t.tok == Tok::kText; });
    std::size_t const textIndex = loneText ? 0 : raw.size() == kMostSections ? 3 : raw.size();
    for (std::size_t i = 0; i < raw.size(); ++i) {
        program->sections.push_back(
            SectionBuilder(format, *program, i).build(raw[i], i == textIndex));
        program->conditional =
            program->conditional || raw[i].condition.test != Condition::Test::kNone;
    }
    program->numberSections = std::min(textIndex, raw.size());
    program->textSection = textIndex < raw.size() ? static_cast<int>(textIndex) : -1;
    for (std::size_t i = 0; i < program->numberSections; ++i) {
        Section& section = program->sections[i];
        section.dropsSign = program->conditional ? section.condition.onlyNegative() : i == 1;
    }
    return program;
}

}  // namespace common::numfmt
