// memcube::MemViewpoint: memcube's derived viewpoint. It turns its viewpoint's current layout
// into a memcube::Layout and has the cube compute it.
#pragma once

#include <memcube/Layout.h>
#include <pova/support/Ref.h>
#include <provkit/ViewpointBase.h>

#include <mutex>
#include <optional>
#include <vector>

namespace ZELT_o {
class Dimension;
class Member;
class MemberSet;
class Viewpoint;
}  // namespace ZELT_o

namespace memcube {

class DeferredResultSet;
class MemCube;

class MemViewpoint final : public common::ViewpointBase {
public:
    explicit MemViewpoint(common::ViewpointCommon& viewpoint);
    ~MemViewpoint() override;

    // A new result set of the current layout with one reference for the caller; null while
    // the viewpoint has no memcube cube. Errors of the layout are thrown as ResultErrors.
    ZELT_o::ViewResultSet* query(std::vector<ZELT_o::PropertySpecification>* properties) override;
    // True when the current layout is too large (or not valid) to compute. Asked on every
    // layout change, so it is answered by canEvaluate.
    bool isInError() const override;
    // Forgets the result of the last query, which no longer stands for the viewpoint.
    void viewpointChanged() override;
    // The statement of the cube's fact source's last aggregate; "" for a cube without one. The
    // last query's result is computed first if it was not yet, so that the statement is its.
    PovaString retrieveLastQuery(std::vector<ZELT_o::PropertySpecification>* properties) override;

    // The layout a query computes: view axes of type View become result axes; the dimensions
    // of slice axes (and of paged axes shown as View) give their slices; hidden and excluded
    // axes give nothing, so their dimensions take their default members.
    static Layout layoutOf(ZELT_o::Viewpoint& viewpoint);
    // The answer of cube.canEvaluate(layoutOf(viewpoint)), found from the sizes of the active
    // member sets without copying their members or allocating.
    static bool canEvaluate(MemCube& cube, ZELT_o::Viewpoint& viewpoint);

private:
    // Where the active member set and slice of a dimension come from.
    static ZELT_o::MemberSet* active_set(ZELT_o::Viewpoint& viewpoint,
                                         ZELT_o::Dimension& dimension);
    static ZELT_o::Member* active_slice(ZELT_o::Viewpoint& viewpoint, ZELT_o::Dimension& dimension);
    // canEvaluate's answer, or nothing when the sizes alone cannot tell (a member set of
    // another provider, or more dimensions than it keeps track of).
    static std::optional<bool> check_sizes(MemCube& cube, ZELT_o::Viewpoint& viewpoint);

    // Makes `pending` the last query's result; returns the one it replaced.
    support::Ref<DeferredResultSet> replace_pending(support::Ref<DeferredResultSet> pending);

    // The viewpoint's cube when it is memcube's, else null. Not counted: the viewpoint
    // destroys its derived viewpoint whenever its cube changes or goes away.
    MemCube* fCube;
    // The last query's result while its cells are not computed and the viewpoint unchanged.
    // Queries may come from several threads.
    std::mutex fPendingMutex;
    support::Ref<DeferredResultSet> fPending;  // Guarded by fPendingMutex.
};

}  // namespace memcube
