/// @class ZELT_o::Filter
/// A specification that takes lines out of a viewpoint's result. A filter
/// (expression type 0) keeps the lines of an axis for which its expressions hold; a tuple filter
/// (expression type 6) belongs to one axis and removes the tuples it lists from it.
///
/// What the lists hold:
/// - dimension list: the dimensions the filter applies to. A filter applies to the axis on which
///   all of them stand; a tuple filter's are the axis's dimensions its tuples run over, in
///   order, standing next to each other on the axis.
/// - name list: for a filter, entry i names a level or hierarchy of dimension i (by unique name):
///   the filter then tests only the lines whose member of that dimension lies on that level or in
///   that hierarchy, and keeps the others. For a tuple filter, the member unique names of the
///   tuples it removes, one tuple after the other, one name per dimension of the dimension list.
/// - hierarchy list: the hierarchies the filter was written for (kept and saved; a hierarchy the
///   cube no longer has makes the filter invalid).
/// - expressions: the conditions a line must meet, all of them; a filter without any keeps every
///   line. A tuple filter's expressions are kept and saved but not evaluated.
///
/// A reference provider reading them: memcube evaluates, for each line of the axis, comparisons
/// (= <> < <= > >=) between numbers and measures ([Measures].[Sales] stands for the measure's
/// value at the line's members of the filter's dimensions, the slices of the paged axes and the
/// default member of every other dimension; an empty value counts as 0), AND, OR, NOT, unary
/// minus, parentheses, and membership tests of the line's members: `[Dim] Is [Dim].[Member]`
/// (or `CurrentMember( [Dim] ) Is ...`) and `IsAncestor( [Dim].[Member] , CurrentMember( [Dim] )
/// )`. It refuses anything else when the viewpoint is queried.
///
/// Validity. A filter is valid when every name of its name list is known to the dimension at the
/// same position and every dimension and hierarchy it lists exists; a tuple filter is valid only
/// against a viewpoint, when its dimensions stand next to each other, in order, on its axis and
/// every name is known to its dimension. The viewpoint marks a tuple filter that no longer fits
/// its axis invalid (queries then leave it out) and keeps it, so that an undo of the change that
/// made it invalid makes it valid again.
///
/// Ownership: counted, born with one reference for its creator. A filter owns one reference to
/// each of its expressions (whose parent context it is); the dimensions and hierarchies it lists
/// are borrowed from the cube. One thread uses a filter at a time; addRef and release may come
/// from any thread.
#pragma once

#include <basekit/PovaString.h>
#include <basekit/XmlNode.h>
#include <pova/Format.h>
#include <pova/pova_export.h>
#include <pova/support/RefCount.h>

#include <vector>

class NodeListIterator;
class XmlSupport;

namespace ZELT_o {

class Cube;
class Dimension;
class Expression;
class Hierarchy;
class Viewpoint;

class POVA_API Filter : public ContextSpecification, public support::RefCount {
public:
    ///@{
    /// Expression types.
    static constexpr LONG kExpressionFilter = 0;
    static constexpr LONG kTupleFilter = 6;
    ///@}

    Filter(Filter const&) = delete;
    Filter& operator=(Filter const&) = delete;

    ///@{
    /// kExpressionFilter or kTupleFilter.
    virtual LONG getExpressionType() const = 0;
    virtual void setExpressionType(LONG type) = 0;
    ///@}
    ///@{
    /// The axis of a tuple filter; -1 for none.
    virtual LONG getAxis() const = 0;
    virtual void setAxis(LONG axis) = 0;
    ///@}
    ///@{
    /// Whether the viewpoint applies the filter: removal clears it, an undo sets it again.
    virtual bool isApplied() const = 0;
    virtual void setApplied(bool applied) = 0;
    ///@}
    ///@{
    /// The filter's place in the order of filters; set to its id when it is added.
    virtual LONG getIndex() const = 0;
    virtual void setIndex(LONG index) = 0;
    ///@}
    ///@{
    /// The filter's name (Filter0, TupleFilter0... when not given).
    virtual PovaString getName() const = 0;
    virtual void setName(PovaString const& name) = 0;
    ///@}
    ///@{
    /// False while the viewpoint's layout does not fit the tuple filter (see above).
    virtual bool isValid() const = 0;
    virtual void setValid(bool valid) = 0;
    ///@}
    ///@{
    /// The stored name list, dimension list and hierarchy list (see above).
    virtual std::vector<PovaString>& getNameVec() = 0;
    virtual std::vector<PovaString> const& getNameVec() const = 0;
    virtual std::vector<Dimension*>& getDimVec() = 0;
    virtual std::vector<Dimension*> const& getDimVec() const = 0;
    virtual std::vector<Hierarchy*>& getHierVec() = 0;
    virtual std::vector<Hierarchy*> const& getHierVec() const = 0;
    ///@}
    /// The expressions, borrowed.
    virtual std::vector<Expression*> const& getExpressions() const = 0;
    /// Appends `expression`, taking a reference of its own, and becomes its parent context.
    virtual void addExpression(Expression* expression) = 0;
    /// Releases every expression.
    virtual void clearExpressions() = 0;
    /// The validity check above; a tuple filter is checked against `viewpoint` (may be null).
    virtual bool validate(Viewpoint* viewpoint) const = 0;
    /// Writes the filter into `element`, with `index` as its id.
    virtual void save(XmlSupport& xml, LONG const& index, XmlNode element) const = 0;
    /// Reads the filter from the iterator's current element; dimensions and hierarchies are
    /// looked up in `cube`, and one it lacks is listed as null (which makes the filter invalid).
    virtual void load(NodeListIterator& iterator, Cube* cube) = 0;

    /// Whether this is a tuple filter.
    bool isTupleFilter() const { return getExpressionType() == kTupleFilter; }

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    Filter(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~Filter() override;
};

}  // namespace ZELT_o
