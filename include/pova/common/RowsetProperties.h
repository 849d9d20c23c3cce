/// @class common::RowsetProperties
/// The rowset properties a provider reports, as (DBPROPID, value)
/// pairs in the rowset property group. The default constructor fills in the default list;
/// derived classes append their own with add_property.
///
/// The values are owned (copied in, deep-copied out), so a property may hold a BSTR.
#pragma once

#include <basekit/OleAuto.h>
#include <basekit/OleDb.h>
#include <pova/pova_export.h>

#include <utility>
#include <vector>

namespace common {

class POVA_API RowsetProperties {
public:
    /// A property identifier and its value.
    using Property = std::pair<DBPROPID, basekit::Variant>;

    /// The default list.
    RowsetProperties();
    ///@{
    /// The list is a value: copies are deep.
    RowsetProperties(RowsetProperties const&) = default;
    RowsetProperties& operator=(RowsetProperties const&) = default;
    ///@}
    virtual ~RowsetProperties();

    /// The number of properties.
    int getCount() const { return static_cast<int>(fProperties.size()); }
    /// The i-th pair. Outside 0 .. count - 1 the position is reported as an assertion and the
    /// pair (0, empty) is returned.
    Property getProperty(int i) const;
    /// The value of the first pair with that identifier; an empty variant when there is none.
    basekit::Variant getPropertyValue(DBPROPID id) const;

protected:
    /// Appends a copy of `value`.
    void add_property(DBPROPID id, VARIANT const& value);
    /// Appends the default list.
    void init_property_values();

private:
    std::vector<Property> fProperties;
    // The values the default list is made of.
    basekit::Variant fTrue;
    basekit::Variant fFalse;
    basekit::Variant fEmpty;
    basekit::Variant fZero;
};

}  // namespace common
