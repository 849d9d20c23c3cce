#include "support/AssertionCounter.h"

#include <pova/common/Accessor.h>
#include <pova/common/ColumnInfoBase.h>
#include <pova/common/RowBase.h>
#include <pova/common/RowsetProperties.h>
#include <pova/support/Ref.h>

#include <gtest/gtest.h>

#include <limits>
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
    struct {
        DataType type;
        DBCOLUMNFLAGS flags;
        DBLENGTH size;
        BYTE precision, scale;
    } const cases[] = {
        {kDataNone, 16, 0, 255, 255},     {kDataInteger, 16, 4, 255, 255},
        {kDataReal, 16, 8, 8, 6},         {kDataString, 0, unlimited, 255, 255},
        {kDataDateTime, 16, 8, 255, 255}, {kDataVariant, 16, 0, 255, 255},
    };
    for (auto const& c : cases) {
        ColumnInfoBase const column(u"c", 9, c.type);
        EXPECT_EQ(column.getFlags(), c.flags) << c.type;
        EXPECT_EQ(column.getSize(), c.size) << c.type;
        EXPECT_EQ(column.getPrecision(), c.precision) << c.type;
        EXPECT_EQ(column.getScale(), c.scale) << c.type;
        DBID const id = column.getID();
        EXPECT_EQ(id.eKind, DBKIND_PROPID);
        EXPECT_EQ(id.uName.ulPropid, 9u);
    }
}

TEST(Accessor, NamedAccessorAndNumberedInOrder) {
    LONG const next = Accessor::peekNextInstance();
    auto first = support::adopt(new Accessor());
    auto second = support::adopt(new Accessor());
    EXPECT_EQ(first->getName(), PovaString("Accessor"));
    EXPECT_EQ(first->getInstance(), next);
    EXPECT_EQ(second->getInstance(), next + 1);
    EXPECT_EQ(first->getRefCount(), 1);
}

TEST(Accessor, ClientCountStartsAtOne) {
    auto accessor = support::adopt(new Accessor());
    EXPECT_EQ(accessor->addClientReference(), 2);
    EXPECT_EQ(accessor->removeClientReference(), 1);
    EXPECT_EQ(accessor->removeClientReference(), 0);
    // The client count does not govern the object's life.
    EXPECT_EQ(accessor->getRefCount(), 1);
}

TEST(Accessor, KeepsBindingsInOrderAndHandsOutCopies) {
    auto accessor = support::adopt(new Accessor());
    accessor->setFlags(DBACCESSOR_ROWDATA);
    EXPECT_EQ(accessor->getFlags(), DBACCESSOR_ROWDATA);
    for (ULONG column = 1; column <= 3; ++column) {
        Binding b;
        b.setColumn(column);
        accessor->addBinding(b);
    }
    ASSERT_EQ(accessor->getBindingCount(), 3);
    Binding copy = accessor->getBinding(1);
    EXPECT_EQ(copy.getColumn(), 2u);
    copy.setColumn(99);
    EXPECT_EQ(accessor->getBinding(1).getColumn(), 2u);
}

TEST(Accessor, BadPositionIsReportedAndGivesADefaultBinding) {
    auto accessor = support::adopt(new Accessor());
    Binding b;
    b.setColumn(5);
    b.setPart(DBPART_VALUE);
    accessor->addBinding(b);
    AssertionCounter assertions;
    for (LONG position : {-1, 1, std::numeric_limits<LONG>::max()}) {
        Binding const got = accessor->getBinding(position);
        EXPECT_EQ(got.getColumn(), 0u);
        EXPECT_EQ(got.getType(), kDataNone);
        EXPECT_EQ(got.getPart(), DBPART_INVALID);
    }
    EXPECT_EQ(assertions.count("nPos >= 0 && nPos < (Int)fBindings.size( )"), 3u);
    ASSERT_FALSE(assertions.reports().empty());
    EXPECT_NE(assertions.reports().front().file.find("accessor"), std::string::npos);
}

TEST(RowBase, KeepsValuesInColumnOrder) {
    auto row = support::adopt(new RowBase(12));
    EXPECT_EQ(row->getOrdinal(), 12);
    row->setOrdinal(13);
    EXPECT_EQ(row->getOrdinal(), 13);
    for (LONG n : {10, 20, 30}) {
        CellValue v;
        v.type = kDataInteger;
        v.longValue = n;
        row->addDatum(v);
    }
    ASSERT_EQ(row->getDatumCount(), 3);
    EXPECT_EQ(row->getDatum(2).longValue, 30);
    EXPECT_EQ(row->getDatum(0).type, kDataInteger);
    EXPECT_EQ(row->addClientReference(), 2);
    EXPECT_EQ(row->removeClientReference(), 1);
}

