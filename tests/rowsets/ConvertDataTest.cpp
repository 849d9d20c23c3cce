#include <pova/common/RowsetHelper.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

using common::RowsetHelper;
using ZELT_o::CellValue;
using ZELT_o::DataType;
using namespace ZELT_o;  // the DataType values

namespace {

// A cell value whose variant, if any, is cleared at the end of the test: CellValue itself
// never owns it.
struct OwnedCell {
    CellValue value;
    ~OwnedCell() { VariantClear(&value.variantValue); }
};

CellValue integerCell(LONG n) {
    CellValue v;
    v.type = kDataInteger;
    v.longValue = n;
    return v;
}
CellValue realCell(double d) {
    CellValue v;
    v.type = kDataReal;
    v.doubleValue = d;
    return v;
}
CellValue stringCell(char const* text) {
    CellValue v;
    v.type = kDataString;
    v.stringValue = text;
    return v;
}
CellValue dateCell(double d) {
    CellValue v;
    v.type = kDataDateTime;
    v.dateValue = d;
    return v;
}
// The variant is owned by the test's OwnedCell.
CellValue variantCell(basekit::Variant v) {
    CellValue c;
    c.type = kDataVariant;
    c.variantValue = v.detach();
    return c;
}

struct Case {
    char const* name;
    std::function<CellValue()> make;
    DataType to;
    ULONG maxLength;
    DBSTATUS status;
    DataType typeAfter;
    std::function<void(CellValue const&)> check;
};

void noCheck(CellValue const&) {}

std::string narrow(PovaString const& s) {
    return s.string();
}

// One row of the conversion table per case, source type by source type.
std::vector<Case> const& cases() {
    static std::vector<Case> const all = {
        // From integer.
        {"int_to_int", [] { return integerCell(-42); }, kDataInteger, 0, DBSTATUS_S_OK,
         kDataInteger, [](CellValue const& v) { EXPECT_EQ(v.longValue, -42); }},
        {"int_to_real", [] { return integerCell(-42); }, kDataReal, 0, DBSTATUS_S_OK, kDataReal,
         [](CellValue const& v) { EXPECT_EQ(v.doubleValue, -42.0); }},
        {"int_to_string", [] { return integerCell(-42); }, kDataString, 3, DBSTATUS_S_OK,
         kDataString, [](CellValue const& v) { EXPECT_EQ(narrow(v.stringValue), "-42"); }},
        {"int_to_string_truncated", [] { return integerCell(-42); }, kDataString, 2,
         DBSTATUS_S_TRUNCATED, kDataString,
         [](CellValue const& v) { EXPECT_EQ(narrow(v.stringValue), "-42"); }},
        {"int_to_date", [] { return integerCell(5); }, kDataDateTime, 0,
         DBSTATUS_E_CANTCONVERTVALUE, kDataInteger, noCheck},
        {"int_to_variant", [] { return integerCell(7); }, kDataVariant, 0, DBSTATUS_S_OK,
         kDataVariant,
         [](CellValue const& v) {
             EXPECT_EQ(v.variantValue.vt, VT_I4);
             EXPECT_EQ(v.variantValue.lVal, 7);
         }},
        // From real.
        {"real_to_int_truncates", [] { return realCell(2.9); }, kDataInteger, 0,
         DBSTATUS_S_TRUNCATED, kDataInteger, [](CellValue const& v) { EXPECT_EQ(v.longValue, 2); }},
        {"negative_real_to_int_toward_zero", [] { return realCell(-2.9); }, kDataInteger, 0,
         DBSTATUS_S_TRUNCATED, kDataInteger,
         [](CellValue const& v) { EXPECT_EQ(v.longValue, -2); }},
        {"whole_real_to_int_still_truncated", [] { return realCell(3.0); }, kDataInteger, 0,
         DBSTATUS_S_TRUNCATED, kDataInteger, [](CellValue const& v) { EXPECT_EQ(v.longValue, 3); }},
        {"huge_real_to_int_overflows", [] { return realCell(1e20); }, kDataInteger, 0,
         DBSTATUS_E_DATAOVERFLOW, kDataReal,
         [](CellValue const& v) { EXPECT_EQ(v.doubleValue, 1e20); }},
        {"nan_to_int_overflows", [] { return realCell(std::nan("")); }, kDataInteger, 0,
         DBSTATUS_E_DATAOVERFLOW, kDataReal, noCheck},
        {"real_to_real", [] { return realCell(1.5); }, kDataReal, 0, DBSTATUS_S_OK, kDataReal,
         [](CellValue const& v) { EXPECT_EQ(v.doubleValue, 1.5); }},
        {"real_to_string_ten_digits", [] { return realCell(3.14159265358979); }, kDataString, 100,
         DBSTATUS_S_OK, kDataString,
         [](CellValue const& v) { EXPECT_EQ(narrow(v.stringValue), "3.141592654"); }},
        {"large_real_to_string_exponent", [] { return realCell(12345678901234.0); }, kDataString,
         100, DBSTATUS_S_OK, kDataString,
         [](CellValue const& v) { EXPECT_EQ(narrow(v.stringValue), "1.23456789e+13"); }},
        {"real_to_string_truncated", [] { return realCell(0.25); }, kDataString, 3,
         DBSTATUS_S_TRUNCATED, kDataString,
         [](CellValue const& v) { EXPECT_EQ(narrow(v.stringValue), "0.25"); }},
        {"real_to_date", [] { return realCell(1.0); }, kDataDateTime, 0,
         DBSTATUS_E_CANTCONVERTVALUE, kDataReal, noCheck},
        {"real_to_variant", [] { return realCell(-0.5); }, kDataVariant, 0, DBSTATUS_S_OK,
         kDataVariant,
         [](CellValue const& v) {
             EXPECT_EQ(v.variantValue.vt, VT_R8);
             EXPECT_EQ(v.variantValue.dblVal, -0.5);
         }},
        // From string.
        {"string_to_int", [] { return stringCell(" -17"); }, kDataInteger, 0, DBSTATUS_S_OK,
         kDataInteger, [](CellValue const& v) { EXPECT_EQ(v.longValue, -17); }},
        {"string_to_int_reads_leading_digits", [] { return stringCell("12abc"); }, kDataInteger, 0,
         DBSTATUS_S_OK, kDataInteger, [](CellValue const& v) { EXPECT_EQ(v.longValue, 12); }},
        {"non_numeric_string_to_int_is_zero", [] { return stringCell("abc"); }, kDataInteger, 0,
         DBSTATUS_S_OK, kDataInteger, [](CellValue const& v) { EXPECT_EQ(v.longValue, 0); }},
        {"out_of_range_string_to_int_overflows", [] { return stringCell("99999999999"); },
         kDataInteger, 0, DBSTATUS_E_DATAOVERFLOW, kDataString, noCheck},
        {"string_to_real", [] { return stringCell("2.5e3"); }, kDataReal, 0, DBSTATUS_S_OK,
         kDataReal, [](CellValue const& v) { EXPECT_EQ(v.doubleValue, 2500.0); }},
        {"zero_string_does_not_convert_to_real", [] { return stringCell("0"); }, kDataReal, 0,
         DBSTATUS_E_CANTCONVERTVALUE, kDataString,
         [](CellValue const& v) { EXPECT_EQ(narrow(v.stringValue), "0"); }},
        {"text_does_not_convert_to_real", [] { return stringCell("abc"); }, kDataReal, 0,
         DBSTATUS_E_CANTCONVERTVALUE, kDataString, noCheck},
        {"huge_string_to_real_overflows", [] { return stringCell("1e999"); }, kDataReal, 0,
         DBSTATUS_E_DATAOVERFLOW, kDataString, noCheck},
        {"negative_huge_string_to_real_overflows", [] { return stringCell("-1e999"); }, kDataReal,
         0, DBSTATUS_E_DATAOVERFLOW, kDataString, noCheck},
        {"string_to_string", [] { return stringCell("abc"); }, kDataString, 3, DBSTATUS_S_OK,
         kDataString, [](CellValue const& v) { EXPECT_EQ(narrow(v.stringValue), "abc"); }},
        {"string_to_string_truncated", [] { return stringCell("abcd"); }, kDataString, 3,
         DBSTATUS_S_TRUNCATED, kDataString,
         [](CellValue const& v) { EXPECT_EQ(narrow(v.stringValue), "abcd"); }},
        {"string_to_date", [] { return stringCell("2008-09-13"); }, kDataDateTime, 0,
         DBSTATUS_E_CANTCONVERTVALUE, kDataString, noCheck},
        {"string_to_variant", [] { return stringCell("na\xc3\xafve"); }, kDataVariant, 0,
         DBSTATUS_S_OK, kDataVariant,
         [](CellValue const& v) {
             ASSERT_EQ(v.variantValue.vt, VT_BSTR);
             EXPECT_EQ(PovaString(v.variantValue.bstrVal), PovaString("na\xc3\xafve"));
             EXPECT_NE(v.variantValue.bstrVal, v.stringValue.c_str());
         }},
        // From date.
        {"date_to_int", [] { return dateCell(39704.5); }, kDataInteger, 0,
         DBSTATUS_E_CANTCONVERTVALUE, kDataDateTime, noCheck},
        {"date_to_real", [] { return dateCell(39704.5); }, kDataReal, 0,
         DBSTATUS_E_CANTCONVERTVALUE, kDataDateTime, noCheck},
        {"date_to_string", [] { return dateCell(39704.5); }, kDataString, 100,
         DBSTATUS_E_CANTCONVERTVALUE, kDataDateTime, noCheck},
        {"date_to_date", [] { return dateCell(39704.5); }, kDataDateTime, 0, DBSTATUS_S_OK,
         kDataDateTime, [](CellValue const& v) { EXPECT_EQ(v.dateValue, 39704.5); }},
        {"date_to_variant", [] { return dateCell(39704.5); }, kDataVariant, 0, DBSTATUS_S_OK,
         kDataVariant,
         [](CellValue const& v) {
             EXPECT_EQ(v.variantValue.vt, VT_DATE);
             EXPECT_EQ(v.variantValue.date, 39704.5);
         }},
        // From variant: a converted variant is consumed (cleared).
        {"bstr_variant_to_int", [] { return variantCell(basekit::Variant(u"17")); }, kDataInteger,
         0, DBSTATUS_S_OK, kDataInteger,
         [](CellValue const& v) {
             EXPECT_EQ(v.longValue, 17);
             EXPECT_EQ(v.variantValue.vt, VT_EMPTY);
         }},
        {"text_variant_to_int_fails_and_keeps_it",
         [] { return variantCell(basekit::Variant(u"seventeen")); }, kDataInteger, 0,
         DBSTATUS_E_CANTCONVERTVALUE, kDataVariant,
         [](CellValue const& v) { EXPECT_EQ(v.variantValue.vt, VT_BSTR); }},
        {"int_variant_to_real", [] { return variantCell(basekit::Variant(LONG{3})); }, kDataReal, 0,
         DBSTATUS_S_OK, kDataReal,
         [](CellValue const& v) {
             EXPECT_EQ(v.doubleValue, 3.0);
             EXPECT_EQ(v.variantValue.vt, VT_EMPTY);
         }},
        {"real_variant_to_string", [] { return variantCell(basekit::Variant(2.5)); }, kDataString,
         3, DBSTATUS_S_OK, kDataString,
         [](CellValue const& v) {
             EXPECT_EQ(narrow(v.stringValue), "2.5");
             EXPECT_EQ(v.variantValue.vt, VT_EMPTY);
         }},
        {"bstr_variant_to_string_truncated", [] { return variantCell(basekit::Variant(u"hello")); },
         kDataString, 4, DBSTATUS_S_TRUNCATED, kDataString,
         [](CellValue const& v) { EXPECT_EQ(narrow(v.stringValue), "hello"); }},
        {"real_variant_to_date", [] { return variantCell(basekit::Variant(39704.25)); },
         kDataDateTime, 0, DBSTATUS_S_OK, kDataDateTime,
         [](CellValue const& v) {
             EXPECT_EQ(v.dateValue, 39704.25);
             EXPECT_EQ(v.variantValue.vt, VT_EMPTY);
         }},
        {"variant_to_variant", [] { return variantCell(basekit::Variant(u"kept")); }, kDataVariant,
         0, DBSTATUS_S_OK, kDataVariant,
         [](CellValue const& v) {
             ASSERT_EQ(v.variantValue.vt, VT_BSTR);
             EXPECT_EQ(PovaString(v.variantValue.bstrVal), PovaString("kept"));
         }},
        // Type 0 on either side, and a type outside the enumeration.
        {"none_to_int", [] { return CellValue(); }, kDataInteger, 0, DBSTATUS_E_CANTCONVERTVALUE,
         kDataNone, noCheck},
        {"none_to_variant", [] { return CellValue(); }, kDataVariant, 0,
         DBSTATUS_E_CANTCONVERTVALUE, kDataNone, noCheck},
        {"int_to_none", [] { return integerCell(1); }, kDataNone, 0, DBSTATUS_E_CANTCONVERTVALUE,
         kDataInteger, noCheck},
        {"variant_to_none", [] { return variantCell(basekit::Variant(LONG{1})); }, kDataNone, 0,
         DBSTATUS_E_CANTCONVERTVALUE, kDataVariant,
         [](CellValue const& v) { EXPECT_EQ(v.variantValue.vt, VT_I4); }},
        {"int_to_unknown_type", [] { return integerCell(1); }, static_cast<DataType>(6), 0,
         DBSTATUS_E_CANTCONVERTVALUE, kDataInteger, noCheck},
    };
    return all;
}

class ConvertData : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ConvertData, FollowsTheConversionTable) {
    Case const& c = cases()[GetParam()];
    OwnedCell cell{c.make()};
    EXPECT_EQ(RowsetHelper::convert_data(cell.value, c.to, c.maxLength), c.status);
    EXPECT_EQ(cell.value.type, c.typeAfter);
    c.check(cell.value);
}

