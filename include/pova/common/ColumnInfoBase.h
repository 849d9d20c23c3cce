/// @class common::ColumnInfoBase
/// A column description made of a name, an ordinal and a DataType; the
/// OLE DB flags, size, precision, scale and identifier follow from the type and the ordinal.
#pragma once

#include <pova/ColumnInfo.h>
#include <pova/pova_export.h>

namespace common {

class POVA_API ColumnInfoBase : public ZELT_o::ColumnInfo {
public:
    ColumnInfoBase() = default;
    /// A column of a name, an ordinal and a type; the other fields zero.
    ColumnInfoBase(PovaString name, int ordinal, ZELT_o::DataType type);
    ///@{
    /// A column description is a value: copies are independent.
    ColumnInfoBase(ColumnInfoBase const&) = default;
    ColumnInfoBase& operator=(ColumnInfoBase const&) = default;
    ///@}
    ~ColumnInfoBase() override;

    PovaString getName() const override { return fName; }
    void setName(PovaString const& name) override { fName = name; }
    int getOrdinal() const override { return fOrdinal; }
    void setOrdinal(int ordinal) override { fOrdinal = ordinal; }
    ZELT_o::DataType getType() const override { return fType; }
    void setType(ZELT_o::DataType type) override { fType = type; }
    /// Fixed length (16) for every type but string (0).
    DBCOLUMNFLAGS getFlags() const override;
    /// Integer 4, real 8, date 8, string unlimited (all bits set), otherwise 0.
    DBLENGTH getSize() const override;
    /// 8 and 6 for a real column, 255 otherwise.
    BYTE getPrecision() const override;
    BYTE getScale() const override;
    /// A property-identifier DBID (kind 5) whose identifier is the ordinal.
    DBID getID() const override;

private:
    PovaString fName;
    int fOrdinal = 0;
    ZELT_o::DataType fType = ZELT_o::kDataNone;
};

}  // namespace common
