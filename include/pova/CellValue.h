/// @struct ZELT_o::CellValue
/// One value of a result cell or a rowset row, tagged by its DataType.
///
/// The variant is not owned: copying copies its bits (no VariantCopy) and destruction does not
/// clear it. Whoever put a BSTR or another owned value into it clears it; RowsetHelper's
/// conversions say when they create or consume one.
#pragma once

#include <basekit/OleAuto.h>
#include <basekit/PovaString.h>
#include <pova/DataType.h>

namespace ZELT_o {

struct CellValue {
    CellValue() { VariantInit(&variantValue); }

    /// Which of the fields below holds the value.
    DataType type = kDataNone;
    ///@{
    /// The value, in the field its type names.
    LONG longValue = 0;
    double doubleValue = 0.0;
    PovaString stringValue;
    ///@}
    /// Automation date: days since 1899-12-30.
    double dateValue = 0.0;
    /// The value of kDataVariant; not owned (see above).
    VARIANT variantValue;
};

}  // namespace ZELT_o
