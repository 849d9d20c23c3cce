// Conversion and comparison of variants, in the C locale.
//
// Rules, chosen to follow the platform's automation conversions where it has one:
// - A VT_BYREF source is read through its pointer (VT_VARIANT|VT_BYREF too); the result never
//   is by reference.
// - Integers: reals and currency round half to even; a value outside the target's range fails
//   with DISP_E_OVERFLOW. VARIANT_TRUE (-1) becomes the all-ones value of an unsigned target.
// - Text to a number: decimal notation with an optional exponent, blanks around allowed
//   ("  -1.5e3 "); integers and currency are read exactly from the digits. No hexadecimal, no
//   thousands separators. Anything else fails with DISP_E_TYPEMISMATCH.
// - Numbers to text: integers and currency exactly ("-12", "1.5"); VT_R8 with up to 15
//   significant digits and VT_R4 with up to 7, shortest form, in exponent form "1E+20" /
//   "1.5E-07" for large and small magnitudes (like printf's %G); NaN and infinities as "NaN",
//   "Infinity", "-Infinity".
// - BOOL to text: "-1" / "0", or "True" / "False" with VARIANT_ALPHABOOL. Text to BOOL:
//   "true" / "false" in any case, or any number (non-zero is true).
// - DATE to text: "YYYY-MM-DD", with " HH:MM:SS" (24-hour, rounded to the second) when the
//   time of day is not midnight. Text to DATE also accepts "YYYY-MM-DDTHH:MM[:SS]",
//   "M/D/YYYY [H:MM[:SS]]" and a time of day alone (on 1899-12-30). Dates run from 0100-01-01 to
//   9999-12-31; numbers outside that range fail with DISP_E_OVERFLOW when made a DATE.
// - VT_EMPTY is 0, the empty text or false. VT_NULL only converts to VT_NULL. Any valid value
//   converts to VT_EMPTY; only VT_EMPTY and VT_NULL convert to VT_NULL.
// - A source whose type VariantClear does not know fails with DISP_E_BADVARTYPE, as does a
//   target that is no variant type at all; other pairs that do not convert fail with
//   DISP_E_TYPEMISMATCH. On any failure dest is left as it was.
#include <basekit/OleAuto.h>
#include <basekit/PovaString.h>

#include "NumberText.h"
#include "VariantTypes.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>
#include <new>
#include <string>
#include <string_view>

