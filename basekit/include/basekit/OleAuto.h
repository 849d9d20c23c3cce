/// @file
/// Stand-in for the platform's automation strings and variants.
///
/// A BSTR is a length-prefixed, zero-terminated UTF-16 buffer: the 32-bit byte length sits just
/// before the first character. VARIANT follows the platform's tagged union; CY is a 64-bit
/// integer scaled by 10,000 and DATE counts days since 1899-12-30. Conversions use the C locale
/// and write numbers with up to 15 significant digits.
#pragma once

#include <basekit/WinTypes.h>
#include <basekit/basekit_export.h>

#include <utility>

///@{
/// Automation types: a length-prefixed string, a variant type code, a boolean (-1 true, 0 false), a
/// date (days since 1899-12-30).
using BSTR = OLECHAR*;
using VARTYPE = std::uint16_t;
using VARIANT_BOOL = std::int16_t;
using DATE = double;
///@}

///@{
/// The two VARIANT_BOOL values.
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;
///@}

/// Currency: a 64-bit integer scaled by 10,000.
struct CY {
    /// The scaled value.
    LONGLONG int64;
};

/// Variant type codes; VT_BYREF and the other flags combine with a base type.
enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_VECTOR = 0x1000,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

/// A tagged value: `vt` says which member of the union holds it.
struct VARIANT {
    ///@{
    /// The type code, then reserved fields.
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    ///@}
    union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        FLOAT fltVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        CY cyVal;
        DATE date;
        BSTR bstrVal;
        CHAR cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        INT intVal;
        UINT uintVal;
        /// VT_BYREF forms: the variant does not own what they point to.
        void* byref;
        LONGLONG* pllVal;
        LONG* plVal;
        BYTE* pbVal;
        SHORT* piVal;
        FLOAT* pfltVal;
        DOUBLE* pdblVal;
        VARIANT_BOOL* pboolVal;
        CY* pcyVal;
        DATE* pdate;
        BSTR* pbstrVal;
        VARIANT* pvarVal;
        CHAR* pcVal;
        USHORT* puiVal;
        ULONG* pulVal;
        ULONGLONG* pullVal;
        INT* pintVal;
        UINT* puintVal;
    };
};

/// A variant passed as an argument.
using VARIANTARG = VARIANT;

///@{
/// VariantChangeType flags.
constexpr USHORT VARIANT_NOVALUEPROP = 0x01;
constexpr USHORT VARIANT_ALPHABOOL = 0x02;
///@}

///@{
/// VarCmp results.
constexpr HRESULT VARCMP_LT = 0;
constexpr HRESULT VARCMP_EQ = 1;
constexpr HRESULT VARCMP_GT = 2;
constexpr HRESULT VARCMP_NULL = 3;
///@}

/// VarCmp flags.
constexpr ULONG NORM_IGNORECASE = 0x00000001;

extern "C" {
/// A new BSTR holding a copy of the zero-terminated text; null for a null argument.
BASEKIT_API BSTR SysAllocString(OLECHAR const* text);
/// A new BSTR of `length` characters copied from `text` (zero-filled when text is null).
BASEKIT_API BSTR SysAllocStringLen(OLECHAR const* text, UINT length);
/// Frees a BSTR; a null BSTR is ignored.
BASEKIT_API void SysFreeString(BSTR text);
/// Length in characters; 0 for a null BSTR.
BASEKIT_API UINT SysStringLen(BSTR text);
/// Length in bytes; 0 for a null BSTR.
BASEKIT_API UINT SysStringByteLen(BSTR text);

/// Makes the variant VT_EMPTY without freeing anything.
BASEKIT_API void VariantInit(VARIANT* v);
/// Frees what the variant owns (a BSTR) and leaves it VT_EMPTY. Fails with DISP_E_BADVARTYPE
/// for a type it does not know, leaving the variant untouched.
BASEKIT_API HRESULT VariantClear(VARIANT* v);
/// Clears `dest`, then makes it a deep copy of `src` (a BSTR is duplicated).
BASEKIT_API HRESULT VariantCopy(VARIANT* dest, VARIANT const* src);
/// Converts `src` to type `vt` into `dest`; dest may equal src. An unsupported pair fails with
/// DISP_E_TYPEMISMATCH, an out-of-range value with DISP_E_OVERFLOW; on failure dest is untouched.
/// Reals round to integers half to even. Text forms: numbers in C-locale decimal notation (reals
/// written with up to 15 significant digits, "0.1", "1E+20"); BOOL as "-1"/"0", or "True"/"False"
/// with VARIANT_ALPHABOOL ("true"/"false" in any case and numbers are read); DATE as
/// "YYYY-MM-DD[ HH:MM:SS]" ("M/D/YYYY [H:MM[:SS]]" is also read). VariantConvert.cpp has the rules.
BASEKIT_API HRESULT VariantChangeType(VARIANT* dest, VARIANT const* src, USHORT flags, VARTYPE vt);
/// Compares two variants: VARCMP_LT, VARCMP_EQ, VARCMP_GT, or VARCMP_NULL when either is VT_NULL;
/// DISP_E_TYPEMISMATCH when they cannot be compared. Numbers (BOOL, CY and DATE included) compare
/// by value, texts by UTF-16 code unit (NORM_IGNORECASE folds case), a number is less than a text,
/// and VT_EMPTY is both 0 and the empty text. The locale is ignored.
BASEKIT_API HRESULT VarCmp(VARIANT* left, VARIANT* right, LCID lcid, ULONG flags);
}

