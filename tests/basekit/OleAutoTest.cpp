#include <basekit/OleAuto.h>
#include <basekit/PovaString.h>

#include "Corpus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace {

using basekit::Bstr;
using basekit::Variant;
using basekit_test::corpus;

// Values are written "TYPE:value", for example I4:12, R8:2.5, BOOL:-1, BSTR:any text, EMPTY:.
// CY is written in ten-thousandths (CY:15000 is 1.5), DATE in days, ERROR as its code.
using Field = std::variant<std::monostate, CHAR VARIANT::*, BYTE VARIANT::*, SHORT VARIANT::*,
                           USHORT VARIANT::*, LONG VARIANT::*, ULONG VARIANT::*,
                           LONGLONG VARIANT::*, ULONGLONG VARIANT::*, FLOAT VARIANT::*,
                           DOUBLE VARIANT::*, BSTR VARIANT::*, CY VARIANT::*>;
struct Type {
    VARTYPE vt;
    std::string_view name;
    Field field;
};
Type const kTypes[] = {{VT_EMPTY, "EMPTY", Field()},         {VT_NULL, "NULL", Field()},
                       {VT_I1, "I1", &VARIANT::cVal},        {VT_UI1, "UI1", &VARIANT::bVal},
                       {VT_I2, "I2", &VARIANT::iVal},        {VT_UI2, "UI2", &VARIANT::uiVal},
                       {VT_I4, "I4", &VARIANT::lVal},        {VT_UI4, "UI4", &VARIANT::ulVal},
                       {VT_INT, "INT", &VARIANT::intVal},    {VT_UINT, "UINT", &VARIANT::uintVal},
                       {VT_I8, "I8", &VARIANT::llVal},       {VT_UI8, "UI8", &VARIANT::ullVal},
                       {VT_R4, "R4", &VARIANT::fltVal},      {VT_R8, "R8", &VARIANT::dblVal},
                       {VT_CY, "CY", &VARIANT::cyVal},       {VT_DATE, "DATE", &VARIANT::date},
                       {VT_BOOL, "BOOL", &VARIANT::boolVal}, {VT_BSTR, "BSTR", &VARIANT::bstrVal},
                       {VT_ERROR, "ERROR", &VARIANT::scode}, {VT_DECIMAL, "DECIMAL", Field()},
                       {VT_VARIANT, "VARIANT", Field()}};

// The entry of a type by name or by number; null when there is none.
Type const* findType(std::string_view name, VARTYPE vt = 0) {
    auto const* t = std::find_if(std::begin(kTypes), std::end(kTypes), [&](Type const& t) {
        return name.empty() ? t.vt == vt : t.name == name;
    });
    return t == std::end(kTypes) ? nullptr : t;
}

// A type without a name is written as its number.
VARTYPE typeNamed(std::string_view name) {
    Type const* t = findType(name);
    return t != nullptr ? t->vt : static_cast<VARTYPE>(std::stoi(std::string(name)));
}

std::string nameOf(VARTYPE vt) {
    Type const* t = findType("", vt);
    return t != nullptr ? std::string(t->name) : std::to_string(vt);
}

// A variant that owns nothing: of an unknown type, say, or a reference (VT_BYREF set in vt).
VARIANT raw(VARTYPE vt, void* target = nullptr) {
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    v.byref = target;
    return v;
}

Variant value(std::string_view written) {
    std::size_t const colon = written.find(':');
    VARIANT v = raw(typeNamed(written.substr(0, colon)));
    std::string const text(written.substr(colon + 1));
    std::visit(
        [&]<typename F>(F field) {
            if constexpr (std::is_same_v<F, BSTR VARIANT::*>) {
                v.*field = PovaString(text).createBSTR();
            } else if constexpr (std::is_same_v<F, CY VARIANT::*>) {
                v.cyVal.int64 = std::stoll(text);
            } else if constexpr (!std::is_same_v<F, std::monostate>) {
                using T = std::remove_reference_t<decltype(v.*field)>;
                if constexpr (std::is_floating_point_v<T>) {
                    v.*field = static_cast<T>(std::stod(text));
                } else {
                    v.*field =
                        static_cast<T>(text[0] == '-' ? std::stoll(text) : std::stoull(text));
                }
            }
        },
        findType("", v.vt) != nullptr ? findType("", v.vt)->field : Field());
    return Variant::adopt(v);
}