TEST(RowBase, BadColumnIsReportedAndGivesAnEmptyValue) {
    auto row = support::adopt(new RowBase());
    CellValue v;
    v.type = kDataString;
    v.stringValue = "x";
    row->addDatum(v);
    AssertionCounter assertions;
    for (LONG column : {-1, 1}) {
        CellValue const got = row->getDatum(column);
        EXPECT_EQ(got.type, kDataNone);
        EXPECT_TRUE(got.stringValue.empty());
        EXPECT_EQ(got.variantValue.vt, VT_EMPTY);
    }
    EXPECT_EQ(assertions.count("nColumn >= 0 && nColumn < (Int) fData.size( )"), 2u);
    EXPECT_NE(assertions.reports().front().file.find("rowbase"), std::string::npos);
}

// What the default list holds, in order: 'T' true, 'F' false, 'E' empty, '0' integer zero.
struct Expected {
    DBPROPID id;
    char value;
};
std::vector<Expected> const kDefaultList = {
    {121, 'T'}, {202, 'F'}, {122, 'T'}, {123, 'F'}, {124, 'F'}, {194, 'T'}, {203, 'F'}, {136, 'F'},
    {217, 'F'}, {257, 'F'}, {126, 'T'}, {127, 'F'}, {204, 'F'}, {128, 'F'}, {159, 'F'}, {129, 'T'},
    {130, 'F'}, {249, 'F'}, {133, 'F'}, {134, 'F'}, {212, 'F'}, {137, 'F'}, {138, 'F'}, {139, 'F'},
    {135, 'F'}, {13, 'F'},  {232, '0'}, {14, 'F'},  {15, 'F'},  {16, 'E'},  {17, 'F'},  {18, 'F'},
    {19, 'T'},  {21, 'F'},  {33, 'F'},  {34, '0'},  {42, 'F'},  {258, '0'}, {67, 'F'},  {68, 'T'},
    {71, '0'},  {73, '0'},  {78, '0'},  {87, 'F'},  {88, 'F'},  {89, 'F'},  {90, 'F'},  {99, 'T'},
    {102, 'F'}, {189, 'F'}, {104, 'F'}, {201, '0'}, {119, 'T'}, {238, 'F'}, {117, '0'},
};

void expectValue(VARIANT const& v, char kind, DBPROPID id) {
    switch (kind) {
        case 'T':
            EXPECT_EQ(v.vt, VT_BOOL) << id;
            EXPECT_EQ(v.boolVal, 1) << id;
            break;
        case 'F':
            EXPECT_EQ(v.vt, VT_BOOL) << id;
            EXPECT_EQ(v.boolVal, 0) << id;
            break;
        case 'E':
            EXPECT_EQ(v.vt, VT_EMPTY) << id;
            break;
        default:
            EXPECT_EQ(v.vt, VT_I4) << id;
            EXPECT_EQ(v.lVal, 0) << id;
            break;
    }
}

TEST(RowsetProperties, DefaultListInOrder) {
    RowsetProperties const properties;
    ASSERT_EQ(properties.getCount(), static_cast<int>(kDefaultList.size()));
    for (int i = 0; i < properties.getCount(); ++i) {
        auto const [id, value] = properties.getProperty(i);
        EXPECT_EQ(id, kDefaultList[static_cast<std::size_t>(i)].id) << "position " << i;
        expectValue(*value, kDefaultList[static_cast<std::size_t>(i)].value, id);
    }
}

TEST(RowsetProperties, LookupByIdentifier) {
    RowsetProperties const properties;
    basekit::Variant const accessor = properties.getPropertyValue(121);
    EXPECT_EQ(accessor.type(), VT_BOOL);
    EXPECT_EQ(accessor->boolVal, 1);
    EXPECT_EQ(properties.getPropertyValue(117).type(), VT_I4);
    EXPECT_EQ(properties.getPropertyValue(16).type(), VT_EMPTY);
    EXPECT_EQ(properties.getPropertyValue(1).type(), VT_EMPTY);
}

TEST(RowsetProperties, BadPositionIsReportedAndGivesAnEmptyPair) {
    RowsetProperties const properties;
    AssertionCounter assertions;
    auto const [id, value] = properties.getProperty(properties.getCount());
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(value.type(), VT_EMPTY);
    EXPECT_EQ(assertions.count(), 1u);
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
    EXPECT_EQ(properties.getCount(), static_cast<int>(kDefaultList.size()) + 3);
    basekit::Variant const text = properties.getPropertyValue(999);
    ASSERT_EQ(text.type(), VT_BSTR);
    EXPECT_EQ(PovaString(text->bstrVal), PovaString("provider text"));
    EXPECT_EQ(properties.getPropertyValue(121)->boolVal, 1);
    // Copies of the list own their values.
    ProviderProperties copy = properties;
    EXPECT_NE(copy.getPropertyValue(999)->bstrVal, nullptr);
}

}  // namespace
