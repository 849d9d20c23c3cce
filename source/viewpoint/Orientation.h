// A viewpoint's arrangement of dimensions on axes, apart from the viewpoint: what a
// reorientation reads from XML and repairs before any viewpoint of the tree takes it, and the
// repairs themselves, which the viewpoint also runs on its own sides.
#pragma once

#include <pova/common/ViewpointCommon.h>

#include <vector>

namespace common {

// The most axes a viewpoint takes: far more than any pivot shows, few enough that a bad number
// from a caller or a saved file cannot exhaust memory.
inline constexpr LONG kMostAxes = 64;

struct ViewpointCommon::Orientation {
    LONG numViewAxes = 0;
    LONG numPagedAxes = 0;
    LONG newDimensionAxis = -1;
    Sides sides;
    std::vector<Constraint> constraints;
    std::vector<AxisType> types;
    std::vector<bool> excludeNulls;
};

// Moves dimensions off axes holding more than their maximum, to the last axis with room; with
// no room anywhere the last axis's maximum grows to `dimensionCount`.
POVA_API void applyMaximums(ViewpointCommon::Sides& sides,
                            std::vector<ViewpointCommon::Constraint>& constraints,
                            LONG dimensionCount);

// Fills axes holding fewer than their minimum from the last axis that can spare one. An empty
// axis that nothing can fill goes away with its constraint, type and flag (one view axis
// less); a short axis that is not empty throws E_UNEXPECTED.
POVA_API void applyMinimums(ViewpointCommon::Sides& sides,
                            std::vector<ViewpointCommon::Constraint>& constraints,
                            std::vector<ViewpointCommon::AxisType>& types,
                            std::vector<bool>& excludeNulls, LONG& numViewAxes);

}  // namespace common
