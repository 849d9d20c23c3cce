// ZELT_o::MemberSet: an ordered list of members of one hierarchy, the unit a viewpoint shows
// on an axis or selects. Returned members are borrowed.
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
    class POVA_API Listener {
    public:
        virtual void variableChanged(MemberSet* set) = 0;
        virtual ~Listener();

    protected:
        Listener() = default;
        Listener(Listener const&) = default;
        Listener& operator=(Listener const&) = default;
    };

    class POVA_API UndoListener {
    public:
        virtual void setChangeUndone(MemberSet* set) = 0;
        virtual ~UndoListener();

    protected:
        UndoListener() = default;
        UndoListener(UndoListener const&) = default;
        UndoListener& operator=(UndoListener const&) = default;
    };

    virtual Hierarchy* getHierarchy() const = 0;
    // The kind the set was made with.
    virtual LONG getKind() const = 0;
    virtual LONG getCount() const = 0;
    // The i-th member, or null outside 0 .. getCount() - 1.
    virtual Member* getMember(LONG i) const = 0;
    virtual void getMembers(std::vector<Member*>& members) const = 0;
    // The test a member-set command asks: an empty set (a cleared selection, say) leaves
    // nothing worth undoing.
    virtual bool isEmpty() const { return getCount() == 0; }

    virtual void addListener(Listener* listener) = 0;
    virtual void removeListener(Listener* listener) = 0;
    virtual void addUndoListener(UndoListener* listener) = 0;
    virtual void removeUndoListener(UndoListener* listener) = 0;

    // Writes the set's definition into `element`: enough for Hierarchy::loadMemberSet, with the
    // attribute "Hierarchy" naming the hierarchy by unique name.
    virtual void save(XmlSupport& xml, XmlNode element) const = 0;

protected:
    MemberSet(char const* module, LONG instance) : support::LegacyRefCount(module, instance) {}
    ~MemberSet() override;
};

}  // namespace ZELT_o
