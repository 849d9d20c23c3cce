// Locale-independent reading and writing of numbers, and the blank trimming that goes with it,
// shared by the strings, StringConverters, the registry reader and the variant conversions.
// Private to basekit.
#pragma once

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>

namespace basekit::detail {

inline bool isBlank(char16_t ch) {
    return ch == u' ' || ch == u'\t' || ch == u'\n' || ch == u'\r' || ch == u'\v' || ch == u'\f' ||
           ch == 0xA0;
}

inline std::u16string_view trimBlanks(std::u16string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

inline bool isDigit(char16_t ch) {
    return ch >= u'0' && ch <= u'9';
}

// The value of a hexadecimal digit in either case, or -1.
inline int hexDigitValue(char16_t ch) {
    if (ch >= u'0' && ch <= u'9') {
        return ch - u'0';
    }
    if (ch >= u'A' && ch <= u'F') {
        return ch - u'A' + 10;
    }
    if (ch >= u'a' && ch <= u'f') {
        return ch - u'a' + 10;
    }
    return -1;
}

// ASCII-only case-insensitive equality with a lower-case word.
inline bool equalsWord(std::u16string_view text, std::string_view lowerWord) {
    if (text.size() != lowerWord.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t ch = text[i];
        if (ch >= u'A' && ch <= u'Z') {
            ch = static_cast<char16_t>(ch + 32);
        }
        if (ch != static_cast<unsigned char>(lowerWord[i])) {
            return false;
        }
    }
    return true;
}

enum class ParseStatus { Ok, Invalid, Overflow };

// An integer of 65 bits: sign and magnitude, so that every int64 and uint64 fits exactly.
struct ExactInt {
    bool negative = false;  // never set for a zero magnitude
    std::uint64_t magnitude = 0;

    static ExactInt fromSigned(std::int64_t v) {
        // Unsigned negation is defined for INT64_MIN too.
        return v < 0 ? ExactInt{true, 0 - static_cast<std::uint64_t>(v)}
                     : ExactInt{false, static_cast<std::uint64_t>(v)};
    }
    static ExactInt fromUnsigned(std::uint64_t v) { return ExactInt{false, v}; }
    double toDouble() const {
        double const m = static_cast<double>(magnitude);
        return negative ? -m : m;
    }
    long double toLongDouble() const {
        long double const m = static_cast<long double>(magnitude);
        return negative ? -m : m;
    }
};

// -1, 0 or 1.
inline int compare(ExactInt a, ExactInt b) {
    if (a.negative != b.negative) {
        return a.negative ? -1 : 1;
    }
    if (a.magnitude == b.magnitude) {
        return 0;
    }
    bool const aSmaller = a.magnitude < b.magnitude;
    return (aSmaller != a.negative) ? -1 : 1;
}

// A decimal number as written: value = (negative ? -1 : 1) * digits * 10^exponent.
struct DecimalText {
    bool negative = false;
    std::string digits;  // significant digits, leading zeros removed; empty for zero
    std::int64_t exponent = 0;
    std::string plain;  // the unsigned number as written, for std::from_chars
};

// Reads [+-] digits [. digits] [(e|E) [+-] digits] with blanks around it; at least one digit
// before or after the point. No hexadecimal, no thousands separators, no words.
inline bool scanDecimal(std::u16string_view text, DecimalText& out) {
    text = trimBlanks(text);
    DecimalText result;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        result.negative = text[i] == u'-';
        ++i;
    }
    std::size_t const start = i;
    std::size_t mantissaDigits = 0;
    std::int64_t fractionDigits = 0;
    bool seenPoint = false;
    for (; i < text.size(); ++i) {
        char16_t const ch = text[i];
        if (isDigit(ch)) {
            ++mantissaDigits;
            if (seenPoint) {
                ++fractionDigits;
            }
            if (!result.digits.empty() || ch != u'0') {
                result.digits.push_back(static_cast<char>(ch));
            }
        } else if (ch == u'.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0) {
        return false;
    }
    std::int64_t exponent = 0;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
            negativeExponent = text[i] == u'-';
            ++i;
        }
        std::size_t const exponentStart = i;
        // Saturates far beyond any double's range so that the sum below cannot overflow.
        constexpr std::int64_t kCap = 1'000'000'000;
        for (; i < text.size() && isDigit(text[i]); ++i) {
            exponent = std::min<std::int64_t>(kCap, exponent * 10 + (text[i] - u'0'));
        }
        if (i == exponentStart) {
            return false;
        }
        if (negativeExponent) {
            exponent = -exponent;
        }
    }
    if (i != text.size()) {
        return false;
    }
    // Trailing zeros of the digits move into the exponent, so that digits stay short.
    std::int64_t trailing = 0;
    while (!result.digits.empty() && result.digits.back() == '0') {
        result.digits.pop_back();
        ++trailing;
    }
    result.exponent = result.digits.empty() ? 0 : exponent - fractionDigits + trailing;
    result.plain.reserve(i - start);
    for (std::size_t k = start; k < i; ++k) {
        result.plain.push_back(static_cast<char>(text[k]));
    }
    out = std::move(result);
    return true;
}

