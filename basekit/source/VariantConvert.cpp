// Conversion and comparison of variants.
#include <basekit/OleAuto.h>

extern "C" {

HRESULT VariantChangeType(VARIANT* /*dest*/, VARIANT const* /*src*/, USHORT /*flags*/,
                          VARTYPE /*vt*/) {
    return E_NOTIMPL;
}

HRESULT VarCmp(VARIANT* /*left*/, VARIANT* /*right*/, LCID /*lcid*/, ULONG /*flags*/) {
    return E_NOTIMPL;
}

}  // extern "C"
