// ZELT_o::ServerParameter: a parameter that the data source defines.
#pragma once

#include <pova/pova_export.h>
#include <pova/support/RefCount.h>

namespace ZELT_o {

class POVA_API ServerParameter : public support::RefCount {
protected:
    ServerParameter(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~ServerParameter() override;
};

}  // namespace ZELT_o
