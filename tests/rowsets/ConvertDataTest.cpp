#include <pova/common/RowsetHelper.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <limits>
#include <ostream>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

using common::RowsetHelper;
using namespace ZELT_o;  // the DataType values

namespace {

constexpr DBSTATUS kOk = DBSTATUS_S_OK, kCut = DBSTATUS_S_TRUNCATED,
                   kCant = DBSTATUS_E_CANTCONVERTVALUE, kOver = DBSTATUS_E_DATAOVERFLOW;
constexpr DataType kNone = kDataNone, kInt = kDataInteger, kReal = kDataReal, kStr = kDataString,
                   kDate = kDataDateTime, kVar = kDataVariant;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A cell to convert: 'n' none, 'i' integer, 'r' real, 's' string, 'd' date; a variant holding
// 'I' an I4, 'R' an R8 or 'B' a BSTR.
struct Source {
    char kind;
    double number = 0;
    char const* text = "";
};

// A cell value whose variant, if any, is cleared at the end of the test: CellValue itself
// never owns it.
struct OwnedCell {
    explicit OwnedCell(Source const& s) {
        CellValue& v = value;
        v.type = static_cast<DataType>(
            std::min<std::size_t>(std::string_view("nirsd").find(s.kind), kVar));
        // Only the member of the cell's type is set, so that a conversion must write its result.
        v.longValue = s.kind == 'i' ? static_cast<LONG>(s.number) : 0;
        v.doubleValue = s.kind == 'r' ? s.number : 0.0;
        v.dateValue = s.kind == 'd' ? s.number : 0.0;
        v.stringValue = s.kind == 's' ? s.text : "";
        if (v.type == kVar) {
            v.variantValue = (s.kind == 'I'   ? basekit::Variant(LONG(s.number))
                              : s.kind == 'R' ? basekit::Variant(s.number)
                                              : basekit::Variant(PovaString(s.text).c_str()))
                                 .detach();
        }
    }
    ~OwnedCell() { VariantClear(&value.variantValue); }
    CellValue value;
};

std::string number(double value) {
    char buffer[32];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

// The value as text by its type; a variant is written "vt:value" and, beside a value of another
// type, shows that it was not consumed.
std::string render(CellValue const& v) {
    VARIANT const& x = v.variantValue;
    std::string const variant = x.vt == VT_I4     ? "I4:" + std::to_string(x.lVal)
                                : x.vt == VT_R8   ? "R8:" + number(x.dblVal)
                                : x.vt == VT_DATE ? "DATE:" + number(x.date)
                                : x.vt == VT_BSTR ? "BSTR:" + PovaString(x.bstrVal).string()
                                                  : "";
    std::string const value = v.type == kDataInteger    ? std::to_string(v.longValue)
                              : v.type == kDataReal     ? number(v.doubleValue)
                              : v.type == kDataString   ? v.stringValue.string()
                              : v.type == kDataDateTime ? number(v.dateValue)
                                                        : "";
    return v.type == kDataVariant ? variant : variant.empty() ? value : value + " +" + variant;
}

struct Case {
    char const* name;
    Source from;
    DataType to;
    ULONG maxLength;
    DBSTATUS status;
    DataType typeAfter;
    char const* after;  // render() of the value after the conversion
    friend void PrintTo(Case const& c, std::ostream* os) { *os << c.name; }
};

// One row per conversion, source type by source type. On an error the value is unchanged; a
// converted variant is consumed (cleared).
Case const kCases[] = {
    {"int_to_int", {'i', -42}, kInt, 0, kOk, kInt, "-42"},
    {"int_to_real", {'i', -42}, kReal, 0, kOk, kReal, "-42"},
    {"int_to_string", {'i', -42}, kStr, 3, kOk, kStr, "-42"},
    {"int_to_string_truncated", {'i', -42}, kStr, 2, kCut, kStr, "-42"},
    {"int_to_variant", {'i', 7}, kVar, 0, kOk, kVar, "I4:7"},
    {"real_to_int_truncates", {'r', 2.9}, kInt, 0, kCut, kInt, "2"},
    {"negative_real_to_int_toward_zero", {'r', -2.9}, kInt, 0, kCut, kInt, "-2"},
    {"whole_real_to_int_still_truncated", {'r', 3.0}, kInt, 0, kCut, kInt, "3"},
    {"huge_real_to_int_overflows", {'r', 1e20}, kInt, 0, kOver, kReal, "1e+20"},
    {"nan_to_int_overflows", {'r', kNaN}, kInt, 0, kOver, kReal, "nan"},
    {"real_to_real", {'r', 1.5}, kReal, 0, kOk, kReal, "1.5"},
    {"real_to_string_ten_digits", {'r', 3.14159265358979}, kStr, 100, kOk, kStr, "3.141592654"},
    {"real_to_string_exponent", {'r', 12345678901234.0}, kStr, 100, kOk, kStr, "1.23456789e+13"},
    {"real_to_string_truncated", {'r', 0.25}, kStr, 3, kCut, kStr, "0.25"},
    {"real_to_variant", {'r', -0.5}, kVar, 0, kOk, kVar, "R8:-0.5"},
    {"string_to_int", {'s', 0, " -17"}, kInt, 0, kOk, kInt, "-17"},
    {"string_to_int_reads_leading_digits", {'s', 0, "12abc"}, kInt, 0, kOk, kInt, "12"},
    {"non_numeric_string_to_int_is_zero", {'s', 0, "abc"}, kInt, 0, kOk, kInt, "0"},
    {"long_string_to_int_overflows", {'s', 0, "99999999999"}, kInt, 0, kOver, kStr, "99999999999"},
    {"string_to_real", {'s', 0, "2.5e3"}, kReal, 0, kOk, kReal, "2500"},
    {"zero_string_does_not_convert_to_real", {'s', 0, "0"}, kReal, 0, kCant, kStr, "0"},
    {"text_does_not_convert_to_real", {'s', 0, "abc"}, kReal, 0, kCant, kStr, "abc"},
    {"huge_string_to_real_overflows", {'s', 0, "1e999"}, kReal, 0, kOver, kStr, "1e999"},
    {"negative_huge_string_to_real_overflows", {'s', 0, "-1e999"}, kReal, 0, kOver, kStr, "-1e999"},
    {"string_to_string", {'s', 0, "abc"}, kStr, 3, kOk, kStr, "abc"},
    {"string_to_string_truncated", {'s', 0, "abcd"}, kStr, 3, kCut, kStr, "abcd"},
    {"string_to_variant", {'s', 0, "na\xc3\xafve"}, kVar, 0, kOk, kVar, "BSTR:na\xc3\xafve"},
    {"date_to_date", {'d', 39704.5}, kDate, 0, kOk, kDate, "39704.5"},
    {"date_to_variant", {'d', 39704.5}, kVar, 0, kOk, kVar, "DATE:39704.5"},
    {"bstr_variant_to_int", {'B', 0, "17"}, kInt, 0, kOk, kInt, "17"},
    {"text_variant_to_int_keeps_it", {'B', 0, "seventeen"}, kInt, 0, kCant, kVar, "BSTR:seventeen"},
    {"int_variant_to_real", {'I', 3}, kReal, 0, kOk, kReal, "3"},
    {"real_variant_to_string", {'R', 2.5}, kStr, 3, kOk, kStr, "2.5"},
    {"bstr_variant_to_string_truncated", {'B', 0, "hello"}, kStr, 4, kCut, kStr, "hello"},
    {"real_variant_to_date", {'R', 39704.25}, kDate, 0, kOk, kDate, "39704.25"},
    {"variant_to_variant", {'B', 0, "kept"}, kVar, 0, kOk, kVar, "BSTR:kept"},
};

class ConvertData : public ::testing::TestWithParam<Case> {};

TEST_P(ConvertData, FollowsTheConversionTable) {
    Case const& c = GetParam();
    OwnedCell cell(c.from);
    EXPECT_EQ(RowsetHelper::convert_data(cell.value, c.to, c.maxLength), c.status);
    EXPECT_EQ(cell.value.type, c.typeAfter);
    EXPECT_EQ(render(cell.value), c.after);
    if (cell.value.variantValue.vt == VT_BSTR) {  // a string becomes a BSTR of its own
        EXPECT_NE(cell.value.variantValue.bstrVal, cell.value.stringValue.c_str());
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ConvertData, ::testing::ValuesIn(kCases),
                         [](auto const& info) { return std::string(info.param.name); });

// The supported pairs ('x'), rows from none to variant, columns to none .. variant; type 6 is
// outside the enumeration. Every unsupported pair fails with "can't convert" and leaves the
// value alone, every supported one converts a sample of its source type.
TEST(ConvertData, ExactlyTheSupportedPairsConvert) {
    char const* const supported[] = {"......", ".xxx.x", ".xxx.x", ".xxx.x", "....xx", ".xxxxx"};
    Source const samples[] = {{'n'}, {'i', 12}, {'r', 12.5}, {'s', 0, "12"}, {'d', 12}, {'I', 12}};
    for (int from = 0; from <= 6; ++from) {
        for (int to = 0; to <= 6; ++to) {
            bool const expected = from < 6 && to < 6 && supported[from][to] == 'x';
            DataType const target = static_cast<DataType>(to);
            EXPECT_EQ(RowsetHelper::is_conversion_supported(static_cast<DataType>(from), target),
                      expected)
                << from << " to " << to;
            OwnedCell cell(from < 6 ? samples[from] : Source{'n'});
            std::string const before = render(cell.value);
            EXPECT_EQ(RowsetHelper::convert_data(cell.value, target, 100) == kCant, !expected)
                << from << " to " << to;
            EXPECT_EQ(cell.value.type, expected ? target : static_cast<DataType>(from % 6));
            if (!expected) {
                EXPECT_EQ(render(cell.value), before) << from << " to " << to;
            }
        }
    }
}

TEST(ConvertData, ChainedConversionsRoundTripThroughAVariant) {
    OwnedCell cell({'s', 0, "123.25"});
    ASSERT_EQ(RowsetHelper::convert_data(cell.value, kDataVariant, 0), kOk);
    ASSERT_EQ(RowsetHelper::convert_data(cell.value, kDataReal, 0), kOk);
    EXPECT_EQ(render(cell.value), "123.25");
    ASSERT_EQ(RowsetHelper::convert_data(cell.value, kDataString, 6), kOk);
    EXPECT_EQ(cell.value.stringValue, PovaString("123.25"));
}

// A string's length is counted in characters, not bytes.
TEST(GetLength, ByType) {
    std::pair<Source, ULONG> const cases[] = {{{'i', 1}, 4},
                                              {{'r', 1}, 8},
                                              {{'d', 1}, 8},
                                              {{'s', 0, ""}, 0},
                                              {{'s', 0, "n\xc3\xa4me"}, 4},
                                              {{'I', 1}, 16},
                                              {{'n'}, 0}};
    for (auto const& [value, length] : cases) {
        EXPECT_EQ(RowsetHelper::get_length(OwnedCell(value).value), length) << value.kind;
    }
}

// A cell starts empty; copying it copies the variant's bits, not the value it points to.
TEST(CellValue, DefaultsAndCopiesTheVariantBitsOnly) {
    CellValue const empty;
    EXPECT_EQ(std::make_tuple(empty.type, empty.longValue, empty.doubleValue, empty.dateValue,
                              empty.stringValue.string(), empty.variantValue.vt),
              std::make_tuple(kNone, 0, 0.0, 0.0, "", VT_EMPTY));
    OwnedCell owner({'B', 0, "shared"});
    CellValue const copy = owner.value;
    EXPECT_EQ(copy.variantValue.bstrVal, owner.value.variantValue.bstrVal);
}

}  // namespace
