// Automation strings and the ownership half of variants (init, clear, copy).
#include <basekit/OleAuto.h>

#include "VariantTypes.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// A BSTR points just past its 32-bit byte-length prefix.
constexpr std::size_t kPrefix = sizeof(std::uint32_t);

bool isKnownType(VARTYPE vt) {
    if ((vt & (VT_ARRAY | VT_VECTOR)) != 0) {
        return false;
    }
    VARTYPE const base = vt & VT_TYPEMASK;
    if ((vt & VT_BYREF) != 0) {
        return base != VT_EMPTY && base != VT_NULL &&
               (basekit::detail::isPlainKnownType(base) || base == VT_VARIANT);
    }
    // Flag bits beyond the mask are ignored, except on a text: only a plain VT_BSTR is freed.
    return basekit::detail::isPlainKnownType(base) && (base != VT_BSTR || vt == VT_BSTR);
}

}  // namespace

extern "C" {

BSTR SysAllocStringLen(OLECHAR const* text, UINT length) {
    if (length > (std::numeric_limits<std::uint32_t>::max() - kPrefix - 2) / 2) {
        return nullptr;
    }
    std::size_t const bytes = static_cast<std::size_t>(length) * sizeof(OLECHAR);
    auto* block = static_cast<unsigned char*>(std::malloc(kPrefix + bytes + sizeof(OLECHAR)));
    if (block == nullptr) {
        return nullptr;
    }
    auto const byteLength = static_cast<std::uint32_t>(bytes);
    std::memcpy(block, &byteLength, kPrefix);
    auto* chars = reinterpret_cast<OLECHAR*>(block + kPrefix);
    if (text != nullptr) {
        std::memcpy(chars, text, bytes);
    } else {
        std::memset(chars, 0, bytes);
    }
    chars[length] = u'\0';
    return chars;
}

BSTR SysAllocString(OLECHAR const* text) {
    if (text == nullptr) {
        return nullptr;
    }
    UINT length = 0;
    while (text[length] != u'\0') {
        ++length;
    }
    return SysAllocStringLen(text, length);
}

void SysFreeString(BSTR text) {
    if (text != nullptr) {
        std::free(reinterpret_cast<unsigned char*>(text) - kPrefix);
    }
}

UINT SysStringByteLen(BSTR text) {
    if (text == nullptr) {
        return 0;
    }
    std::uint32_t bytes = 0;
    std::memcpy(&bytes, reinterpret_cast<unsigned char*>(text) - kPrefix, kPrefix);
    return bytes;
}

UINT SysStringLen(BSTR text) {
    return SysStringByteLen(text) / sizeof(OLECHAR);
}

void VariantInit(VARIANT* v) {
    if (v == nullptr) {
        return;
    }
    std::memset(v, 0, sizeof *v);
    v->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* v) {
    if (v == nullptr) {
        return E_INVALIDARG;
    }
    if (!isKnownType(v->vt)) {
        return DISP_E_BADVARTYPE;
    }
    if (v->vt == VT_BSTR) {
        SysFreeString(v->bstrVal);
    }
    VariantInit(v);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, VARIANT const* src) {
    if (dest == nullptr || src == nullptr) {
        return E_INVALIDARG;
    }
    if (dest == src) {
        return S_OK;
    }
    if (!isKnownType(src->vt)) {
        return DISP_E_BADVARTYPE;
    }
    BSTR copy = nullptr;
    if (src->vt == VT_BSTR && src->bstrVal != nullptr) {
        copy = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
        if (copy == nullptr) {
            return E_OUTOFMEMORY;
        }
    }
    HRESULT const hr = VariantClear(dest);
    if (FAILED(hr)) {
        SysFreeString(copy);
        return hr;
    }
    *dest = *src;
    if (src->vt == VT_BSTR) {
        dest->bstrVal = copy;
    }
    return S_OK;
}

}  // extern "C"