namespace {

using basekit::detail::DecimalText;
using basekit::detail::ExactInt;
using basekit::detail::isPlainKnownType;
using basekit::detail::ParseStatus;

static_assert(std::numeric_limits<long double>::digits >= 64,
              "exact comparisons of 64-bit integers with doubles need a 64-bit mantissa");

// ---------------------------------------------------------------------------------------------
// Reading the source

// A value reduced to what the conversions work with.
struct Scalar {
    enum class Kind { Empty, Null, Signed, Unsigned, Real, Currency, Text, Other };
    Kind kind = Kind::Empty;
    VARTYPE vt = VT_EMPTY;  // the type after following VT_BYREF
    std::int64_t s = 0;     // Signed, and Currency (scaled by 10,000)
    std::uint64_t u = 0;    // Unsigned
    double r = 0;           // Real
    std::u16string_view text;
};

// A non-owning, non-reference view of `src`: VT_BYREF is followed (at most a few levels of
// VT_VARIANT|VT_BYREF, so that a variant pointing at itself cannot loop).
HRESULT resolve(VARIANT const* src, VARIANT& view) {
    VARIANT const* current = src;
    for (int depth = 0; depth < 4; ++depth) {
        VARTYPE const vt = current->vt;
        if ((vt & VT_BYREF) == 0) {
            if (!isPlainKnownType(vt)) {
                return DISP_E_BADVARTYPE;
            }
            view = *current;
            return S_OK;
        }
        VARTYPE const base = vt & static_cast<VARTYPE>(~VT_BYREF);
        if (current->byref == nullptr) {
            return E_INVALIDARG;
        }
        if (base == VT_VARIANT) {
            current = current->pvarVal;
            continue;
        }
        if (!isPlainKnownType(base) || base == VT_EMPTY || base == VT_NULL) {
            return DISP_E_BADVARTYPE;
        }
        VariantInit(&view);
        view.vt = base;
        switch (base) {
            case VT_I1:
                view.cVal = *current->pcVal;
                break;
            case VT_UI1:
                view.bVal = *current->pbVal;
                break;
            case VT_I2:
                view.iVal = *current->piVal;
                break;
            case VT_UI2:
                view.uiVal = *current->puiVal;
                break;
            case VT_I4:
                view.lVal = *current->plVal;
                break;
            case VT_UI4:
                view.ulVal = *current->pulVal;
                break;
            case VT_INT:
                view.intVal = *current->pintVal;
                break;
            case VT_UINT:
                view.uintVal = *current->puintVal;
                break;
            case VT_I8:
                view.llVal = *current->pllVal;
                break;
            case VT_UI8:
                view.ullVal = *current->pullVal;
                break;
            case VT_R4:
                view.fltVal = *current->pfltVal;
                break;
            case VT_R8:
                view.dblVal = *current->pdblVal;
                break;
            case VT_DATE:
                view.date = *current->pdate;
                break;
            case VT_CY:
                view.cyVal = *current->pcyVal;
                break;
            case VT_BOOL:
                view.boolVal = *current->pboolVal;
                break;
            case VT_BSTR:
                view.bstrVal = *current->pbstrVal;
                break;
            case VT_ERROR:
                view.scode = *static_cast<SCODE const*>(current->byref);
                break;
            default:
                return DISP_E_BADVARTYPE;
        }
        return S_OK;
    }
    return DISP_E_BADVARTYPE;
}

Scalar toScalar(VARIANT const& v) {
    Scalar s;
    s.vt = v.vt;
    switch (v.vt) {
        case VT_EMPTY:
            s.kind = Scalar::Kind::Empty;
            break;
        case VT_NULL:
            s.kind = Scalar::Kind::Null;
            break;
        case VT_I1:
            s.kind = Scalar::Kind::Signed;
            s.s = static_cast<signed char>(v.cVal);  // char may be unsigned on some targets
            break;
        case VT_I2:
            s.kind = Scalar::Kind::Signed;
            s.s = v.iVal;
            break;
        case VT_I4:
            s.kind = Scalar::Kind::Signed;
            s.s = v.lVal;
            break;
        case VT_INT:
            s.kind = Scalar::Kind::Signed;
            s.s = v.intVal;
            break;
        case VT_I8:
            s.kind = Scalar::Kind::Signed;
            s.s = v.llVal;
            break;
        case VT_BOOL:
            s.kind = Scalar::Kind::Signed;
            s.s = v.boolVal;
            break;
        case VT_UI1:
            s.kind = Scalar::Kind::Unsigned;
            s.u = v.bVal;
            break;
        case VT_UI2:
            s.kind = Scalar::Kind::Unsigned;
            s.u = v.uiVal;
            break;
        case VT_UI4:
            s.kind = Scalar::Kind::Unsigned;
            s.u = v.ulVal;
            break;
        case VT_UINT:
            s.kind = Scalar::Kind::Unsigned;
            s.u = v.uintVal;
            break;
        case VT_UI8:
            s.kind = Scalar::Kind::Unsigned;
            s.u = v.ullVal;
            break;
        case VT_R4:
            s.kind = Scalar::Kind::Real;
            s.r = v.fltVal;
            break;
        case VT_R8:
            s.kind = Scalar::Kind::Real;
            s.r = v.dblVal;
            break;
        case VT_DATE:
            s.kind = Scalar::Kind::Real;
            s.r = v.date;
            break;
        case VT_CY:
            s.kind = Scalar::Kind::Currency;
            s.s = v.cyVal.int64;
            break;
        case VT_BSTR:
            s.kind = Scalar::Kind::Text;
            // A null BSTR is the empty text.
            if (v.bstrVal != nullptr) {
                s.text = std::u16string_view(v.bstrVal, SysStringLen(v.bstrVal));
            }
            break;
        default:
            s.kind = Scalar::Kind::Other;
            break;
    }
    return s;
}

HRESULT statusToHResult(ParseStatus status) {
    switch (status) {
        case ParseStatus::Ok:
            return S_OK;
        case ParseStatus::Overflow:
            return DISP_E_OVERFLOW;
        case ParseStatus::Invalid:
            break;
    }
    return DISP_E_TYPEMISMATCH;
}

// ---------------------------------------------------------------------------------------------
// Rounding and the numeric targets

template <typename Real>
Real roundHalfEven(Real value) {
    Real const floor = std::floor(value);
    Real const fraction = value - floor;  // exact: both lie in the same binade or value is whole
    if (fraction > Real(0.5)) {
        return floor + 1;
    }
    if (fraction < Real(0.5)) {
        return floor;
    }
    return std::fmod(floor, Real(2)) == 0 ? floor : floor + 1;
}

// A real rounded to an integer; fails for NaN, infinities and values beyond 65 bits.
HRESULT realToExact(double value, ExactInt& out) {
    if (!std::isfinite(value)) {
        return DISP_E_OVERFLOW;
    }
    double const rounded = roundHalfEven(value);
    constexpr double kTwo64 = 18446744073709551616.0;
    constexpr double kTwo63 = 9223372036854775808.0;
    if (rounded >= kTwo64 || rounded < -kTwo63) {
        return DISP_E_OVERFLOW;
    }
    // In range, so the casts below are exact.
    if (rounded < 0) {
        out = ExactInt{true, static_cast<std::uint64_t>(-rounded)};
    } else {
        out = ExactInt{false, static_cast<std::uint64_t>(rounded)};
    }
    return S_OK;
}

// Currency (scaled by 10,000) rounded half to even to an integer.
ExactInt currencyToExact(std::int64_t cy) {
    std::int64_t quotient = cy / 10000;
    std::int64_t const remainder = cy % 10000;  // same sign as cy
    std::int64_t const half = remainder < 0 ? -remainder : remainder;
    if (half > 5000 || (half == 5000 && quotient % 2 != 0)) {
        quotient += remainder < 0 ? -1 : 1;  // |quotient| < 2^50: no overflow
    }
    return ExactInt::fromSigned(quotient);
}

long double currencyToLongDouble(std::int64_t cy) {
    return static_cast<long double>(cy) / 10000.0L;
}

HRESULT scalarToExact(Scalar const& s, ExactInt& out) {
    switch (s.kind) {
        case Scalar::Kind::Empty:
            out = ExactInt{};
            return S_OK;
        case Scalar::Kind::Signed:
            out = ExactInt::fromSigned(s.s);
            return S_OK;
        case Scalar::Kind::Unsigned:
            out = ExactInt::fromUnsigned(s.u);
            return S_OK;
        case Scalar::Kind::Real:
            return realToExact(s.r, out);
        case Scalar::Kind::Currency:
            out = currencyToExact(s.s);
            return S_OK;
        case Scalar::Kind::Text: {
            DecimalText number;
            if (!basekit::detail::scanDecimal(s.text, number)) {
                return DISP_E_TYPEMISMATCH;
            }
            return statusToHResult(basekit::detail::decimalToScaledInteger(number, 0, out));
        }
        default:
            return DISP_E_TYPEMISMATCH;
    }
}

HRESULT scalarToDouble(Scalar const& s, double& out) {
    switch (s.kind) {
        case Scalar::Kind::Empty:
            out = 0;
            return S_OK;
        case Scalar::Kind::Signed:
            out = static_cast<double>(s.s);
            return S_OK;
        case Scalar::Kind::Unsigned:
            out = static_cast<double>(s.u);
            return S_OK;
        case Scalar::Kind::Real:
            out = s.r;
            return S_OK;
        case Scalar::Kind::Currency:
            out = static_cast<double>(currencyToLongDouble(s.s));
            return S_OK;
        case Scalar::Kind::Text: {
            DecimalText number;
            if (!basekit::detail::scanDecimal(s.text, number)) {
                return DISP_E_TYPEMISMATCH;
            }
            return statusToHResult(basekit::detail::decimalToDouble(number, out));
        }
        default:
            return DISP_E_TYPEMISMATCH;
    }
}

// The largest whole amount a currency value can hold.
constexpr std::int64_t kCurrencyMaxUnits = std::numeric_limits<std::int64_t>::max() / 10000;

HRESULT scalarToCurrency(Scalar const& s, std::int64_t& out) {
    switch (s.kind) {
        case Scalar::Kind::Empty:
            out = 0;
            return S_OK;
        case Scalar::Kind::Signed:
            if (s.s > kCurrencyMaxUnits || s.s < -kCurrencyMaxUnits) {
                return DISP_E_OVERFLOW;
            }
            out = s.s * 10000;
            return S_OK;
        case Scalar::Kind::Unsigned:
            if (s.u > static_cast<std::uint64_t>(kCurrencyMaxUnits)) {
                return DISP_E_OVERFLOW;
            }
            out = static_cast<std::int64_t>(s.u) * 10000;
            return S_OK;
        case Scalar::Kind::Real: {
            if (!std::isfinite(s.r)) {
                return DISP_E_OVERFLOW;
            }
            // A double times 10,000 needs at most 63 mantissa bits: exact in long double.
            long double const scaled = roundHalfEven(static_cast<long double>(s.r) * 10000.0L);
            constexpr long double kTwo63 = 9223372036854775808.0L;
            if (scaled >= kTwo63 || scaled < -kTwo63) {
                return DISP_E_OVERFLOW;
            }
            out = static_cast<std::int64_t>(scaled);
            return S_OK;
        }
        case Scalar::Kind::Currency:
            out = s.s;
            return S_OK;
        case Scalar::Kind::Text: {
            DecimalText number;
            if (!basekit::detail::scanDecimal(s.text, number)) {
                return DISP_E_TYPEMISMATCH;
            }
            ExactInt scaled;
            HRESULT const hr =
                statusToHResult(basekit::detail::decimalToScaledInteger(number, 4, scaled));
            if (FAILED(hr)) {
                return hr;
            }
            if (compare(scaled, ExactInt::fromSigned(std::numeric_limits<std::int64_t>::min())) <
                    0 ||
                compare(scaled, ExactInt::fromSigned(std::numeric_limits<std::int64_t>::max())) >
                    0) {
                return DISP_E_OVERFLOW;
            }
            out = scaled.negative ? static_cast<std::int64_t>(0 - scaled.magnitude)
                                  : static_cast<std::int64_t>(scaled.magnitude);
            return S_OK;
        }
        default:
            return DISP_E_TYPEMISMATCH;
    }
}

struct IntegerTarget {
    std::int64_t min;
    std::uint64_t max;
};

bool integerTarget(VARTYPE vt, IntegerTarget& range) {
    using L8 = std::numeric_limits<std::int8_t>;
    using L16 = std::numeric_limits<std::int16_t>;
    using L32 = std::numeric_limits<std::int32_t>;
    using L64 = std::numeric_limits<std::int64_t>;
    switch (vt) {
        case VT_I1:
            range = {L8::min(), L8::max()};
            return true;
        case VT_UI1:
            range = {0, std::numeric_limits<std::uint8_t>::max()};
            return true;
        case VT_I2:
            range = {L16::min(), L16::max()};
            return true;
        case VT_UI2:
            range = {0, std::numeric_limits<std::uint16_t>::max()};
            return true;
        case VT_I4:
        case VT_INT:
            range = {L32::min(), L32::max()};
            return true;
        case VT_UI4:
        case VT_UINT:
            range = {0, std::numeric_limits<std::uint32_t>::max()};
            return true;
        case VT_I8:
            range = {L64::min(), L64::max()};
            return true;
        case VT_UI8:
            range = {0, std::numeric_limits<std::uint64_t>::max()};
            return true;
        default:
            return false;
    }
}

bool fits(ExactInt value, IntegerTarget range) {
    if (!value.negative) {
        return value.magnitude <= range.max;
    }
    if (range.min == 0) {
        return false;
    }
    std::uint64_t const limit = static_cast<std::uint64_t>(-(range.min + 1)) + 1;
    return value.magnitude <= limit;
}

void storeInteger(VARIANT& out, VARTYPE vt, ExactInt value) {
    // Modular conversions (defined since C++20) give the two's complement pattern.
    std::uint64_t const bits = value.negative ? 0 - value.magnitude : value.magnitude;
    out.vt = vt;
    switch (vt) {
        case VT_I1:
            out.cVal = static_cast<CHAR>(static_cast<std::int8_t>(bits));
            break;
        case VT_UI1:
            out.bVal = static_cast<BYTE>(bits);
            break;
        case VT_I2:
            out.iVal = static_cast<SHORT>(bits);
            break;
        case VT_UI2:
            out.uiVal = static_cast<USHORT>(bits);
            break;
        case VT_I4:
            out.lVal = static_cast<LONG>(bits);
            break;
        case VT_INT:
            out.intVal = static_cast<INT>(bits);
            break;
        case VT_UI4:
            out.ulVal = static_cast<ULONG>(bits);
            break;
        case VT_UINT:
            out.uintVal = static_cast<UINT>(bits);
            break;
        case VT_I8:
            out.llVal = static_cast<LONGLONG>(bits);
            break;
        case VT_UI8:
            out.ullVal = bits;
            break;
        default:
            break;
    }
}

HRESULT convertToInteger(Scalar const& s, VARTYPE vt, IntegerTarget range, VARIANT& out) {
    // The platform reinterprets VARIANT_TRUE's bits for unsigned targets.
    if (s.vt == VT_BOOL && s.s < 0 && range.min == 0) {
        storeInteger(out, vt, ExactInt{false, range.max});
        return S_OK;
    }
    ExactInt value;
    HRESULT const hr = scalarToExact(s, value);
    if (FAILED(hr)) {
        return hr;
    }
    if (!fits(value, range)) {
        return DISP_E_OVERFLOW;
    }
    storeInteger(out, vt, value);
    return S_OK;
}

// ---------------------------------------------------------------------------------------------
// Dates

constexpr std::int64_t kDateMin = -657434;  // 0100-01-01
constexpr std::int64_t kDateMax = 2958465;  // 9999-12-31
constexpr std::int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    std::int64_t const era = (y >= 0 ? y : y - 399) / 400;
    auto const yoe = static_cast<unsigned>(y - era * 400);
    unsigned const doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    unsigned const doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

struct Civil {
    std::int64_t year;
    unsigned month;
    unsigned day;
};

constexpr Civil civilFromDays(std::int64_t z) {
    z += 719468;
    std::int64_t const era = (z >= 0 ? z : z - 146096) / 146097;
    auto const doe = static_cast<unsigned>(z - era * 146097);
    unsigned const yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    std::int64_t const y = static_cast<std::int64_t>(yoe) + era * 400;
    unsigned const doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    unsigned const mp = (5 * doy + 2) / 153;
    unsigned const d = doy - (153 * mp + 2) / 5 + 1;
    unsigned const m = mp < 10 ? mp + 3 : mp - 9;
    return Civil{m <= 2 ? y + 1 : y, m, d};
}

// The automation epoch, 1899-12-30, counted from 1970-01-01.
constexpr std::int64_t kEpoch = daysFromCivil(1899, 12, 30);
static_assert(kEpoch == -25569);
static_assert(daysFromCivil(100, 1, 1) - kEpoch == kDateMin);
static_assert(daysFromCivil(9999, 12, 31) - kEpoch == kDateMax);

bool isLeap(std::int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

unsigned daysInMonth(std::int64_t y, unsigned m) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

bool isValidDate(double value) {
    return value > kDateMin - 1 && value < kDateMax + 1;
}

// A DATE's calendar day and time: the whole part counts days and the fraction's magnitude is
// the time of day, also for dates before the epoch (-1.25 is 1899-12-29 06:00).
HRESULT formatDate(double value, std::string& text) {
    if (!isValidDate(value)) {
        return DISP_E_OVERFLOW;
    }
    double const whole = std::trunc(value);
    auto day = static_cast<std::int64_t>(whole);
    auto seconds = static_cast<std::int64_t>(
        roundHalfEven(std::fabs(value - whole) * static_cast<double>(kSecondsPerDay)));
    if (seconds >= kSecondsPerDay) {
        ++day;
        seconds = 0;
    }
    if (day > kDateMax) {
        return DISP_E_OVERFLOW;
    }
    Civil const c = civilFromDays(day + kEpoch);
    char buffer[32];
    int length = 0;
    if (seconds == 0) {
        length = std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u", static_cast<int>(c.year),
                               c.month, c.day);
    } else {
        length = std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u %02d:%02d:%02d",
                               static_cast<int>(c.year), c.month, c.day,
                               static_cast<int>(seconds / 3600),
                               static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    }
    text.assign(buffer, static_cast<std::size_t>(length));
    return S_OK;
}

// A small reader over the text of a date.
class DateReader {
public:
    explicit DateReader(std::u16string_view text) : fText(text) {}

