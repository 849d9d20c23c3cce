/// @class ZELT_o::MemberSet
/// An ordered list of members of one hierarchy, the unit a viewpoint shows
/// on an axis or selects. Returned members are borrowed.
#pragma once

#include <basekit/XmlNode.h>
#include <pova/DimensionPart.h>
#include <pova/Queryable.h>
#include <pova/pova_export.h>
#include <pova/support/LegacyRefCount.h>

#include <vector>

class XmlSupport;

namespace ZELT_o {

class Hierarchy;
class Member;

class POVA_API MemberSet : public support::LegacyRefCount, public DimensionPart, public Queryable {
public:
    /// Hears when a set that may vary (one a parameter drives, say) changes.
    class POVA_API Listener {
    public:
        /// The set's members changed.
        virtual void variableChanged(MemberSet* set) = 0;
        virtual ~Listener();

    protected:
        Listener() = default;
        ///@{
        /// Copied only as part of a derived object.
        Listener(Listener const&) = default;
        Listener& operator=(Listener const&) = default;
        ///@}
    };

    /// Hears when a change of the set is undone.
    class POVA_API UndoListener {
    public:
        /// A change of the set was undone.
        virtual void setChangeUndone(MemberSet* set) = 0;
        virtual ~UndoListener();

    protected:
        UndoListener() = default;
        ///@{
        /// Copied only as part of a derived object.
        UndoListener(UndoListener const&) = default;
        UndoListener& operator=(UndoListener const&) = default;
        ///@}
    };

    /// The hierarchy the members belong to (borrowed).
    virtual Hierarchy* getHierarchy() const = 0;
    /// The kind the set was made with.
    virtual LONG getKind() const = 0;
    /// The number of members.
    virtual LONG getCount() const = 0;
    /// The i-th member, or null outside 0 .. getCount() - 1.
    virtual Member* getMember(LONG i) const = 0;
    /// All members, in order.
    virtual void getMembers(std::vector<Member*>& members) const = 0;
    /// The test a member-set command asks: an empty set (a cleared selection, say) leaves
    /// nothing worth undoing.
    virtual bool isEmpty() const { return getCount() == 0; }

    ///@{
    /// Register or remove listeners (not counted).
    virtual void addListener(Listener* listener) = 0;
    virtual void removeListener(Listener* listener) = 0;
    virtual void addUndoListener(UndoListener* listener) = 0;
    virtual void removeUndoListener(UndoListener* listener) = 0;
    ///@}

    /// Writes the set's definition into `element`: enough for Hierarchy::loadMemberSet, with the
    /// attribute "Hierarchy" naming the hierarchy by unique name.
    virtual void save(XmlSupport& xml, XmlNode element) const = 0;

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    MemberSet(char const* module, LONG instance) : support::LegacyRefCount(module, instance) {}
    ~MemberSet() override;
};

}  // namespace ZELT_o
