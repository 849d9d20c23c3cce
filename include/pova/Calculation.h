/// @class ZELT_o::Calculation
/// A calculated member, a member defined by a formula and held by a
/// hierarchy.
#pragma once

#include <basekit/PovaString.h>
#include <basekit/XmlNode.h>
#include <pova/Parameter.h>
#include <pova/pova_export.h>
#include <pova/support/LegacyRefCount.h>

class XmlSupport;

namespace ZELT_o {

class Hierarchy;

class POVA_API Calculation : public support::LegacyRefCount, public Parameter::Listener {
public:
    ///@{
    /// The calculated member's name, unique name and caption.
    virtual PovaString getName() const = 0;
    virtual void setName(PovaString const& name) = 0;
    virtual PovaString getUniqueName() const = 0;
    virtual PovaString getCaption() const = 0;
    virtual void setCaption(PovaString const& caption) = 0;
    ///@}
    ///@{
    /// The formula that defines the member.
    virtual PovaString getFormula() const = 0;
    virtual void setFormula(PovaString const& formula) = 0;
    ///@}
    ///@{
    /// The solve order: which calculation wins where two meet.
    virtual LONG getPriority() const = 0;
    virtual void setPriority(LONG priority) = 0;
    ///@}
    ///@{
    /// The hierarchy the calculation belongs to (borrowed); null until it is set.
    virtual Hierarchy* getHierarchy() const = 0;
    virtual void setHierarchy(Hierarchy* hierarchy) = 0;
    ///@}
    /// Copies every property of `other` into this calculation.
    virtual void copyFrom(Calculation const& other) = 0;
    ///@{
    /// Writes the calculation into `element`, or reads it back (false when the element does not
    /// describe one).
    virtual void save(XmlSupport& xml, XmlNode element) const = 0;
    virtual bool load(XmlNode element) = 0;
    ///@}

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    Calculation(char const* module, LONG instance) : support::LegacyRefCount(module, instance) {}
    ~Calculation() override;
};

}  // namespace ZELT_o