// The nearest double. Overflow is reported; a value too small for a double becomes zero.
inline ParseStatus decimalToDouble(DecimalText const& number, double& out) {
    double value = 0;
    auto const* first = number.plain.data();
    auto const* last = first + number.plain.size();
    auto const [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // The leading digit's power of ten tells overflow from underflow.
        std::int64_t const leading =
            number.exponent + static_cast<std::int64_t>(number.digits.size()) - 1;
        if (leading >= 0) {
            return ParseStatus::Overflow;
        }
        value = 0;
    } else if (ec != std::errc() || ptr != last) {
        return ParseStatus::Invalid;
    }
    out = number.negative ? -value : value;
    return ParseStatus::Ok;
}

// The number times 10^scale, rounded half to even to an integer.
inline ParseStatus decimalToScaledInteger(DecimalText const& number, int scale, ExactInt& out) {
    if (number.digits.empty()) {
        out = ExactInt{};
        return ParseStatus::Ok;
    }
    std::int64_t const shift = number.exponent + scale;
    std::int64_t const size = static_cast<std::int64_t>(number.digits.size());
    // More than 20 integer digits cannot fit in 64 bits.
    if (size + shift > 20) {
        return ParseStatus::Overflow;
    }
    std::int64_t const kept = shift >= 0 ? size : size + shift;
    std::uint64_t magnitude = 0;
    auto appendDigit = [&magnitude](unsigned digit) {
        constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
        if (magnitude > (kMax - digit) / 10) {
            return false;
        }
        magnitude = magnitude * 10 + digit;
        return true;
    };
    for (std::int64_t k = 0; k < kept; ++k) {
        if (!appendDigit(static_cast<unsigned>(number.digits[static_cast<std::size_t>(k)] - '0'))) {
            return ParseStatus::Overflow;
        }
    }
    for (std::int64_t k = 0; k < shift; ++k) {
        if (!appendDigit(0)) {
            return ParseStatus::Overflow;
        }
    }
    if (kept < size) {
        // Digits were dropped: kept may be negative, in which case the first dropped digit is
        // an implied zero. Digits never end in zero, so anything after the first dropped digit
        // makes the remainder more than a half.
        char const first = kept >= 0 ? number.digits[static_cast<std::size_t>(kept)] : '0';
        bool const more = kept + 1 < size;
        bool const roundUp = first > '5' || (first == '5' && (more || (magnitude & 1U) != 0));
        if (roundUp && magnitude == std::numeric_limits<std::uint64_t>::max()) {
            return ParseStatus::Overflow;
        }
        if (roundUp) {
            ++magnitude;
        }
    }
    out = ExactInt{number.negative && magnitude != 0, magnitude};
    return ParseStatus::Ok;
}

// printf "%.<precision>g"-style text in the C locale: "12", "0.1", "1e+20" (or "1E+20").
// Negative zero is written as "0". Only for finite values.
inline std::string formatReal(double value, int precision, bool upperExponent) {
    if (value == 0) {
        return "0";
    }
    char buffer[64];
    auto const result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    std::string text(buffer, result.ptr);
    if (upperExponent) {
        std::replace(text.begin(), text.end(), 'e', 'E');
    }
    return text;
}

inline std::string formatInteger(ExactInt value) {
    char buffer[24];
    char* first = buffer;
    if (value.negative) {
        *first++ = '-';
    }
    auto const result = std::to_chars(first, buffer + sizeof buffer, value.magnitude);
    return std::string(buffer, result.ptr);
}

}  // namespace basekit::detail
