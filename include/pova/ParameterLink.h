/// @class ZELT_o::ParameterLink
/// Binds a parameter to a dimension's member set, slice or selection.
#pragma once

#include <pova/pova_export.h>
#include <pova/support/RefCount.h>

namespace ZELT_o {

class Dimension;
class Parameter;

class POVA_API ParameterLink : public support::RefCount {
public:
    /// What a link tells of its parameter.
    class POVA_API Listener {
    public:
        /// The linked parameter's value changed; `dimension` is the linked dimension.
        virtual void parameterChanged(Parameter* parameter, Dimension* dimension) = 0;
        /// The linked parameter is being deleted; true when the listener handled it.
        virtual bool forceDeleteOfParameter(ParameterLink* link) = 0;
        virtual ~Listener();

    protected:
        Listener() = default;
        ///@{
        /// Copied only as part of a derived object.
        Listener(Listener const&) = default;
        Listener& operator=(Listener const&) = default;
        ///@}
    };

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    ParameterLink(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~ParameterLink() override;
};

}  // namespace ZELT_o
