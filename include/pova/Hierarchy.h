/// @class ZELT_o::Hierarchy
/// A hierarchy of a dimension, with its levels, members and calculated
/// members. Returned levels and members are borrowed; member sets are created with one
/// reference for the caller.
#pragma once

#include <basekit/XmlNode.h>
#include <pova/DimensionPart.h>
#include <pova/pova_export.h>
#include <pova/support/LegacyRefCount.h>
#include <pova/support/NamedPart.h>

#include <vector>

namespace ZELT_o {

class Calculation;
class Level;
class Member;
class MemberSet;

class POVA_API Hierarchy : public support::LegacyRefCount,
                           public support::NamedPart,
                           public DimensionPart {
public:
    /// The counting base has a getName() of its own (the module name); the object's name wins.
    using support::NamedPart::getName;

    /// What a hierarchy tells of changes to itself and its calculations.
    class POVA_API Listener {
    public:
        ///@{
        /// The hierarchy, or its list of calculated members, changed.
        virtual void hierarchyChanged(Hierarchy* hierarchy) = 0;
        virtual void calculationsChanged(Hierarchy* hierarchy) = 0;
        ///@}
        virtual ~Listener();

    protected:
        Listener() = default;
        ///@{
        /// Copied only as part of a derived object.
        Listener(Listener const&) = default;
        Listener& operator=(Listener const&) = default;
        ///@}
    };

    /// The levels, top first.
    virtual void getLevels(std::vector<Level*>& levels) const = 0;
    /// The member that stands for the whole hierarchy when it is not on an axis (an All member,
    /// say).
    virtual Member* getDefaultMember() const = 0;
    /// A member by unique name or, failing that, by name; null when unknown.
    virtual Member* findMember(PovaString const& name) const = 0;
    /// A new member set of the given kind (0 the active set, 8 a selection) whose default
    /// member is `defaultMember` (may be null). One reference for the caller.
    virtual MemberSet* createMemberSet(LONG kind, Member* defaultMember) = 0;
    ///@{
    /// Rebuilds what MemberSet::save and Member::save wrote into `element`: a member set (one
    /// reference for the caller) or a member (borrowed). Null when the element does not
    /// describe a set or member of this hierarchy. A set keeps those of its members that the
    /// hierarchy still has.
    virtual MemberSet* loadMemberSet(XmlNode element) = 0;
    virtual Member* loadMember(XmlNode element) = 0;
    ///@}

    ///@{
    /// Registers or removes a listener (not counted).
    virtual void addListener(Listener* listener) = 0;
    virtual void removeListener(Listener* listener) = 0;
    ///@}

    ///@{
    /// Calculated members held by this hierarchy, in order (borrowed).
    virtual void getCalculations(std::vector<Calculation*>& calculations) const = 0;
    virtual Calculation* findCalculation(PovaString const& uniqueName) const = 0;
    ///@}
    /// Adds a calculation (the hierarchy takes a reference); returns its identity.
    virtual LONG addCalculation(Calculation* calculation) = 0;
    ///@{
    /// Replace, remove, reorder, rename or relabel calculations; false (or no effect) when the
    /// calculation is unknown.
    virtual LONG replaceCalculation(Calculation* before, Calculation* after) = 0;
    virtual bool removeCalculation(PovaString const& uniqueName) = 0;
    virtual void removeAllCalculations() = 0;
    virtual bool swapCalculations(LONG first, LONG second) = 0;
    virtual bool renameCalculation(PovaString const& uniqueName, PovaString const& name) = 0;
    virtual bool setCalculationCaption(PovaString const& uniqueName, PovaString const& caption) = 0;
    ///@}

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    Hierarchy(char const* module, LONG instance) : support::LegacyRefCount(module, instance) {}
    ~Hierarchy() override;
};

}  // namespace ZELT_o
