#include <basekit/OleAuto.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using basekit::Bstr;
using basekit::Variant;

constexpr auto kI64Min = std::numeric_limits<std::int64_t>::min();
constexpr auto kI64Max = std::numeric_limits<std::int64_t>::max();
constexpr auto kU64Max = std::numeric_limits<std::uint64_t>::max();

std::u16string textOf(BSTR b) {
    return b == nullptr ? u"" : std::u16string(b, SysStringLen(b));
}

Variant text(char16_t const* value) {
    return Variant(value);
}

template <typename Setter>
Variant make(VARTYPE vt, Setter set) {
    Variant v;
    v->vt = vt;
    set(*v);
    return v;
}

Variant i4(LONG value) {
    return Variant(value);
}
Variant r8(double value) {
    return Variant(value);
}
Variant i8(LONGLONG value) {
    return make(VT_I8, [=](VARIANT& v) { v.llVal = value; });
}
Variant ui8(ULONGLONG value) {
    return make(VT_UI8, [=](VARIANT& v) { v.ullVal = value; });
}
Variant cy(LONGLONG scaled) {
    return make(VT_CY, [=](VARIANT& v) { v.cyVal.int64 = scaled; });
}
Variant date(double value) {
    return make(VT_DATE, [=](VARIANT& v) { v.date = value; });
}
Variant boolean(bool value) {
    return Variant(value);
}
Variant null() {
    return make(VT_NULL, [](VARIANT&) {});
}

// Converts `src` to `vt` into a fresh variant; the result code is kept for checks.
struct Converted {
    HRESULT hr;
    Variant value;
};

Converted change(Variant const& src, VARTYPE vt, USHORT flags = 0) {
    Converted result{S_OK, Variant()};
    result.hr = VariantChangeType(result.value.get(), src.get(), flags, vt);
    return result;
}

std::u16string toText(Variant const& src, USHORT flags = 0) {
    Converted c = change(src, VT_BSTR, flags);
    EXPECT_EQ(c.hr, S_OK);
    EXPECT_EQ(c.value.type(), VT_BSTR);
    return c.hr == S_OK ? textOf(c.value->bstrVal) : u"<failed>";
}

HRESULT changeCode(Variant const& src, VARTYPE vt) {
    return change(src, vt).hr;
}

LONG toI4(Variant const& src) {
    Converted c = change(src, VT_I4);
    EXPECT_EQ(c.hr, S_OK);
    return c.value->lVal;
}

double toR8(Variant const& src) {
    Converted c = change(src, VT_R8);
    EXPECT_EQ(c.hr, S_OK);
    return c.value->dblVal;
}

LONGLONG toCy(Variant const& src) {
    Converted c = change(src, VT_CY);
    EXPECT_EQ(c.hr, S_OK);
    return c.value->cyVal.int64;
}

double toDate(Variant const& src) {
    Converted c = change(src, VT_DATE);
    EXPECT_EQ(c.hr, S_OK);
    return c.value->date;
}

bool toBool(Variant const& src) {
    Converted c = change(src, VT_BOOL);
    EXPECT_EQ(c.hr, S_OK);
    EXPECT_TRUE(c.value->boolVal == VARIANT_TRUE || c.value->boolVal == VARIANT_FALSE);
    return c.value->boolVal == VARIANT_TRUE;
}

// VarCmp takes non-const pointers, as on the platform, but does not write through them.
HRESULT compare(Variant const& a, Variant const& b, ULONG flags = 0) {
    return VarCmp(const_cast<VARIANT*>(a.get()), const_cast<VARIANT*>(b.get()), LOCALE_USER_DEFAULT,
                  flags);
}

std::string narrow(std::u16string const& text) {
    return std::string(text.begin(), text.end());
}

// ---------------------------------------------------------------------------------------------
// Strings and the ownership half of variants

TEST(Bstr, AllocatesLengthPrefixedCopies) {
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);

    Bstr const abc(u"abc");
    EXPECT_EQ(abc.length(), 3u);
    EXPECT_EQ(SysStringByteLen(abc.get()), 6u);
    EXPECT_EQ(abc.get()[3], u'\0');

    // Embedded zeros count; a null source gives zeros.
    Bstr const embedded = Bstr::adopt(SysAllocStringLen(u"a\0b", 3));
    EXPECT_EQ(embedded.length(), 3u);
    EXPECT_EQ(textOf(embedded.get()), std::u16string(u"a\0b", 3));
    Bstr const zeros = Bstr::adopt(SysAllocStringLen(nullptr, 2));
    EXPECT_EQ(textOf(zeros.get()), std::u16string(2, u'\0'));

    SysFreeString(nullptr);  // allowed
}

TEST(Bstr, CopiesDeeplyAndMovesOwnership) {
    Bstr original(u"text");
    Bstr copy = original;
    EXPECT_NE(copy.get(), original.get());
    EXPECT_EQ(textOf(copy.get()), u"text");

    BSTR const raw = original.get();
    Bstr moved = std::move(original);
    EXPECT_EQ(moved.get(), raw);
    EXPECT_EQ(original.get(), nullptr);  // NOLINT: moved-from state is specified

    BSTR const detached = moved.detach();
    EXPECT_EQ(moved.get(), nullptr);
    SysFreeString(detached);
}

