// Rendering with a compiled number format. A value is taken apart once into at most 15
// significant decimal digits and an exponent (the precision spreadsheets show), rounded there
// half away from zero, and the section's steps then pick their digits from it.
#include "NumberFormatProgram.h"

#include <basekit/PovaString.h>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace common {

namespace {

using numfmt::Op;
using numfmt::Placeholder;
using numfmt::Program;
using numfmt::Section;
using numfmt::Step;

constexpr int kSignificantDigits = 15;
constexpr char kNotANumber[] = "#NUM!";
constexpr char kBadValue[] = "#VALUE!";

// A non-negative number as significant digits: digits[0] (never '0') stands at the power of ten
// `exponent`, and the digits have no trailing zeros. No digits: zero.
struct Decimal {
    char digits[kSignificantDigits + 1] = {};
    int count = 0;
    int exponent = 0;

    // The digit at a power of ten.
    int at(int power) const {
        int const i = exponent - power;
        return i >= 0 && i < count ? digits[i] - '0' : 0;
    }

    // The power of the last digit; 0 for zero.
    int lowest() const { return count == 0 ? 0 : exponent - count + 1; }

    // Keeps the digits down to the power of ten `power`, rounding half away from zero.
    void roundAt(int power) {
        if (count == 0) {
            return;
        }
        int const keep = exponent - power + 1;
        if (keep >= count) {
            return;
        }
        if (keep < 0) {
            count = 0;
            return;
        }
        bool const up = digits[keep] >= '5';
        count = keep;
        if (up) {
            int i = keep - 1;
            while (i >= 0 && digits[i] == '9') {
                --i;
            }
            if (i < 0) {
                digits[0] = '1';
                count = 1;
                ++exponent;
                return;
            }
            ++digits[i];
            count = i + 1;
        }
        while (count > 0 && digits[count - 1] == '0') {
            --count;
        }
        if (count == 0) {
            exponent = 0;
        }
    }
};

// `magnitude` is finite and not negative.
Decimal decompose(double magnitude) {
    Decimal d;
    if (magnitude == 0.0) {
        return d;
    }
    // "d.dddddddddddddde±x": 15 significant digits, correctly rounded.
    char text[40];
    auto const result = std::to_chars(text, text + sizeof text, magnitude,
                                      std::chars_format::scientific, kSignificantDigits - 1);
    d.digits[0] = text[0];
    std::copy(text + 2, text + 1 + kSignificantDigits, d.digits + 1);
    d.count = kSignificantDigits;
    char const* exponent = text + 2 + kSignificantDigits;  // After the 'e'.
    if (*exponent == '+') {
        ++exponent;
    }
    std::from_chars(exponent, result.ptr, d.exponent);
    while (d.count > 0 && d.digits[d.count - 1] == '0') {
        --d.count;
    }
    return d;
}

int floor_div(int a, int b) {
    int const q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

void append_exponent(std::string& out, int exponent, std::size_t width) {
    char text[16];
    auto const end =
        std::to_chars(text, text + sizeof text, exponent < 0 ? -exponent : exponent).ptr;
    auto const length = static_cast<std::size_t>(end - text);
    out.append(length < width ? width - length : 0, '0');
    out.append(text, end);
}

void append_fixed(std::string& out, Decimal const& d) {
    if (d.count == 0) {
        out += '0';
        return;
    }
    if (d.exponent < 0) {
        out += '0';
    }
    for (int power = d.exponent; power >= 0; --power) {
        out += static_cast<char>('0' + d.at(power));
    }
    if (d.lowest() < 0) {
        out += '.';
        for (int power = -1; power >= d.lowest(); --power) {
            out += static_cast<char>('0' + d.at(power));
        }
    }
}

// "General": at most 11 characters, in fixed notation where that keeps the value readable,
// else as a mantissa of up to six digits and an exponent.
void append_general(std::string& out, double magnitude) {
    Decimal d = decompose(magnitude);
    if (d.count == 0) {
        out += '0';
        return;
    }
    int const x = d.exponent;
    if (x >= 0 && x <= 10) {
        Decimal fixed = d;
        fixed.roundAt(std::min(x - 9, 0));
        if (fixed.exponent <= 10) {
            append_fixed(out, fixed);
            return;
        }
    } else if (x < 0 && x >= -9) {
        // "0." and nine decimals fill the 11 characters. Beyond 1e-4 only a value those
        // decimals show (nearly) whole stays fixed.
        Decimal shown = d;
        shown.roundAt(-12);
        if (x >= -4 || shown.lowest() >= -9) {
            Decimal fixed = d;
            fixed.roundAt(-9);
            append_fixed(out, fixed);
            return;
        }
    }
    Decimal mantissa = d;
    mantissa.roundAt(d.exponent - 5);
    out += mantissa.digits[0];
    if (mantissa.count > 1) {
        out += '.';
        out.append(mantissa.digits + 1, static_cast<std::size_t>(mantissa.count - 1));
    }
    out += mantissa.exponent < 0 ? "E-" : "E+";
    append_exponent(out, mantissa.exponent, 2);
}

class Renderer {
public:
    Renderer(Program const& program, std::string& out, NumberFormatter::Rendered& rendered)
        : fProgram(program), fOut(out), fRendered(rendered) {}

    void number(Section const& section, double magnitude) {
        if (section.general) {
            walk(section, magnitude, {}, {});
            return;
        }
        Decimal d = decompose(magnitude);
        if (d.count != 0) {
            d.exponent += section.shift;
        }
        int exponent = 0;
        auto const fraction = static_cast<int>(section.fractionPlaces);
        if (section.scientific) {
            // Engineering: the exponent is a multiple of the number of integer placeholders
            // (3 for "##0.0E+0"); else the mantissa fills them ("00.00E+00": 12.35E+03).
            // Rounding may carry the mantissa into one more digit.
            int const places = std::max(static_cast<int>(section.integerPlaces), 1);
            auto const exponent_for = [&](int leading) {
                return section.engineering ? floor_div(leading, places) * places
                                           : leading - places + 1;
            };
            if (d.count != 0) {
                exponent = exponent_for(d.exponent);
                d.roundAt(exponent - fraction);
                int const carried = exponent_for(d.exponent);
                if (d.count != 0 && carried != exponent) {
                    exponent = carried;
                    d.roundAt(exponent - fraction);
                }
                if (d.count == 0) {
                    exponent = 0;
                }
                d.exponent -= exponent;
            }
        } else {
            d.roundAt(-fraction);
        }
        walk(section, magnitude, d, exponent);
    }

    void text(Section const& section, std::string_view text) {
        for (Step const& step : section.steps) {
            switch (step.op) {
                case Op::kLiteral:
                    fOut.append(fProgram.literals, step.at, step.length);
                    break;
                case Op::kText:
                    fOut += text;
                    break;
                case Op::kFill:
                    fill(section);
                    break;
                default:
                    break;
            }
        }
    }

private:
    void fill(Section const& section) {
        fRendered.fill =
            std::string_view(fProgram.literals).substr(section.fillAt, section.fillLength);
        fRendered.fillAt = fOut.size();
    }

    // One integer digit (power `power` of the number) and the thousands separator after it.
    void digit(Section const& section, Decimal const& d, int power) {
        fOut += static_cast<char>('0' + d.at(power));
        if (section.grouping && power > 0 && power % 3 == 0) {
            fOut += ',';
        }
    }

    // A placeholder with no digit: "0", a space, or nothing; a separator follows the first two.
    void missing(Section const& section, Placeholder placeholder, std::uint32_t position,
                 bool grouped) {
        if (placeholder == Placeholder::kNothing) {
            return;
        }
        char const shown = placeholder == Placeholder::kZero ? '0' : ' ';
        fOut += shown;
        if (grouped && section.grouping && position > 0 && position % 3 == 0) {
            fOut += placeholder == Placeholder::kZero ? ',' : ' ';
        }
    }

    void walk(Section const& section, double magnitude, Decimal const& d, int exponent) {
        int const integerDigits = d.count != 0 && d.exponent >= 0 ? d.exponent + 1 : 0;
        // Decimals shown: the forced ones, and the others up to the last significant digit.
        int const shownFraction =
            std::max(static_cast<int>(section.forcedFraction), d.lowest() < 0 ? -d.lowest() : 0);
        char exponentText[16];
        std::size_t exponentDigits = 0;
        if (section.scientific && exponent != 0) {
            exponentDigits = static_cast<std::size_t>(
                std::to_chars(exponentText, exponentText + sizeof exponentText,
                              exponent < 0 ? -exponent : exponent)
                    .ptr -
                exponentText);
        }
        for (Step const& step : section.steps) {
            switch (step.op) {
                case Op::kLiteral:
                    fOut.append(fProgram.literals, step.at, step.length);
                    break;
                case Op::kInteger: {
                    auto const position = static_cast<int>(step.position);
                    if (step.leftmost) {
                        for (int power = integerDigits - 1; power > position; --power) {
                            digit(section, d, power);
                        }
                    }
                    if (position < integerDigits) {
                        digit(section, d, position);
                    } else {
                        missing(section, step.placeholder, step.position, true);
                    }
                    break;
                }
                case Op::kPoint:
                    if (section.integerPlaces == 0) {
                        for (int power = integerDigits - 1; power >= 0; --power) {
                            digit(section, d, power);
                        }
                    }
                    fOut += '.';
                    break;
                case Op::kFraction:
                    if (static_cast<int>(step.position) < shownFraction) {
                        fOut += static_cast<char>('0' + d.at(-1 - static_cast<int>(step.position)));
                    } else {
                        missing(section, step.placeholder, step.position, false);
                    }
                    break;
                case Op::kExponent:
                    fOut += 'E';
                    if (exponent < 0) {
                        fOut += '-';
                    } else if (step.plus) {
                        fOut += '+';
                    }
                    break;
                case Op::kExponentDigit: {
                    auto const count = static_cast<std::uint32_t>(exponentDigits);
                    if (step.leftmost && count > step.position + 1) {
                        fOut.append(exponentText, count - step.position - 1);
                    }
                    if (step.position < count) {
                        fOut += exponentText[count - 1 - step.position];
                    } else {
                        missing(section, step.placeholder, step.position, false);
                    }
                    break;
                }
                case Op::kGeneral:
                    append_general(fOut, magnitude);
                    break;
                case Op::kFill:
                    fill(section);
                    break;
                case Op::kText:
                    break;
            }
        }
    }

    Program const& fProgram;
    std::string& fOut;
    NumberFormatter::Rendered& fRendered;
};

NumberFormatter::Rendered reported(Section const& section, std::size_t index) {
    NumberFormatter::Rendered rendered;
    rendered.section = static_cast<int>(index);
    rendered.colour = section.colour;
    rendered.colourIndex = section.colourIndex;
    return rendered;
}

}  // namespace

NumberFormatter::NumberFormatter() : NumberFormatter("General") {}

NumberFormatter::NumberFormatter(std::string_view format) : fProgram(numfmt::compile(format)) {}

std::string const& NumberFormatter::formatString() const {
    return fProgram->source;
}

NumberFormatter::Rendered NumberFormatter::render(double value, std::string& out) const {
    out.clear();
    Program const& program = *fProgram;
    if (!std::isfinite(value)) {
        out = kNotANumber;
        return {};
    }
    if (program.numberSections == 0) {
        // A format for texts only shows numbers as General does.
        if (value < 0) {
            out += '-';
        }
        append_general(out, std::fabs(value));
        return {};
    }
    std::size_t index = 0;
    std::size_t const count = program.numberSections;
    if (program.conditional) {
        // The first section whose condition holds; a section without one takes any value. When
        // none does, the last section shows the value.
        index = count - 1;
        for (std::size_t i = 0; i < count; ++i) {
            if (program.sections[i].condition.holds(value)) {
                index = i;
                break;
            }
        }
    } else if (count >= 3 && value == 0.0) {
        index = 2;
    } else if (count >= 2 && value < 0.0) {
        index = 1;
    }
    Section const& section = program.sections[index];
    Rendered rendered = reported(section, index);
    if (value < 0.0 && !section.dropsSign) {
        out += '-';
    }
    Renderer(program, out, rendered).number(section, std::fabs(value));
    return rendered;
}

NumberFormatter::Rendered NumberFormatter::renderText(std::string_view text,
                                                      std::string& out) const {
    out.clear();
    Program const& program = *fProgram;
    if (program.textSection < 0) {
        out.assign(text);
        return {};
    }
    auto const index = static_cast<std::size_t>(program.textSection);
    Section const& section = program.sections[index];
    Rendered rendered = reported(section, index);
    Renderer(program, out, rendered).text(section, text);
    return rendered;
}

NumberFormatter::Rendered NumberFormatter::renderEmpty(std::string& out) const {
    out.clear();
    return {};
}

NumberFormatter::Rendered NumberFormatter::renderError(std::string_view error,
                                                       std::string& out) const {
    out.assign(error);
    return {};
}

NumberFormatter::Rendered NumberFormatter::render(VARIANT const& value, std::string& out) const {
    switch (value.vt) {
        case VT_EMPTY:
        case VT_NULL:
            return renderEmpty(out);
        case VT_R8:
            return render(value.dblVal, out);
        case VT_BOOL:
            return renderText(value.boolVal != 0 ? "TRUE" : "FALSE", out);
        case VT_BSTR: {
            PovaString text;
            text.fillFromBSTR(value.bstrVal);
            return renderText(text.string(), out);
        }
        case VT_ERROR:
            return renderError(kBadValue, out);
        default: {
            VARIANT number;
            VariantInit(&number);
            if (SUCCEEDED(VariantChangeType(&number, &value, 0, VT_R8))) {
                return render(number.dblVal, out);
            }
            return renderError(kBadValue, out);
        }
    }
}

}  // namespace common
