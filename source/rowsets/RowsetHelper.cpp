#include <basekit/StringConverters.h>
#include <pova/common/RowsetHelper.h>

#include <locale.h>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace common {

using ZELT_o::CellValue;
using ZELT_o::DataType;
using ZELT_o::kDataDateTime;
using ZELT_o::kDataInteger;
using ZELT_o::kDataNone;
using ZELT_o::kDataReal;
using ZELT_o::kDataString;
using ZELT_o::kDataVariant;

namespace {

// Bytes of a bound VARIANT.
constexpr ULONG kVariantLength = 16;

bool is_known(DataType type) {
    return type >= kDataInteger && type <= kDataVariant;
}

// Numbers are read in the C locale whatever locale the host process runs in.
locale_t c_locale() {
    static locale_t const locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

// The C library's atoi, made total: out-of-range text is an overflow, not undefined.
bool parse_integer(PovaString const& text, LONG& value) {
    std::string const narrow = text.string();
    errno = 0;
    long long const parsed = strtoll_l(narrow.c_str(), nullptr, 10, c_locale());
    if (errno == ERANGE || parsed < std::numeric_limits<LONG>::min() ||
        parsed > std::numeric_limits<LONG>::max()) {
        return false;
    }
    value = static_cast<LONG>(parsed);
    return true;
}

// printf's "%d" and "%.10g", but always in the C locale (and without printf's cost).
template <class... Format>
PovaString number_text(Format... format) {
    char buffer[64];
    auto const result = std::to_chars(buffer, buffer + sizeof buffer, format...);
    return PovaString(std::u16string(buffer, result.ptr));
}

DBSTATUS string_status(CellValue const& value, ULONG maxLength) {
    return maxLength < value.stringValue.length() ? DBSTATUS_S_TRUNCATED : DBSTATUS_S_OK;
}

DBSTATUS set_string(CellValue& value, PovaString text, ULONG maxLength) {
    value.stringValue = std::move(text);
    value.type = kDataString;
    return string_status(value, maxLength);
}

DBSTATUS from_integer(CellValue& value, DataType to, ULONG maxLength) {
    switch (to) {
        case kDataInteger:
            return DBSTATUS_S_OK;
        case kDataReal:
            value.doubleValue = value.longValue;
            break;
        case kDataString:
            return set_string(value, number_text(value.longValue), maxLength);
        case kDataVariant:
            value.variantValue.vt = VT_I4;
            value.variantValue.lVal = value.longValue;
            break;
        default:
            return DBSTATUS_E_CANTCONVERTVALUE;
    }
    value.type = to;
    return DBSTATUS_S_OK;
}

DBSTATUS from_real(CellValue& value, DataType to, ULONG maxLength) {
    switch (to) {
        case kDataInteger: {
            double const truncated = std::trunc(value.doubleValue);
            // Out of range (or NaN) the cast would be undefined.
            if (!(truncated >= std::numeric_limits<LONG>::min() &&
                  truncated <= std::numeric_limits<LONG>::max())) {
                return DBSTATUS_E_DATAOVERFLOW;
            }
            value.longValue = static_cast<LONG>(truncated);
            value.type = kDataInteger;
            return DBSTATUS_S_TRUNCATED;
        }
        case kDataReal:
            return DBSTATUS_S_OK;
        case kDataString:
            return set_string(value, number_text(value.doubleValue, std::chars_format::general, 10),
                              maxLength);
        case kDataVariant:
            value.variantValue.vt = VT_R8;
            value.variantValue.dblVal = value.doubleValue;
            value.type = kDataVariant;
            return DBSTATUS_S_OK;
        default:
            return DBSTATUS_E_CANTCONVERTVALUE;
    }
}

DBSTATUS from_string(CellValue& value, DataType to, ULONG maxLength) {
    switch (to) {
        case kDataInteger: {
            LONG parsed = 0;
            if (!parse_integer(value.stringValue, parsed)) {
                return DBSTATUS_E_DATAOVERFLOW;
            }
            value.longValue = parsed;
            value.type = kDataInteger;
            return DBSTATUS_S_OK;
        }
        case kDataReal: {
            std::string const narrow = value.stringValue.string();
            double const parsed = strtod_l(narrow.c_str(), nullptr, c_locale());
            if (parsed == HUGE_VAL || parsed == -HUGE_VAL) {
                return DBSTATUS_E_DATAOVERFLOW;
            }
            // Text that is not a number reads as 0, so 0 cannot be told from it and is refused.
            if (parsed == 0.0) {
                return DBSTATUS_E_CANTCONVERTVALUE;
            }
            value.doubleValue = parsed;
            value.type = kDataReal;
            return DBSTATUS_S_OK;
        }
        case kDataString:
            return string_status(value, maxLength);
        case kDataVariant: {
            auto const& text = value.stringValue.wstring();
            BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
            if (copy == nullptr) {
                return DBSTATUS_E_CANTCONVERTVALUE;
            }
            value.variantValue.vt = VT_BSTR;
            value.variantValue.bstrVal = copy;
            value.type = kDataVariant;
            return DBSTATUS_S_OK;
        }
        default:
            return DBSTATUS_E_CANTCONVERTVALUE;
    }
}

DBSTATUS from_date(CellValue& value, DataType to) {
    switch (to) {
        case kDataDateTime:
            return DBSTATUS_S_OK;
        case kDataVariant:
            value.variantValue.vt = VT_DATE;
            value.variantValue.date = value.dateValue;
            value.type = kDataVariant;
            return DBSTATUS_S_OK;
        default:
            return DBSTATUS_E_CANTCONVERTVALUE;
    }
}

DBSTATUS from_variant(CellValue& value, DataType to, ULONG maxLength) {
    if (to == kDataVariant) {
        return DBSTATUS_S_OK;
    }
    VARTYPE target = VT_EMPTY;
    switch (to) {
        case kDataInteger:
            target = VT_I4;
            break;
        case kDataReal:
            target = VT_R8;
            break;
        case kDataString:
            target = VT_BSTR;
            break;
        case kDataDateTime:
            target = VT_DATE;
            break;
        default:
            return DBSTATUS_E_CANTCONVERTVALUE;
    }
    // Converted into a variant of our own, so that the source is read only before it is
    // cleared and the result never aliases it.
    basekit::Variant converted;
    if (FAILED(VariantChangeType(converted.get(), &value.variantValue, 0, target))) {
        return DBSTATUS_E_CANTCONVERTVALUE;
    }
    VariantClear(&value.variantValue);
    switch (to) {
        case kDataInteger:
            value.longValue = converted->lVal;
            break;
        case kDataReal:
            value.doubleValue = converted->dblVal;
            break;
        case kDataString: {
            PovaString text;
            text.fillFromBSTR(converted->bstrVal);
            return set_string(value, std::move(text), maxLength);
        }
        default:
            value.dateValue = converted->date;
            break;
    }
    value.type = to;
    return DBSTATUS_S_OK;
}

}  // namespace

DataType RowsetHelper::convert_datatype(DBTYPE type) {
    switch (type) {
        case DBTYPE_I2:
        case DBTYPE_I4:
        case DBTYPE_BOOL:
        case DBTYPE_I1:
        case DBTYPE_UI1:
        case DBTYPE_UI2:
        case DBTYPE_UI4:
        case DBTYPE_I8:
        case DBTYPE_UI8:
        case DBTYPE_GUID:
            return kDataInteger;
        case DBTYPE_R4:
        case DBTYPE_R8:
        case DBTYPE_DECIMAL:
        case DBTYPE_NUMERIC:
            return kDataReal;
        case DBTYPE_BSTR:
        case DBTYPE_STR:
        case DBTYPE_WSTR:
            return kDataString;
        case DBTYPE_DATE:
        case DBTYPE_FILETIME:
        case DBTYPE_UDT:
        case DBTYPE_DBDATE:
        case DBTYPE_DBTIME:
        case DBTYPE_DBTIMESTAMP:
            return kDataDateTime;
        case DBTYPE_VARIANT:
            return kDataVariant;
        default:
            return kDataNone;
    }
}

DBTYPE RowsetHelper::convert_datatype(DataType type) {
    switch (type) {
        case kDataInteger:
            return DBTYPE_I4;
        case kDataReal:
            return DBTYPE_R4;
        case kDataString:
            return DBTYPE_WSTR;
        case kDataDateTime:
            return DBTYPE_UDT;
        case kDataVariant:
            return DBTYPE_VARIANT;
        default:
            return DBTYPE_EMPTY;
    }
}

Binding RowsetHelper::convert_binding(DBBINDING const& binding) {
    Binding result;
    result.setColumn(binding.iOrdinal);
    result.setType(convert_datatype(binding.wType));
    result.setPart(binding.dwPart);
    result.setValueOffset(binding.obValue);
    result.setLengthOffset(binding.obLength);
    result.setStatusOffset(binding.obStatus);
    result.setMemOwner(binding.dwMemOwner);
    result.setMaxLength(binding.cbMaxLen);
    result.setPrecision(binding.bPrecision);
    result.setScale(binding.bScale);
    return result;
}

DBBINDING RowsetHelper::convert_binding(Binding const& binding) {
    DBBINDING result{};
    result.iOrdinal = binding.getColumn();
    result.wType = convert_datatype(binding.getType());
    result.dwPart = binding.getPart();
    result.obValue = binding.getValueOffset();
    result.obLength = binding.getLengthOffset();
    result.obStatus = binding.getStatusOffset();
    result.dwMemOwner = binding.getMemOwner();
    result.cbMaxLen = binding.getMaxLength();
    result.bPrecision = binding.getPrecision();
    result.bScale = binding.getScale();
    return result;
}

ColumnInfoBase RowsetHelper::convert_columninfo(DBCOLUMNINFO const& info) {
    PovaString name;
    if (info.pwszName != nullptr) {
        name = PovaString(info.pwszName);
    }
    return ColumnInfoBase(std::move(name), static_cast<int>(info.iOrdinal),
                          convert_datatype(info.wType));
}

DBCOLUMNINFO RowsetHelper::convert_columninfo(ZELT_o::ColumnInfo const& info, basekit::Bstr& name) {
    name = basekit::Bstr::adopt(info.getName().createBSTR());
    DBCOLUMNINFO result{};
    result.pwszName = name.get();
    result.iOrdinal = static_cast<DBORDINAL>(info.getOrdinal());
    result.dwFlags = info.getFlags();
    result.ulColumnSize = info.getSize();
    result.wType = convert_datatype(info.getType());
    result.bPrecision = info.getPrecision();
    result.bScale = info.getScale();
    result.columnid = info.getID();
    return result;
}

DBSTATUS RowsetHelper::convert_data(CellValue& value, DataType to, ULONG maxLength) {
    if (!is_known(to)) {
        return DBSTATUS_E_CANTCONVERTVALUE;
    }
    switch (value.type) {
        case kDataInteger:
            return from_integer(value, to, maxLength);
        case kDataReal:
            return from_real(value, to, maxLength);
        case kDataString:
            return from_string(value, to, maxLength);
        case kDataDateTime:
            return from_date(value, to);
        case kDataVariant:
            return from_variant(value, to, maxLength);
        default:
            return DBSTATUS_E_CANTCONVERTVALUE;
    }
}

ULONG RowsetHelper::get_length(CellValue const& value) {
    switch (value.type) {
        case kDataInteger:
            return 4;
        case kDataReal:
        case kDataDateTime:
            return 8;
        case kDataVariant:
            return kVariantLength;
        case kDataString:
            return static_cast<ULONG>(value.stringValue.length());
        default:
            return 0;
    }
}

bool RowsetHelper::is_conversion_supported(DataType from, DataType to) {
    if (!is_known(from) || !is_known(to)) {
        return false;
    }
    switch (from) {
        case kDataInteger:
        case kDataReal:
        case kDataString:
            return to != kDataDateTime;
        case kDataDateTime:
            return to == kDataDateTime || to == kDataVariant;
        default:
            return true;
    }
}

bool RowsetHelper::is_part_valid(DBPART part) {
    int const parts = ((part & DBPART_VALUE) != 0) + ((part & DBPART_LENGTH) != 0) +
                      ((part & DBPART_STATUS) != 0);
    return parts >= 2;
}

bool RowsetHelper::is_type_valid(DBTYPE type) {
    if (type == DBTYPE_EMPTY || type == DBTYPE_NULL) {
        return false;
    }
    if ((type & DBTYPE_BYREF) != 0 &&
        (type & (0x0001 | DBTYPE_RESERVED | DBTYPE_ARRAY | DBTYPE_VECTOR)) != 0) {
        return false;
    }
    return (type & DBTYPE_ARRAY) == 0 || (type & DBTYPE_VECTOR) == 0;
}

bool RowsetHelper::is_memowner_valid(DBMEMOWNER memOwner) {
    return memOwner == DBMEMOWNER_CLIENTOWNED || memOwner == DBMEMOWNER_PROVIDEROWNED;
}

bool RowsetHelper::is_pointer_type(DBTYPE type) {
    switch (type) {
        case DBTYPE_IDISPATCH:
        case DBTYPE_VARIANT:
        case DBTYPE_IUNKNOWN:
        case DBTYPE_STR:
        case DBTYPE_WSTR:
            return true;
        default:
            return false;
    }
}

bool RowsetHelper::is_string_type(DBTYPE type) {
    switch (type) {
        case DBTYPE_BSTR:
        case DBTYPE_VARIANT:
        case DBTYPE_STR:
        case DBTYPE_WSTR:
            return true;
        default:
            return false;
    }
}

bool RowsetHelper::is_variable_length(DBTYPE type) {
    switch (type) {
        case DBTYPE_BYTES:
        case DBTYPE_STR:
        case DBTYPE_WSTR:
        case DBTYPE_VARNUMERIC:
            return true;
        default:
            return false;
    }
}

bool RowsetHelper::type_matches(DBTYPE bindingType, DBTYPE columnType) {
    if (bindingType == DBTYPE_BSTR) {
        return columnType == DBTYPE_BSTR;
    }
    if ((bindingType & DBTYPE_BYREF) == 0) {
        return true;
    }
    return columnType == bindingType ||
           columnType == static_cast<DBTYPE>(bindingType & ~DBTYPE_BYREF);
}

}  // namespace common
