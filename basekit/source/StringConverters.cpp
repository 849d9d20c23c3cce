// Text conversions of numbers and GUIDs, independent of the process locale.
//
// Reals are written with up to 15 significant digits in the shortest form ("12", "0.1",
// "-3.25", "1e+20", "1.5e-07"); NaN and the infinities as "NaN", "Infinity" and "-Infinity",
// which convertStringToReal reads back (also "nan", "inf" in any case). Reading accepts decimal
// notation with an optional exponent and blanks around it; a value beyond the range of a double
// is refused, one too small for it reads as zero.
#include <basekit/StringConverters.h>

#include "NumberText.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <mutex>
#include <random>

namespace {

using basekit::detail::hexDigitValue;
using basekit::detail::trimBlanks;

// NaN and the infinities in the spellings we write and the common ones we read.
bool readSpecialReal(std::u16string_view text, double& value) {
    bool negative = false;
    if (!text.empty() && (text.front() == u'+' || text.front() == u'-')) {
        negative = text.front() == u'-';
        text.remove_prefix(1);
    }
    if (basekit::detail::equalsWord(text, "nan")) {
        value = std::numeric_limits<double>::quiet_NaN();
        return true;
    }
    if (basekit::detail::equalsWord(text, "inf") || basekit::detail::equalsWord(text, "infinity")) {
        double const inf = std::numeric_limits<double>::infinity();
        value = negative ? -inf : inf;
        return true;
    }
    return false;
}

}  // namespace

bool StringConverters::convertStringToReal(PovaString const& text, double& value) {
    std::u16string_view const trimmed = trimBlanks(text.wstring());
    double result = 0;
    if (readSpecialReal(trimmed, result)) {
        value = result;
        return true;
    }
    basekit::detail::DecimalText number;
    if (!basekit::detail::scanDecimal(trimmed, number) ||
        basekit::detail::decimalToDouble(number, result) != basekit::detail::ParseStatus::Ok) {
        return false;
    }
    value = result;
    return true;
}

PovaString StringConverters::convertRealToString(double value) {
    if (std::isnan(value)) {
        return PovaString("NaN");
    }
    if (std::isinf(value)) {
        return PovaString(value < 0 ? "-Infinity" : "Infinity");
    }
    return PovaString(basekit::detail::formatReal(value, 15, false));
}

bool StringConverters::convertStringToInteger(PovaString const& text, LONG& value) {
    std::u16string_view digits = trimBlanks(text.wstring());
    bool negative = false;
    if (!digits.empty() && (digits.front() == u'+' || digits.front() == u'-')) {
        negative = digits.front() == u'-';
        digits.remove_prefix(1);
    }
    if (digits.empty()) {
        return false;
    }
    // The magnitude of the most negative LONG is one more than the largest.
    std::uint64_t const limit =
        static_cast<std::uint64_t>(std::numeric_limits<LONG>::max()) + (negative ? 1 : 0);
    std::uint64_t magnitude = 0;
    for (char16_t const ch : digits) {
        if (!basekit::detail::isDigit(ch)) {
            return false;
        }
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(ch - u'0');
        if (magnitude > limit) {
            return false;
        }
    }
    value = negative ? static_cast<LONG>(0 - magnitude) : static_cast<LONG>(magnitude);
    return true;
}

PovaString StringConverters::convertIntegerToString(LONGLONG value) {
    return PovaString(basekit::detail::formatInteger(basekit::detail::ExactInt::fromSigned(value)));
}

PovaString StringConverters::convertGUIDToString(GUID const& guid) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(guid.Data1), static_cast<unsigned>(guid.Data2),
                  static_cast<unsigned>(guid.Data3), guid.Data4[0], guid.Data4[1], guid.Data4[2],
                  guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return PovaString(buffer);
}

bool StringConverters::convertStringToGUID(PovaString const& text, GUID& guid) {
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}: 38 characters, dashes at fixed places.
    std::u16string const& s = text.wstring();
    if (s.size() != 38 || s.front() != u'{' || s.back() != u'}') {
        return false;
    }
    std::uint8_t bytes[16] = {};
    std::size_t count = 0;
    for (std::size_t i = 1; i < 37;) {
        if (i == 9 || i == 14 || i == 19 || i == 24) {
            if (s[i] != u'-') {
                return false;
            }
            ++i;
            continue;
        }
        int const high = hexDigitValue(s[i]);
        int const low = hexDigitValue(s[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        bytes[count++] = static_cast<std::uint8_t>(high * 16 + low);
        i += 2;
    }
    GUID result;
    result.Data1 = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
                   (std::uint32_t{bytes[2]} << 8) | bytes[3];
    result.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
    result.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
    for (std::size_t k = 0; k < 8; ++k) {
        result.Data4[k] = bytes[8 + k];
    }
    guid = result;
    return true;
}

namespace {

// One engine for the process, seeded once from the system's entropy source.
class GuidSource {
public:
    GuidSource() {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device(),
                           device(), device(), device(), device()};
        fEngine.seed(seed);
    }

    void next(std::uint64_t& high, std::uint64_t& low) {
        std::lock_guard<std::mutex> const lock(fMutex);
        high = fEngine();
        low = fEngine();
    }

private:
    std::mutex fMutex;
    std::mt19937_64 fEngine;  // guarded by fMutex
};

}  // namespace

bool SystemSupport::GenerateGUID(GUID& guid, bool /*unique*/) {
    static GuidSource source;
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    source.next(high, low);
    guid.Data1 = static_cast<std::uint32_t>(high >> 32);
    guid.Data2 = static_cast<std::uint16_t>(high >> 16);
    // Version 4 (random) in the top nibble of Data3.
    guid.Data3 = static_cast<std::uint16_t>((high & 0x0FFFU) | 0x4000U);
    for (int k = 0; k < 8; ++k) {
        guid.Data4[k] = static_cast<std::uint8_t>(low >> (56 - 8 * k));
    }
    // The RFC 4122 variant: the top two bits of Data4[0] are 10.
    guid.Data4[0] = static_cast<std::uint8_t>((guid.Data4[0] & 0x3FU) | 0x80U);
    return true;
}
