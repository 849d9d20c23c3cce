#include "MemCellChunk.h"

#include "MemResultSet.h"

#include <pova/support/InstanceCounter.h>

namespace memcube {

namespace {
support::InstanceCounter gInstances;
}  // namespace

MemCellChunk::MemCellChunk(support::Ref<MemResultSet> result, LONG first, LONG count)
    : ZELT_o::CellDataChunk("MemCellChunk", gInstances.next()),
      fResult(std::move(result)),
      fFirst(first),
      fCount(count) {}

MemCellChunk::~MemCellChunk() = default;

bool MemCellChunk::getValue(LONG i, VARIANT* value) const {
    if (value == nullptr || i < 0 || i >= fCount) {
        return false;
    }
    fResult->cellValue(fFirst + i, value);
    return true;
}

}  // namespace memcube
