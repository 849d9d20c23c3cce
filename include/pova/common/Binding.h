/// @class common::Binding
/// A neutral description of one OLE DB accessor binding: which column, as which
/// DataType, which parts (value, length, status) and where each part goes in the consumer's
/// buffer. RowsetHelper::convert_binding turns it into a DBBINDING and back.
#pragma once

#include <basekit/OleDb.h>
#include <pova/DataType.h>
#include <pova/pova_export.h>

namespace common {

class POVA_API Binding {
public:
    Binding() = default;
    ///@{
    /// A binding is a value: copies are independent.
    Binding(Binding const&) = default;
    Binding& operator=(Binding const&) = default;
    ///@}
    virtual ~Binding();

    ///@{
    /// The bound column (its ordinal), the DataType it is bound as, where the value, length and
    /// status go in the consumer's buffer, who owns the value's memory (DBMEMOWNER), the most bytes
    /// the value may take, and the precision and scale of numbers.
    ULONG getColumn() const { return fColumn; }
    void setColumn(ULONG column) { fColumn = column; }
    ZELT_o::DataType getType() const { return fType; }
    void setType(ZELT_o::DataType type) { fType = type; }
    ULONG getValueOffset() const { return fValueOffset; }
    void setValueOffset(ULONG offset) { fValueOffset = offset; }
    ULONG getLengthOffset() const { return fLengthOffset; }
    void setLengthOffset(ULONG offset) { fLengthOffset = offset; }
    ULONG getStatusOffset() const { return fStatusOffset; }
    void setStatusOffset(ULONG offset) { fStatusOffset = offset; }
    ULONG getMemOwner() const { return fMemOwner; }
    void setMemOwner(ULONG memOwner) { fMemOwner = memOwner; }
    ULONG getMaxLength() const { return fMaxLength; }
    void setMaxLength(ULONG maxLength) { fMaxLength = maxLength; }
    BYTE getPrecision() const { return fPrecision; }
    void setPrecision(BYTE precision) { fPrecision = precision; }
    BYTE getScale() const { return fScale; }
    void setScale(BYTE scale) { fScale = scale; }
    ///@}

    /// The DBPART bits of the bound parts: value 1, length 2, status 4.
    DBPART getPart() const;
    /// Sets the three part flags from DBPART bits; other bits are ignored.
    void setPart(DBPART part);

    ///@{
    /// Whether the value, the length or the status is bound.
    bool bindsValue() const { return fValuePart; }
    bool bindsLength() const { return fLengthPart; }
    bool bindsStatus() const { return fStatusPart; }
    ///@}

private:
    ULONG fColumn = 0;
    ZELT_o::DataType fType = ZELT_o::kDataNone;
    bool fValuePart = false;
    bool fLengthPart = false;
    bool fStatusPart = false;
    ULONG fValueOffset = 0;
    ULONG fLengthOffset = 0;
    ULONG fStatusOffset = 0;
    ULONG fMemOwner = 0;
    ULONG fMaxLength = 0;
    BYTE fPrecision = 0;
    BYTE fScale = 0;
};

}  // namespace common
