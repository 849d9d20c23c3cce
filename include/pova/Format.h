/// @file
/// ZELT_o::ContextSpecification and ZELT_o::Format: a specification that applies to named
/// dimensions, and a format, which says how the cells of that context look.
///
/// Not counted: whoever creates a format owns it (clone() hands the copy to the caller). A
/// format owns one reference to its style and to its condition expression; the dimensions it
/// lists are borrowed from the cube. One thread uses a format at a time.
#pragma once

#include <basekit/PovaString.h>
#include <basekit/XmlNode.h>
#include <pova/pova_export.h>

#include <memory>
#include <vector>

class NodeListIterator;
class XmlSupport;

namespace ZELT_o {

class Cube;
class Dimension;
class Expression;
class Style;

/// A specification that applies to named dimensions: the parent context of its expressions.
class POVA_API ContextSpecification {
public:
    virtual ~ContextSpecification();

protected:
    ContextSpecification() = default;
    ///@{
    /// Copied only as part of a derived object.
    ContextSpecification(ContextSpecification const&) = default;
    ContextSpecification& operator=(ContextSpecification const&) = default;
    ///@}
};

/// Says how the cells of its context look, through its style.
class POVA_API Format : public ContextSpecification {
public:
    ~Format() override;

    ///@{
    /// Whether the viewpoint applies the format.
    virtual bool getInUse() const = 0;
    virtual void setInUse(bool inUse) = 0;
    ///@}
    ///@{
    /// The id of the format this one modifies; -1 for none.
    virtual LONG getParentIndex() const = 0;
    virtual void setParentIndex(LONG index) = 0;
    ///@}
    ///@{
    /// The format's id in its viewpoint; -1 until it is entered there.
    virtual LONG getIndex() const = 0;
    virtual void setIndex(LONG index) = 0;
    ///@}
    ///@{
    /// The format's name.
    virtual PovaString getName() const = 0;
    virtual void setName(PovaString const& name) = 0;
    ///@}
    ///@{
    /// The client's own text, kept and saved.
    virtual PovaString getUserInfo() const = 0;
    virtual void setUserInfo(PovaString const& info) = 0;
    ///@}
    ///@{
    /// The member or level names the format applies to, position by position with the
    /// dimensions.
    virtual std::vector<PovaString>& getNameList() = 0;
    virtual std::vector<PovaString> const& getNameList() const = 0;
    ///@}
    ///@{
    /// The dimensions the format applies to (borrowed).
    virtual std::vector<Dimension*>& getDimensions() = 0;
    virtual std::vector<Dimension*> const& getDimensions() const = 0;
    ///@}
    ///@{
    /// The unique names of the dimensions.
    virtual std::vector<PovaString>& getDimensionNames() = 0;
    virtual std::vector<PovaString> const& getDimensionNames() const = 0;
    ///@}
    ///@{
    /// The ids of the formats that modify this one.
    virtual std::vector<LONG>& getChildCommands() = 0;
    virtual std::vector<LONG> const& getChildCommands() const = 0;
    ///@}
    ///@{
    /// The format's style (borrowed; never null).
    virtual Style* getStyle() = 0;
    virtual Style const* getStyle() const = 0;
    ///@}
    /// The condition (borrowed), or null.
    virtual Expression* getExpression() const = 0;
    /// Takes a reference on `expression` (may be null) and releases the old one.
    virtual void setExpression(Expression* expression) = 0;
    /// A copy of the format, for the caller.
    virtual std::unique_ptr<Format> clone() const = 0;
    /// Whether every dimension accepts the name at its position of the name list.
    virtual bool validate() const = 0;
    /// Writes the format into `element`, with `index` as its id.
    virtual void save(XmlSupport& xml, LONG const& index, XmlNode element) const = 0;
    /// Reads the format from the iterator's current element; dimensions are looked up in
    /// `cube`.
    virtual void load(NodeListIterator& iterator, Cube* cube) = 0;

protected:
    Format() = default;
    ///@{
    /// Copied only as part of a derived object.
    Format(Format const&) = default;
    Format& operator=(Format const&) = default;
    ///@}
};

}  // namespace ZELT_o
