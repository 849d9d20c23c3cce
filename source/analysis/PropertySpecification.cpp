#include <pova/PropertySpecification.h>

#include <basekit/BaseError.h>
#include <pova/common/SessionUtilities.h>
#include <pova/support/LegacyRefCount.h>
#include <pova/support/RefCount.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string_view>
#include <utility>

namespace ZELT_o {

namespace {

using ArgumentType = PropertySpecification::ArgumentType;

bool is_object(ArgumentType type) {
    return type == PropertySpecification::kLegacyCountedObject ||
           type == PropertySpecification::kCountedObject;
}

void add_reference(ArgumentType type, void* object) {
    if (object == nullptr) {
        return;
    }
    if (type == PropertySpecification::kLegacyCountedObject) {
        static_cast<support::LegacyRefCount*>(object)->addRef();
    } else {
        static_cast<support::RefCount*>(object)->addRef();
    }
}

void drop_reference(ArgumentType type, void* object) {
    if (object == nullptr) {
        return;
    }
    if (type == PropertySpecification::kLegacyCountedObject) {
        static_cast<support::LegacyRefCount*>(object)->release();
    } else {
        static_cast<support::RefCount*>(object)->release();
    }
}

// Whether an argument can be copied: objects are VT_BYREF, plain values never are.
bool copyable(ArgumentType type, VARIANT const& value) {
    bool const byRef = (value.vt & VT_BYREF) != 0;
    if (is_object(type)) {
        return value.vt == VT_BYREF;
    }
    return type == PropertySpecification::kPlainValue && !byRef;
}

std::size_t combine(std::size_t seed, std::size_t value) {
    // The 64-bit golden-ratio mix: cheap, and spreads small integers over the word.
    return seed ^ (value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2));
}

std::size_t hash_bits(std::uint64_t bits) {
    return std::hash<std::uint64_t>{}(bits);
}

// Reals that VarCmp finds equal hash alike: -0 is +0 and every NaN is one value.
std::size_t hash_real(double value) {
    if (std::isnan(value)) {
        return hash_bits(0x7FF8000000000000ULL);
    }
    double const normalised = value + 0.0;
    std::uint64_t bits = 0;
    std::memcpy(&bits, &normalised, sizeof bits);
    return hash_bits(bits);
}

// The value enters the hash only where equal values of one type have identical bits (texts
// compare by code unit, case-sensitively); other types hash by their type alone.
std::size_t hash_value(VARIANT const& v) {
    std::size_t h = hash_bits(v.vt);
    switch (v.vt) {
        case VT_I1:
            return combine(h, hash_bits(static_cast<std::uint64_t>(v.cVal)));
        case VT_UI1:
            return combine(h, hash_bits(v.bVal));
        case VT_I2:
            return combine(h, hash_bits(static_cast<std::uint64_t>(v.iVal)));
        case VT_BOOL:
            return combine(h, hash_bits(static_cast<std::uint64_t>(v.boolVal)));
        case VT_UI2:
            return combine(h, hash_bits(v.uiVal));
        case VT_I4:
            return combine(h, hash_bits(static_cast<std::uint64_t>(v.lVal)));
        case VT_INT:
            return combine(h, hash_bits(static_cast<std::uint64_t>(v.intVal)));
        case VT_UI4:
            return combine(h, hash_bits(v.ulVal));
        case VT_UINT:
            return combine(h, hash_bits(v.uintVal));
        case VT_I8:
            return combine(h, hash_bits(static_cast<std::uint64_t>(v.llVal)));
        case VT_UI8:
            return combine(h, hash_bits(v.ullVal));
        case VT_CY:
            return combine(h, hash_bits(static_cast<std::uint64_t>(v.cyVal.int64)));
        case VT_R4:
            return combine(h, hash_real(v.fltVal));
        case VT_R8:
            return combine(h, hash_real(v.dblVal));
        case VT_DATE:
            return combine(h, hash_real(v.date));
        case VT_BSTR: {
            // A null BSTR is the empty text.
            std::u16string_view const text(v.bstrVal == nullptr ? u"" : v.bstrVal,
                                           SysStringLen(v.bstrVal));
            return combine(h, std::hash<std::u16string_view>{}(text));
        }
        default:
            return h;
    }
}

}  // namespace

