/// @struct memcube::Layout
/// What a query computes, stated without a viewpoint. The derived viewpoint
/// fills one from its viewpoint's axes; tests build one by hand.
#pragma once

#include <vector>

namespace ZELT_o {
class Member;
}

namespace memcube {

struct Layout {
    /// One result axis: the cross join of its nested member lists.
    struct Axis {
        /// One member list per dimension nested on the axis, outermost first; the tuples run
        /// with the innermost list varying fastest. Members are borrowed from the cube.
        std::vector<std::vector<ZELT_o::Member*>> nests;
        /// Drop the tuples whose cells are all empty.
        bool excludeEmpty = false;
    };

    /// The result axes, in order; cells run with axis 0 varying fastest.
    std::vector<Axis> axes;
    /// One member per sliced dimension. A dimension neither nested nor sliced takes its
    /// hierarchy's default member.
    std::vector<ZELT_o::Member*> slices;
};

}  // namespace memcube
