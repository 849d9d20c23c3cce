#include "foundation/CountedProbe.h"

#include <basekit/BaseError.h>
#include <gtest/gtest.h>
#include <pova/PropertySpecification.h>
#include <pova/common/SessionUtilities.h>

#include <cmath>
#include <initializer_list>
#include <limits>

namespace {

using foundation_test::LegacyProbe;
using foundation_test::ModernProbe;
using ZELT_o::PropertySpecification;

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

// The specification takes over the variants (and one reference of each object argument).
PropertySpecification spec(char const* name, std::initializer_list<VARIANT> args,
                           std::initializer_list<PropertySpecification::ArgumentType> types = {}) {
    PropertySpecification s;
    s.name = name;
    s.operation = ZELT_o::kPropertyOperationValue;
    s.CreateArray(static_cast<int>(args.size()));
    for (std::size_t i = 0; i < args.size(); ++i) {
        s.arguments[i] = args.begin()[i];
        s.argumentTypes[i] =
            i < types.size() ? types.begin()[i] : PropertySpecification::kPlainValue;
    }
    return s;
}

TEST(PropertySpecification, DefaultHasNoOperationNorArgumentsAndEqualsAnother) {
    PropertySpecification a;
    EXPECT_EQ(a.operation, -1);
    EXPECT_EQ(a.argumentCount, 0);
    EXPECT_EQ(a.arguments, nullptr);
    EXPECT_TRUE(a == PropertySpecification());
    EXPECT_EQ(hashValue(a), hashValue(PropertySpecification()));
}

// One row: CompareTwoVariants, equality of one-argument specifications and their hashes agree.
TEST(PropertySpecification, ValueEqualityAndHashAgree) {
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
    EXPECT_NE(spec("p", {}), spec("q", {}));
    EXPECT_NE(spec("p", {}), spec("p", {of(VT_EMPTY)}));
}

TEST(PropertySpecification, CopiesCountObjectArgumentsAndRefuseValuesByReference) {
    auto* legacy = new LegacyProbe;
    auto* modern = new ModernProbe;
    legacy->addRef();
    modern->addRef();
    {
        PropertySpecification a = spec(
            "p", {of(VT_BYREF), of(VT_BYREF), text(u"x")},
            {PropertySpecification::kLegacyCountedObject, PropertySpecification::kCountedObject});
        a.arguments[0].byref = static_cast<support::LegacyRefCount*>(legacy);
        a.arguments[1].byref = static_cast<support::RefCount*>(modern);
        PropertySpecification b = a;
        EXPECT_EQ(legacy->getRefCount(), 3);
        EXPECT_EQ(modern->getRefCount(), 3);
        EXPECT_TRUE(a == b);
        EXPECT_EQ(hashValue(a), hashValue(b));
        b = PropertySpecification();
        EXPECT_EQ(modern->getRefCount(), 2);

        PropertySpecification bad = a;
        VariantClear(&bad.arguments[2]);
        bad.arguments[2] = of(VT_BYREF | VT_I4);
        EXPECT_THROW(
            try { PropertySpecification copy(bad); } catch (ResultError const& e) {
                EXPECT_EQ(e.result(), E_UNEXPECTED);
                throw;
            },
            ResultError);
        EXPECT_EQ(legacy->getRefCount(), 3);
    }
    EXPECT_EQ(legacy->release(), 0);
    EXPECT_EQ(modern->release(), 0);
}

}  // namespace