namespace basekit {

/// Owns one BSTR and frees it.
class BASEKIT_API Bstr {
public:
    ///@{
    /// Null, or a copy of the zero-terminated text.
    Bstr() = default;
    explicit Bstr(OLECHAR const* text) : fText(SysAllocString(text)) {}
    ///@}
    /// Takes over a BSTR the caller owned.
    static Bstr adopt(BSTR text) {
        Bstr b;
        b.fText = text;
        return b;
    }
    ///@{
    /// Copies duplicate the string; moves take it over.
    Bstr(Bstr const& other)
        : fText(other.fText ? SysAllocStringLen(other.fText, SysStringLen(other.fText)) : nullptr) {
    }
    Bstr(Bstr&& other) noexcept : fText(std::exchange(other.fText, nullptr)) {}
    Bstr& operator=(Bstr other) noexcept {
        std::swap(fText, other.fText);
        return *this;
    }
    ///@}
    ~Bstr() { SysFreeString(fText); }

    ///@{
    /// The string (borrowed) and its length in characters.
    BSTR get() const { return fText; }
    UINT length() const { return SysStringLen(fText); }
    ///@}
    /// Gives the BSTR to the caller, who frees it.
    BSTR detach() { return std::exchange(fText, nullptr); }

private:
    BSTR fText = nullptr;
};

/// Owns one VARIANT: initialised on construction, cleared on destruction, deep-copied.
class BASEKIT_API Variant {
public:
    Variant() { VariantInit(&fValue); }
    ///@{
    /// A VT_I4, VT_R8, VT_BOOL or VT_BSTR value (the text copied).
    explicit Variant(LONG value) : Variant() {
        fValue.vt = VT_I4;
        fValue.lVal = value;
    }
    explicit Variant(double value) : Variant() {
        fValue.vt = VT_R8;
        fValue.dblVal = value;
    }
    explicit Variant(bool value) : Variant() {
        fValue.vt = VT_BOOL;
        fValue.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
    explicit Variant(OLECHAR const* text) : Variant() {
        fValue.vt = VT_BSTR;
        fValue.bstrVal = SysAllocString(text);
    }
    ///@}
    /// Takes over what `value` owns; `value` is left VT_EMPTY.
    static Variant adopt(VARIANT& value) {
        Variant v;
        v.fValue = value;
        VariantInit(&value);
        return v;
    }
    ///@{
    /// Copies are deep (VariantCopy); moves take the value over.
    Variant(VARIANT const& value) : Variant() { VariantCopy(&fValue, &value); }  // NOLINT
    Variant(Variant const& other) : Variant() { VariantCopy(&fValue, &other.fValue); }
    Variant(Variant&& other) noexcept : fValue(other.fValue) { VariantInit(&other.fValue); }
    Variant& operator=(Variant other) noexcept {
        std::swap(fValue, other.fValue);
        return *this;
    }
    ///@}
    ~Variant() { VariantClear(&fValue); }

    ///@{
    /// The owned VARIANT, borrowed.
    VARIANT* get() { return &fValue; }
    VARIANT const* get() const { return &fValue; }
    VARIANT& operator*() { return fValue; }
    VARIANT const& operator*() const { return fValue; }
    VARIANT* operator->() { return &fValue; }
    VARIANT const* operator->() const { return &fValue; }
    ///@}
    /// The value's type code.
    VARTYPE type() const { return fValue.vt; }
    /// Gives the value to the caller, who clears it; this one is left VT_EMPTY.
    VARIANT detach() {
        VARIANT v = fValue;
        VariantInit(&fValue);
        return v;
    }

private:
    VARIANT fValue;
};

}  // namespace basekit