TEST(Variant, CopyDuplicatesTextAndClearFreesIt) {
    Variant const a = text(u"hello");
    Variant b = a;
    EXPECT_EQ(b.type(), VT_BSTR);
    EXPECT_NE(b->bstrVal, a->bstrVal);
    EXPECT_EQ(textOf(b->bstrVal), u"hello");

    EXPECT_EQ(VariantClear(b.get()), S_OK);
    EXPECT_EQ(b.type(), VT_EMPTY);

    // Copying into a variant that holds text frees the old text (checked by the leak checker).
    Variant c = text(u"old");
    EXPECT_EQ(VariantCopy(c.get(), a.get()), S_OK);
    EXPECT_EQ(textOf(c->bstrVal), u"hello");
    EXPECT_EQ(VariantCopy(c.get(), c.get()), S_OK);
    EXPECT_EQ(textOf(c->bstrVal), u"hello");
}

TEST(Variant, ClearRefusesUnknownTypes) {
    VARIANT v;
    VariantInit(&v);
    v.vt = 99;
    v.lVal = 7;
    EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE);
    EXPECT_EQ(v.vt, 99);
    EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
}

// ---------------------------------------------------------------------------------------------
// VariantChangeType: numbers to text

TEST(VariantChangeType, WritesIntegersAndCurrencyExactly) {
    EXPECT_EQ(toText(i4(12)), u"12");
    EXPECT_EQ(toText(i4(-12)), u"-12");
    EXPECT_EQ(toText(i8(kI64Min)), u"-9223372036854775808");
    EXPECT_EQ(toText(ui8(kU64Max)), u"18446744073709551615");
    EXPECT_EQ(toText(make(VT_I1, [](VARIANT& v) { v.cVal = static_cast<CHAR>(-5); })), u"-5");
    EXPECT_EQ(toText(make(VT_UI1, [](VARIANT& v) { v.bVal = 200; })), u"200");

    EXPECT_EQ(toText(cy(15000)), u"1.5");
    EXPECT_EQ(toText(cy(-1)), u"-0.0001");
    EXPECT_EQ(toText(cy(120000)), u"12");
    EXPECT_EQ(toText(cy(kI64Min)), u"-922337203685477.5808");
    EXPECT_EQ(toText(cy(kI64Max)), u"922337203685477.5807");
}

TEST(VariantChangeType, WritesRealsWithFifteenSignificantDigits) {
    EXPECT_EQ(toText(r8(12)), u"12");
    EXPECT_EQ(toText(r8(0.1)), u"0.1");
    EXPECT_EQ(toText(r8(-3.25)), u"-3.25");
    EXPECT_EQ(toText(r8(1.0 / 3)), u"0.333333333333333");
    EXPECT_EQ(toText(r8(123456789012345.0)), u"123456789012345");
    EXPECT_EQ(toText(r8(1e15)), u"1E+15");
    EXPECT_EQ(toText(r8(1e20)), u"1E+20");
    EXPECT_EQ(toText(r8(1.5e-7)), u"1.5E-07");
    EXPECT_EQ(toText(r8(0.0001)), u"0.0001");
    EXPECT_EQ(toText(r8(-0.0)), u"0");
    EXPECT_EQ(toText(r8(std::nan(""))), u"NaN");
    EXPECT_EQ(toText(r8(-std::numeric_limits<double>::infinity())), u"-Infinity");
    // Single precision is written with the digits it has.
    EXPECT_EQ(toText(make(VT_R4, [](VARIANT& v) { v.fltVal = 0.1f; })), u"0.1");
}

TEST(VariantChangeType, WritesBooleansAsNumbersUnlessAlphabetic) {
    EXPECT_EQ(toText(boolean(true)), u"-1");
    EXPECT_EQ(toText(boolean(false)), u"0");
    EXPECT_EQ(toText(boolean(true), VARIANT_ALPHABOOL), u"True");
    EXPECT_EQ(toText(boolean(false), VARIANT_ALPHABOOL), u"False");
}

TEST(VariantChangeType, EmptyIsZeroEmptyTextAndFalse) {
    Variant const empty;
    Converted t = change(empty, VT_BSTR);
    ASSERT_EQ(t.hr, S_OK);
    ASSERT_NE(t.value->bstrVal, nullptr);  // a real, empty BSTR
    EXPECT_EQ(SysStringLen(t.value->bstrVal), 0u);
    EXPECT_EQ(toI4(empty), 0);
    EXPECT_EQ(toR8(empty), 0.0);
    EXPECT_EQ(toCy(empty), 0);
    EXPECT_EQ(toDate(empty), 0.0);
    EXPECT_FALSE(toBool(empty));
}

// ---------------------------------------------------------------------------------------------
// VariantChangeType: text to numbers

TEST(VariantChangeType, ReadsDecimalTextWithBlanksAround) {
    EXPECT_EQ(toI4(text(u" 42 ")), 42);
    EXPECT_EQ(toI4(text(u"+7")), 7);
    EXPECT_EQ(toI4(text(u"-1.5e3")), -1500);
    EXPECT_EQ(toI4(text(u"\t-2147483648\n")), std::numeric_limits<LONG>::min());
    EXPECT_EQ(toR8(text(u"0.1")), 0.1);
    EXPECT_EQ(toR8(text(u".5")), 0.5);
    EXPECT_EQ(toR8(text(u"5.")), 5.0);
    EXPECT_EQ(toR8(text(u"1e-400")), 0.0);  // too small for a double: zero
}

