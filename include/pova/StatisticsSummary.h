// ZELT_o::StatisticsSummary: summary statistics and trend lines of a row or column of data.
#pragma once

#include <pova/pova_export.h>
#include <pova/support/RefCount.h>

namespace ZELT_o {

class POVA_API StatisticsSummary : public support::RefCount {
protected:
    StatisticsSummary(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~StatisticsSummary() override;
};

}  // namespace ZELT_o