std::string show(VARIANT const& v) {
    std::string shown = nameOf(v.vt) + ":";
    Type const* type = findType("", v.vt);
    std::visit(
        [&]<typename F>(F field) {
            if constexpr (std::is_same_v<F, BSTR VARIANT::*>) {
                shown +=
                    PovaString(std::u16string_view(v.bstrVal, SysStringLen(v.bstrVal))).string();
            } else if constexpr (std::is_same_v<F, CY VARIANT::*>) {
                shown += std::to_string(v.cyVal.int64);
            } else if constexpr (!std::is_same_v<F, std::monostate>) {
                char text[64];  // shortest form; the unary plus writes characters as numbers
                shown.append(text, std::to_chars(text, std::end(text), +(v.*field)).ptr);
            }
        },
        type != nullptr ? type->field : Field());
    return shown;
}

// "TYPE:value" of the converted value, or "TYPE!FAILURE".
std::string convert(VARIANT const* from, VARTYPE to, USHORT flags = 0) {
    Variant result;
    HRESULT const hr = VariantChangeType(result.get(), from, flags, to);
    char const* const failure = hr == DISP_E_TYPEMISMATCH ? "TYPEMISMATCH"
                                : hr == DISP_E_OVERFLOW   ? "OVERFLOW"
                                : hr == DISP_E_BADVARTYPE ? "BADVARTYPE"
                                : hr == E_INVALIDARG      ? "INVALIDARG"
                                                          : "?";
    return hr == S_OK ? show(*result) : nameOf(to) + "!" + failure;
}

// The result of VarCmp as in the corpus: < = > , ? when null, ! when the pair cannot be compared.
char compare(std::string_view a, std::string_view b, ULONG flags = 0) {
    Variant left = value(a);
    Variant right = value(b);
    HRESULT const hr = VarCmp(left.get(), right.get(), LOCALE_USER_DEFAULT, flags);
    return hr == DISP_E_TYPEMISMATCH ? '!' : hr >= 0 && hr <= 3 ? "<=>?"[hr] : '#';
}

TEST(Bstr, AllocatesLengthPrefixedCopiesAndOwnsThem) {
    EXPECT_TRUE(SysAllocString(nullptr) == nullptr && SysStringLen(nullptr) == 0u);
    SysFreeString(nullptr);  // allowed
    Bstr const abc(u"abc");
    EXPECT_TRUE(SysStringByteLen(abc.get()) == 6u && abc.get()[3] == u'\0');
    // Embedded zeros count; a null source gives zeros.
    Bstr const embedded = Bstr::adopt(SysAllocStringLen(u"a\0b", 3));
    Bstr const zeros = Bstr::adopt(SysAllocStringLen(nullptr, 2));
    EXPECT_TRUE(std::u16string(embedded.get(), embedded.length()) == std::u16string(u"a\0b", 3) &&
                std::u16string(zeros.get(), zeros.length()) == std::u16string(2, u'\0'));

    Bstr original(u"text");
    Bstr copy = original;
    EXPECT_NE(copy.get(), original.get());
    BSTR const held = original.get();
    Bstr moved = std::move(original);
    // NOLINTNEXTLINE(bugprone-use-after-move): the moved-from state is specified
    EXPECT_TRUE(moved.get() == held && original.get() == nullptr);
    SysFreeString(moved.detach());
    EXPECT_EQ(moved.get(), nullptr);
}

TEST(Variant, CopyDuplicatesTextAndClearFreesIt) {
    EXPECT_TRUE(show(*Variant(LONG{-1})) == "I4:-1" && show(*Variant(2.5)) == "R8:2.5" &&
                show(*Variant(true)) == "BOOL:-1");
    Variant const a(u"hello");
    Variant b = a;
    EXPECT_NE(b->bstrVal, a->bstrVal);
    EXPECT_TRUE(VariantClear(b.get()) == S_OK && b.type() == VT_EMPTY);
    // Copying into a variant that holds text frees the old text (the leak checker watches).
    Variant c(u"old");
    EXPECT_TRUE(VariantCopy(c.get(), a.get()) == S_OK && VariantCopy(c.get(), c.get()) == S_OK &&
                show(*c) == "BSTR:hello");
    VARIANT unknown = raw(99);
    EXPECT_TRUE(VariantClear(&unknown) == DISP_E_BADVARTYPE && unknown.vt == 99);
    EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
}