TEST(VariantChangeType, RefusesTextThatIsNotANumber) {
    for (char16_t const* bad : {u"", u"  ", u"abc", u"1.5x", u"1 2", u"1,000", u"0x10", u"1e",
                                u"--1", u".", u"NaN", u"Infinity", u"1e5.0"}) {
        EXPECT_EQ(changeCode(text(bad), VT_I4), DISP_E_TYPEMISMATCH) << narrow(bad);
        EXPECT_EQ(changeCode(text(bad), VT_R8), DISP_E_TYPEMISMATCH);
        EXPECT_EQ(changeCode(text(bad), VT_CY), DISP_E_TYPEMISMATCH);
    }
}

TEST(VariantChangeType, ReadsIntegersAndCurrencyExactlyFromText) {
    Converted big = change(text(u"18446744073709551615"), VT_UI8);
    ASSERT_EQ(big.hr, S_OK);
    EXPECT_EQ(big.value->ullVal, kU64Max);
    EXPECT_EQ(changeCode(text(u"18446744073709551616"), VT_UI8), DISP_E_OVERFLOW);

    // Beyond a double's precision the halves still round to even.
    Converted even = change(text(u"9223372036854775806.5"), VT_I8);
    ASSERT_EQ(even.hr, S_OK);
    EXPECT_EQ(even.value->llVal, kI64Max - 1);
    EXPECT_EQ(changeCode(text(u"9223372036854775807.5"), VT_I8), DISP_E_OVERFLOW);
    Converted low = change(text(u"-9223372036854775808"), VT_I8);
    ASSERT_EQ(low.hr, S_OK);
    EXPECT_EQ(low.value->llVal, kI64Min);

    EXPECT_EQ(toCy(text(u"1.23456")), 12346);
    EXPECT_EQ(toCy(text(u"0.00005")), 0);  // half to even
    EXPECT_EQ(toCy(text(u"0.00015")), 2);
    EXPECT_EQ(toCy(text(u"0.000050001")), 1);
    EXPECT_EQ(toCy(text(u"-922337203685477.5808")), kI64Min);
    EXPECT_EQ(changeCode(text(u"922337203685477.5808"), VT_CY), DISP_E_OVERFLOW);
    EXPECT_EQ(toI4(text(u"123e-5")), 0);
    EXPECT_EQ(toI4(text(u"1e9")), 1000000000);
    EXPECT_EQ(changeCode(text(u"1e10"), VT_I4), DISP_E_OVERFLOW);
    EXPECT_EQ(changeCode(text(u"1e999999999999"), VT_I8), DISP_E_OVERFLOW);
    EXPECT_EQ(toI4(text(u"0e999999999999")), 0);
}

TEST(VariantChangeType, ReportsTextBeyondDoubleRangeAsOverflow) {
    EXPECT_EQ(changeCode(text(u"1e400"), VT_R8), DISP_E_OVERFLOW);
    EXPECT_EQ(changeCode(text(u"-1e400"), VT_R8), DISP_E_OVERFLOW);
    EXPECT_EQ(changeCode(text(u"1e39"), VT_R4), DISP_E_OVERFLOW);
}

// ---------------------------------------------------------------------------------------------
// VariantChangeType: numbers to numbers

TEST(VariantChangeType, RoundsRealsHalfToEven) {
    struct Case {
        double in;
        LONG out;
    };
    for (Case const c :
         {Case{2.5, 2}, Case{3.5, 4}, Case{-2.5, -2}, Case{-3.5, -4}, Case{0.5, 0}, Case{-0.5, 0},
          Case{1.5, 2}, Case{2.4999, 2}, Case{2.5001, 3}, Case{-1.2, -1}, Case{1e9, 1000000000}}) {
        EXPECT_EQ(toI4(r8(c.in)), c.out) << c.in;
    }
    EXPECT_EQ(toI4(date(2.5)), 2);
    EXPECT_EQ(toI4(make(VT_R4, [](VARIANT& v) { v.fltVal = 6.5f; })), 6);
}

TEST(VariantChangeType, RoundsCurrencyHalfToEven) {
    EXPECT_EQ(toI4(cy(25000)), 2);
    EXPECT_EQ(toI4(cy(35000)), 4);
    EXPECT_EQ(toI4(cy(-25000)), -2);
    EXPECT_EQ(toI4(cy(15001)), 2);
    EXPECT_EQ(toI4(cy(-4999)), 0);
    Converted low = change(cy(kI64Min), VT_I8);
    ASSERT_EQ(low.hr, S_OK);
    EXPECT_EQ(low.value->llVal, -922337203685478);  // .5808 rounds away
}

