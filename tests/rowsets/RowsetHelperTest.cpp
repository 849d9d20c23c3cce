#include <pova/common/RowsetHelper.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

using common::Binding;
using common::ColumnInfoBase;
using common::RowsetHelper;
using namespace ZELT_o;  // the DataType values

namespace {

TEST(ConvertDatatype, EveryDbtypeMapsByTheTable) {
    std::map<DBTYPE, DataType> const table = {
        {2, kDataInteger},    {3, kDataInteger},    {11, kDataInteger},   {16, kDataInteger},
        {17, kDataInteger},   {18, kDataInteger},   {19, kDataInteger},   {20, kDataInteger},
        {21, kDataInteger},   {72, kDataInteger},   {4, kDataReal},       {5, kDataReal},
        {14, kDataReal},      {131, kDataReal},     {8, kDataString},     {129, kDataString},
        {130, kDataString},   {7, kDataDateTime},   {64, kDataDateTime},  {132, kDataDateTime},
        {133, kDataDateTime}, {134, kDataDateTime}, {135, kDataDateTime}, {12, kDataVariant},
    };
    for (unsigned type = 0; type <= 0xFFFF; ++type) {
        auto const it = table.find(static_cast<DBTYPE>(type));
        DataType const expected = it == table.end() ? kDataNone : it->second;
        ASSERT_EQ(RowsetHelper::convert_datatype(static_cast<DBTYPE>(type)), expected)
            << "DBTYPE " << type;
    }
}

TEST(ConvertDatatype, DataTypeToDbtype) {
    EXPECT_EQ(RowsetHelper::convert_datatype(kDataNone), DBTYPE_EMPTY);
    EXPECT_EQ(RowsetHelper::convert_datatype(kDataInteger), DBTYPE_I4);
    EXPECT_EQ(RowsetHelper::convert_datatype(kDataReal), DBTYPE_R4);
    EXPECT_EQ(RowsetHelper::convert_datatype(kDataString), DBTYPE_WSTR);
    EXPECT_EQ(RowsetHelper::convert_datatype(kDataDateTime), DBTYPE{132});
    EXPECT_EQ(RowsetHelper::convert_datatype(kDataVariant), DBTYPE_VARIANT);
    EXPECT_EQ(RowsetHelper::convert_datatype(static_cast<DataType>(6)), DBTYPE_EMPTY);
    EXPECT_EQ(RowsetHelper::convert_datatype(static_cast<DataType>(-1)), DBTYPE_EMPTY);
}

TEST(ConvertBinding, CarriesEveryMemberBothWays) {
    DBBINDING in{};
    in.iOrdinal = 3;
    in.obValue = 16;
    in.obLength = 8;
    in.obStatus = 4;
    in.dwPart = DBPART_VALUE | DBPART_STATUS;
    in.dwMemOwner = DBMEMOWNER_PROVIDEROWNED;
    in.cbMaxLen = 255;
    in.wType = DBTYPE_R8;
    in.bPrecision = 15;
    in.bScale = 2;

    Binding const binding = RowsetHelper::convert_binding(in);
    EXPECT_EQ(binding.getColumn(), 3u);
    EXPECT_EQ(binding.getType(), kDataReal);
    EXPECT_EQ(binding.getPart(), DBPART_VALUE | DBPART_STATUS);
    EXPECT_EQ(binding.getValueOffset(), 16u);
    EXPECT_EQ(binding.getLengthOffset(), 8u);
    EXPECT_EQ(binding.getStatusOffset(), 4u);
    EXPECT_EQ(binding.getMemOwner(), DBMEMOWNER_PROVIDEROWNED);
    EXPECT_EQ(binding.getMaxLength(), 255u);
    EXPECT_EQ(binding.getPrecision(), 15);
    EXPECT_EQ(binding.getScale(), 2);

    DBBINDING const out = RowsetHelper::convert_binding(binding);
    EXPECT_EQ(out.iOrdinal, in.iOrdinal);
    EXPECT_EQ(out.obValue, in.obValue);
    EXPECT_EQ(out.obLength, in.obLength);
    EXPECT_EQ(out.obStatus, in.obStatus);
    EXPECT_EQ(out.dwPart, in.dwPart);
    EXPECT_EQ(out.dwMemOwner, in.dwMemOwner);
    EXPECT_EQ(out.cbMaxLen, in.cbMaxLen);
    EXPECT_EQ(out.bPrecision, in.bPrecision);
    EXPECT_EQ(out.bScale, in.bScale);
    // The type goes through DataType: R8 comes back as the real type's DBTYPE.
    EXPECT_EQ(out.wType, DBTYPE_R4);
    EXPECT_EQ(out.pTypeInfo, nullptr);
    EXPECT_EQ(out.pObject, nullptr);
    EXPECT_EQ(out.pBindExt, nullptr);
}

TEST(Binding, PartFlagsRoundTripAndIgnoreOtherBits) {
    for (DBPART part = 0; part < 8; ++part) {
        Binding b;
        b.setPart(part | 0x10);
        EXPECT_EQ(b.getPart(), part);
        EXPECT_EQ(b.bindsValue(), (part & 1) != 0);
        EXPECT_EQ(b.bindsLength(), (part & 2) != 0);
        EXPECT_EQ(b.bindsStatus(), (part & 4) != 0);
    }
}

TEST(ConvertColumninfo, FromDbcolumninfo) {
    DBCOLUMNINFO in{};
    char16_t name[] = u"Sales";
    in.pwszName = name;
    in.iOrdinal = 4;
    in.wType = DBTYPE_WSTR;
    ColumnInfoBase const column = RowsetHelper::convert_columninfo(in);
    EXPECT_EQ(column.getName(), PovaString("Sales"));
    EXPECT_EQ(column.getOrdinal(), 4);
    EXPECT_EQ(column.getType(), kDataString);

    in.pwszName = nullptr;
    EXPECT_TRUE(RowsetHelper::convert_columninfo(in).getName().empty());
}

TEST(ConvertColumninfo, ToDbcolumninfoRoundTrips) {
    ColumnInfoBase const column(u"Unit Price", 2, kDataReal);
    basekit::Bstr name;
    DBCOLUMNINFO const out = RowsetHelper::convert_columninfo(column, name);
    ASSERT_NE(out.pwszName, nullptr);
    EXPECT_EQ(out.pwszName, name.get());
    EXPECT_EQ(PovaString(out.pwszName), PovaString("Unit Price"));
    EXPECT_EQ(out.iOrdinal, 2u);
    EXPECT_EQ(out.wType, DBTYPE_R4);
    EXPECT_EQ(out.dwFlags, DBCOLUMNFLAGS_ISFIXEDLENGTH);
    EXPECT_EQ(out.ulColumnSize, 8u);
    EXPECT_EQ(out.bPrecision, 8);
    EXPECT_EQ(out.bScale, 6);
    EXPECT_EQ(out.columnid.eKind, DBKIND_PROPID);
    EXPECT_EQ(out.columnid.uName.ulPropid, 2u);

    ColumnInfoBase const back = RowsetHelper::convert_columninfo(out);
    EXPECT_EQ(back.getName(), column.getName());
    EXPECT_EQ(back.getOrdinal(), column.getOrdinal());
    EXPECT_EQ(back.getType(), column.getType());
}

TEST(IsConversionSupported, Matrix) {
    // Rows: from 0..5, columns: to 0..5.
    bool const expected[6][6] = {
        {false, false, false, false, false, false},  // none
        {false, true, true, true, false, true},      // integer
        {false, true, true, true, false, true},      // real
        {false, true, true, true, false, true},      // string
        {false, false, false, false, true, true},    // date
        {false, true, true, true, true, true},       // variant
    };
    for (int from = 0; from < 6; ++from) {
        for (int to = 0; to < 6; ++to) {
            EXPECT_EQ(RowsetHelper::is_conversion_supported(static_cast<DataType>(from),
                                                            static_cast<DataType>(to)),
                      expected[from][to])
                << from << " -> " << to;
        }
    }
    EXPECT_FALSE(RowsetHelper::is_conversion_supported(kDataVariant, static_cast<DataType>(6)));
    EXPECT_FALSE(RowsetHelper::is_conversion_supported(static_cast<DataType>(6), kDataVariant));
}

TEST(Validation, PartNeedsTwoOfTheThreeBits) {
    bool const expected[8] = {false, false, false, true, false, true, true, true};
    for (DBPART part = 0; part < 8; ++part) {
        EXPECT_EQ(RowsetHelper::is_part_valid(part), expected[part]) << part;
        // Bits outside the three parts count for nothing.
        EXPECT_EQ(RowsetHelper::is_part_valid(part | 0x8), expected[part]) << part;
    }
}

TEST(Validation, TypeValidity) {
    struct {
        DBTYPE type;
        bool valid;
    } const cases[] = {
        {DBTYPE_EMPTY, false},
        {DBTYPE_NULL, false},
        {DBTYPE_I2, true},
        {DBTYPE_I4, true},
        {DBTYPE_WSTR, true},
        {DBTYPE_BYREF, true},
        {DBTYPE_BYREF | DBTYPE_I2, true},
        {DBTYPE_BYREF | DBTYPE_WSTR, true},
        // By reference together with bit 0x0001, the reserved bit, an array or a vector.
        {DBTYPE_BYREF | DBTYPE_NULL, false},
        {DBTYPE_BYREF | DBTYPE_I4, false},
        {DBTYPE_BYREF | DBTYPE_RESERVED | DBTYPE_I2, false},
        {DBTYPE_BYREF | DBTYPE_ARRAY | DBTYPE_I2, false},
        {DBTYPE_BYREF | DBTYPE_VECTOR | DBTYPE_I2, false},
        // The reserved bit, an array or a vector alone are fine; array and vector together not.
        {DBTYPE_RESERVED | DBTYPE_I2, true},
        {DBTYPE_ARRAY | DBTYPE_I4, true},
        {DBTYPE_VECTOR | DBTYPE_I4, true},
        {DBTYPE_ARRAY | DBTYPE_VECTOR | DBTYPE_I4, false},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(RowsetHelper::is_type_valid(c.type), c.valid) << std::hex << c.type;
    }
}

TEST(Validation, MemOwner) {
    EXPECT_TRUE(RowsetHelper::is_memowner_valid(DBMEMOWNER_CLIENTOWNED));
    EXPECT_TRUE(RowsetHelper::is_memowner_valid(DBMEMOWNER_PROVIDEROWNED));
    EXPECT_FALSE(RowsetHelper::is_memowner_valid(2));
    EXPECT_FALSE(RowsetHelper::is_memowner_valid(0xFFFFFFFF));
}

// Each class of types is exactly the listed set among all 16-bit codes.
TEST(Validation, TypeClassesAreExactSets) {
    struct {
        char const* name;
        bool (*test)(DBTYPE);
        std::set<DBTYPE> members;
    } const classes[] = {
        {"pointer", RowsetHelper::is_pointer_type, {9, 12, 13, 129, 130}},
        {"string", RowsetHelper::is_string_type, {8, 12, 129, 130}},
        {"variable length", RowsetHelper::is_variable_length, {128, 129, 130, 139}},
    };
    for (auto const& c : classes) {
        for (unsigned type = 0; type <= 0xFFFF; ++type) {
            ASSERT_EQ(c.test(static_cast<DBTYPE>(type)),
                      c.members.count(static_cast<DBTYPE>(type)) == 1)
                << c.name << " " << type;
        }
    }
}

TEST(TypeMatches, BstrAndByReferenceRules) {
    struct {
        DBTYPE binding;
        DBTYPE column;
        bool matches;
    } const cases[] = {
        // A BSTR binding reads only a BSTR column.
        {DBTYPE_BSTR, DBTYPE_BSTR, true},
        {DBTYPE_BSTR, DBTYPE_WSTR, false},
        {DBTYPE_BSTR, DBTYPE_BSTR | DBTYPE_BYREF, false},
        // Other bindings by value read anything, a BSTR column included.
        {DBTYPE_WSTR, DBTYPE_BSTR, true},
        {DBTYPE_I4, DBTYPE_WSTR, true},
        {DBTYPE_VARIANT, DBTYPE_DATE, true},
        // A by-reference binding needs the same base type, with or without the bit.
        {DBTYPE_WSTR | DBTYPE_BYREF, DBTYPE_WSTR, true},
        {DBTYPE_WSTR | DBTYPE_BYREF, DBTYPE_WSTR | DBTYPE_BYREF, true},
        {DBTYPE_WSTR | DBTYPE_BYREF, DBTYPE_STR, false},
        {DBTYPE_WSTR | DBTYPE_BYREF, DBTYPE_STR | DBTYPE_BYREF, false},
        {DBTYPE_BSTR | DBTYPE_BYREF, DBTYPE_BSTR, true},
        {DBTYPE_I4 | DBTYPE_BYREF, DBTYPE_I2, false},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(RowsetHelper::type_matches(c.binding, c.column), c.matches)
            << std::hex << c.binding << " / " << c.column;
    }
}

}  // namespace
