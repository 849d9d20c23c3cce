/// @class ZELT_o::Queryable
/// An object whose data can be queried into a result set.
#pragma once

#include <pova/Types.h>
#include <pova/pova_export.h>

#include <vector>

namespace ZELT_o {

class ViewResultSet;

class POVA_API Queryable {
public:
    /// The result set for the property list (not null; an empty list is a valid request). The
    /// caller receives one reference. May return null when the data cannot be produced.
    virtual ViewResultSet* query(std::vector<PropertySpecification>* properties) = 0;

protected:
    Queryable() = default;
    virtual ~Queryable();

public:
    Queryable(Queryable const&) = delete;
    Queryable& operator=(Queryable const&) = delete;
};

}  // namespace ZELT_o