TEST(VariantChangeType, ChecksIntegerRanges) {
    EXPECT_EQ(toI4(r8(2147483647.4)), std::numeric_limits<LONG>::max());
    EXPECT_EQ(changeCode(r8(2147483647.5), VT_I4), DISP_E_OVERFLOW);
    EXPECT_EQ(toI4(r8(-2147483648.5)), std::numeric_limits<LONG>::min());
    EXPECT_EQ(changeCode(r8(-2147483649.0), VT_I4), DISP_E_OVERFLOW);
    EXPECT_EQ(changeCode(i4(-1), VT_UI4), DISP_E_OVERFLOW);
    EXPECT_EQ(changeCode(make(VT_UI4, [](VARIANT& v) { v.ulVal = 4294967295u; }), VT_I4),
              DISP_E_OVERFLOW);
    EXPECT_EQ(changeCode(i4(256), VT_UI1), DISP_E_OVERFLOW);
    EXPECT_EQ(changeCode(i4(-129), VT_I1), DISP_E_OVERFLOW);
    EXPECT_EQ(changeCode(i4(32768), VT_I2), DISP_E_OVERFLOW);
    EXPECT_EQ(changeCode(i4(65536), VT_UI2), DISP_E_OVERFLOW);
    EXPECT_EQ(changeCode(ui8(kU64Max), VT_I8), DISP_E_OVERFLOW);
    EXPECT_EQ(changeCode(i8(kI64Min), VT_UI8), DISP_E_OVERFLOW);
    EXPECT_EQ(changeCode(i8(1LL << 31), VT_INT), DISP_E_OVERFLOW);
    EXPECT_EQ(changeCode(i8(1LL << 32), VT_UINT), DISP_E_OVERFLOW);

    Converted byte = change(r8(255.4), VT_UI1);
    ASSERT_EQ(byte.hr, S_OK);
    EXPECT_EQ(byte.value->bVal, 255);
    EXPECT_EQ(changeCode(r8(255.5), VT_UI1), DISP_E_OVERFLOW);
    EXPECT_EQ(change(r8(-0.4), VT_UI1).hr, S_OK);
    EXPECT_EQ(changeCode(r8(-0.6), VT_UI1), DISP_E_OVERFLOW);

    Converted i1 = change(i4(-128), VT_I1);
    ASSERT_EQ(i1.hr, S_OK);
    EXPECT_EQ(static_cast<signed char>(i1.value->cVal), -128);

    // The edges of 64 bits, where a double is no longer exact.
    EXPECT_EQ(changeCode(r8(9223372036854775808.0), VT_I8), DISP_E_OVERFLOW);
    Converted min64 = change(r8(-9223372036854775808.0), VT_I8);
    ASSERT_EQ(min64.hr, S_OK);
    EXPECT_EQ(min64.value->llVal, kI64Min);
    EXPECT_EQ(changeCode(r8(18446744073709551616.0), VT_UI8), DISP_E_OVERFLOW);
    Converted u64 = change(r8(18446744073709549568.0), VT_UI8);
    ASSERT_EQ(u64.hr, S_OK);
    EXPECT_EQ(u64.value->ullVal, 18446744073709549568ull);
}

TEST(VariantChangeType, RefusesNonFiniteRealsAsIntegers) {
    double const inf = std::numeric_limits<double>::infinity();
    for (double const bad : {std::nan(""), inf, -inf}) {
        EXPECT_EQ(changeCode(r8(bad), VT_I4), DISP_E_OVERFLOW);
        EXPECT_EQ(changeCode(r8(bad), VT_UI8), DISP_E_OVERFLOW);
        EXPECT_EQ(changeCode(r8(bad), VT_CY), DISP_E_OVERFLOW);
        EXPECT_EQ(changeCode(r8(bad), VT_DATE), DISP_E_OVERFLOW);
    }
}

TEST(VariantChangeType, ConvertsCurrencyAndSinglePrecision) {
    EXPECT_EQ(toCy(i4(5)), 50000);
    EXPECT_EQ(toCy(r8(1.5)), 15000);
    // The double nearest -0.00005 lies just beyond the half: exact scaling rounds it away.
    EXPECT_EQ(toCy(r8(-0.00005)), -1);
    EXPECT_EQ(toCy(i8(922337203685477)), 9223372036854770000);
    EXPECT_EQ(changeCode(i8(922337203685478), VT_CY), DISP_E_OVERFLOW);
    EXPECT_EQ(changeCode(i8(-922337203685478), VT_CY), DISP_E_OVERFLOW);
    EXPECT_EQ(changeCode(ui8(922337203685478), VT_CY), DISP_E_OVERFLOW);
    EXPECT_EQ(changeCode(r8(1e15), VT_CY), DISP_E_OVERFLOW);
    EXPECT_EQ(toR8(cy(15000)), 1.5);
    EXPECT_EQ(toR8(cy(-1)), -0.0001);

    Converted f = change(r8(3.4e38), VT_R4);
    ASSERT_EQ(f.hr, S_OK);
    EXPECT_FLOAT_EQ(f.value->fltVal, 3.4e38f);
    Converted nanFloat = change(r8(std::nan("")), VT_R4);
    ASSERT_EQ(nanFloat.hr, S_OK);
    EXPECT_TRUE(std::isnan(nanFloat.value->fltVal));
    EXPECT_EQ(toR8(ui8(kU64Max)), 18446744073709551616.0);
}

// ---------------------------------------------------------------------------------------------
// VariantChangeType: booleans

TEST(VariantChangeType, TrueIsMinusOneOrAllOnes) {
    EXPECT_EQ(toI4(boolean(true)), -1);
    EXPECT_EQ(toI4(boolean(false)), 0);
    EXPECT_EQ(toR8(boolean(true)), -1.0);
    EXPECT_EQ(toCy(boolean(true)), -10000);
    Converted byte = change(boolean(true), VT_UI1);
    ASSERT_EQ(byte.hr, S_OK);
    EXPECT_EQ(byte.value->bVal, 0xFF);
    Converted word = change(boolean(true), VT_UI4);
    ASSERT_EQ(word.hr, S_OK);
    EXPECT_EQ(word.value->ulVal, 0xFFFFFFFFu);
}

