// XmlNode: thin handle over a pugixml node. pugixml's own handles are already null-safe, so
// most operations only convert names and text between UTF-16 and the document's UTF-8.
#include <basekit/XmlNode.h>

#include <pugixml.hpp>

#include "XmlWalk.h"

#include <cstring>
#include <string>
#include <string_view>

namespace {

pugi::xml_node handle(pugi::xml_node_struct* node) {
    return pugi::xml_node(node);
}

XmlNode wrap(pugi::xml_node node) {
    return XmlNode(node.internal_object());
}

PovaString fromUtf8(char const* text) {
    return PovaString(std::string_view(text));
}

bool isNameStart(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
}

bool isNameChar(unsigned char c) {
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// pugixml stores any name it is given; refusing the ones its parser would reject keeps every
// saved document readable again.
bool isXmlName(std::string_view name) {
    if (name.empty() || !isNameStart(static_cast<unsigned char>(name.front()))) {
        return false;
    }
    for (char c : name) {
        if (!isNameChar(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

bool isText(pugi::xml_node node) {
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

}  // namespace

XmlName::XmlName(PovaString const& name) : fConverted(name.string()), fText(fConverted.c_str()) {}

XmlNode::Kind XmlNode::kind() const {
    switch (handle(fNode).type()) {
        case pugi::node_null:
            return Kind::kNull;
        case pugi::node_document:
            return Kind::kDocument;
        case pugi::node_element:
            return Kind::kElement;
        case pugi::node_pcdata:
        case pugi::node_cdata:
            return Kind::kText;
        case pugi::node_comment:
            return Kind::kComment;
        default:
            return Kind::kOther;
    }
}

bool XmlNode::isElement(XmlName const& name) const {
    pugi::xml_node const node = handle(fNode);
    return node.type() == pugi::node_element && std::strcmp(node.name(), name.c_str()) == 0;
}

PovaString XmlNode::name() const {
    pugi::xml_node const node = handle(fNode);
    return node.type() == pugi::node_element ? fromUtf8(node.name()) : PovaString();
}

PovaString XmlNode::text() const {
    pugi::xml_node const node = handle(fNode);
    switch (node.type()) {
        case pugi::node_element:
        case pugi::node_document: {
            std::string joined;
            for (pugi::xml_node child : node.children()) {
                if (isText(child)) {
                    joined += child.value();
                }
            }
            return PovaString(std::string_view(joined));
        }
        case pugi::node_null:
            return PovaString();
        default:
            return fromUtf8(node.value());
    }
}

void XmlNode::setText(PovaString const& text) {
    pugi::xml_node node = handle(fNode);
    if (node.type() != pugi::node_element) {
        if (kind() == Kind::kText || kind() == Kind::kComment) {
            node.set_value(text.string().c_str());
        }
        return;
    }
    for (pugi::xml_node child = node.first_child(); child;) {
        pugi::xml_node const next = child.next_sibling();
        if (isText(child)) {
            node.remove_child(child);
        }
        child = next;
    }
    if (!text.empty()) {
        node.prepend_child(pugi::node_pcdata).set_value(text.string().c_str());
    }
}

bool XmlNode::hasAttribute(XmlName const& name) const {
    return static_cast<bool>(handle(fNode).attribute(name.c_str()));
}

char const* XmlNode::attributeUtf8(XmlName const& name) const {
    pugi::xml_attribute const attribute = handle(fNode).attribute(name.c_str());
    return attribute ? attribute.value() : nullptr;
}

bool XmlNode::getAttribute(XmlName const& name, PovaString& value) const {
    char const* text = attributeUtf8(name);
    if (text == nullptr) {
        return false;
    }
    value = fromUtf8(text);
    return true;
}

bool XmlNode::getAttribute(XmlName const& name, VARIANT* value) const {
    if (value == nullptr) {
        return false;
    }
    if (FAILED(VariantClear(value))) {
        VariantInit(value);
    }
    PovaString text;
    if (!getAttribute(name, text)) {
        return false;
    }
    BSTR const bstr = SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
    if (bstr == nullptr) {
        return false;
    }
    value->vt = VT_BSTR;
    value->bstrVal = bstr;
    return true;
}

void XmlNode::setAttribute(XmlName const& name, PovaString const& value) {
    setAttributeUtf8(name, value.string());
}

void XmlNode::setAttributeUtf8(XmlName const& name, std::string_view utf8) {
    pugi::xml_node node = handle(fNode);
    if (node.type() != pugi::node_element || !isXmlName(name.c_str())) {
        return;
    }
    pugi::xml_attribute attribute = node.attribute(name.c_str());
    if (!attribute) {
        attribute = node.append_attribute(name.c_str());
    }
    attribute.set_value(utf8.data(), utf8.size());
}

bool XmlNode::removeAttribute(XmlName const& name) {
    return handle(fNode).remove_attribute(name.c_str());
}

XmlAttributeMap XmlNode::attributes() const {
    XmlAttributeMap map;
    for (pugi::xml_attribute attribute : handle(fNode).attributes()) {
        map.emplace_back(fromUtf8(attribute.name()), fromUtf8(attribute.value()));
    }
    return map;
}

XmlNode XmlNode::parent() const {
    return wrap(handle(fNode).parent());
}

XmlNode XmlNode::firstChild() const {
    return wrap(handle(fNode).first_child());
}

XmlNode XmlNode::nextSibling() const {
    return wrap(handle(fNode).next_sibling());
}

XmlNodeList XmlNode::childNodes() const {
    XmlNodeList list;
    for (pugi::xml_node child : handle(fNode).children()) {
        list.push_back(wrap(child));
    }
    return list;
}

XmlNode XmlNode::findChild(XmlName const& name) const {
    std::string_view const key = name.c_str();
    for (pugi::xml_node child : handle(fNode).children()) {
        if (child.type() == pugi::node_element && key == child.name()) {
            return wrap(child);
        }
    }
    return {};
}

XmlNodeList XmlNode::descendants(XmlName const& name) const {
    XmlNodeList list;
    std::string_view const key = name.c_str();
    bool const any = key == "*";
    basekit::detail::visitDescendants(handle(fNode), [&](pugi::xml_node node) {
        if (node.type() == pugi::node_element && (any || key == node.name())) {
            list.push_back(wrap(node));
        }
        return true;
    });
    return list;
}

XmlNode XmlNode::appendElement(XmlName const& name) {
    if (!isXmlName(name.c_str())) {
        return {};
    }
    return wrap(handle(fNode).append_child(name.c_str()));
}

XmlNode XmlNode::appendChild(XmlNode const& node) {
    pugi::xml_node parent = handle(fNode);
    pugi::xml_node const child = handle(node.fNode);
    if (!parent || !child) {
        return {};
    }
    // Moving keeps handles to the node valid; a node of another document can only be copied.
    if (parent.root() == child.root()) {
        return wrap(parent.append_move(child));
    }
    return wrap(parent.append_copy(child));
}

XmlNode XmlNode::appendCopy(XmlNode const& node) {
    return wrap(handle(fNode).append_copy(handle(node.fNode)));
}

bool XmlNode::removeChild(XmlNode const& child) {
    pugi::xml_node parent = handle(fNode);
    pugi::xml_node const node = handle(child.fNode);
    if (!parent || !node || node.parent() != parent) {
        return false;
    }
    return parent.remove_child(node);
}

XmlNode XmlNode::document() const {
    return wrap(handle(fNode).root());
}
