/// @class common::ExpressionBase
/// The one implementation of ZELT_o::Expression. A tree is built by
/// parsing text (setTextAndCreateTree), node by node (AddNewChild, setType, setStringValue) or
/// from XML (load); it is turned back into text by getTextFromTree.
///
/// Every walk over a tree (printing, cloning, saving, loading, parameter substitution and
/// destruction) keeps its own work list instead of recursing, so trees of any depth are safe.
/// Ownership and threading are those of ZELT_o::Expression. Parses run in parallel: each has its
/// own lexer and parser state, and only the lexer's calls into the cube are serialised, by one
/// process-wide lock (a provider's cube need not be thread-safe).
#pragma once

#include <basekit/OleAuto.h>
#include <basekit/PovaString.h>
#include <pova/Expression.h>
#include <pova/pova_export.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace common {

class POVA_API ExpressionBase : public ZELT_o::Expression {
public:
    /// An empty node (kind 141) below `parent` (not counted; may be null).
    explicit ExpressionBase(ZELT_o::Expression* parent = nullptr);

    /// A new empty root node for the caller (one reference): what a viewpoint's
    /// CreateNewExpression hands out. A null `out` is E_INVALIDARG.
    static void createNew(ZELT_o::Expression** out);

    void save(XmlSupport& xml, LONG const& index, XmlNode element) override;
    void load(NodeListIterator& iterator, ZELT_o::Cube* cube) override;
    ZELT_o::Expression* clone() override;
    ZELT_o::Expression* AddNewChild(ZELT_o::Expression* child) override;
    ZELT_o::Expression* AddNewChild() override;
    void RemoveAllChildren() override;
    void RemoveChild(ZELT_o::Expression* child) override;
    void SetParentExpression(ZELT_o::Expression* parent) override { fParentExpression = parent; }
    ZELT_o::Expression* GetParentExpression() const override { return fParentExpression; }
    void SetParent(ZELT_o::ContextSpecification* context) override { fParentContext = context; }
    ZELT_o::ContextSpecification* GetParent() const override { return fParentContext; }
    bool setTextAndCreateTree(PovaString const& text, ZELT_o::Cube* cube, bool lookup) override;
    PovaString getTextFromTree() override;
    bool operator==(ZELT_o::Expression& other) override;
    /// Two nodes of this class compare without the reversed-operand ambiguity of C++20.
    bool operator==(ExpressionBase& other) {
        return *this == static_cast<ZELT_o::Expression&>(other);
    }
    std::vector<ZELT_o::Expression*>& getExpressions() override { return fChildren; }
    void setExpressions(std::vector<ZELT_o::Expression*> const& children) override {
        fChildren = children;
    }
    ExpressionType getType() const override { return fType; }
    void setType(ExpressionType type) override { fType = type; }
    PovaString const& getText() const override { return fText; }
    void setText(PovaString const& text) override { fText = text; }
    VARIANT& getValue() override { return *fValue; }
    OLECHAR const* getStringValue() const override { return fStringValue.get(); }
    void setStringValue(OLECHAR const* value) override;
    /// Stores a copy of `value` (which needs no terminating zero) as the string value.
    void assignStringValue(std::u16string_view value);
    void resolveParameters(ZELT_o::Viewpoint* viewpoint,
                           std::vector<ZELT_o::Parameter*>& used) override;
    void resolveParameters(ZELT_o::Cube* cube, std::vector<ZELT_o::Parameter*>& used) override;
    void replaceNode(ExpressionType type, OLECHAR const* name) override;
    void replaceParameter(ZELT_o::Parameter* parameter) override;

    /// Parses `text` (older syntax accepted) and, when that succeeds, replaces it by the tree's
    /// text. Returns false, leaving `text` alone, when the text cannot be parsed.
    bool convertFromSkiff(PovaString& text, ZELT_o::Cube* cube);

    /// Substitutes every parameter reference of the tree by the value of the first parameter of
    /// `available` with that unique name (case-insensitive), until the next getTextFromTree().
    /// Each parameter used is appended to `used`. An unknown name is the error 0xC2018005.
    void resolve_parameters(std::vector<ZELT_o::Parameter*>& available,
                            std::vector<ZELT_o::Parameter*>& used);

    /// Whether the node is a value standing in for a parameter reference until the next
    /// getTextFromTree().
    bool isRestorePending() const { return fRestorePending; }

protected:
    ~ExpressionBase() override;

    void replace_parameter_with_value(ZELT_o::Parameter* parameter, bool permanent) override;

private:
    void reserve_children();
    // Releases the children and forgets kind, value, string value and a pending restore; the
    // text stays.
    void clear_content();
    // Takes over kind, value, string value, restore state and children of `from` (whose
    // children then name this node as their parent); the text stays.
    void take_content(ExpressionBase& from);
    // A copy of this node's own fields, without children.
    ExpressionBase* copy_node() const;
    // The node's own text (its keyword); turns a substituted parameter back first. Text that is
    // not a fixed keyword is built in `scratch`.
    std::u16string_view keyword(std::u16string& scratch);
    void restore_parameter();
    void save_node(XmlSupport& xml, LONG index, XmlNode element) const;
    // Reads the node's own fields and the elements of its children. A number attribute that
    // is present but not a valid number (or kind) is E_UNEXPECTED.
    void load_node(XmlNode element, std::vector<XmlNode>& children);
    // Releases the nodes, and the subtrees of those that go away, without recursing.
    static void release_nodes(std::vector<ZELT_o::Expression*> nodes);

    ZELT_o::Expression* fParentExpression;
    ZELT_o::ContextSpecification* fParentContext;
    // One reference owned per entry.
    std::vector<ZELT_o::Expression*> fChildren;
    ExpressionType fType;
    PovaString fText;
    basekit::Variant fValue;
    std::unique_ptr<OLECHAR[]> fStringValue;
    bool fRestorePending;
    std::unique_ptr<OLECHAR[]> fSavedName;
};

}  // namespace common