TEST(VariantChangeType, ReadsBooleansFromWordsAndNumbers) {
    EXPECT_TRUE(toBool(text(u"TRUE")));
    EXPECT_TRUE(toBool(text(u" tRuE ")));
    EXPECT_FALSE(toBool(text(u"false")));
    EXPECT_FALSE(toBool(text(u"0")));
    EXPECT_FALSE(toBool(text(u"0.000")));
    EXPECT_TRUE(toBool(text(u"-2.5")));
    EXPECT_TRUE(toBool(text(u"1e-400")));  // not zero, however small
    EXPECT_EQ(changeCode(text(u"yes"), VT_BOOL), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(changeCode(text(u"truex"), VT_BOOL), DISP_E_TYPEMISMATCH);

    EXPECT_TRUE(toBool(i4(5)));
    EXPECT_FALSE(toBool(r8(0.0)));
    EXPECT_TRUE(toBool(cy(1)));
    EXPECT_TRUE(toBool(ui8(kU64Max)));
}

// ---------------------------------------------------------------------------------------------
// VariantChangeType: dates

TEST(VariantChangeType, WritesDatesInIsoForm) {
    EXPECT_EQ(toText(date(0)), u"1899-12-30");
    EXPECT_EQ(toText(date(1)), u"1899-12-31");
    EXPECT_EQ(toText(date(36526)), u"2000-01-01");
    EXPECT_EQ(toText(date(36526.75)), u"2000-01-01 18:00:00");
    EXPECT_EQ(toText(date(0.5)), u"1899-12-30 12:00:00");
    // Before the epoch the fraction is still the time of day.
    EXPECT_EQ(toText(date(-1.25)), u"1899-12-29 06:00:00");
    EXPECT_EQ(toText(date(-0.5)), u"1899-12-30 12:00:00");
    EXPECT_EQ(toText(date(-657434)), u"0100-01-01");
    EXPECT_EQ(toText(date(2958465)), u"9999-12-31");
    // Rounded to the second, carrying into the next day.
    EXPECT_EQ(toText(date(1.0 - 1e-9)), u"1899-12-31");
    EXPECT_EQ(toText(date(-1.0 - (1.0 - 1e-9))), u"1899-12-30");
    EXPECT_EQ(changeCode(date(2958466), VT_BSTR), DISP_E_OVERFLOW);
    EXPECT_EQ(changeCode(date(-657435), VT_BSTR), DISP_E_OVERFLOW);
}

TEST(VariantChangeType, ReadsDatesInSeveralForms) {
    EXPECT_EQ(toDate(text(u"2000-01-01")), 36526.0);
    EXPECT_EQ(toDate(text(u"  2000-1-1  ")), 36526.0);
    EXPECT_EQ(toDate(text(u"1/1/2000")), 36526.0);
    EXPECT_EQ(toDate(text(u"2000-01-01T06:00")), 36526.25);
    EXPECT_EQ(toDate(text(u"12/31/1899 18:00:00")), 1.75);
    EXPECT_EQ(toDate(text(u"1899-12-29 06:00:00")), -1.25);
    EXPECT_EQ(toDate(text(u"12:00")), 0.5);
    EXPECT_EQ(toDate(text(u"2000-02-29")), 36585.0);
    EXPECT_EQ(toDate(text(u"0100-01-01")), -657434.0);
    EXPECT_EQ(toDate(text(u"9999-12-31 23:59:59")), 2958465.0 + 86399.0 / 86400.0);
}

TEST(VariantChangeType, RefusesMalformedDates) {
    for (char16_t const* bad :
         {u"2000-02-30", u"1900-02-29", u"2001-02-29", u"2000-13-01", u"2000-00-10",
          u"2000-01-01 24:00", u"2000-01-01 12:60", u"2000-01-01 12:00:60", u"99-01-01",
          u"0099-12-31", u"2000/01/01", u"2000-01-01 12:00 extra", u"2000-01-01x",
          u"1/1/2000T12:00", u"12345-01-01", u"garbage", u"", u"45000", u"2000-001-01"}) {
        EXPECT_EQ(changeCode(text(bad), VT_DATE), DISP_E_TYPEMISMATCH) << narrow(bad);
    }
}

TEST(VariantChangeType, NumbersBecomeDatesWithinTheCalendar) {
    EXPECT_EQ(toDate(i4(1)), 1.0);
    EXPECT_EQ(toDate(r8(-657434.5)), -657434.5);
    EXPECT_EQ(toDate(r8(2958465.99)), 2958465.99);
    EXPECT_EQ(changeCode(r8(2958466), VT_DATE), DISP_E_OVERFLOW);
    EXPECT_EQ(changeCode(i4(-657435), VT_DATE), DISP_E_OVERFLOW);
    EXPECT_EQ(toR8(date(1.5)), 1.5);
}

TEST(VariantChangeType, DatesRoundTripThroughText) {
    std::mt19937_64 random(20240601);
    std::uniform_int_distribution<std::int64_t> days(-657434, 2958465);
    std::uniform_int_distribution<int> seconds(0, 86399);
    for (int i = 0; i < 2000; ++i) {
        std::int64_t const d = days(random);
        double const t = seconds(random) / 86400.0;
        double const value = d >= 0 ? static_cast<double>(d) + t : static_cast<double>(d) - t;
        Converted asText = change(date(value), VT_BSTR);
        ASSERT_EQ(asText.hr, S_OK);
        Converted back = change(asText.value, VT_DATE);
        ASSERT_EQ(back.hr, S_OK);
        ASSERT_NEAR(back.value->date, value, 1e-9) << value;
    }
}

// ---------------------------------------------------------------------------------------------
// VariantChangeType: round trips through text

TEST(VariantChangeType, IntegersAndCurrencyRoundTripThroughText) {
    std::mt19937_64 random(7);
    for (int i = 0; i < 2000; ++i) {
        auto const bits = random();
        auto const value = static_cast<std::int64_t>(bits);
        Converted back = change(change(i8(value), VT_BSTR).value, VT_I8);
        ASSERT_EQ(back.hr, S_OK);
        ASSERT_EQ(back.value->llVal, value);
        Converted backU = change(change(ui8(bits), VT_BSTR).value, VT_UI8);
        ASSERT_EQ(backU.hr, S_OK);
        ASSERT_EQ(backU.value->ullVal, bits);
        Converted backCy = change(change(cy(value), VT_BSTR).value, VT_CY);
        ASSERT_EQ(backCy.hr, S_OK);
        ASSERT_EQ(backCy.value->cyVal.int64, value);
    }
}

TEST(VariantChangeType, RealTextIsStableThroughAReadBack) {
    // Fifteen digits do not identify every double, but reading the text back and writing it
    // again must give the same text.
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (int i = 0; i < 2000; ++i) {
        double const value = mantissa(random) * std::pow(10.0, exponent(random));
        Converted first = change(r8(value), VT_BSTR);
        ASSERT_EQ(first.hr, S_OK);
        Converted number = change(first.value, VT_R8);
        ASSERT_EQ(number.hr, S_OK);
        ASSERT_NEAR(number.value->dblVal, value, std::fabs(value) * 1e-14);
        Converted second = change(number.value, VT_BSTR);
        ASSERT_EQ(textOf(second.value->bstrVal), textOf(first.value->bstrVal));
    }
}

// ---------------------------------------------------------------------------------------------
// VariantChangeType: empty, null, unsupported pairs and failure handling

TEST(VariantChangeType, NullOnlyConvertsToNull) {
    for (VARTYPE vt : {VT_EMPTY, VT_I2, VT_I4, VT_R8, VT_CY, VT_DATE, VT_BSTR, VT_BOOL, VT_UI8}) {
        EXPECT_EQ(changeCode(null(), vt), DISP_E_TYPEMISMATCH) << vt;
    }
    EXPECT_EQ(change(null(), VT_NULL).value.type(), VT_NULL);
    EXPECT_EQ(change(Variant(), VT_NULL).value.type(), VT_NULL);
    EXPECT_EQ(changeCode(i4(0), VT_NULL), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(change(text(u"x"), VT_EMPTY).hr, S_OK);
}

TEST(VariantChangeType, RefusesUnsupportedPairsAndUnknownTypes) {
    Variant const error = make(VT_ERROR, [](VARIANT& v) { v.scode = E_FAIL; });
    EXPECT_EQ(changeCode(error, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(changeCode(error, VT_BSTR), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(change(error, VT_ERROR).value->scode, E_FAIL);
    EXPECT_EQ(changeCode(i4(1), VT_DECIMAL), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(changeCode(i4(1), VT_VARIANT), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(changeCode(i4(1), VT_I4 | VT_BYREF), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(changeCode(i4(1), VT_I4 | VT_ARRAY), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(changeCode(i4(1), 99), DISP_E_BADVARTYPE);
    EXPECT_EQ(changeCode(make(99, [](VARIANT&) {}), VT_I4), DISP_E_BADVARTYPE);

    Variant v;
    EXPECT_EQ(VariantChangeType(nullptr, v.get(), 0, VT_I4), E_INVALIDARG);
    EXPECT_EQ(VariantChangeType(v.get(), nullptr, 0, VT_I4), E_INVALIDARG);
}

TEST(VariantChangeType, LeavesDestinationUntouchedOnFailure) {
    Variant dest = text(u"keep");
    BSTR const before = dest->bstrVal;
    Variant const bad = text(u"abc");
    EXPECT_EQ(VariantChangeType(dest.get(), bad.get(), 0, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(VariantChangeType(dest.get(), i4(300).get(), 0, VT_UI1), DISP_E_OVERFLOW);
    EXPECT_EQ(dest.type(), VT_BSTR);
    EXPECT_EQ(dest->bstrVal, before);
    EXPECT_EQ(textOf(dest->bstrVal), u"keep");
}

TEST(VariantChangeType, ReplacesAnOwnedDestinationWithoutLeaking) {
    Variant dest = text(u"old text");
    EXPECT_EQ(VariantChangeType(dest.get(), text(u"12").get(), 0, VT_I4), S_OK);
    EXPECT_EQ(dest.type(), VT_I4);
    EXPECT_EQ(dest->lVal, 12);
}

TEST(VariantChangeType, ChangesInPlace) {
    Variant v = text(u" 12 ");
    ASSERT_EQ(VariantChangeType(v.get(), v.get(), 0, VT_I4), S_OK);  // the text is freed
    EXPECT_EQ(v.type(), VT_I4);
    EXPECT_EQ(v->lVal, 12);

    ASSERT_EQ(VariantChangeType(v.get(), v.get(), 0, VT_BSTR), S_OK);
    EXPECT_EQ(textOf(v->bstrVal), u"12");
    BSTR const same = v->bstrVal;
    ASSERT_EQ(VariantChangeType(v.get(), v.get(), 0, VT_BSTR), S_OK);
    EXPECT_EQ(v->bstrVal, same);

    // A failed in-place change keeps the value.
    Variant word = text(u"word");
    EXPECT_EQ(VariantChangeType(word.get(), word.get(), 0, VT_R8), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(textOf(word->bstrVal), u"word");
}

TEST(VariantChangeType, ReadsThroughReferences) {
    LONG number = 41;
    Variant ref = make(VT_I4 | VT_BYREF, [&](VARIANT& v) { v.plVal = &number; });
    number = 42;
    EXPECT_EQ(toR8(ref), 42.0);
    EXPECT_EQ(change(ref, VT_I4 | VT_BYREF).hr, DISP_E_TYPEMISMATCH);

    Bstr owned(u"3.5");
    BSTR raw = owned.get();
    Variant textRef = make(VT_BSTR | VT_BYREF, [&](VARIANT& v) { v.pbstrVal = &raw; });
    EXPECT_EQ(toI4(textRef), 4);
    // Converting to the referenced type copies: the result owns its own text.
    Converted copy = change(textRef, VT_BSTR);
    ASSERT_EQ(copy.hr, S_OK);
    EXPECT_NE(copy.value->bstrVal, owned.get());
    EXPECT_EQ(textOf(copy.value->bstrVal), u"3.5");

    // In place: the reference is replaced by an owned value; the referent keeps its text.
    Variant inPlace = textRef;
    ASSERT_EQ(VariantChangeType(inPlace.get(), inPlace.get(), 0, VT_BSTR), S_OK);
    EXPECT_EQ(inPlace.type(), VT_BSTR);
    EXPECT_NE(inPlace->bstrVal, owned.get());
    EXPECT_EQ(textOf(owned.get()), u"3.5");

    Variant inner = cy(25000);
    Variant variantRef = make(VT_VARIANT | VT_BYREF, [&](VARIANT& v) { v.pvarVal = inner.get(); });
    EXPECT_EQ(toI4(variantRef), 2);

    Variant nullRef = make(VT_R8 | VT_BYREF, [](VARIANT& v) { v.pdblVal = nullptr; });
    EXPECT_EQ(changeCode(nullRef, VT_I4), E_INVALIDARG);

    VARIANT loop;
    VariantInit(&loop);
    loop.vt = VT_VARIANT | VT_BYREF;
    loop.pvarVal = &loop;
    Variant result;
    EXPECT_EQ(VariantChangeType(result.get(), &loop, 0, VT_I4), DISP_E_BADVARTYPE);
}

// ---------------------------------------------------------------------------------------------
// VarCmp

TEST(VarCmp, NullMakesAnyComparisonNull) {
    EXPECT_EQ(compare(null(), i4(1)), VARCMP_NULL);
    EXPECT_EQ(compare(text(u"a"), null()), VARCMP_NULL);
    EXPECT_EQ(compare(null(), null()), VARCMP_NULL);
}

TEST(VarCmp, ComparesNumbersAcrossTypes) {
    EXPECT_EQ(compare(i4(1), r8(1.0)), VARCMP_EQ);
    EXPECT_EQ(compare(i4(1), r8(1.5)), VARCMP_LT);
    EXPECT_EQ(compare(r8(-0.5), i4(-1)), VARCMP_GT);
    EXPECT_EQ(compare(ui8(kU64Max), i8(-1)), VARCMP_GT);
    EXPECT_EQ(compare(i8(kI64Min), ui8(0)), VARCMP_LT);
    EXPECT_EQ(compare(boolean(true), i4(-1)), VARCMP_EQ);
    EXPECT_EQ(compare(boolean(true), boolean(false)), VARCMP_LT);  // true is -1
    EXPECT_EQ(compare(date(36526.5), r8(36526.5)), VARCMP_EQ);
    EXPECT_EQ(compare(Variant(), i4(0)), VARCMP_EQ);
    EXPECT_EQ(compare(Variant(), i4(1)), VARCMP_LT);
    EXPECT_EQ(compare(Variant(), Variant()), VARCMP_EQ);
    EXPECT_EQ(compare(make(VT_UI1, [](VARIANT& v) { v.bVal = 200; }),
                      make(VT_I1, [](VARIANT& v) { v.cVal = static_cast<CHAR>(-100); })),
              VARCMP_GT);
}

TEST(VarCmp, ComparesLargeIntegersWithDoublesExactly) {
    // 2^53 + 1 is not a double; 2^64 - 1 rounds up to 2^64 as one.
    EXPECT_EQ(compare(i8((1LL << 53) + 1), r8(9007199254740992.0)), VARCMP_GT);
    EXPECT_EQ(compare(ui8(kU64Max), r8(18446744073709551616.0)), VARCMP_LT);
    EXPECT_EQ(compare(i8(kI64Min), r8(-9223372036854775808.0)), VARCMP_EQ);
}

TEST(VarCmp, ComparesCurrencyExactly) {
    EXPECT_EQ(compare(cy(15000), r8(1.5)), VARCMP_EQ);
    EXPECT_EQ(compare(cy(1000), r8(0.1)), VARCMP_LT);  // 0.1 as a double is a bit more
    EXPECT_EQ(compare(cy(15000), i4(1)), VARCMP_GT);
    EXPECT_EQ(compare(cy(15000), i4(2)), VARCMP_LT);
    EXPECT_EQ(compare(cy(20000), i4(2)), VARCMP_EQ);
    EXPECT_EQ(compare(i4(0), cy(-5000)), VARCMP_GT);
    EXPECT_EQ(compare(cy(-5000), i4(-1)), VARCMP_GT);
    EXPECT_EQ(compare(cy(kI64Min), i8(-922337203685477)), VARCMP_LT);
    EXPECT_EQ(compare(ui8(kU64Max), cy(kI64Max)), VARCMP_GT);
    EXPECT_EQ(compare(cy(1), cy(2)), VARCMP_LT);
    EXPECT_EQ(compare(Variant(), cy(0)), VARCMP_EQ);
}

TEST(VarCmp, ComparesTextByCodeUnitOptionallyIgnoringCase) {
    EXPECT_EQ(compare(text(u"abc"), text(u"abd")), VARCMP_LT);
    EXPECT_EQ(compare(text(u"abc"), text(u"ab")), VARCMP_GT);
    EXPECT_EQ(compare(text(u"abc"), text(u"ABC")), VARCMP_GT);
    EXPECT_EQ(compare(text(u"abc"), text(u"ABC"), NORM_IGNORECASE), VARCMP_EQ);
    EXPECT_EQ(compare(text(u"\u00e9t\u00e9"), text(u"\u00c9T\u00c9"), NORM_IGNORECASE), VARCMP_EQ);
    EXPECT_EQ(compare(text(u"a"), text(u"B"), NORM_IGNORECASE), VARCMP_LT);

    Variant nullText = make(VT_BSTR, [](VARIANT& v) { v.bstrVal = nullptr; });
    EXPECT_EQ(compare(nullText, text(u"")), VARCMP_EQ);
    EXPECT_EQ(compare(Variant(), text(u"")), VARCMP_EQ);
    EXPECT_EQ(compare(Variant(), text(u"a")), VARCMP_LT);
    EXPECT_EQ(compare(text(u"a"), Variant()), VARCMP_GT);
}

TEST(VarCmp, PutsNumbersBeforeText) {
    EXPECT_EQ(compare(i4(5), text(u"1")), VARCMP_LT);
    EXPECT_EQ(compare(text(u"1"), i4(5)), VARCMP_GT);
    EXPECT_EQ(compare(date(1), text(u"")), VARCMP_LT);
    EXPECT_EQ(compare(boolean(true), text(u"True")), VARCMP_LT);
}

TEST(VarCmp, OrdersNaNFirst) {
    double const nan = std::nan("");
    EXPECT_EQ(compare(r8(nan), r8(nan)), VARCMP_EQ);
    EXPECT_EQ(compare(r8(nan), r8(-std::numeric_limits<double>::infinity())), VARCMP_LT);
    EXPECT_EQ(compare(cy(kI64Min), r8(nan)), VARCMP_GT);
}

TEST(VarCmp, RefusesWhatCannotBeCompared) {
    Variant const error = make(VT_ERROR, [](VARIANT& v) { v.scode = E_FAIL; });
    EXPECT_EQ(compare(error, i4(1)), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(compare(error, error), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(compare(make(99, [](VARIANT&) {}), i4(1)), DISP_E_BADVARTYPE);
    Variant v;
    EXPECT_EQ(VarCmp(nullptr, v.get(), 0, 0), E_INVALIDARG);
}

TEST(VarCmp, ReadsThroughReferences) {
    double value = 2.5;
    Variant ref = make(VT_R8 | VT_BYREF, [&](VARIANT& v) { v.pdblVal = &value; });
    EXPECT_EQ(compare(ref, cy(25000)), VARCMP_EQ);
    EXPECT_EQ(compare(i4(3), ref), VARCMP_GT);
}

// VT_EMPTY is left out: it equals both 0 and the empty text, which differ.
TEST(VarCmp, IsATotalOrderOverMixedValues) {
    std::vector<Variant> values = {
        i4(0),      i4(-1),       i4(2),        r8(1.5),    r8(-0.0),       r8(std::nan("")),
        r8(1e300),  cy(15000),    cy(-1),       cy(20000),  boolean(true),  boolean(false),
        date(2),    ui8(kU64Max), i8(kI64Min),  r8(-1e300), text(u""),      text(u"a"),
        text(u"B"), text(u"ab"),  text(u"1.5"), i8(3),      ui8(1ull << 63)};
    auto cmp = [](Variant const& a, Variant const& b) { return compare(a, b); };
    for (Variant const& a : values) {
        for (Variant const& b : values) {
            HRESULT const ab = cmp(a, b);
            HRESULT const ba = cmp(b, a);
            ASSERT_TRUE(ab == VARCMP_LT || ab == VARCMP_EQ || ab == VARCMP_GT);
            ASSERT_EQ(ab, 2 - ba) << "antisymmetry";  // LT(0) <-> GT(2), EQ(1) <-> EQ(1)
            for (Variant const& c : values) {
                if (ab != VARCMP_GT && cmp(b, c) != VARCMP_GT) {
                    ASSERT_NE(cmp(a, c), VARCMP_GT) << "transitivity";
                }
            }
        }
    }
}

}  // namespace
