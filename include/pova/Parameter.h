/// @class ZELT_o::Parameter
/// A named prompt whose value is substituted into expressions and viewpoints.
#pragma once

#include <basekit/PovaString.h>
#include <pova/pova_export.h>
#include <pova/support/RefCount.h>

namespace ZELT_o {

class ParameterValue;

class POVA_API Parameter : public support::RefCount {
public:
    /// Parameter types the system tells apart.
    enum ParameterType : LONG {
        PT_MEMBER = 4,
        PT_MEMBERSET = 5,
        PT_INTERVAL = 7,
        PT_COMPLEX = 12,
    };

    /// What a parameter tells its listeners.
    class POVA_API Listener {
    public:
        /// The parameter's value changed.
        virtual void parameterChanged(Parameter* parameter) = 0;
        /// The parameter's description (name, caption, type) changed.
        virtual void parameterDefinitionChanged(Parameter* parameter) = 0;
        /// The parameter is being deleted; answer true when the listener changed the
        /// parameter's listener list.
        virtual bool parameterDeleting(Parameter* parameter) = 0;
        /// Events of the parameter are held or released.
        virtual void parameterEventsHeld(Parameter* parameter, bool held) = 0;
        /// The parameter's users changed.
        virtual void parameterUsersChanged(Parameter* parameter) = 0;
        virtual ~Listener();

    protected:
        Listener() = default;
        ///@{
        /// Copied only as part of a derived object.
        Listener(Listener const&) = default;
        Listener& operator=(Listener const&) = default;
        ///@}
    };

    /// The parameter's unique name, by which expressions refer to it ("<<name>>").
    virtual void getUniqueName(PovaString& name) const = 0;
    /// The current value, or null; one reference for the caller.
    virtual void getValue(ParameterValue** value) const = 0;
    /// The default value, or null; one reference for the caller.
    virtual void getDefaultValue(ParameterValue** value) const = 0;
    /// The parameter's ParameterType.
    virtual void getType(ParameterType* type) const = 0;

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    Parameter(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~Parameter() override;
};

}  // namespace ZELT_o