    bool atEnd() const { return fPos == fText.size(); }
    bool peek(char16_t ch) const { return fPos < fText.size() && fText[fPos] == ch; }
    bool take(char16_t ch) {
        if (!peek(ch)) {
            return false;
        }
        ++fPos;
        return true;
    }
    bool skipBlanks() {
        std::size_t const start = fPos;
        while (fPos < fText.size() && basekit::detail::isBlank(fText[fPos])) {
            ++fPos;
        }
        return fPos > start;
    }
    // Reads between minDigits and maxDigits decimal digits.
    bool number(std::size_t minDigits, std::size_t maxDigits, unsigned& value) {
        std::size_t const start = fPos;
        value = 0;
        while (fPos < fText.size() && fPos - start < maxDigits &&
               basekit::detail::isDigit(fText[fPos])) {
            value = value * 10 + static_cast<unsigned>(fText[fPos] - u'0');
            ++fPos;
        }
        std::size_t const count = fPos - start;
        // More digits than allowed is an error, not a number followed by digits.
        return count >= minDigits &&
               !(fPos < fText.size() && basekit::detail::isDigit(fText[fPos]));
    }
    std::size_t position() const { return fPos; }
    void rewind(std::size_t position) { fPos = position; }

private:
    std::u16string_view fText;
    std::size_t fPos = 0;
};

// H:MM or H:MM:SS, into seconds after midnight.
bool readTime(DateReader& in, std::int64_t& seconds) {
    unsigned h = 0;
    unsigned m = 0;
    unsigned s = 0;
    if (!in.number(1, 2, h) || !in.take(u':') || !in.number(2, 2, m)) {
        return false;
    }
    if (in.take(u':') && !in.number(2, 2, s)) {
        return false;
    }
    if (h > 23 || m > 59 || s > 59) {
        return false;
    }
    seconds = static_cast<std::int64_t>(h) * 3600 + m * 60 + s;
    return true;
}

bool readDate(DateReader& in, std::int64_t& day, bool& iso) {
    unsigned a = 0;
    unsigned b = 0;
    unsigned c = 0;
    std::size_t const start = in.position();
    unsigned year = 0;
    unsigned month = 0;
    unsigned dayOfMonth = 0;
    if (in.number(4, 4, a) && in.take(u'-')) {
        iso = true;
        if (!in.number(1, 2, b) || !in.take(u'-') || !in.number(1, 2, c)) {
            return false;
        }
        year = a;
        month = b;
        dayOfMonth = c;
    } else {
        in.rewind(start);
        iso = false;
        if (!in.number(1, 2, a) || !in.take(u'/') || !in.number(1, 2, b) || !in.take(u'/') ||
            !in.number(4, 4, c)) {
            return false;
        }
        month = a;
        dayOfMonth = b;
        year = c;
    }
    if (year < 100 || month < 1 || month > 12 || dayOfMonth < 1 ||
        dayOfMonth > daysInMonth(year, month)) {
        return false;
    }
    day = daysFromCivil(year, month, dayOfMonth) - kEpoch;
    return true;
}

HRESULT parseDate(std::u16string_view text, double& value) {
    DateReader in(basekit::detail::trimBlanks(text));
    std::int64_t day = 0;
    std::int64_t seconds = 0;
    bool iso = false;
    std::size_t const start = in.position();
    if (readDate(in, day, iso)) {
        if (!in.atEnd()) {
            bool const separated = (iso && in.take(u'T')) || in.skipBlanks();
            if (!separated || !readTime(in, seconds)) {
                return DISP_E_TYPEMISMATCH;
            }
        }
    } else {
        in.rewind(start);
        if (!readTime(in, seconds)) {
            return DISP_E_TYPEMISMATCH;
        }
    }
    if (!in.atEnd()) {
        return DISP_E_TYPEMISMATCH;
    }
    double const time = static_cast<double>(seconds) / static_cast<double>(kSecondsPerDay);
    auto const whole = static_cast<double>(day);
    value = day >= 0 ? whole + time : whole - time;
    return S_OK;
}

// ---------------------------------------------------------------------------------------------
// Text

std::string formatCurrency(std::int64_t cy) {
    ExactInt const value = ExactInt::fromSigned(cy);
    std::uint64_t const units = value.magnitude / 10000;
    auto fraction = static_cast<unsigned>(value.magnitude % 10000);
    std::string text = basekit::detail::formatInteger(ExactInt{value.negative, units});
    if (fraction != 0) {
        char digits[8];
        std::snprintf(digits, sizeof digits, ".%04u", fraction);
        std::string part(digits);
        while (part.back() == '0') {
            part.pop_back();
        }
        text += part;
    }
    return text;
}

std::string formatDouble(double value, int precision) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-Infinity" : "Infinity";
    }
    return basekit::detail::formatReal(value, precision, true);
}

