/// @class ZELT_o::Level
/// One level of a hierarchy.
#pragma once

#include <pova/pova_export.h>
#include <pova/support/LegacyRefCount.h>
#include <pova/support/NamedPart.h>

namespace ZELT_o {

class Hierarchy;
class MemberSet;

class POVA_API Level : public support::LegacyRefCount, public support::NamedPart {
public:
    /// The counting base has a getName() of its own (the module name); the object's name wins.
    using support::NamedPart::getName;

    /// The hierarchy it belongs to (borrowed).
    virtual Hierarchy* getHierarchy() const = 0;
    /// 0 for the top level.
    virtual LONG getDepth() const = 0;
    /// The members of the level as a new member set (one reference for the caller).
    virtual MemberSet* getMemberSet() = 0;

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    Level(char const* module, LONG instance) : support::LegacyRefCount(module, instance) {}
    ~Level() override;
};

}  // namespace ZELT_o
