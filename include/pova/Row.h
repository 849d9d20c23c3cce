/// @class ZELT_o::Row
/// One row of a rowset: its cell values in column order.
///
/// Besides its reference count, a row keeps a client count: how many rowset clients hold it
/// (the count OLE DB consumers raise and lower through the rowset). It does not govern the
/// object's life.
#pragma once

#include <pova/CellValue.h>
#include <pova/pova_export.h>
#include <pova/support/RefCount.h>

namespace ZELT_o {

class POVA_API Row : public support::RefCount {
public:
    ///@{
    /// The row's position in its rowset.
    virtual LONG getOrdinal() const = 0;
    virtual void setOrdinal(LONG ordinal) = 0;
    ///@}
    /// Appends a value (a copy of its variant's bits: the row does not own it).
    virtual void addDatum(CellValue const& value) = 0;
    /// A copy of the value of column `nColumn`.
    virtual CellValue getDatum(LONG nColumn) const = 0;
    /// The number of values.
    virtual LONG getDatumCount() const = 0;
    ///@{
    /// Raise or lower the client count; each returns the new count.
    virtual LONG addClientReference() = 0;
    virtual LONG removeClientReference() = 0;
    ///@}

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    Row(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~Row() override;
};

}  // namespace ZELT_o
