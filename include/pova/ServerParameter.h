// ZELT_o::ServerParameter: a parameter that the data source defines.
#pragma once

#include <pova/RefCount.h>
#include <pova/pova_export.h>

namespace ZELT_o {

class POVA_API ServerParameter : public support::RefCount {
protected:
    ServerParameter(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~ServerParameter() override;
};

}  // namespace ZELT_o