HRESULT makeText(std::string_view utf8, VARIANT& out) {
    std::u16string const text = basekit::utf8ToUtf16(utf8);
    BSTR const b = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (b == nullptr) {
        return E_OUTOFMEMORY;
    }
    out.vt = VT_BSTR;
    out.bstrVal = b;
    return S_OK;
}

HRESULT convertToText(VARIANT const& view, Scalar const& s, USHORT flags, VARIANT& out) {
    switch (view.vt) {
        case VT_EMPTY:
            return makeText("", out);
        case VT_BOOL:
            if ((flags & VARIANT_ALPHABOOL) != 0) {
                return makeText(view.boolVal != 0 ? "True" : "False", out);
            }
            return makeText(basekit::detail::formatInteger(ExactInt::fromSigned(s.s)), out);
        case VT_R4:
            return makeText(formatDouble(s.r, 7), out);
        case VT_R8:
            return makeText(formatDouble(s.r, 15), out);
        case VT_DATE: {
            std::string text;
            HRESULT const hr = formatDate(s.r, text);
            return FAILED(hr) ? hr : makeText(text, out);
        }
        case VT_CY:
            return makeText(formatCurrency(s.s), out);
        default:
            break;
    }
    if (s.kind == Scalar::Kind::Signed) {
        return makeText(basekit::detail::formatInteger(ExactInt::fromSigned(s.s)), out);
    }
    if (s.kind == Scalar::Kind::Unsigned) {
        return makeText(basekit::detail::formatInteger(ExactInt::fromUnsigned(s.u)), out);
    }
    return DISP_E_TYPEMISMATCH;
}

