/// @file
/// The library's module-wide state: the log pointer taken at process attach and the static
/// names of the log modules.
#pragma once

#include <basekit/CoreLog.h>
#include <basekit/PovaString.h>
#include <pova/pova_export.h>

namespace support {

/// The process log taken at attach; null before attach and after detach. Every trace tests it.
POVA_API CoreLog* moduleLog();

/// "MEMORY": the log module of the counting bases.
POVA_API PovaString const& memoryModule();
/// "INTERFACE": the log module of the viewpoint's traces.
POVA_API PovaString const& interfaceModule();
/// "Pova_Common": the library's component name.
POVA_API PovaString const& componentName();

/// The one PovaString of this UTF-8 text for the life of the process (never destroyed, so it
/// may be used during static destruction). Log names are kept this way so that creating a
/// counted object allocates no name: asking again for a name in use costs a table probe.
/// Thread-safe.
POVA_API PovaString const& internedName(char const* utf8);

/// Message code of trace records.
inline constexpr unsigned kTraceMessageCode = 0xC2011000u;
/// Message code of ComponentLog records.
inline constexpr unsigned kComponentLogMessageCode = 0xC2011F00u;

}  // namespace support

extern "C" {
///@{
/// Process attach and detach; run when the library is loaded and unloaded. Both return true.
POVA_API bool povaProcessAttach();
POVA_API bool povaProcessDetach();
///@}
}
