// ZELT_o::QueryFieldsData: the named property requests that shape a viewpoint's queries.
#pragma once

#include <pova/pova_export.h>
#include <pova/support/RefCount.h>

namespace ZELT_o {

class POVA_API QueryFieldsData : public support::RefCount {
protected:
    QueryFieldsData(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~QueryFieldsData() override;
};

}  // namespace ZELT_o
