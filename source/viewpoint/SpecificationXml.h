// XML pieces the specifications (sorts, filters, formats) read and write alike: their "Vector"
// lists of names, dimensions and hierarchies, their child elements and attribute reads.
#pragma once

#include <basekit/BaseError.h>
#include <basekit/PovaString.h>
#include <basekit/XmlNode.h>
#include <basekit/XmlSupport.h>

#include <vector>

namespace common::spec_xml {

// The attribute's text; empty when absent.
inline PovaString attribute(XmlNode element, char const* name) {
    PovaString value;
    element.getAttribute(name, value);
    return value;
}

// The children of a specification's element, every one of which must be an element (else
// E_FAIL).
inline std::vector<XmlNode> childElements(XmlNode node) {
    std::vector<XmlNode> children = node.childNodes();
    for (XmlNode const& child : children) {
        if (!child.isElement()) {
            throw ResultError(E_FAIL);
        }
    }
    return children;
}

// A new child "Vector" whose "UniqueName" says which list it holds.
inline XmlNode addVector(XmlNode element, char const* uniqueName) {
    XmlNode vector = XmlSupport::addAChild(element, "Vector");
    XmlSupport::write_to(vector, "UniqueName", uniqueName);
    return vector;
}

// "NameVec": one "UniqueName" child per name, holding it as "SpecName"; nothing for no names.
inline void writeNames(XmlNode element, std::vector<PovaString> const& names) {
    if (names.empty()) {
        return;
    }
    XmlNode const vector = addVector(element, "NameVec");
    for (PovaString const& name : names) {
        XmlSupport::write_to(XmlSupport::addAChild(vector, "UniqueName"), "SpecName", name);
    }
}

// A list of dimensions or hierarchies: one `child` per part, holding its "UniqueName"; a null
// part is left out when `skipNull`, else written with an empty name. Nothing for no parts.
template <class Part>
void writeParts(XmlNode element, char const* list, char const* child,
                std::vector<Part*> const& parts, bool skipNull) {
    if (parts.empty()) {
        return;
    }
    XmlNode const vector = addVector(element, list);
    for (Part const* part : parts) {
        if (part != nullptr || !skipNull) {
            XmlSupport::write_to(XmlSupport::addAChild(vector, child), "UniqueName",
                                 part != nullptr ? part->getUniqueName() : PovaString());
        }
    }
}

}  // namespace common::spec_xml
