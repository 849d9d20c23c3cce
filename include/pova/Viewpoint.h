// ZELT_o::Viewpoint: a pivot-style view of one cube, with view axes and paged axes holding its
// dimensions. Changed through commands; reports changes to its ViewpointListeners.
// A viewpoint tree is used from one thread at a time.
#pragma once

#include <basekit/PovaString.h>
#include <pova/LegacyRefCount.h>
#include <pova/Queryable.h>
#include <pova/Types.h>
#include <pova/pova_export.h>

namespace ZELT_o {

class POVA_API Viewpoint : public support::LegacyRefCount, public Queryable {
public:
    // What an axis does with its dimensions; 0 means none.
    enum AxisType : LONG {
        kNoAxisType = 0,
        kView = 1,
        kSlice = 2,
        kHidden = 3,
        kExcluded = 4,
    };

protected:
    Viewpoint(char const* module, LONG instance) : support::LegacyRefCount(module, instance) {}
    ~Viewpoint() override;
};

}  // namespace ZELT_o