INSTANTIATE_TEST_SUITE_P(Table, ConvertData, ::testing::Range<std::size_t>(0, cases().size()),
                         [](auto const& info) { return std::string(cases()[info.param].name); });

// Every pair the helper calls unsupported fails with "can't convert"; every supported pair
// converts a sample value of the source type.
TEST(ConvertData, AgreesWithIsConversionSupported) {
    auto sample = [](DataType from) -> CellValue {
        switch (from) {
            case kDataInteger:
                return integerCell(12);
            case kDataReal:
                return realCell(12.5);
            case kDataString:
                return stringCell("12");
            case kDataDateTime:
                return dateCell(12.0);
            case kDataVariant:
                return variantCell(basekit::Variant(LONG{12}));
            default:
                return CellValue();
        }
    };
    for (int from = 0; from <= 6; ++from) {
        for (int to = 0; to <= 6; ++to) {
            OwnedCell cell{sample(static_cast<DataType>(from))};
            DBSTATUS const status =
                RowsetHelper::convert_data(cell.value, static_cast<DataType>(to), 100);
            bool const supported = RowsetHelper::is_conversion_supported(
                static_cast<DataType>(from), static_cast<DataType>(to));
            EXPECT_EQ(status == DBSTATUS_E_CANTCONVERTVALUE, !supported)
                << "from " << from << " to " << to;
            if (supported) {
                EXPECT_EQ(cell.value.type, to) << "from " << from << " to " << to;
            }
        }
    }
}

