// memcube::MemViewpoint: memcube's derived viewpoint. It turns its viewpoint's current layout
// into a memcube::Layout and has the cube compute it.
#pragma once

#include <memcube/Layout.h>
#include <provkit/ViewpointBase.h>

#include <vector>

namespace ZELT_o {
class Dimension;
class Member;
class Viewpoint;
}  // namespace ZELT_o

namespace memcube {

class MemViewpoint final : public common::ViewpointBase {
public:
    explicit MemViewpoint(common::ViewpointCommon& viewpoint);

    // A new result set of the current layout with one reference for the caller; null while
    // the viewpoint has no memcube cube. Errors of the layout are thrown as ResultErrors.
    ZELT_o::ViewResultSet* query(std::vector<ZELT_o::PropertySpecification>* properties) override;
    // True when the current layout is too large (or not valid) to compute.
    bool isInError() const override;

    // The layout a query computes: view axes of type View become result axes; the dimensions
    // of slice axes (and of paged axes shown as View) give their slices; hidden and excluded
    // axes give nothing, so their dimensions take their default members.
    static Layout layoutOf(ZELT_o::Viewpoint& viewpoint);

private:
    // Where the active member set and slice of a dimension come from.
    static std::vector<ZELT_o::Member*> active_set(ZELT_o::Viewpoint& viewpoint,
                                                   ZELT_o::Dimension& dimension);
    static ZELT_o::Member* active_slice(ZELT_o::Viewpoint& viewpoint, ZELT_o::Dimension& dimension);
};

}  // namespace memcube
