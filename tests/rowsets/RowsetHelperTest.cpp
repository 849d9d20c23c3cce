#include <pova/common/RowsetHelper.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <utility>

using common::Binding;
using common::ColumnInfoBase;
using common::RowsetHelper;
using namespace ZELT_o;  // the DataType values

namespace {

// Over all 16-bit codes: the DataType of each, and the exact sets of pointer, string and
// variable-length types.
TEST(ConvertDatatype, EveryDbtypeMapsByTheTables) {
    std::map<DBTYPE, DataType> const table = {
        {2, kDataInteger},    {3, kDataInteger},    {11, kDataInteger},   {16, kDataInteger},
        {17, kDataInteger},   {18, kDataInteger},   {19, kDataInteger},   {20, kDataInteger},
        {21, kDataInteger},   {72, kDataInteger},   {4, kDataReal},       {5, kDataReal},
        {14, kDataReal},      {131, kDataReal},     {8, kDataString},     {129, kDataString},
        {130, kDataString},   {7, kDataDateTime},   {64, kDataDateTime},  {132, kDataDateTime},
        {133, kDataDateTime}, {134, kDataDateTime}, {135, kDataDateTime}, {12, kDataVariant},
    };
    std::set<DBTYPE> const pointers{9, 12, 13, 129, 130}, strings{8, 12, 129, 130},
        variable{128, 129, 130, 139};
    for (unsigned code = 0; code <= 0xFFFF; ++code) {
        auto const type = static_cast<DBTYPE>(code);
        auto const it = table.find(type);
        ASSERT_EQ(RowsetHelper::convert_datatype(type), it == table.end() ? kDataNone : it->second)
            << code;
        ASSERT_EQ(RowsetHelper::is_pointer_type(type), pointers.count(type) == 1) << code;
        ASSERT_EQ(RowsetHelper::is_string_type(type), strings.count(type) == 1) << code;
        ASSERT_EQ(RowsetHelper::is_variable_length(type), variable.count(type) == 1) << code;
    }
}

TEST(ConvertDatatype, DataTypeToDbtype) {
    DBTYPE const expected[] = {DBTYPE_EMPTY, DBTYPE_I4,      DBTYPE_R4,   DBTYPE_WSTR,
                               DBTYPE{132},  DBTYPE_VARIANT, DBTYPE_EMPTY};
    for (int type = -1; type <= 6; ++type) {
        EXPECT_EQ(RowsetHelper::convert_datatype(static_cast<DataType>(type)),
                  expected[std::max(type, 0)])
            << type;
    }
}

// Every member, as a tuple that the test can compare and print.
auto members(DBBINDING const& b) {
    return std::make_tuple(b.iOrdinal, b.obValue, b.obLength, b.obStatus, b.pTypeInfo, b.pObject,
                           b.pBindExt, b.dwPart, b.dwMemOwner, b.cbMaxLen, b.wType, b.bPrecision,
                           b.bScale);
}

TEST(ConvertBinding, CarriesEveryMemberBothWays) {
    // Ordinal, offsets of value, length and status, three null pointers, part, owner, I/O,
    // maximum length, flags, type, precision, scale.
    DBPART const part = DBPART_VALUE | DBPART_STATUS;
    DBBINDING const in{
        3, 16,  8, 4,         nullptr, nullptr, nullptr, part, DBMEMOWNER_PROVIDEROWNED,
        0, 255, 0, DBTYPE_R8, 15,      2};
    Binding const binding = RowsetHelper::convert_binding(in);
    EXPECT_EQ(
        std::make_tuple(binding.getColumn(), binding.getType(), binding.getPart(),
                        binding.getValueOffset(), binding.getLengthOffset(),
                        binding.getStatusOffset(), binding.getMemOwner(), binding.getMaxLength(),
                        binding.getPrecision(), binding.getScale()),
        std::make_tuple(3u, kDataReal, part, 16u, 8u, 4u, DBMEMOWNER_PROVIDEROWNED, 255u, 15, 2));
    // The type goes through DataType: R8 comes back as the real type's DBTYPE.
    DBBINDING expected = in;
    expected.wType = DBTYPE_R4;
    EXPECT_EQ(members(RowsetHelper::convert_binding(binding)), members(expected));
}

// A part keeps the three bits; it is valid with at least two of them, and other bits count
// for nothing.
TEST(Binding, PartFlagsAndValidity) {
    bool const valid[8] = {false, false, false, true, false, true, true, true};
    for (DBPART part = 0; part < 8; ++part) {
        Binding b;
        b.setPart(part | 0x10);
        EXPECT_EQ(std::make_tuple(b.getPart(), b.bindsValue(), b.bindsLength(), b.bindsStatus()),
                  std::make_tuple(part, (part & 1) != 0, (part & 2) != 0, (part & 4) != 0));
        EXPECT_EQ(RowsetHelper::is_part_valid(part), valid[part]) << part;
        EXPECT_EQ(RowsetHelper::is_part_valid(part | 0x8), valid[part]) << part;
    }
}

auto members(ZELT_o::ColumnInfo const& column) {
    return std::make_tuple(column.getName().string(), column.getOrdinal(), column.getType());
}

TEST(ConvertColumninfo, FromDbcolumninfo) {
    char16_t name[] = u"Sales";
    DBCOLUMNINFO in{};
    in.pwszName = name;
    in.iOrdinal = 4;
    in.wType = DBTYPE_WSTR;
    EXPECT_EQ(members(RowsetHelper::convert_columninfo(in)),
              std::make_tuple("Sales", 4, kDataString));
    in.pwszName = nullptr;
    EXPECT_TRUE(RowsetHelper::convert_columninfo(in).getName().empty());
}

TEST(ConvertColumninfo, ToDbcolumninfoRoundTrips) {
    ColumnInfoBase const column(u"Unit Price", 2, kDataReal);
    basekit::Bstr name;
    DBCOLUMNINFO const out = RowsetHelper::convert_columninfo(column, name);
    ASSERT_NE(out.pwszName, nullptr);
    EXPECT_EQ(out.pwszName, name.get());
    EXPECT_EQ(
        std::make_tuple(out.iOrdinal, out.wType, out.dwFlags, out.ulColumnSize, out.bPrecision,
                        out.bScale, out.columnid.eKind, out.columnid.uName.ulPropid),
        std::make_tuple(2u, DBTYPE_R4, DBCOLUMNFLAGS_ISFIXEDLENGTH, 8u, 8, 6, DBKIND_PROPID, 2u));
    EXPECT_EQ(members(RowsetHelper::convert_columninfo(out)), members(column));
}

// By reference is refused together with bit 0x0001, the reserved bit, an array or a vector;
// the reserved bit, an array or a vector alone are fine, array and vector together not.
TEST(Validation, TypeValidity) {
    DBTYPE const byRef = DBTYPE_BYREF, array = DBTYPE_ARRAY, vector = DBTYPE_VECTOR;
    for (DBTYPE type : {DBTYPE_I2, DBTYPE_I4, DBTYPE_WSTR, byRef, DBTYPE(byRef | DBTYPE_I2),
                        DBTYPE(byRef | DBTYPE_WSTR), DBTYPE(DBTYPE_RESERVED | DBTYPE_I2),
                        DBTYPE(array | DBTYPE_I4), DBTYPE(vector | DBTYPE_I4)}) {
        EXPECT_TRUE(RowsetHelper::is_type_valid(type)) << std::hex << type;
    }
    for (DBTYPE type :
         {DBTYPE_EMPTY, DBTYPE_NULL, DBTYPE(byRef | DBTYPE_NULL), DBTYPE(byRef | DBTYPE_I4),
          DBTYPE(byRef | DBTYPE_RESERVED | DBTYPE_I2), DBTYPE(byRef | array | DBTYPE_I2),
          DBTYPE(byRef | vector | DBTYPE_I2), DBTYPE(array | vector | DBTYPE_I4)}) {
        EXPECT_FALSE(RowsetHelper::is_type_valid(type)) << std::hex << type;
    }
}

// Client-owned (0) and provider-owned (1) only.
TEST(Validation, MemOwner) {
    for (DBMEMOWNER owner : {DBMEMOWNER_CLIENTOWNED, DBMEMOWNER_PROVIDEROWNED, 2u, 0xFFFFFFFFu}) {
        EXPECT_EQ(RowsetHelper::is_memowner_valid(owner), owner < 2) << owner;
    }
}

// A BSTR binding reads only a BSTR column; other bindings by value read anything, a BSTR column
// included; a by-reference binding needs the same base type, with or without the bit.
TEST(TypeMatches, BstrAndByReferenceRules) {
    DBTYPE const bstr = DBTYPE_BSTR, wstr = DBTYPE_WSTR, bstrRef = bstr | DBTYPE_BYREF,
                 wstrRef = wstr | DBTYPE_BYREF, strRef = DBTYPE_STR | DBTYPE_BYREF,
                 i4Ref = DBTYPE_I4 | DBTYPE_BYREF;
    struct {
        DBTYPE binding, column;
        bool matches;
    } const cases[] = {
        {bstr, bstr, true},       {bstr, wstr, false},      {bstr, bstrRef, false},
        {wstr, bstr, true},       {DBTYPE_I4, wstr, true},  {DBTYPE_VARIANT, DBTYPE_DATE, true},
        {wstrRef, wstr, true},    {wstrRef, wstrRef, true}, {wstrRef, DBTYPE_STR, false},
        {wstrRef, strRef, false}, {bstrRef, bstr, true},    {i4Ref, DBTYPE_I2, false},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(RowsetHelper::type_matches(c.binding, c.column), c.matches)
            << c.binding << " / " << c.column;
    }
}

}  // namespace
