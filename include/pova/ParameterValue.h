/// @class ZELT_o::ParameterValue
/// One value of a parameter.
#pragma once

#include <basekit/PovaString.h>
#include <pova/pova_export.h>
#include <pova/support/RefCount.h>

namespace ZELT_o {

class Member;

class POVA_API ParameterValue : public support::RefCount {
public:
    /// Kinds of value.
    enum ParamValueType : LONG {
        kNone = 0,
        kString = 1,
        kInteger = 2,
        kDouble = 3,
        kMember = 4,
        kMemberSet = 5,
    };

    /// The kind of value.
    virtual ParamValueType getValueType() const = 0;
    ///@{
    /// Each reads its own field, whatever the value's kind.
    virtual void getValue(PovaString& value) const = 0;
    virtual void getValue(LONG& value) const = 0;
    virtual void getValue(double& value) const = 0;
    ///@}
    /// The member, or null; one reference for the caller.
    virtual void getValue(Member** member) const = 0;

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    ParameterValue(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~ParameterValue() override;
};

}  // namespace ZELT_o
