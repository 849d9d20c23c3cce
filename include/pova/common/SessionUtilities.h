/// @file
/// Helpers shared by documents and sessions, and the system's one equality of values.
#pragma once

#include <basekit/OleAuto.h>
#include <pova/pova_export.h>

namespace common {

/// Whether two values are equal: two nulls are; values of different types are not (no
/// conversion is tried); otherwise VarCmp in the user default locale decides. A value that
/// cannot be copied or compared equals nothing.
POVA_API bool CompareTwoVariants(VARIANT const& a, VARIANT const& b);

}  // namespace common
