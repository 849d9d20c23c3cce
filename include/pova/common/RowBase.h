/// @class common::RowBase
/// A row of a rowset kept as a vector of cell values.
///
/// Counted (born with one reference for its creator). Its client count starts at 1, like an
/// accessor's. The row does not own the variants of its values (see ZELT_o::CellValue). One
/// thread changes a row at a time; the client count may be changed from any thread.
#pragma once

#include <pova/Row.h>
#include <pova/pova_export.h>

#include <atomic>
#include <vector>

namespace common {

class POVA_API RowBase : public ZELT_o::Row {
public:
    /// An empty row at position `ordinal`, client count 1.
    explicit RowBase(LONG ordinal = 0);

    LONG getOrdinal() const override { return fOrdinal; }
    void setOrdinal(LONG ordinal) override { fOrdinal = ordinal; }
    void addDatum(ZELT_o::CellValue const& value) override;
    /// Outside the row the column is reported as an assertion and an empty value (type 0) is
    /// returned.
    ZELT_o::CellValue getDatum(LONG nColumn) const override;
    LONG getDatumCount() const override { return static_cast<LONG>(fData.size()); }
    LONG addClientReference() override;
    LONG removeClientReference() override;

protected:
    ~RowBase() override;

private:
    LONG fOrdinal;
    std::vector<ZELT_o::CellValue> fData;
    std::atomic<LONG> fClientRefCount{1};
};

}  // namespace common
