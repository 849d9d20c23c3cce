/// @file
/// Conversions between text and numbers or GUIDs, in the C locale.
#pragma once

#include <basekit/Guid.h>
#include <basekit/PovaString.h>
#include <basekit/WinTypes.h>
#include <basekit/basekit_export.h>

/// Conversions between text and numbers or GUIDs, in the C locale.
class BASEKIT_API StringConverters {
public:
    /// Parses the whole text (surrounding blanks allowed) as a real number; false otherwise.
    static bool convertStringToReal(PovaString const& text, double& value);
    /// Up to 15 significant digits, shortest form ("12", "0.1", "1e+20"); "NaN", "Infinity" and
    /// "-Infinity" for the values that are no numbers, which convertStringToReal reads back.
    static PovaString convertRealToString(double value);
    /// Parses the whole text as a 32-bit integer; false when it is not one or out of range.
    static bool convertStringToInteger(PovaString const& text, LONG& value);
    /// Decimal digits, with a minus sign when negative.
    static PovaString convertIntegerToString(LONGLONG value);
    /// The registry form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hexadecimal.
    static PovaString convertGUIDToString(GUID const& guid);
    /// Reads the registry form (braces required, either case); false and `guid` untouched
    /// otherwise.
    static bool convertStringToGUID(PovaString const& text, GUID& guid);
};

/// What the system asks of the platform.
class BASEKIT_API SystemSupport {
public:
    /// Makes a new random (version 4) GUID. Returns true. The flag is kept for the call sites
    /// that pass it and has no effect.
    static bool GenerateGUID(GUID& guid, bool unique = true);
};
