#include "MemAxisChunk.h"

#include "MemResultSet.h"

#include <pova/Member.h>
#include <pova/support/InstanceCounter.h>

namespace memcube {

namespace {
support::InstanceCounter gInstances;
}  // namespace

MemAxisChunk::MemAxisChunk(support::Ref<MemResultSet> result, LONG axis, LONG first, LONG count)
    : ZELT_o::AxisChunk("MemAxisChunk", gInstances.next()),
      fResult(std::move(result)),
      fAxis(axis),
      fFirst(first),
      fCount(count) {}

MemAxisChunk::~MemAxisChunk() = default;

LONG MemAxisChunk::getDepth() const {
    return fResult->axis(fAxis).depth;
}

ZELT_o::Member* MemAxisChunk::getMember(LONG i, LONG depth) const {
    MemResultSet::Axis const& axis = fResult->axis(fAxis);
    if (i < 0 || i >= fCount || depth < 0 || depth >= axis.depth) {
        return nullptr;
    }
    auto const tuple = static_cast<std::size_t>(fFirst + i);
    return axis
        .members[tuple * static_cast<std::size_t>(axis.depth) + static_cast<std::size_t>(depth)];
}

bool MemAxisChunk::getValue(LONG i, VARIANT* value) const {
    if (value == nullptr || i < 0 || i >= fCount) {
        return false;
    }
    VariantInit(value);
    if (ZELT_o::Member* member = getMember(i, getDepth() - 1)) {
        value->vt = VT_BSTR;
        value->bstrVal = member->getCaption().createBSTR();
    }
    return true;
}

}  // namespace memcube