PropertySpecification::PropertySpecification(PropertySpecification const& other)
    : PropertySpecification() {
    // Delegating: from here a throw runs the destructor, which gives back what was taken.
    for (LONG i = 0; i < other.argumentCount; ++i) {
        if (!copyable(other.argumentTypes[i], other.arguments[i])) {
            throwResult(E_UNEXPECTED);
        }
    }
    name = other.name;
    operation = other.operation;
    CreateArray(other.argumentCount);
    for (LONG i = 0; i < argumentCount; ++i) {
        VARIANT const& from = other.arguments[i];
        ArgumentType const type = other.argumentTypes[i];
        if (is_object(type)) {
            add_reference(type, from.byref);
            arguments[i] = from;
        } else if (HRESULT const hr = VariantCopy(&arguments[i], &from); FAILED(hr)) {
            throwResult(hr);
        }
        argumentTypes[i] = type;
    }
}

PropertySpecification& PropertySpecification::operator=(PropertySpecification const& other) {
    if (this != &other) {
        PropertySpecification copy(other);
        swap(*this, copy);
    }
    return *this;
}

PropertySpecification::PropertySpecification(PropertySpecification&& other) noexcept
    : name(std::move(other.name)),
      operation(other.operation),
      argumentCount(std::exchange(other.argumentCount, 0)),
      arguments(std::move(other.arguments)),
      argumentTypes(std::move(other.argumentTypes)) {}

PropertySpecification& PropertySpecification::operator=(PropertySpecification&& other) noexcept {
    if (this != &other) {
        PropertySpecification taken(std::move(other));
        swap(*this, taken);
    }
    return *this;
}

PropertySpecification::~PropertySpecification() {
    DestroyArray();
}

void swap(PropertySpecification& a, PropertySpecification& b) noexcept {
    using std::swap;
    swap(a.name, b.name);
    swap(a.operation, b.operation);
    swap(a.argumentCount, b.argumentCount);
    swap(a.arguments, b.arguments);
    swap(a.argumentTypes, b.argumentTypes);
}

void PropertySpecification::CreateArray(int n) {
    if (n < 0) {
        throwResult(E_INVALIDARG);
    }
    DestroyArray();
    if (n == 0) {
        return;
    }
    auto values = std::make_unique<VARIANT[]>(static_cast<std::size_t>(n));
    auto types = std::make_unique<ArgumentType[]>(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        VariantInit(&values[i]);
        types[i] = kPlainValue;
    }
    arguments = std::move(values);
    argumentTypes = std::move(types);
    argumentCount = n;
}

void PropertySpecification::DestroyArray() {
    for (LONG i = 0; i < argumentCount; ++i) {
        if (is_object(argumentTypes[i])) {
            if (arguments[i].vt == VT_BYREF) {
                drop_reference(argumentTypes[i], arguments[i].byref);
            }
        } else {
            VariantClear(&arguments[i]);
        }
    }
    arguments.reset();
    argumentTypes.reset();
    argumentCount = 0;
}

bool PropertySpecification::operator==(PropertySpecification const& other) const {
    if (operation != other.operation || argumentCount != other.argumentCount ||
        name != other.name) {
        return false;
    }
    for (LONG i = 0; i < argumentCount; ++i) {
        ArgumentType const type = argumentTypes[i];
        if (type != other.argumentTypes[i]) {
            return false;
        }
        // An object is equal only to itself; its VT_BYREF form is no value VarCmp can compare.
        if (is_object(type) ? arguments[i].byref != other.arguments[i].byref
                            : !common::CompareTwoVariants(arguments[i], other.arguments[i])) {
            return false;
        }
    }
    return true;
}

std::size_t hashValue(PropertySpecification const& specification) {
    std::size_t h = std::hash<std::u16string_view>{}(specification.name.wstring());
    h = combine(h, hash_bits(static_cast<std::uint64_t>(specification.operation)));
    h = combine(h, hash_bits(static_cast<std::uint64_t>(specification.argumentCount)));
    for (LONG i = 0; i < specification.argumentCount; ++i) {
        ArgumentType const type = specification.argumentTypes[i];
        h = combine(h, hash_bits(static_cast<std::uint64_t>(type)));
        VARIANT const& value = specification.arguments[i];
        h = combine(h, is_object(type) ? std::hash<void const*>{}(value.byref) : hash_value(value));
    }
    return h;
}

std::size_t hashValue(std::vector<PropertySpecification> const& specifications) {
    std::size_t h = hash_bits(specifications.size());
    for (PropertySpecification const& specification : specifications) {
        h = combine(h, hashValue(specification));
    }
    return h;
}

}  // namespace ZELT_o
