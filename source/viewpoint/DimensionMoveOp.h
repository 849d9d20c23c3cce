// DimensionMoveOp: one undo record of a viewpoint's layout (a move, a swap or a
// reorientation) with the specifications the change invalidated.
#pragma once

#include <basekit/WinTypes.h>
#include <pova/Filter.h>
#include <pova/support/Ref.h>

#include <vector>

namespace common {

class DimensionMoveOp {
public:
    enum Type : LONG {
        DMT_MOVE = 0,
        DMT_SWAP = 1,
        DMT_REORIENT = 2,
    };

    DimensionMoveOp(LONG sourceAxis, LONG targetAxis, LONG sourcePosition, LONG targetPosition,
                    Type type)
        : fSourceAxis(sourceAxis),
          fTargetAxis(targetAxis),
          fSourcePosition(sourcePosition),
          fTargetPosition(targetPosition),
          fType(type) {}

    bool matches(Type type, LONG sourceAxis, LONG sourcePosition, LONG targetAxis,
                 LONG targetPosition) const {
        return fType == type && fSourceAxis == sourceAxis && fSourcePosition == sourcePosition &&
               fTargetAxis == targetAxis && fTargetPosition == targetPosition;
    }

    LONG fSourceAxis;
    LONG fTargetAxis;
    LONG fSourcePosition;
    LONG fTargetPosition;
    Type fType;
    // Tuple filters the change made invalid; made valid again when the change is undone. Held,
    // so that a filter released meanwhile is still there to mark.
    std::vector<support::Ref<ZELT_o::Filter>> fInvalidTupleFilters;
    // For a reorientation: the other specifications it made invalid. Filters are the only
    // specifications with a validity, so a reorientation lists none here.
    std::vector<support::Ref<ZELT_o::Filter>> fInvalidSpecifications;
};

}  // namespace common
