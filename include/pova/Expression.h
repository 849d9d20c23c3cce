/// @class ZELT_o::Expression
/// A tree of typed nodes standing for an MDX-style expression (a filter
/// condition, a calculated member's formula, a format's condition, a set expression).
///
/// Ownership: a node owns one reference to each of its children and releases it when the child
/// is removed or the node goes away; the parent expression and the parent context are not
/// counted. clone() hands one reference to the caller. A tree belongs to one caller at a time;
/// different trees may be used from different threads at once.
#pragma once

#include <basekit/OleAuto.h>
#include <basekit/PovaString.h>
#include <basekit/XmlNode.h>
#include <pova/pova_export.h>
#include <pova/support/RefCount.h>

#include <vector>

class NodeListIterator;
class XmlSupport;

namespace ZELT_o {

class ContextSpecification;
class Cube;
class Parameter;
class Viewpoint;

class POVA_API Expression : public support::RefCount {
public:
    /// Node kinds (see ExpressionKinds.def). Trees built node by node may carry numbers outside
    /// this list; loading rejects them.
    enum ExpressionType : LONG {
#define POVA_EXPRESSION_KIND(number, name, ...) k##name = number,
#include <pova/ExpressionKinds.def>
    };

    /// Writes the node and its subtree into `element`; `index` is its position among its
    /// siblings.
    virtual void save(XmlSupport& xml, LONG const& index, XmlNode element) = 0;
    /// Replaces the node's content by the node and subtree of the iterator's current element.
    /// An element that is missing or holds an invalid number is E_UNEXPECTED, and the node is
    /// left as it was.
    virtual void load(NodeListIterator& iterator, Cube* cube) = 0;
    /// A deep copy with one reference for the caller.
    virtual Expression* clone() = 0;
    /// Appends `child`, taking over the caller's reference, and makes this node its parent.
    /// Returns `child` (borrowed).
    virtual Expression* AddNewChild(Expression* child) = 0;
    /// Appends a new empty child and returns it (borrowed).
    virtual Expression* AddNewChild() = 0;
    /// Releases every child; the node becomes empty.
    virtual void RemoveAllChildren() = 0;
    /// Releases one child; a node that is not a child is a fault (E_UNEXPECTED).
    virtual void RemoveChild(Expression* child) = 0;
    ///@{
    /// The node's parent node (not counted), or null for a root.
    virtual void SetParentExpression(Expression* parent) = 0;
    virtual Expression* GetParentExpression() const = 0;
    ///@}
    ///@{
    /// The filter, format or sort that holds the root.
    virtual void SetParent(ContextSpecification* context) = 0;
    virtual ContextSpecification* GetParent() const = 0;
    ///@}
    /// Parses `text` into this node, replacing whatever it held. With `lookup`, names are
    /// classified by the cube and a word the cube does not know is an error; without it every
    /// name is a plain name. Returns true when the text was accepted; errors are thrown as
    /// BaseError and leave the node empty.
    virtual bool setTextAndCreateTree(PovaString const& text, Cube* cube, bool lookup) = 0;
    /// The tree's text. A parameter reference replaced for one use turns back into the
    /// reference here.
    virtual PovaString getTextFromTree() = 0;
    /// Same kind, text, string value (pointer), value and the very same children.
    virtual bool operator==(Expression& other) = 0;
    ///@{
    /// The children in order. setExpressions stores the given pointers as they are: the node
    /// then owns one reference to each, and the caller releases children it drops.
    virtual std::vector<Expression*>& getExpressions() = 0;
    virtual void setExpressions(std::vector<Expression*> const& children) = 0;
    ///@}
    ///@{
    /// The node's kind.
    virtual ExpressionType getType() const = 0;
    virtual void setType(ExpressionType type) = 0;
    ///@}
    ///@{
    /// The node's own text (an operator, a name, a literal as written).
    virtual PovaString const& getText() const = 0;
    virtual void setText(PovaString const& text) = 0;
    ///@}
    /// The literal value of numbers and booleans.
    virtual VARIANT& getValue() = 0;
    ///@{
    /// The name of names and parameter references; may be null.
    virtual OLECHAR const* getStringValue() const = 0;
    virtual void setStringValue(OLECHAR const* value) = 0;
    ///@}
    ///@{
    /// Replaces the parameter references of the tree by the values of the parameters the
    /// viewpoint's (or cube's) document offers, until the next getTextFromTree(); `used`
    /// receives each parameter used (borrowed).
    virtual void resolveParameters(Viewpoint* viewpoint, std::vector<Parameter*>& used) = 0;
    virtual void resolveParameters(Cube* cube, std::vector<Parameter*>& used) = 0;
    ///@}
    /// On a parameter reference: turns it into a node of `type` named `name`, until the next
    /// getTextFromTree(). Other nodes are left alone.
    virtual void replaceNode(ExpressionType type, OLECHAR const* name) = 0;
    /// Replaces, for good, every reference to `parameter` in the tree by its value.
    virtual void replaceParameter(Parameter* parameter) = 0;

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    Expression(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~Expression() override;

    /// Replaces every reference to `parameter` by its value, for good or until the next
    /// getTextFromTree().
    virtual void replace_parameter_with_value(Parameter* parameter, bool permanent) = 0;
};

}  // namespace ZELT_o