HRESULT convertToBool(Scalar const& s, VARIANT& out) {
    bool value = false;
    switch (s.kind) {
        case Scalar::Kind::Empty:
            break;
        case Scalar::Kind::Signed:
        case Scalar::Kind::Currency:
            value = s.s != 0;
            break;
        case Scalar::Kind::Unsigned:
            value = s.u != 0;
            break;
        case Scalar::Kind::Real:
            value = s.r != 0;  // NaN is not zero
            break;
        case Scalar::Kind::Text: {
            std::u16string_view const text = basekit::detail::trimBlanks(s.text);
            DecimalText number;
            if (basekit::detail::equalsWord(text, "true")) {
                value = true;
            } else if (basekit::detail::equalsWord(text, "false")) {
                value = false;
            } else if (basekit::detail::scanDecimal(text, number)) {
                value = !number.digits.empty();
            } else {
                return DISP_E_TYPEMISMATCH;
            }
            break;
        }
        default:
            return DISP_E_TYPEMISMATCH;
    }
    out.vt = VT_BOOL;
    out.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT convertToDate(Scalar const& s, VARIANT& out) {
    double value = 0;
    if (s.kind == Scalar::Kind::Text) {
        HRESULT const hr = parseDate(s.text, value);
        if (FAILED(hr)) {
            return hr;
        }
    } else {
        HRESULT const hr = scalarToDouble(s, value);
        if (FAILED(hr)) {
            return hr;
        }
        if (!isValidDate(value)) {
            return DISP_E_OVERFLOW;
        }
    }
    out.vt = VT_DATE;
    out.date = value;
    return S_OK;
}

HRESULT convertToReal(Scalar const& s, VARTYPE vt, VARIANT& out) {
    double value = 0;
    HRESULT const hr = scalarToDouble(s, value);
    if (FAILED(hr)) {
        return hr;
    }
    if (vt == VT_R8) {
        out.vt = VT_R8;
        out.dblVal = value;
        return S_OK;
    }
    // Out-of-range double to float conversion is undefined: check first.
    if (std::isfinite(value) && std::fabs(value) > FLT_MAX) {
        return DISP_E_OVERFLOW;
    }
    out.vt = VT_R4;
    out.fltVal = static_cast<float>(value);
    return S_OK;
}

// Is `vt` a variant type code at all (possibly one that does not convert)?
bool isTypeCode(VARTYPE vt) {
    VARTYPE const base = vt & VT_TYPEMASK;
    return isPlainKnownType(base) || base == VT_VARIANT || base == VT_DECIMAL;
}

// Converts the (resolved) view into `out`, which starts VT_EMPTY and owns what it receives.
HRESULT convert(VARIANT const& view, USHORT flags, VARTYPE vt, VARIANT& out) {
    if (!isTypeCode(vt)) {
        return DISP_E_BADVARTYPE;
    }
    if (view.vt == vt) {
        return VariantCopy(&out, &view);
    }
    if (vt == VT_EMPTY) {
        return view.vt == VT_NULL ? DISP_E_TYPEMISMATCH : S_OK;
    }
    if (vt == VT_NULL) {
        if (view.vt != VT_EMPTY) {
            return DISP_E_TYPEMISMATCH;
        }
        out.vt = VT_NULL;
        return S_OK;
    }
    Scalar const s = toScalar(view);
    if (s.kind == Scalar::Kind::Null || s.kind == Scalar::Kind::Other) {
        return DISP_E_TYPEMISMATCH;
    }
    IntegerTarget range{};
    if (integerTarget(vt, range)) {
        return convertToInteger(s, vt, range, out);
    }
    switch (vt) {
        case VT_R4:
        case VT_R8:
            return convertToReal(s, vt, out);
        case VT_CY: {
            std::int64_t cy = 0;
            HRESULT const hr = scalarToCurrency(s, cy);
            if (FAILED(hr)) {
                return hr;
            }
            out.vt = VT_CY;
            out.cyVal.int64 = cy;
            return S_OK;
        }
        case VT_DATE:
            return convertToDate(s, out);
        case VT_BOOL:
            return convertToBool(s, out);
        case VT_BSTR:
            return convertToText(view, s, flags, out);
        default:
            return DISP_E_TYPEMISMATCH;
    }
}

// ---------------------------------------------------------------------------------------------
// Comparison

int sign(long double a, long double b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

// Compares an integer with a currency amount exactly.
int compareWithCurrency(ExactInt n, std::int64_t cy) {
    // cy = q * 10000 + r with |r| < 10000, r of cy's sign: n differs from q by at least one
    // whole unit unless n == q, where r alone decides.
    ExactInt const q = ExactInt::fromSigned(cy / 10000);
    int const c = compare(n, q);
    if (c != 0) {
        return c;
    }
    std::int64_t const r = cy % 10000;
    return r > 0 ? -1 : (r < 0 ? 1 : 0);
}

// Both scalars are numbers (Empty, Signed, Unsigned, Real or Currency).
int compareNumbers(Scalar const& a, Scalar const& b) {
    bool const aNaN = a.kind == Scalar::Kind::Real && std::isnan(a.r);
    bool const bNaN = b.kind == Scalar::Kind::Real && std::isnan(b.r);
    // NaN sorts before every number and equals itself, so that sorting stays consistent.
    if (aNaN || bNaN) {
        return aNaN == bNaN ? 0 : (aNaN ? -1 : 1);
    }
    auto exact = [](Scalar const& s) {
        switch (s.kind) {
            case Scalar::Kind::Signed:
                return ExactInt::fromSigned(s.s);
            case Scalar::Kind::Unsigned:
                return ExactInt::fromUnsigned(s.u);
            default:
                return ExactInt{};
        }
    };
    bool const aCy = a.kind == Scalar::Kind::Currency;
    bool const bCy = b.kind == Scalar::Kind::Currency;
    if (aCy && bCy) {
        return a.s < b.s ? -1 : (a.s > b.s ? 1 : 0);
    }
    if (aCy || bCy) {
        Scalar const& cy = aCy ? a : b;
        Scalar const& other = aCy ? b : a;
        int result = 0;
        if (other.kind == Scalar::Kind::Real) {
            // A double times 10,000 is exact in long double, as is any currency value.
            result =
                sign(static_cast<long double>(other.r) * 10000.0L, static_cast<long double>(cy.s));
        } else {
            result = compareWithCurrency(exact(other), cy.s);
        }
        return aCy ? -result : result;
    }
    // Every int64, uint64 and double is exact in long double.
    auto value = [&exact](Scalar const& s) {
        return s.kind == Scalar::Kind::Real ? static_cast<long double>(s.r)
                                            : exact(s).toLongDouble();
    };
    return sign(value(a), value(b));
}

HRESULT toVarCmp(int c) {
    return c < 0 ? VARCMP_LT : (c > 0 ? VARCMP_GT : VARCMP_EQ);
}

bool isNumber(Scalar const& s) {
    switch (s.kind) {
        case Scalar::Kind::Empty:
        case Scalar::Kind::Signed:
        case Scalar::Kind::Unsigned:
        case Scalar::Kind::Real:
        case Scalar::Kind::Currency:
            return true;
        default:
            return false;
    }
}

}  // namespace

extern "C" {

HRESULT VariantChangeType(VARIANT* dest, VARIANT const* src, USHORT flags, VARTYPE vt) {
    if (dest == nullptr || src == nullptr) {
        return E_INVALIDARG;
    }
    if (dest == src && src->vt == vt) {
        return isPlainKnownType(vt) ? S_OK : DISP_E_BADVARTYPE;
    }
    VARIANT view;
    VariantInit(&view);
    HRESULT hr = resolve(src, view);
    if (FAILED(hr)) {
        return hr;
    }
    VARIANT result;
    VariantInit(&result);
    try {
        hr = convert(view, flags, vt, result);
    } catch (std::bad_alloc const&) {
        hr = E_OUTOFMEMORY;
    }
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    // Only now is dest given up: it may be src, or what a by-reference src points to.
    hr = VariantClear(dest);
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    *dest = result;
    return S_OK;
}

// Numbers (with VT_EMPTY as 0, and BOOL, CY and DATE as their values) compare numerically;
// texts compare by UTF-16 code unit, folding ASCII and Latin-1 letters with NORM_IGNORECASE;
// VT_EMPTY against a text is the empty text. A number is less than any text. NaN is less than
// every other number and equal to NaN. The locale is ignored: comparisons are the C locale's.
HRESULT VarCmp(VARIANT* left, VARIANT* right, LCID /*lcid*/, ULONG flags) {
    if (left == nullptr || right == nullptr) {
        return E_INVALIDARG;
    }
    VARIANT leftView;
    VARIANT rightView;
    VariantInit(&leftView);
    VariantInit(&rightView);
    HRESULT hr = resolve(left, leftView);
    if (SUCCEEDED(hr)) {
        hr = resolve(right, rightView);
    }
    if (FAILED(hr)) {
        return hr;
    }
    Scalar const a = toScalar(leftView);
    Scalar const b = toScalar(rightView);
    if (a.kind == Scalar::Kind::Null || b.kind == Scalar::Kind::Null) {
        return VARCMP_NULL;
    }
    if (a.kind == Scalar::Kind::Other || b.kind == Scalar::Kind::Other) {
        return DISP_E_TYPEMISMATCH;
    }
    bool const aText = a.kind == Scalar::Kind::Text;
    bool const bText = b.kind == Scalar::Kind::Text;
    bool const aEmpty = a.kind == Scalar::Kind::Empty;
    bool const bEmpty = b.kind == Scalar::Kind::Empty;
    if ((aText || aEmpty) && (bText || bEmpty) && (aText || bText)) {
        return toVarCmp(basekit::compareText(a.text, b.text, (flags & NORM_IGNORECASE) != 0));
    }
    if (aText) {
        return VARCMP_GT;
    }
    if (bText) {
        return VARCMP_LT;
    }
    if (isNumber(a) && isNumber(b)) {
        return toVarCmp(compareNumbers(a, b));
    }
    return DISP_E_TYPEMISMATCH;
}

}  // extern "C"
