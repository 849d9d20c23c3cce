// ZELT_o::ViewpointListener: what a viewpoint tells its listeners. Registered listeners are
// not counted; remove a listener before it goes away.
#pragma once

#include <pova/Listener.h>
#include <pova/Types.h>
#include <pova/Viewpoint.h>
#include <pova/pova_export.h>

namespace ZELT_o {

class Dimension;

class POVA_API ViewpointListener : public Listener {
public:
    // What changed about a dimension.
    enum DimensionChange : LONG {
        // The member set or what is computed from it (sort, subtotal, link mode).
        kMemberSetChanged = 0,
        kSliceChanged = 1,
        kSelectionChanged = 2,
        kCalculationChanged = 3,
        kHierarchyChanged = 8,
    };

    ~ViewpointListener() override;
    virtual void connected() = 0;
    virtual void disconnected(bool flag) = 0;
    virtual void dimensionMoved(Dimension& dimension, DimensionPosition& from) = 0;
    virtual void dimensionSwapped(Dimension& first, Dimension& second) = 0;
    virtual void dimensionChanged(DimensionChange change, Dimension& dimension) = 0;
    virtual void axisChanged(LONG axis) = 0;
    virtual void cellsChanged() = 0;
    virtual void selectedChanged() = 0;
    virtual void transitionStarted() = 0;
    virtual void transitionCompleted() = 0;
    virtual void transitionAborted() = 0;
    virtual void viewpointChanged() = 0;
    virtual void axisInfoChanged(Dimension& dimension) = 0;
    virtual void axisTypeChanged(LONG axis, Viewpoint::AxisType type) = 0;
};

}  // namespace ZELT_o
