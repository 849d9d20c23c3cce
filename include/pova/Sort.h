/// @class ZELT_o::Sort
/// The order of the members along one axis of a viewpoint. A root sort names the
/// dimensions of the axis it orders (ParentIndex -1); a modifier names the sort it changes
/// (ParentIndex) and either reverses its direction (IsReversing) or breaks its hierarchy
/// (ChangeHier).
///
/// What a provider makes of a sort is the provider's. memcube orders the tuples of a result
/// axis by a value: the sum of the first measure over the tuple's line (the cells of the tuple
/// across every other result axis; when Measures stands on another axis, only the cells of its
/// first measure count). Direction 1 is descending, any other value ascending; a line without
/// any value counts as lower than every value, and ties keep their order. Without a ChangeHier
/// modifier the hierarchy is kept: the members of each nested dimension are ordered among
/// their siblings, under the tuples of the dimensions outside them, and a member comes before
/// its descendants. With one, the tuples are ordered as one flat list. Each applied
/// IsReversing modifier flips the direction. When several sorts order one axis, the one with
/// the lowest Index decides. The name list is not read by memcube.
///
/// Not counted: whoever creates a sort owns it; a viewpoint owns the sorts it holds, a sort
/// command the sort it has not handed to its viewpoint yet. The dimensions a sort lists are
/// borrowed from the cube. One thread uses a sort at a time.
#pragma once

#include <basekit/PovaString.h>
#include <basekit/XmlNode.h>
#include <pova/Types.h>
#include <pova/pova_export.h>

#include <memory>
#include <vector>

class NodeListIterator;
class XmlSupport;

namespace ZELT_o {

class Cube;
class Dimension;

/// How doSetSort enters a sort: a new root sort, or a modifier of an existing one.
enum SortApplication : LONG {
    kNewSort = 1,
    kSortModifier = 4,
};

class POVA_API Sort {
public:
    /// The order of a root sort.
    enum Direction : LONG {
        kAscending = 0,
        kDescending = 1,
    };

    virtual ~Sort();
    Sort& operator=(Sort const&) = delete;

    /// A copy of the sort, for the caller.
    virtual std::unique_ptr<Sort> clone() const = 0;
    /// Whether the sort still fits its cube: every name of the name list is accepted by the
    /// dimension at its position of the dimension list (a name without a dimension is not).
    virtual bool fitsCube() const = 0;
    ///@{
    /// Whether the viewpoint applies the sort; false when created.
    virtual bool isApplied() const = 0;
    virtual void setApplied(bool const& applied) = 0;
    ///@}
    ///@{
    /// What a modifier does: reverse its sort's direction, or break its hierarchy (order the tuples
    /// as one flat list).
    virtual bool getIsReversing() const = 0;
    virtual void setIsReversing(bool const& reversing) = 0;
    virtual bool getChangeHier() const = 0;
    virtual void setChangeHier(bool const& changeHier) = 0;
    ///@}
    ///@{
    /// The id of the sort this one modifies; -1 for a root sort.
    virtual LONG getParentIndex() const = 0;
    virtual void setParentIndex(LONG const& index) = 0;
    ///@}
    ///@{
    /// The sort's place in the order of the viewpoint's sorts; its id when it is added.
    virtual LONG getIndex() const = 0;
    virtual void setIndex(LONG const& index) = 0;
    ///@}
    ///@{
    /// The Direction of a root sort.
    virtual LONG getDirection() const = 0;
    virtual void setDirection(LONG const& direction) = 0;
    ///@}
    ///@{
    /// The sort's name, unique among the viewpoint's sorts (Sort0, Sort1... when not given).
    virtual PovaString getSortName() const = 0;
    virtual void setSortName(PovaString const& name) = 0;
    ///@}
    ///@{
    /// The stored lists themselves. Names of specifications the sort refers to, position by
    /// position with the dimensions; the dimensions the sort applies to (borrowed), in order;
    /// the ids of the sorts that modify this one.
    virtual std::vector<PovaString>& getNameVec() = 0;
    virtual std::vector<Dimension*>& getDimVec() = 0;
    virtual std::vector<LONG>& getModifiers() = 0;
    ///@}
    /// Writes the sort into `element`, with `index` (its id) as "Index".
    virtual void save(XmlSupport& xml, LONG const& index, XmlNode element) const = 0;
    /// Reads the sort from the iterator's current element; dimensions are looked up by unique
    /// name in `cube`.
    virtual void load(NodeListIterator& iterator, Cube* cube) = 0;

protected:
    Sort() = default;
    /// Copied only as part of a derived object (clone).
    Sort(Sort const&) = default;
};

}  // namespace ZELT_o
