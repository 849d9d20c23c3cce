/// @class ZELT_o::ViewpointListener
/// What a viewpoint tells its listeners. Registered listeners are
/// not counted; remove a listener before it goes away.
#pragma once

#include <pova/Listener.h>
#include <pova/Types.h>
#include <pova/Viewpoint.h>
#include <pova/pova_export.h>

namespace ZELT_o {

class Dimension;

class POVA_API ViewpointListener : public Listener {
public:
    /// What changed about a dimension.
    enum DimensionChange : LONG {
        /// The member set or what is computed from it (sort, subtotal, link mode).
        kMemberSetChanged = 0,
        kSliceChanged = 1,
        kSelectionChanged = 2,
        kCalculationChanged = 3,
        kHierarchyChanged = 8,
    };

    ~ViewpointListener() override;
    /// The viewpoint was bound to its cube and built its layout.
    virtual void connected() = 0;
    /// The viewpoint let go of its cube; false when the cube went away.
    virtual void disconnected(bool flag) = 0;
    /// A dimension moved; `from` is where it stood.
    virtual void dimensionMoved(Dimension& dimension, DimensionPosition& from) = 0;
    /// Two dimensions exchanged places.
    virtual void dimensionSwapped(Dimension& first, Dimension& second) = 0;
    /// Something about a dimension changed (DimensionChange says what).
    virtual void dimensionChanged(DimensionChange change, Dimension& dimension) = 0;
    /// The contents of an axis changed.
    virtual void axisChanged(LONG axis) = 0;
    /// The cells must be queried again.
    virtual void cellsChanged() = 0;
    /// The selection changed.
    virtual void selectedChanged() = 0;
    ///@{
    /// A transition (Viewpoint::holdEvents) started, completed with its events delivered, or was
    /// abandoned.
    virtual void transitionStarted() = 0;
    virtual void transitionCompleted() = 0;
    virtual void transitionAborted() = 0;
    ///@}
    /// The viewpoint changed: the last event of every change.
    virtual void viewpointChanged() = 0;
    /// The axis information of a dimension changed.
    virtual void axisInfoChanged(Dimension& dimension) = 0;
    /// An axis got a new type.
    virtual void axisTypeChanged(LONG axis, Viewpoint::AxisType type) = 0;
};

}  // namespace ZELT_o
