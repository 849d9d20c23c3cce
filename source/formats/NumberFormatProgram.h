// The compiled form of a number format string: per section, a list of steps that rendering
// walks once from left to right, and the few numbers that say how the value is to be rounded
// and scaled before the walk. Private to NumberFormatter.
#pragma once

#include <pova/common/NumberFormatter.h>

#include <cstdint>
#include <string>
#include <vector>

namespace common::numfmt {

enum class Op : std::uint8_t {
    kLiteral,   // Copies literals[at, at + length).
    kInteger,   // An integer digit placeholder, `position` places left of the units.
    kFraction,  // A decimal digit placeholder, `position` places right of the point (from 0).
    kPoint,     // The decimal point; the integer digits too when there is no integer placeholder.
    kExponent,  // "E" and the exponent's sign; `plus` shows "+" for exponents not negative.
    kExponentDigit,  // An exponent digit placeholder, `position` places left of its units.
    kGeneral,        // The value as "General" shows it.
    kText,           // The text of a text cell.
    kFill,           // Where the fill goes: nothing is written.
};

// How a digit placeholder shows a digit that is not there: 0 as "0", ? as a space, # as nothing.
enum class Placeholder : std::uint8_t { kZero, kSpace, kNothing };

struct Step {
    Op op = Op::kLiteral;
    Placeholder placeholder = Placeholder::kZero;
    // kInteger, kExponentDigit: the leftmost placeholder also writes the digits that have no
    // placeholder of their own.
    bool leftmost = false;
    bool plus = false;
    std::uint32_t position = 0;
    std::uint32_t at = 0;
    std::uint32_t length = 0;
};

struct Condition {
    enum class Test : std::uint8_t {
        kNone,
        kLess,
        kLessEqual,
        kGreater,
        kGreaterEqual,
        kEqual,
        kNotEqual
    };
    Test test = Test::kNone;
    double limit = 0.0;

    bool holds(double value) const;
    // Whether only negative numbers (and perhaps zero) pass: such a section shows no minus sign.
    bool onlyNegative() const;
};

struct Section {
    std::vector<Step> steps;
    Condition condition;
    NumberFormatter::Colour colour = NumberFormatter::Colour::kNone;
    int colourIndex = 0;
    // Placeholders of the integer part (of the mantissa when scientific) and of the decimals.
    std::uint32_t integerPlaces = 0;
    std::uint32_t fractionPlaces = 0;
    // Decimals up to this count are always shown (the last "0" among them); later ones only
    // when not a trailing zero.
    std::uint32_t forcedFraction = 0;
    std::uint32_t exponentPlaces = 0;
    // The power of ten the value is multiplied by: +2 per "%", -3 per scaling ",".
    int shift = 0;
    bool grouping = false;
    bool scientific = false;
    // Scientific with "#" or "?" before the point: the exponent is a multiple of the number of
    // integer placeholders (engineering notation). With only "0"s the mantissa has that many
    // integer digits.
    bool engineering = false;
    bool general = false;
    bool text = false;  // Holds "@".
    // A section for negative numbers: it shows their magnitude, its literals give the sign.
    bool dropsSign = false;
    std::uint32_t fillAt = 0;  // The fill character: literals[fillAt, fillAt + fillLength).
    std::uint32_t fillLength = 0;
};

struct Program {
    std::string source;
    std::string literals;  // The text of every literal step and fill, one after the other.
    std::vector<Section> sections;
    // The sections that render numbers come first; the text section, if any, is `textSection`.
    std::size_t numberSections = 0;
    int textSection = -1;
    bool conditional = false;  // Some section has a condition.
};

// Compiles a format string; throws BaseError 0xC2017330 when it cannot.
std::shared_ptr<Program const> compile(std::string_view format);

}  // namespace common::numfmt