TEST(ConvertData, ChainedConversionsRoundTripThroughAVariant) {
    OwnedCell cell{stringCell("123.25")};
    ASSERT_EQ(RowsetHelper::convert_data(cell.value, kDataVariant, 0), DBSTATUS_S_OK);
    ASSERT_EQ(RowsetHelper::convert_data(cell.value, kDataReal, 0), DBSTATUS_S_OK);
    EXPECT_EQ(cell.value.doubleValue, 123.25);
    EXPECT_EQ(cell.value.variantValue.vt, VT_EMPTY);
    ASSERT_EQ(RowsetHelper::convert_data(cell.value, kDataString, 6), DBSTATUS_S_OK);
    EXPECT_EQ(cell.value.stringValue, PovaString("123.25"));
}

TEST(GetLength, ByType) {
    EXPECT_EQ(RowsetHelper::get_length(integerCell(1)), 4u);
    EXPECT_EQ(RowsetHelper::get_length(realCell(1)), 8u);
    EXPECT_EQ(RowsetHelper::get_length(dateCell(1)), 8u);
    EXPECT_EQ(RowsetHelper::get_length(stringCell("")), 0u);
    EXPECT_EQ(RowsetHelper::get_length(stringCell("n\xc3\xa4me")), 4u);  // characters, not bytes
    CellValue variant;
    variant.type = kDataVariant;
    EXPECT_EQ(RowsetHelper::get_length(variant), 16u);
    EXPECT_EQ(RowsetHelper::get_length(CellValue()), 0u);
}

TEST(CellValue, DefaultsAndCopiesTheVariantBitsOnly) {
    CellValue const empty;
    EXPECT_EQ(empty.type, kDataNone);
    EXPECT_EQ(empty.longValue, 0);
    EXPECT_EQ(empty.doubleValue, 0.0);
    EXPECT_EQ(empty.dateValue, 0.0);
    EXPECT_TRUE(empty.stringValue.empty());
    EXPECT_EQ(empty.variantValue.vt, VT_EMPTY);

    OwnedCell owner{variantCell(basekit::Variant(u"shared"))};
    CellValue const copy = owner.value;
    EXPECT_EQ(copy.variantValue.bstrVal, owner.value.variantValue.bstrVal);
}

}  // namespace
