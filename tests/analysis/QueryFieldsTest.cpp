#include "foundation/CountedProbe.h"
#include "support/Threads.h"

#include <basekit/BaseError.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pova/PropertySpecification.h>
#include <pova/common/QueryFieldsDataCommon.h>
#include <pova/common/SessionUtilities.h>
#include <pova/support/Ref.h>

#include <limits>
#include <string>

namespace {

using namespace foundation_test;
using ZELT_o::PropertySpecification;
using ZELT_o::QueryFieldsData;
using Fields = support::Ref<ZELT_o::QueryFieldsDataCommon>;

Fields fields(QueryFieldsData* parent = nullptr) {
    return support::adopt(new ZELT_o::QueryFieldsDataCommon(parent));
}
template <class Error>
auto throwsCode(char const* code) {
    return testing::ThrowsMessage<Error>(testing::HasSubstr(code));
}
ZELT_o::PropertyOperation op(LONG n) {
    return static_cast<ZELT_o::PropertyOperation>(n);
}

VARIANT of(VARTYPE vt, LONGLONG bits = 0) {
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    v.llVal = bits;
    return v;
}
VARIANT real(double d) {
    VARIANT v = of(VT_R8);
    v.dblVal = d;
    return v;
}
VARIANT text(char16_t const* s) {
    VARIANT v = of(VT_BSTR);
    v.bstrVal = s == nullptr ? nullptr : SysAllocString(s);
    return v;
}

// A property request takes over the variants (and one reference of each object argument).
PropertySpecification spec(char const* name, std::initializer_list<VARIANT> args,
                           std::initializer_list<PropertySpecification::ArgumentType> types = {}) {
    PropertySpecification s;
    s.name = name;
    s.CreateArray(static_cast<int>(args.size()));
    for (std::size_t i = 0; i < args.size(); ++i) {
        s.arguments[i] = args.begin()[i];
        s.argumentTypes[i] =
            i < types.size() ? types.begin()[i] : PropertySpecification::kPlainValue;
    }
    return s;
}

// One row: CompareTwoVariants, equality of one-argument specifications and their hashes agree.
TEST(PropertySpecification, ValueEqualityAndHashAgree) {
    PropertySpecification const none;
    EXPECT_EQ(none.operation, -1);
    EXPECT_EQ(none.argumentCount, 0);
    EXPECT_TRUE(none == PropertySpecification());
    EXPECT_EQ(hashValue(none), hashValue(PropertySpecification()));
    double const nan = std::numeric_limits<double>::quiet_NaN();
    struct Row {
        VARIANT a, b;
        bool equal;
    } const rows[] = {
        {of(VT_I4, 1), real(1.0), false},    {of(VT_NULL), of(VT_NULL), true},
        {of(VT_NULL), of(VT_I4), false},     {of(VT_EMPTY), of(VT_EMPTY), true},
        {of(VT_I4, 1), of(VT_I4, 1), true},  {of(VT_I4, 1), of(VT_I4, 0x700000001), true},
        {of(VT_I2, 1), of(VT_I4, 1), false}, {of(VT_BOOL, -1), of(VT_BOOL, -1), true},
        {of(VT_CY, 5), of(VT_CY, 6), false}, {of(VT_DATE), real(0), false},
        {real(0.0), real(-0.0), true},       {real(nan), real(-nan), true},
        {text(u"ab"), text(u"ab"), true},    {text(u"ab"), text(u"AB"), false},
        {text(nullptr), text(u""), true},    {of(VT_UI8, 7), of(VT_UI8, 8), false},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(testing::Message() << row.a.vt << " vs " << row.b.vt);
        EXPECT_EQ(common::CompareTwoVariants(row.a, row.b), row.equal);
        // The specifications take over the row's values.
        std::vector<PropertySpecification> const a{spec("p", {row.a})};
        std::vector<PropertySpecification> const b{spec("p", {row.b})};
        EXPECT_EQ(a == b, row.equal);
        EXPECT_EQ(a[0] != b[0], !row.equal);
        if (row.equal) {
            EXPECT_EQ(hashValue(a), hashValue(b));
        }
    }
}

TEST(PropertySpecification, CopiesCountObjectArgumentsAndRefuseValuesByReference) {
    auto* legacy = new LegacyProbe;  // both handed to `a`
    auto* modern = new ModernProbe;
    {
        PropertySpecification a = spec(
            "p", {of(VT_BYREF), of(VT_BYREF), text(u"x")},
            {PropertySpecification::kLegacyCountedObject, PropertySpecification::kCountedObject});
        a.arguments[0].byref = static_cast<support::LegacyRefCount*>(legacy);
        a.arguments[1].byref = static_cast<support::RefCount*>(modern);
        PropertySpecification b = a;
        EXPECT_EQ(legacy->getRefCount(), 2);
        EXPECT_EQ(modern->getRefCount(), 2);
        EXPECT_TRUE(a == b);
        EXPECT_EQ(hashValue(a), hashValue(b));
        b = PropertySpecification();
        EXPECT_EQ(modern->getRefCount(), 1);

        PropertySpecification bad = a;
        VariantClear(&bad.arguments[2]);
        bad.arguments[2] = of(VT_BYREF | VT_I4);
        EXPECT_THAT([&] { PropertySpecification copy(bad); },
                    throwsCode<ResultError>("0x8000FFFF"));
        EXPECT_EQ(legacy->getRefCount(), 2);
    }
    EXPECT_EQ(gLive<support::LegacyRefCount> + gLive<support::RefCount>, 0);
}

TEST(QueryFields, ChainKeepsTheFirstSpecificationOfEachNameAndReadsUpward) {
    Fields const root = fields();
    Fields const child = fields(root.get());
    root->AddProperty("a", op(1), nullptr, 0);
    root->AddProperty("a", op(2), nullptr, 0);
    child->AddProperty("a", op(3), nullptr, 0);
    child->AddProperty("b", op(4), nullptr, 0);
    EXPECT_EQ(root->Count(), 1);
    EXPECT_EQ(child->Count(), 1);
    EXPECT_EQ(child->GetProperty("a").specification.operation, 1);
    EXPECT_EQ(child->GetPropertyName(0), "b");
    EXPECT_THAT([&] { (void)child->GetPropertyName(1); }, throwsCode<ResultError>("0x80070057"));
    EXPECT_THAT([&] { (void)child->GetProperty("zz"); }, throwsCode<BaseError>("0xC2018006"));
    EXPECT_TRUE(child->RemoveProperty("b"));
    EXPECT_FALSE(child->RemoveProperty("b"));
}

TEST(QueryFields, ObjectArgumentsAreCountedAndMergeRefusesConflicts) {
    support::Ref<ModernProbe> const probe = support::adopt(new ModernProbe);
    QueryFieldsData::VarHolder args[2] = {
        {QueryFieldsData::VarHolder::kCountedObject, of(VT_BYREF)},
        {QueryFieldsData::VarHolder::kValue, of(VT_I4, 7)}};
    args[0].value.byref = static_cast<support::RefCount*>(probe.get());
    Fields const mine = fields();
    Fields const theirs = fields();
    mine->AddProperty("p", op(0), args, 2);
    theirs->AddProperty("p", op(0), args, 1);
    theirs->AddProperty("q", op(0), nullptr, 0);
    EXPECT_EQ(probe->getRefCount(), 3);
    EXPECT_THAT([&] { mine->Merge(*theirs); }, throwsCode<BaseError>("0xC2018002"));
    EXPECT_EQ(mine->Count(), 1);
    theirs->RemoveProperty("p");
    mine->Merge(*theirs);
    EXPECT_EQ(mine->Count(), 2);
    mine->Clear();
    EXPECT_EQ(probe->getRefCount(), 1);
}

// Adding to a child and its parent at once: the child-first locking must not deadlock.
TEST(QueryFieldsThreads, AddingToChildAndParentAtOnce) {
    Fields const root = fields();
    Fields const child = fields(root.get());
    testing_support::runTogether(4, [&](int t) {
        for (int i = 0; i < 200; ++i) {
            (t % 2 == 0 ? child : root)->AddProperty(std::to_string(i % 50), op(t), nullptr, 0);
        }
    });
    EXPECT_EQ(root->Count(), 50);
}

}  // namespace
