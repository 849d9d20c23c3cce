/// @file
/// NodeListIterator walks a node list and reads named values (attributes) of its current node.
#pragma once

#include <basekit/OleAuto.h>
#include <basekit/PovaString.h>
#include <basekit/WinTypes.h>
#include <basekit/XmlNode.h>
#include <basekit/basekit_export.h>

/// Walks a node list and reads named values (attributes) of its current node.
class BASEKIT_API NodeListIterator {
public:
    /// Starts at the first node of `list`.
    explicit NodeListIterator(XmlNodeList list = {});

    /// Back to the first node.
    void begin() { fPosition = 0; }
    /// Whether the walk is past the last node.
    bool atEnd() const { return fPosition >= fList.size(); }
    /// Moves to the next node (not past the end).
    NodeListIterator& operator++() {
        if (!atEnd()) {
            ++fPosition;
        }
        return *this;
    }
    /// The number of nodes.
    LONG size() const { return static_cast<LONG>(fList.size()); }
    /// The current node; null at the end.
    XmlNode iter() const { return atEnd() ? XmlNode() : fList[fPosition]; }
    /// The child nodes of the current node.
    XmlNodeList get_childList() const { return iter().childNodes(); }

    ///@{
    /// Reads an attribute of the current node. False when it is absent or does not convert
    /// (then `value` is untouched). Numbers must fill the whole text (surrounding white space
    /// aside) and fit the type; they are read in the C locale. Booleans accept "true"/"false" in
    /// any case and "1", "0", "-1".
    bool read(XmlName const& name, bool& value) const;
    bool read(XmlName const& name, LONG& value) const;
    bool read(XmlName const& name, double& value) const;
    bool read(XmlName const& name, float& value) const;
    bool read(XmlName const& name, PovaString& value) const;
    ///@}
    /// The attribute as a VT_BSTR variant (the caller clears it); false and VT_EMPTY when absent.
    /// `value` must be initialised: what it held is cleared first.
    bool get_attribute(XmlName const& name, VARIANT* value) const;

private:
    XmlNodeList fList;
    std::size_t fPosition = 0;
};
