// ZELT_o::Row: one row of a rowset: its cell values in column order.
#pragma once

#include <pova/RefCount.h>
#include <pova/pova_export.h>

namespace ZELT_o {

class POVA_API Row : public support::RefCount {
protected:
    Row(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~Row() override;
};

}  // namespace ZELT_o
