#include <pova/common/ColumnInfoBase.h>

#include <limits>
#include <utility>

namespace common {

namespace {
// Precision and scale of a column that has none.
constexpr BYTE kNoPrecision = 255;
constexpr BYTE kRealPrecision = 8;
constexpr BYTE kRealScale = 6;
}  // namespace

ColumnInfoBase::ColumnInfoBase(PovaString name, int ordinal, ZELT_o::DataType type)
    : fName(std::move(name)), fOrdinal(ordinal), fType(type) {}

ColumnInfoBase::~ColumnInfoBase() = default;

DBCOLUMNFLAGS ColumnInfoBase::getFlags() const {
    return fType == ZELT_o::kDataString ? 0 : DBCOLUMNFLAGS_ISFIXEDLENGTH;
}

DBLENGTH ColumnInfoBase::getSize() const {
    switch (fType) {
        case ZELT_o::kDataInteger:
            return 4;
        case ZELT_o::kDataReal:
        case ZELT_o::kDataDateTime:
            return 8;
        case ZELT_o::kDataString:
            return std::numeric_limits<DBLENGTH>::max();
        default:
            return 0;
    }
}

BYTE ColumnInfoBase::getPrecision() const {
    return fType == ZELT_o::kDataReal ? kRealPrecision : kNoPrecision;
}

BYTE ColumnInfoBase::getScale() const {
    return fType == ZELT_o::kDataReal ? kRealScale : kNoPrecision;
}

DBID ColumnInfoBase::getID() const {
    DBID id;
    id.eKind = DBKIND_PROPID;
    id.uName.ulPropid = static_cast<ULONG>(fOrdinal);
    return id;
}

}  // namespace common
