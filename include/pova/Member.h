/// @class ZELT_o::Member
/// One member of a hierarchy. Returned objects are borrowed.
#pragma once

#include <basekit/PovaString.h>
#include <basekit/XmlNode.h>
#include <pova/DimensionPart.h>
#include <pova/pova_export.h>
#include <pova/support/LegacyRefCount.h>

#include <vector>

class XmlSupport;

namespace ZELT_o {

class Hierarchy;
class Level;

class POVA_API Member : public support::LegacyRefCount, public DimensionPart {
public:
    /// Member types.
    enum Type : LONG {
        kRegular = 0,
        kAll = 1,
        kMeasure = 2,
        kFormula = 3,
        kUnknown = 4,
        /// A stand-in whose real member is the default member of its hierarchy.
        kDefault = 5,
    };

    /// A member that may vary (for instance when a parameter drives it) tells its listeners.
    class POVA_API Listener {
    public:
        /// The member now stands for another one.
        virtual void variableChanged(Member* member) = 0;
        virtual ~Listener();

    protected:
        Listener() = default;
        ///@{
        /// Copied only as part of a derived object.
        Listener(Listener const&) = default;
        Listener& operator=(Listener const&) = default;
        ///@}
    };

    ///@{
    /// The member's name, unique name (which says where it is in its cube) and caption (what a user
    /// sees).
    virtual PovaString getName() const = 0;
    virtual PovaString getUniqueName() const = 0;
    virtual PovaString getCaption() const = 0;
    ///@}
    /// Its Type.
    virtual LONG getMemberType() const = 0;
    ///@{
    /// Its place in the cube: hierarchy, level, parent (null on top) and children.
    virtual Hierarchy* getHierarchy() const = 0;
    virtual Level* getLevel() const = 0;
    virtual Member* getParent() const = 0;
    virtual void getChildren(std::vector<Member*>& children) const = 0;
    ///@}

    ///@{
    /// Registers or removes a listener (not counted).
    virtual void addListener(Listener* listener) = 0;
    virtual void removeListener(Listener* listener) = 0;
    ///@}

    /// Writes the member's identity into `element`: enough for Hierarchy::loadMember, with the
    /// attribute "Hierarchy" naming the hierarchy by unique name.
    virtual void save(XmlSupport& xml, XmlNode element) const = 0;

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    Member(char const* module, LONG instance) : support::LegacyRefCount(module, instance) {}
    ~Member() override;
};

}  // namespace ZELT_o