TEST(VariantChangeType, ConvertsAsTheCorpusSays) {
    for (std::string const& line : corpus("variant_conversions.txt")) {
        std::size_t const arrow = line.find(" -> ");
        std::string const to = line.substr(arrow + 4);
        Variant const from = value(std::string_view(line).substr(0, arrow));
        EXPECT_EQ(convert(from.get(), typeNamed(to.substr(0, to.find_first_of(":!")))), to) << line;
    }
    // Booleans as words on request; the empty text is a real, empty BSTR.
    EXPECT_EQ(convert(value("BOOL:-1").get(), VT_BSTR, VARIANT_ALPHABOOL), "BSTR:True");
    EXPECT_EQ(convert(value("BOOL:0").get(), VT_BSTR, VARIANT_ALPHABOOL), "BSTR:False");
    Variant const empty;
    Variant text;
    ASSERT_EQ(VariantChangeType(text.get(), empty.get(), 0, VT_BSTR), S_OK);
    EXPECT_NE(text->bstrVal, nullptr);
    EXPECT_TRUE(VariantChangeType(nullptr, empty.get(), 0, VT_I4) == E_INVALIDARG &&
                VariantChangeType(text.get(), nullptr, 0, VT_I4) == E_INVALIDARG);
}

TEST(VariantChangeType, ReplacesTheDestinationOnlyOnSuccess) {
    Variant dest(u"keep");
    BSTR const before = dest->bstrVal;
    EXPECT_TRUE(
        VariantChangeType(dest.get(), value("BSTR:abc").get(), 0, VT_I4) == DISP_E_TYPEMISMATCH &&
        VariantChangeType(dest.get(), value("I4:300").get(), 0, VT_UI1) == DISP_E_OVERFLOW &&
        dest->bstrVal == before);
    // An owned destination is freed (the leak checker watches).
    EXPECT_TRUE(VariantChangeType(dest.get(), value("BSTR:12").get(), 0, VT_I4) == S_OK &&
                show(*dest) == "I4:12");

    // In place: the text is freed; converting to its own type keeps it; a failure keeps it.
    Variant v = value("BSTR: 12 ");
    ASSERT_EQ(VariantChangeType(v.get(), v.get(), 0, VT_I4), S_OK);
    ASSERT_EQ(VariantChangeType(v.get(), v.get(), 0, VT_BSTR), S_OK);
    BSTR const same = v->bstrVal;
    ASSERT_EQ(VariantChangeType(v.get(), v.get(), 0, VT_BSTR), S_OK);
    EXPECT_TRUE(v->bstrVal == same && show(*v) == "BSTR:12");
    Variant word = value("BSTR:word");
    EXPECT_TRUE(VariantChangeType(word.get(), word.get(), 0, VT_R8) == DISP_E_TYPEMISMATCH &&
                show(*word) == "BSTR:word");
}

TEST(VariantChangeType, ReadsThroughReferences) {
    LONG number = 42;
    VARIANT const ref = raw(VT_I4 | VT_BYREF, &number);
    EXPECT_EQ(convert(&ref, VT_R8), "R8:42");
    EXPECT_EQ(convert(&ref, VT_I4 | VT_BYREF), "16387!TYPEMISMATCH");

    Bstr owned(u"3.5");
    BSTR text = owned.get();
    VARIANT const textRef = raw(VT_BSTR | VT_BYREF, &text);
    EXPECT_EQ(convert(&textRef, VT_I4), "I4:4");
    // Converting to the referenced type copies; in place, the reference is replaced by an owned
    // copy and the referent keeps its text (the leak checker watches both).
    EXPECT_EQ(convert(&textRef, VT_BSTR), "BSTR:3.5");
    Variant inPlace(textRef);
    ASSERT_EQ(VariantChangeType(inPlace.get(), inPlace.get(), 0, VT_BSTR), S_OK);
    EXPECT_TRUE(inPlace->bstrVal != owned.get() && show(*inPlace) == "BSTR:3.5");

    Variant inner = value("CY:25000");
    VARIANT const variantRef = raw(VT_VARIANT | VT_BYREF, inner.get());
    EXPECT_EQ(convert(Variant(variantRef).get(), VT_I4), "I4:2");  // a copy refers too
    VARIANT const nullRef = raw(VT_R8 | VT_BYREF);
    EXPECT_EQ(convert(&nullRef, VT_I4), "I4!INVALIDARG");
    VARIANT loop = raw(VT_VARIANT | VT_BYREF);
    loop.pvarVal = &loop;
    EXPECT_EQ(convert(&loop, VT_I4), "I4!BADVARTYPE");
}

