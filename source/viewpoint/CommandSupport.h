// What the viewpoint's command classes share: the errors they raise, how their trace lines
// print an address, and the case of their execute/undo switch that runs a recorded kind.
#pragma once

#include <basekit/BaseError.h>
#include <pova/common/ViewpointCommon.h>

#include <cstdint>

namespace common::command {

inline constexpr ZELT_o::MessageCode kAlreadyRecorded = 0xC201120Bu;
inline constexpr ZELT_o::MessageCode kCannotRun = 0xC201120Cu;

// A command's error, in the viewpoint's log module.
[[noreturn]] inline void raise(ZELT_o::MessageCode code) {
    throw BaseError(code, ViewpointCommon::fModule(), 1, 0);
}

// A pointer as the trace lines print it ("%x").
inline unsigned traceAddress(void const* object) {
    return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(object));
}

}  // namespace common::command

// Inside `switch (fKind)` of a member function with a parameter `bool undo`: the recorded
// kind `kind` runs undo_NAME() or execute_NAME().
#define POVA_COMMAND_KIND_CASE(kind, name) \
    case kind:                             \
        if (undo) {                        \
            undo_##name();                 \
        } else {                           \
            execute_##name();              \
        }                                  \
        return;
