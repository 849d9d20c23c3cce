/// @class XmlSupport
/// A DOM document and the helpers every persistent object reads and writes with.
///
/// An XmlSupport either owns its document (createDocument, readXml, initializeFromNode) or wraps
/// the document of a node given to its constructor without owning it. Values written with
/// write_to are attributes of the element; read and get_attribute (NodeListIterator) read them
/// back under the same name. Doubles and floats round-trip exactly; booleans are "true"/"false".
///
/// Elements made by createElement are detached until appended somewhere; the document's element
/// is its first top-level element, and save_all writes only that one.
/// Not thread-safe: one thread uses a document at a time.
#pragma once

#include <basekit/PovaString.h>
#include <basekit/WinTypes.h>
#include <basekit/XmlNode.h>
#include <basekit/basekit_export.h>

#include <iosfwd>
#include <memory>

class BASEKIT_API XmlSupport {
public:
    XmlSupport();
    /// Wraps the document holding `node`, without owning it.
    explicit XmlSupport(XmlNode node);
    ~XmlSupport();
    ///@{
    /// Takes over the other's document; the other is left without one.
    XmlSupport(XmlSupport&& other) noexcept;
    XmlSupport& operator=(XmlSupport&& other) noexcept;
    ///@}
    XmlSupport(XmlSupport const&) = delete;
    XmlSupport& operator=(XmlSupport const&) = delete;

    /// Starts a new, empty, owned document. Always succeeds.
    bool createDocument();
    ///@{
    /// Replaces the document with the parsed text. On malformed text returns false and leaves
    /// an empty document that is not loaded. A stream is UTF-8 unless a byte order mark says
    /// UTF-16. Documents with a DTD are refused.
    bool readXml(PovaString const& text);
    bool readXml(std::istream& stream);
    ///@}
    /// Replaces the document with a deep copy of `node` (of a document node: of its children).
    bool initializeFromNode(XmlNode node);
    /// Writes the version declaration (when added) and the document element. False when the
    /// stream fails or there is no document.
    bool save_all(std::ostream& stream) const;
    /// The same text as save_all, as a string.
    PovaString xml() const;
    /// Adds the version declaration <?xml version="1.0"?> at the top (once).
    void addVersion();

    /// Whether the document came from a successful readXml or initializeFromNode (or was
    /// marked so).
    bool loaded() const { return fLoaded; }
    /// Marks the document as loaded, or not.
    void setLoaded(bool loaded) { fLoaded = loaded; }
    /// Drops the document (an owned one is destroyed) and the loaded mark.
    void clear();
    /// Whether there is a document.
    bool hasDocument() const;

    /// The document node, or null.
    XmlNode documentNode() const;
    /// The first top-level element, or null.
    XmlNode documentElement() const;
    /// A new element of this document, detached until appended (see the class comment). When
    /// the document has no element yet, the new element becomes it.
    XmlNode createElement(XmlName const& name);

    ///@{
    /// Elements named `name` ("*": every element) in the document element's tree, in document
    /// order; detached elements are not included. `count` receives the number found. False
    /// when there is no document.
    bool getList(XmlName const& name, XmlNodeList& list) const;
    bool getList(XmlName const& name, XmlNodeList& list, LONG& count) const;
    ///@}
    /// getList's elements, as a list.
    XmlNodeList getNodeList(XmlName const& name) const;
    /// Every child node of `node`, in document order.
    static XmlNodeList getChildList(XmlNode node);
    /// The attributes of `node`, in document order.
    static XmlAttributeMap getAttribMap(XmlNode node);
    /// The value of the attribute named `name` in `map`; false when absent.
    static bool getAttributeFromMap(XmlAttributeMap const& map, PovaString const& name,
                                    PovaString& value);
    /// The first child element of `element` named `name`, or null.
    static XmlNode findChild(XmlNode element, XmlName const& name);
    /// Appends and returns a new child element.
    static XmlNode addAChild(XmlNode element, XmlName const& name);

    ///@{
    /// Writes a value as an attribute of `element`: text as it is, numbers in the C locale (doubles
    /// and floats so that they read back exactly), booleans as "true" or "false".
    static void write_to(XmlNode element, XmlName const& name, PovaString const& value);
    static void write_to(XmlNode element, XmlName const& name, char const* value);
    static void write_to(XmlNode element, XmlName const& name, LONG value);
    static void write_to(XmlNode element, XmlName const& name, double value);
    static void write_to(XmlNode element, XmlName const& name, float value);
    static void write_to(XmlNode element, XmlName const& name, bool value);
    ///@}

private:
    struct Impl;
    std::unique_ptr<Impl> fImpl;
    bool fLoaded = false;
};
