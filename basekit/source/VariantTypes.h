// The variant types basekit knows, listed once so that the ownership functions (init, clear,
// copy) and the conversions agree on them. Private to basekit.
#pragma once

#include <basekit/OleAuto.h>

namespace basekit::detail {

// A type a variant may hold by value (no VT_BYREF, array or vector bits). Of these only
// VT_BSTR owns memory.
inline bool isPlainKnownType(VARTYPE vt) {
    switch (vt) {
        case VT_EMPTY:
        case VT_NULL:
        case VT_I2:
        case VT_I4:
        case VT_R4:
        case VT_R8:
        case VT_CY:
        case VT_DATE:
        case VT_BSTR:
        case VT_ERROR:
        case VT_BOOL:
        case VT_I1:
        case VT_UI1:
        case VT_UI2:
        case VT_UI4:
        case VT_I8:
        case VT_UI8:
        case VT_INT:
        case VT_UINT:
            return true;
        default:
            return false;
    }
}

}  // namespace basekit::detail
