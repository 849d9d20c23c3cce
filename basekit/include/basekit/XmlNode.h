/// @class XmlNode
/// A handle to one node of a document held by an XmlSupport.
///
/// A handle does not own its node; it stays valid while the document lives and the node is not
/// removed. A default handle is null: every query on it answers "absent" and every change is
/// ignored. A name that is not an XML name is refused likewise (no element, no attribute), so
/// that a saved document always reads back.
#pragma once

#include <basekit/OleAuto.h>
#include <basekit/PovaString.h>
#include <basekit/basekit_export.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pugi {
struct xml_node_struct;
}

/// An element or attribute name as documents store it (UTF-8). A literal name is used as it
/// stands; any other is converted once. Names are only passed along, never kept: a name made
/// from a temporary lives as long as the call it is passed to.
class BASEKIT_API XmlName {
public:
    ///@{
    /// A name given as UTF-8 text (used as it stands) or as a string (converted).
    XmlName(char const* utf8) : fText(utf8 != nullptr ? utf8 : "") {}  // NOLINT: implicit
    XmlName(PovaString const& name);                                   // NOLINT: implicit
    ///@}
    XmlName(XmlName const&) = delete;
    XmlName& operator=(XmlName const&) = delete;

    /// The UTF-8 name.
    char const* c_str() const { return fText; }

private:
    std::string fConverted;
    char const* fText;
};

class XmlNode;
using XmlNodeList = std::vector<XmlNode>;
/// Attribute names and values of one element, in document order.
using XmlAttributeMap = std::vector<std::pair<PovaString, PovaString>>;

class BASEKIT_API XmlNode {
public:
    /// The kinds of node.
    enum class Kind { kNull, kDocument, kElement, kText, kComment, kOther };

    ///@{
    /// A null handle, or a handle of a node of the XML library.
    XmlNode() = default;
    explicit XmlNode(pugi::xml_node_struct* node) : fNode(node) {}
    ///@}

    /// Whether the handle is not null.
    explicit operator bool() const { return fNode != nullptr; }
    /// Whether both handles name the same node.
    bool operator==(XmlNode const& other) const { return fNode == other.fNode; }

    /// The node's kind (kNull for a null handle).
    Kind kind() const;
    /// Whether the node is an element.
    bool isElement() const { return kind() == Kind::kElement; }
    /// Whether the node is an element of that name (compared without converting it).
    bool isElement(XmlName const& name) const;
    /// The element's tag name; empty for other nodes.
    PovaString name() const;
    /// The text of a text node, or the concatenated text children of an element.
    PovaString text() const;
    /// Replaces an element's text content.
    void setText(PovaString const& text);

    /// Whether the element has the attribute.
    bool hasAttribute(XmlName const& name) const;
    /// The attribute's text; false when absent.
    bool getAttribute(XmlName const& name, PovaString& value) const;
    /// The attribute's text as a VT_BSTR variant; false (and VT_EMPTY) when absent. `value` must
    /// be initialised: what it held is cleared first.
    bool getAttribute(XmlName const& name, VARIANT* value) const;
    /// Sets an element's attribute, adding it when absent.
    void setAttribute(XmlName const& name, PovaString const& value);
    /// The same for text that is already UTF-8.
    void setAttributeUtf8(XmlName const& name, std::string_view utf8);
    /// The attribute's text as the document stores it (UTF-8), or null when absent; valid until
    /// the attribute changes.
    char const* attributeUtf8(XmlName const& name) const;
    /// Removes the attribute; false when it was absent.
    bool removeAttribute(XmlName const& name);
    /// The element's attributes, in document order.
    XmlAttributeMap attributes() const;

    ///@{
    /// The parent, the first child and the next sibling; null when there is none.
    XmlNode parent() const;
    XmlNode firstChild() const;
    XmlNode nextSibling() const;
    ///@}
    /// Every child node (elements, text, comments), in document order.
    XmlNodeList childNodes() const;
    /// The first child element with that name, or null.
    XmlNode findChild(XmlName const& name) const;
    /// Element descendants with that name ("*": every element), in document order.
    XmlNodeList descendants(XmlName const& name) const;

    /// Appends a new child element.
    XmlNode appendElement(XmlName const& name);
    /// Appends `node` as the last child. A node of the same document is moved; a node of
    /// another document is deep-copied. Returns the appended node (null on failure, such as
    /// appending a node into its own subtree).
    XmlNode appendChild(XmlNode const& node);
    /// Appends a deep copy of `node` (of any document).
    XmlNode appendCopy(XmlNode const& node);
    /// Removes a child node and its subtree.
    bool removeChild(XmlNode const& child);

    /// The document node that holds this node.
    XmlNode document() const;

    /// The node of the XML library (for basekit's own code).
    pugi::xml_node_struct* raw() const { return fNode; }

private:
    pugi::xml_node_struct* fNode = nullptr;
};
