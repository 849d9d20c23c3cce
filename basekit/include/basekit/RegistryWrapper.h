/// @file
/// RegistryWrapper reads values from a registry export file (the standard ".reg" text format)
/// named by the environment variable POVA_REGISTRY. Without it, every value is absent.
#pragma once

#include <basekit/PovaString.h>
#include <basekit/WinTypes.h>
#include <basekit/basekit_export.h>

/// Reads values of the registry export file named by POVA_REGISTRY.
class BASEKIT_API RegistryWrapper {
public:
    /// Root numbers: 0 HKEY_CLASSES_ROOT, 1 HKEY_CURRENT_CONFIG, 2 HKEY_CURRENT_USER,
    /// 3 HKEY_LOCAL_MACHINE, 4 HKEY_USERS.
    enum Root : LONG {
        kClassesRoot = 0,
        kCurrentConfig = 1,
        kCurrentUser = 2,
        kLocalMachine = 3,
        kUsers = 4,
    };

    /// A string value ("name"="text"). True when it exists and is a string.
    static bool readRegKeyValue(LONG root, PovaString const& keyPath, PovaString const& valueName,
                                PovaString& value);
    /// A number value ("name"=dword:0000002a). True when it exists and is a dword.
    static bool readRegKeyValue(LONG root, PovaString const& keyPath, PovaString const& valueName,
                                DWORD& value);
};
