/// @file
/// ZELT_o::DataType: the kinds of value a result cell or a rowset column holds.
#pragma once

#include <basekit/WinTypes.h>

namespace ZELT_o {

/// The kinds of value a result cell or a rowset column holds.
enum DataType : LONG {
    kDataNone = 0,
    kDataInteger = 1,
    kDataReal = 2,
    kDataString = 3,
    kDataDateTime = 4,
    kDataVariant = 5,
};

}  // namespace ZELT_o
