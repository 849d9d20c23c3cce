#include <basekit/AssertionFailure.h>
#include <pova/common/RowBase.h>
#include <pova/support/InstanceCounter.h>

namespace common {

namespace {
support::InstanceCounter gRowInstances;
constexpr char kSourcePath[] = ".\\source\\rowbase.cpp";
}  // namespace

RowBase::RowBase(LONG ordinal) : ZELT_o::Row("RowBase", gRowInstances.next()), fOrdinal(ordinal) {}

RowBase::~RowBase() = default;

void RowBase::addDatum(ZELT_o::CellValue const& value) {
    fData.push_back(value);
}

ZELT_o::CellValue RowBase::getDatum(LONG nColumn) const {
    if (nColumn < 0 || nColumn >= static_cast<LONG>(fData.size())) {
        AssertionFailure("nColumn >= 0 && nColumn < (Int) fData.size( )", kSourcePath, __LINE__);
        return ZELT_o::CellValue();
    }
    return fData[static_cast<std::size_t>(nColumn)];
}

LONG RowBase::addClientReference() {
    return fClientRefCount.fetch_add(1, std::memory_order_relaxed) + 1;
}

LONG RowBase::removeClientReference() {
    return fClientRefCount.fetch_sub(1, std::memory_order_relaxed) - 1;
}

}  // namespace common
