/// @struct ZELT_o::PropertySpecification
/// One property request of a query (a name, an operation and
/// typed arguments). A list of them is what a viewpoint is queried with and the key of its
/// result cache, so equality and hashing are defined here, together.
///
/// A specification owns its arrays and one reference per object argument: whoever stores an
/// object argument in it by hand hands it one reference. Copies are deep and take their own
/// references. A specification is a value: one thread at a time may use an instance.
#pragma once

#include <basekit/OleAuto.h>
#include <basekit/PovaString.h>
#include <pova/Types.h>
#include <pova/pova_export.h>

#include <cstddef>
#include <memory>
#include <vector>

namespace ZELT_o {

/// What a property request does with its property; the provider gives the values meaning.
enum PropertyOperation : LONG {
    kPropertyOperationNone = -1,
    kPropertyOperationValue = 0,
    kPropertyOperationFormatted = 1,
    kPropertyOperationMemberProperty = 2,
    kPropertyOperationComputed = 3,
};

struct POVA_API PropertySpecification {
    /// How an argument is held. The object forms are VT_BYREF variants whose byref is the
    /// object's pointer converted from exactly the named base (not from a derived class), so
    /// that it can be counted through a void pointer.
    enum ArgumentType : LONG {
        kLegacyCountedObject = 0,  ///< byref is a support::LegacyRefCount*
        kCountedObject = 1,        ///< byref is a support::RefCount*
        kPlainValue = 2,           ///< any other variant, owned by the property request
    };

    /// The property's name.
    PovaString name;
    /// What is asked of the property.
    PropertyOperation operation = kPropertyOperationNone;
    /// The number of arguments.
    LONG argumentCount = 0;
    std::unique_ptr<VARIANT[]> arguments;           ///< null when there are none
    std::unique_ptr<ArgumentType[]> argumentTypes;  ///< argumentCount long, like arguments

    PropertySpecification() = default;
    ///@{
    /// Deep copy. Throws the result E_UNEXPECTED for a plain value held by reference or an
    /// object argument that is not VT_BYREF, the failing result when a value cannot be copied;
    /// `other` is not changed and nothing is leaked then.
    /// Deep copy (or move). Copying throws the result E_UNEXPECTED for a plain value held by
    /// reference or an object argument that is not VT_BYREF, the failing result when a value cannot
    /// be copied; `other` is not changed and nothing is leaked then.
    PropertySpecification(PropertySpecification const& other);
    PropertySpecification& operator=(PropertySpecification const& other);
    PropertySpecification(PropertySpecification&& other) noexcept;
    PropertySpecification& operator=(PropertySpecification&& other) noexcept;
    ///@}
    ~PropertySpecification();

    /// Drops the present arguments, then makes n empty plain-value arguments (none for 0).
    /// Throws the result E_INVALIDARG for a negative n.
    void CreateArray(int n);
    /// Releases each object argument once, clears each value and frees both arrays.
    void DestroyArray();

    ///@{
    /// Same operation, count and name, and per argument the same type, the same object for
    /// object arguments, and equal values by common::CompareTwoVariants for the others.
    bool operator==(PropertySpecification const& other) const;
    bool operator!=(PropertySpecification const& other) const { return !(*this == other); }
    ///@}

    friend void swap(PropertySpecification& a, PropertySpecification& b) noexcept;
};

/// Hashes consistent with operator==: equal specifications, and equal lists (same order), hash
/// alike. They allocate nothing.
POVA_API std::size_t hashValue(PropertySpecification const& specification);
POVA_API std::size_t hashValue(std::vector<PropertySpecification> const& specifications);

}  // namespace ZELT_o