// Through text and back, integers and currency come back exactly, dates to the second. Fifteen
// digits do not identify every double, but a real read back from its text writes the same text.
TEST(VariantChangeType, ValuesRoundTripThroughText) {
    std::mt19937_64 random(7);
    auto const roundTrip = [](Variant const& v) {
        Variant text;
        Variant back;
        ASSERT_EQ(VariantChangeType(text.get(), v.get(), 0, VT_BSTR), S_OK);
        ASSERT_EQ(VariantChangeType(back.get(), text.get(), 0, v.type()), S_OK);
        if (v.type() == VT_DATE) {
            ASSERT_NEAR(back->date, v->date, 1e-9) << show(*text);
        } else if (v.type() == VT_R8) {
            ASSERT_NEAR(back->dblVal, v->dblVal, std::fabs(v->dblVal) * 1e-14) << show(*text);
            ASSERT_EQ(convert(back.get(), VT_BSTR), show(*text));
        } else {
            ASSERT_EQ(show(*back), show(*v));
        }
    };
    for (int i = 0; i < 2000; ++i) {
        std::uint64_t const bits = random();
        auto const n = static_cast<std::int64_t>(bits);
        for (std::string const& v : {"I8:" + std::to_string(n), "CY:" + std::to_string(n),
                                     "UI8:" + std::to_string(bits)}) {
            roundTrip(value(v));
        }
        // Dates both sides of the epoch; reals of many magnitudes.
        Variant date = value("DATE:0");
        double const days = static_cast<double>(static_cast<std::int64_t>(bits % 3615900) - 657434);
        double const time = static_cast<double>((bits >> 32) % 86400) / 86400.0;
        date->date = days >= 0 ? days + time : days - time;
        roundTrip(date);
        Variant real = value("R8:0");
        real->dblVal = static_cast<double>(n % 100000) * std::pow(10.0, n % 61 - 35);
        roundTrip(real);
    }
}

TEST(VarCmp, ComparesAsTheCorpusSays) {
    for (std::string const& text : corpus("variant_comparisons.txt")) {
        std::string_view const line = text;
        std::size_t const op = line.find_first_of("<=>?!", line.find(':') + 1);
        EXPECT_EQ(compare(line.substr(0, op - 1), line.substr(op + 2)), line[op]) << line;
    }
    // Case folded on request, Latin-1 letters included.
    EXPECT_EQ(compare("BSTR:abc", "BSTR:ABC", NORM_IGNORECASE), '=');
    EXPECT_EQ(compare("BSTR:\xc3\xa9t\xc3\xa9", "BSTR:\xc3\x89T\xc3\x89", NORM_IGNORECASE), '=');
    EXPECT_EQ(compare("BSTR:a", "BSTR:B", NORM_IGNORECASE), '<');

    Variant nullText = value("BSTR:");
    SysFreeString(nullText->bstrVal);
    nullText->bstrVal = nullptr;
    Variant emptyText = value("BSTR:");
    EXPECT_EQ(VarCmp(nullText.get(), emptyText.get(), 0, 0), VARCMP_EQ);
    VARIANT unknown = raw(99);
    EXPECT_EQ(VarCmp(&unknown, emptyText.get(), 0, 0), DISP_E_BADVARTYPE);
    EXPECT_EQ(VarCmp(nullptr, emptyText.get(), 0, 0), E_INVALIDARG);
    double number = 2.5;
    VARIANT ref = raw(VT_R8 | VT_BYREF, &number);
    EXPECT_EQ(VarCmp(&ref, value("CY:25000").get(), 0, 0), VARCMP_EQ);
}

// VT_EMPTY is left out: it equals both 0 and the empty text, which differ.
TEST(VarCmp, IsATotalOrderOverMixedValues) {
    std::vector<Variant> values;
    for (char const* v : {"I4:0", "I4:-1", "I4:2", "R8:1.5", "R8:-0", "R8:nan", "R8:1e300",
                          "CY:15000", "CY:-1", "CY:20000", "BOOL:-1", "BOOL:0"}) {
        values.push_back(value(v));
    }
    for (char const* v :
         {"DATE:2", "UI8:18446744073709551615", "I8:-9223372036854775808", "R8:-1e300",
          "BSTR:", "BSTR:a", "BSTR:B", "BSTR:ab", "BSTR:1.5", "I8:3", "UI8:9223372036854775808"}) {
        values.push_back(value(v));
    }
    auto cmp = [](Variant& a, Variant& b) { return VarCmp(a.get(), b.get(), 0, 0); };
    for (Variant& a : values) {
        for (Variant& b : values) {
            HRESULT const ab = cmp(a, b);
            ASSERT_TRUE(ab == VARCMP_LT || ab == VARCMP_EQ || ab == VARCMP_GT);
            ASSERT_EQ(ab, 2 - cmp(b, a)) << "antisymmetry";  // LT(0) <-> GT(2), EQ(1) <-> EQ(1)
            for (Variant& c : values) {
                if (ab != VARCMP_GT && cmp(b, c) != VARCMP_GT) {
                    ASSERT_NE(cmp(a, c), VARCMP_GT) << "transitivity";
                }
            }
        }
    }
}

}  // namespace
