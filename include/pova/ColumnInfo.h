/// @class ZELT_o::ColumnInfo
/// The description of one column of a rowset. Not counted: the object that
/// holds a column description owns it.
#pragma once

#include <basekit/OleDb.h>
#include <basekit/PovaString.h>
#include <pova/DataType.h>
#include <pova/pova_export.h>

namespace ZELT_o {

class POVA_API ColumnInfo {
public:
    virtual ~ColumnInfo();

    ///@{
    /// The column's name, ordinal (0 first) and type.
    virtual PovaString getName() const = 0;
    virtual void setName(PovaString const& name) = 0;
    virtual int getOrdinal() const = 0;
    virtual void setOrdinal(int ordinal) = 0;
    virtual DataType getType() const = 0;
    virtual void setType(DataType type) = 0;
    ///@}
    /// DBCOLUMNFLAGS of the column.
    virtual DBCOLUMNFLAGS getFlags() const = 0;
    /// Column size in bytes; all bits set for a column of unlimited length.
    virtual DBLENGTH getSize() const = 0;
    ///@{
    /// The column's precision and scale (for numbers) and its OLE DB identity.
    virtual BYTE getPrecision() const = 0;
    virtual BYTE getScale() const = 0;
    virtual DBID getID() const = 0;
    ///@}

protected:
    ColumnInfo() = default;
    ///@{
    /// Copied only as part of a derived object.
    ColumnInfo(ColumnInfo const&) = default;
    ColumnInfo& operator=(ColumnInfo const&) = default;
    ///@}
};

}  // namespace ZELT_o
