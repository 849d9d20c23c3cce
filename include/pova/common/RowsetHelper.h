/// @class common::RowsetHelper
/// Conversions between the neutral rowset descriptions (DataType,
/// Binding, ColumnInfo, CellValue) and the OLE DB structures, and the checks a provider runs on
/// the bindings a consumer asks for. All static; no state.
#pragma once

#include <basekit/OleAuto.h>
#include <basekit/OleDb.h>
#include <pova/CellValue.h>
#include <pova/common/Binding.h>
#include <pova/common/ColumnInfoBase.h>
#include <pova/pova_export.h>

namespace common {

class POVA_API RowsetHelper {
public:
    RowsetHelper() = delete;

    ///@{
    /// The DataType of an OLE DB type code, and the other way round.
    static ZELT_o::DataType convert_datatype(DBTYPE type);
    static DBTYPE convert_datatype(ZELT_o::DataType type);
    ///@}

    ///@{
    static Binding convert_binding(DBBINDING const& binding);
    /// A Binding from a DBBINDING, and a DBBINDING from a Binding; the members a Binding does
    /// not describe are left null or zero.
    static DBBINDING convert_binding(Binding const& binding);
    ///@}

    /// Name, ordinal and type; a null name gives the empty name.
    static ColumnInfoBase convert_columninfo(DBCOLUMNINFO const& info);
    /// Every member from the column description. The name is written into `name`, which the
    /// caller keeps alive while it uses the result: pwszName points at its text.
    static DBCOLUMNINFO convert_columninfo(ZELT_o::ColumnInfo const& info, basekit::Bstr& name);

    /// Converts `value` in place to `to` and returns a DBSTATUS: DBSTATUS_S_OK,
    /// DBSTATUS_S_TRUNCATED (a real cut to an integer; a string result longer than maxLength
    /// characters, which is kept whole: the caller copies what fits),
    /// DBSTATUS_E_CANTCONVERTVALUE or DBSTATUS_E_DATAOVERFLOW. On an error status the value is
    /// unchanged. Converting to a variant creates a variant the caller must clear (for a string:
    /// a new BSTR); converting a variant to another type consumes it: it is cleared.
    static DBSTATUS convert_data(ZELT_o::CellValue& value, ZELT_o::DataType to, ULONG maxLength);
    /// Bytes the value takes when bound: integer 4, real 8, date 8, variant 16, string its length
    /// in characters, otherwise 0.
    static ULONG get_length(ZELT_o::CellValue const& value);
    /// Whether convert_data can convert a value of type `from` to `to`.
    static bool is_conversion_supported(ZELT_o::DataType from, ZELT_o::DataType to);

    /// At least two of the bits value, length and status.
    static bool is_part_valid(DBPART part);
    ///@{
    /// Whether a type code is one a binding may ask for, a DBMEMOWNER value is valid, and whether a
    /// type is bound by pointer, is a string, or has a variable length.
    static bool is_type_valid(DBTYPE type);
    static bool is_memowner_valid(DBMEMOWNER memOwner);
    static bool is_pointer_type(DBTYPE type);
    static bool is_string_type(DBTYPE type);
    static bool is_variable_length(DBTYPE type);
    ///@}
    /// Whether a binding of type `bindingType` can read a column of type `columnType`.
    static bool type_matches(DBTYPE bindingType, DBTYPE columnType);
};

}  // namespace common
