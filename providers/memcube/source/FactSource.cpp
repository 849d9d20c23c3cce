#include <memcube/FactSource.h>

namespace memcube {

bool FactSource::aggregateNarrowed(MemCube const& cube, Layout const& layout, CellSink& sink,
                                   Narrowing const& /*narrowing*/) {
    aggregate(cube, layout, sink);
    return false;
}

}  // namespace memcube
