#include "support/AssertionCounter.h"

#include <pova/common/Accessor.h>
#include <pova/common/ColumnInfoBase.h>
#include <pova/common/RowBase.h>
#include <pova/common/RowsetProperties.h>
#include <pova/support/Ref.h>

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using common::Accessor;
using common::Binding;
using common::ColumnInfoBase;
using common::RowBase;
using common::RowsetProperties;
using testing_support::AssertionCounter;
using namespace ZELT_o;  // the DataType values

namespace {

TEST(ColumnInfoBase, DescriptionFollowsTheType) {
    DBLENGTH const unlimited = std::numeric_limits<DBLENGTH>::max();
    // Type, then flags, size, precision and scale of its description.
    std::tuple<DataType, DBCOLUMNFLAGS, DBLENGTH, BYTE, BYTE> const cases[] = {
        {kDataNone, 16, 0, 255, 255},     {kDataInteger, 16, 4, 255, 255},
        {kDataReal, 16, 8, 8, 6},         {kDataString, 0, unlimited, 255, 255},
        {kDataDateTime, 16, 8, 255, 255}, {kDataVariant, 16, 0, 255, 255},
    };
    for (auto const& [type, flags, size, precision, scale] : cases) {
        ColumnInfoBase const column(u"c", 9, type);
        DBID const id = column.getID();
        EXPECT_EQ(std::make_tuple(column.getFlags(), column.getSize(), column.getPrecision(),
                                  column.getScale(), id.eKind, id.uName.ulPropid),
                  std::make_tuple(flags, size, precision, scale, DBKIND_PROPID, 9u))
            << type;
    }
}

// Accessors are numbered in order of creation; the client count starts at 1 and does not
// govern the object's life.
TEST(Accessor, NamedNumberedAndClientCounted) {
    LONG const next = Accessor::peekNextInstance();
    auto first = support::adopt(new Accessor());
    auto second = support::adopt(new Accessor());
    EXPECT_EQ(first->getName(), PovaString("Accessor"));
    EXPECT_EQ(std::make_pair(first->getInstance(), second->getInstance()),
              std::make_pair(next, next + 1));
    EXPECT_EQ(first->addClientReference(), 2);
    EXPECT_EQ(first->removeClientReference(), 1);
    EXPECT_EQ(first->removeClientReference(), 0);
    EXPECT_EQ(first->getRefCount(), 1);
}

// Bindings are kept in order and handed out as copies; a bad position is reported and gives a
// default binding.
TEST(Accessor, KeepsBindingsInOrderAndHandsOutCopies) {
    auto accessor = support::adopt(new Accessor());
    accessor->setFlags(DBACCESSOR_ROWDATA);
    EXPECT_EQ(accessor->getFlags(), DBACCESSOR_ROWDATA);
    for (ULONG column = 1; column <= 3; ++column) {
        Binding b;
        b.setColumn(column);
        b.setPart(DBPART_VALUE);
        accessor->addBinding(b);
    }
    ASSERT_EQ(accessor->getBindingCount(), 3);
    Binding copy = accessor->getBinding(1);
    EXPECT_EQ(copy.getColumn(), 2u);
    copy.setColumn(99);
    EXPECT_EQ(accessor->getBinding(1).getColumn(), 2u);

    AssertionCounter assertions;
    for (LONG position : {-1, 3, std::numeric_limits<LONG>::max()}) {
        Binding const got = accessor->getBinding(position);
        EXPECT_EQ(std::make_tuple(got.getColumn(), got.getType(), got.getPart()),
                  std::make_tuple(0u, kDataNone, DBPART_INVALID));
    }
    EXPECT_EQ(assertions.count("nPos >= 0 && nPos < (Int)fBindings.size( )"), 3u);
    ASSERT_FALSE(assertions.reports().empty());
    EXPECT_NE(assertions.reports().front().file.find("accessor"), std::string::npos);
}

// Values are kept in column order; a bad column is reported and gives an empty value.
TEST(RowBase, KeepsValuesInColumnOrder) {
    auto row = support::adopt(new RowBase(12));
    EXPECT_EQ(row->getOrdinal(), 12);
    row->setOrdinal(13);
    EXPECT_EQ(row->getOrdinal(), 13);
    for (LONG n : {10, 20, 30}) {
        CellValue v;
        v.type = kDataInteger;
        v.longValue = n;
        v.stringValue = "x";
        row->addDatum(v);
    }
    ASSERT_EQ(row->getDatumCount(), 3);
    EXPECT_EQ(row->getDatum(2).longValue, 30);
    EXPECT_EQ(row->getDatum(0).type, kDataInteger);
    EXPECT_EQ(row->addClientReference(), 2);
    EXPECT_EQ(row->removeClientReference(), 1);

    AssertionCounter assertions;
    for (LONG column : {-1, 3}) {
        CellValue const got = row->getDatum(column);
        EXPECT_EQ(std::make_tuple(got.type, got.stringValue.string(), got.variantValue.vt),
                  std::make_tuple(kDataNone, "", VT_EMPTY));
    }
    EXPECT_EQ(assertions.count("nColumn >= 0 && nColumn < (Int) fData.size( )"), 2u);
    EXPECT_NE(assertions.reports().front().file.find("rowbase"), std::string::npos);
}

// 'T' true, 'F' false, 'E' empty, '0' integer zero; '?' anything else.
char kindOf(VARIANT const& v) {
    return v.vt == VT_EMPTY                    ? 'E'
           : v.vt == VT_I4 && v.lVal == 0      ? '0'
           : v.vt == VT_BOOL && v.boolVal == 1 ? 'T'
           : v.vt == VT_BOOL && v.boolVal == 0 ? 'F'
                                               : '?';
}

TEST(RowsetProperties, DefaultListInOrder) {
    std::vector<std::pair<DBPROPID, char>> const expected = {
        {121, 'T'}, {202, 'F'}, {122, 'T'}, {123, 'F'}, {124, 'F'}, {194, 'T'}, {203, 'F'},
        {136, 'F'}, {217, 'F'}, {257, 'F'}, {126, 'T'}, {127, 'F'}, {204, 'F'}, {128, 'F'},
        {159, 'F'}, {129, 'T'}, {130, 'F'}, {249, 'F'}, {133, 'F'}, {134, 'F'}, {212, 'F'},
        {137, 'F'}, {138, 'F'}, {139, 'F'}, {135, 'F'}, {13, 'F'},  {232, '0'}, {14, 'F'},
        {15, 'F'},  {16, 'E'},  {17, 'F'},  {18, 'F'},  {19, 'T'},  {21, 'F'},  {33, 'F'},
        {34, '0'},  {42, 'F'},  {258, '0'}, {67, 'F'},  {68, 'T'},  {71, '0'},  {73, '0'},
        {78, '0'},  {87, 'F'},  {88, 'F'},  {89, 'F'},  {90, 'F'},  {99, 'T'},  {102, 'F'},
        {189, 'F'}, {104, 'F'}, {201, '0'}, {119, 'T'}, {238, 'F'}, {117, '0'},
    };
    RowsetProperties const properties;
    std::vector<std::pair<DBPROPID, char>> actual;
    for (int i = 0; i < properties.getCount(); ++i) {
        auto const [id, value] = properties.getProperty(i);
        actual.emplace_back(id, kindOf(*value));
    }
    EXPECT_EQ(actual, expected);
    // Lookup by identifier; an unknown one answers empty.
    std::pair<DBPROPID, char> const lookups[] = {{121, 'T'}, {117, '0'}, {16, 'E'}, {1, 'E'}};
    for (auto [id, kind] : lookups) {
        EXPECT_EQ(kindOf(*properties.getPropertyValue(id)), kind) << id;
    }
    AssertionCounter assertions;
    auto const [id, value] = properties.getProperty(properties.getCount());
    EXPECT_EQ(std::make_tuple(id, value.type(), assertions.count()),
              std::make_tuple(0u, VT_EMPTY, 1u));
}

// A provider's own list: its additions follow the defaults, and an identifier already in the
// list keeps answering with its first value.
class ProviderProperties : public RowsetProperties {
public:
    ProviderProperties() {
        add_property(DBPROP_UPDATABILITY, *basekit::Variant(LONG{4}));
        add_property(999, *basekit::Variant(u"provider text"));
        add_property(121, *basekit::Variant(false));
    }
};

TEST(RowsetProperties, DerivedListsAppendOwnedValues) {
    ProviderProperties const properties;
    EXPECT_EQ(properties.getCount(), RowsetProperties().getCount() + 3);
    basekit::Variant const text = properties.getPropertyValue(999);
    ASSERT_EQ(text.type(), VT_BSTR);
    EXPECT_EQ(PovaString(text->bstrVal), PovaString("provider text"));
    EXPECT_EQ(properties.getPropertyValue(121)->boolVal, 1);
    // Copies of the list own their values.
    ProviderProperties copy = properties;
    EXPECT_NE(copy.getPropertyValue(999)->bstrVal, nullptr);
}

}  // namespace
