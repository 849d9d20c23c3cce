/// @file
/// Value types shared by the object API.
#pragma once

#include <basekit/WinTypes.h>

#include <compare>

namespace ZELT_o {

/// A place on a viewpoint's axes: (axis ordinal, position on that axis).
struct DimensionPosition {
    /// The axis ordinal.
    LONG axis = 0;
    /// The position on the axis, 0 outermost.
    LONG position = 0;

    friend bool operator==(DimensionPosition const&, DimensionPosition const&) = default;
};

/// How a derived viewpoint follows its base: 0 own state, 1 and 2 linked to the base.
enum LinkMode : LONG {
    kLinkOwn = 0,
    kLinkFollow = 1,
    kLinkBase = 2,
};

/// One property request of a query (its content belongs to the query-fields code).
struct PropertySpecification;

}  // namespace ZELT_o
