/// @file
/// Stand-in for the component object model: a minimal IUnknown and an in-process class
/// registry behind CLSIDFromProgID and CoCreateInstance.
#pragma once

#include <basekit/Guid.h>
#include <basekit/PovaString.h>
#include <basekit/WinTypes.h>
#include <basekit/basekit_export.h>

#include <functional>

/// The counted base of objects created through CoCreateInstance.
class IUnknown {
public:
    ///@{
    /// The interface of the object for an interface id, and its reference counting.
    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    ///@}

protected:
    ~IUnknown() = default;
};

/// The interface id of IUnknown.
constexpr IID IID_IUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

///@{
/// Class contexts: only in-process classes exist here.
constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_ALL = 0x17;
///@}

/// CoCreateInstance with an outer object: the stand-in's classes do not aggregate.
constexpr HRESULT CLASS_E_NOAGGREGATION = makeHResult(0x80040110u);

extern "C" {
/// The class id registered under a ProgID (compared without regard to case); REGDB_E_CLASSNOTREG
/// when none is, E_INVALIDARG for a null ProgID, E_POINTER for a null `clsid`. On failure
/// `*clsid` is GUID_NULL. Any thread may call these functions.
BASEKIT_API HRESULT CLSIDFromProgID(OLECHAR const* progId, CLSID* clsid);
/// Creates an object of a registered class and asks it for `iid`; REGDB_E_CLASSNOTREG for an
/// unknown class or a context without CLSCTX_INPROC_SERVER, E_POINTER for a null `object`,
/// CLASS_E_NOAGGREGATION for a non-null `outer`. `*object` is null on every failure. The factory
/// runs without the registry's lock held.
BASEKIT_API HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid,
                                     void** object);
}

namespace basekit {
/// Makes a new object for CoCreateInstance: fills `object` with the interface `iid` of a new
/// instance (one reference for the caller) or returns a failure code.
using ClassFactory = std::function<HRESULT(REFIID iid, void** object)>;

///@{
/// Registers a class under a ProgID; a second registration of either replaces the first.
BASEKIT_API void registerComClass(PovaString const& progId, CLSID const& clsid,
                                  ClassFactory factory);
BASEKIT_API void unregisterComClass(CLSID const& clsid);
///@}
}  // namespace basekit
