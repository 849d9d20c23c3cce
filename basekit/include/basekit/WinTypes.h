/// @file
/// Fixed-width stand-ins for the platform's scalar types and result codes.
///
/// LONG and ULONG are 32 bits everywhere: the object API's "long" means 32 bits.
#pragma once

#include <cstdint>

///@{
/// The platform's scalar types, at the widths they have there; OLECHAR and WCHAR are UTF-16 code
/// units.
using BYTE = std::uint8_t;
using CHAR = char;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using WORD = std::uint16_t;
using INT = std::int32_t;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using DWORD = std::uint32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using FLOAT = float;
using DOUBLE = double;
using LCID = std::uint32_t;
using HRESULT = std::int32_t;
using SCODE = std::int32_t;
using OLECHAR = char16_t;
using WCHAR = char16_t;
///@}

/// Result codes. Written as unsigned literals and narrowed once, here.
constexpr HRESULT makeHResult(std::uint32_t code) {
    return static_cast<HRESULT>(code);
}

///@{
/// The result codes the system uses.
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = makeHResult(0x80004001u);
constexpr HRESULT E_NOINTERFACE = makeHResult(0x80004002u);
constexpr HRESULT E_POINTER = makeHResult(0x80004003u);
constexpr HRESULT E_FAIL = makeHResult(0x80004005u);
constexpr HRESULT E_UNEXPECTED = makeHResult(0x8000FFFFu);
constexpr HRESULT E_OUTOFMEMORY = makeHResult(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = makeHResult(0x80070057u);
constexpr HRESULT DISP_E_BADVARTYPE = makeHResult(0x80020008u);
constexpr HRESULT DISP_E_TYPEMISMATCH = makeHResult(0x80020005u);
constexpr HRESULT DISP_E_OVERFLOW = makeHResult(0x8002000Au);
constexpr HRESULT REGDB_E_CLASSNOTREG = makeHResult(0x80040154u);
constexpr HRESULT CO_E_CLASSSTRING = makeHResult(0x800401F3u);
constexpr HRESULT STG_E_READFAULT = makeHResult(0x8003001Eu);
constexpr HRESULT STG_E_WRITEFAULT = makeHResult(0x8003001Du);
///@}

///@{
/// Whether a result code means success (not negative) or failure.
constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}
///@}

/// The user's default locale; conversions here use the C locale whatever the locale.
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
