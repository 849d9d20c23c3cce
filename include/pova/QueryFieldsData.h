/// @class ZELT_o::QueryFieldsData
/// The named property requests that shape a viewpoint's queries (one
/// collection for the cells, one per axis). Collections form a chain up to a parent collection
/// so that a property already requested higher up is not requested again.
///
/// Every operation may be called from any thread. Nothing returned holds a reference into the
/// collection: specifications and names come back as copies.
#pragma once

#include <basekit/OleAuto.h>
#include <basekit/PovaString.h>
#include <pova/PropertySpecification.h>
#include <pova/pova_export.h>
#include <pova/support/RefCount.h>

#include <vector>

namespace ZELT_o {

class POVA_API QueryFieldsData : public support::RefCount {
public:
    /// How a caller passes one argument of a property.
    struct VarHolder {
        /// How the argument is held.
        enum Kind : LONG {
            kValue = 1,                ///< `value` is the argument, copied
            kLegacyCountedObject = 2,  ///< value.byref is a support::LegacyRefCount*
            kCountedObject = 3,        ///< value.byref is a support::RefCount*
        };
        /// A Kind.
        LONG kind = kValue;
        /// The argument, or the object in value.byref.
        VARIANT value{};
    };

    /// A stored specification, as a copy: it stays valid whatever happens to the collection.
    struct Spec {
        /// The copy.
        PropertySpecification specification;
    };

    /// Adds the property unless this collection or one up the chain already has the name.
    /// `args` (may be null: no arguments) holds `count` holders; the collection takes its own
    /// references on object arguments.
    virtual void AddProperty(PovaString const& name, PropertyOperation op, VarHolder* args,
                             LONG count) = 0;
    /// The property request stored under the name here or up the chain.
    virtual Spec GetProperty(PovaString const& name) = 0;
    /// The name of the i-th entry of this collection in name order.
    virtual PovaString GetPropertyName(int index) = 0;
    /// The number of entries of this collection.
    virtual LONG Count() = 0;
    /// Replaces the vector's content with copies of this collection's specifications.
    virtual void GetProperties(std::vector<PropertySpecification>& properties) = 0;
    /// Removes the entry of that name from this collection; false when it has none.
    virtual bool RemoveProperty(PovaString const& name) = 0;
    /// Removes every entry of this collection.
    virtual void Clear() = 0;
    /// Adds the other collection's specifications to this one.
    virtual void Merge(QueryFieldsData& other) = 0;

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    QueryFieldsData(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~QueryFieldsData() override;
};

}  // namespace ZELT_o
