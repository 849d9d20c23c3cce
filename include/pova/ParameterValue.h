// ZELT_o::ParameterValue: one value of a parameter.
#pragma once

#include <pova/RefCount.h>
#include <pova/pova_export.h>

namespace ZELT_o {

class POVA_API ParameterValue : public support::RefCount {
public:
    // Kinds of value.
    enum ParamValueType : LONG {
        kNone = 0,
        kString = 1,
        kInteger = 2,
        kDouble = 3,
        kMember = 4,
        kMemberSet = 5,
    };

protected:
    ParameterValue(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~ParameterValue() override;
};

}  // namespace ZELT_o
