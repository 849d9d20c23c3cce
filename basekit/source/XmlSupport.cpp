// XmlSupport over pugixml.
//
// pugixml is a forgiving parser: it accepts several top-level elements, text outside the root,
// unknown entity references, '<' in attribute values and duplicate attributes, and it does not
// check the encoding. A DOM caller relies on malformed text being refused (a transition stores
// a parameter as a child element only when its text is a document), so the parse below runs
// pugixml without entity decoding and then checks and decodes what pugixml lets through.
#include <basekit/XmlSupport.h>

#include <pugixml.hpp>

#include "Utf.h"
#include "XmlWalk.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <istream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_comments | pugi::parse_pi |
                                   pugi::parse_declaration | pugi::parse_doctype | pugi::parse_eol |
                                   pugi::parse_wconv_attribute | pugi::parse_fragment;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// UTF-16 text as UTF-8; false when a surrogate is unpaired, which XML cannot carry.
bool toUtf8Strictly(std::u16string_view text, std::string& out) {
    bool valid = false;
    out = basekit::utf16ToUtf8(text, &valid);
    return valid;
}

// Whether `utf8` is well-formed UTF-8 holding only characters XML allows raw: anything else
// makes a document malformed. Checked in place, without decoding into another string.
bool isXmlText(std::string_view utf8) {
    auto const* p = reinterpret_cast<unsigned char const*>(utf8.data());
    auto const* const end = p + utf8.size();
    while (p < end) {
        // Eight ASCII bytes at a time, none below a blank: most of any document.
        constexpr std::uint64_t kHighBits = 0x8080808080808080u;
        constexpr std::uint64_t kBlanks = 0x2020202020202020u;
        if (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            if (((word | (word - kBlanks)) & kHighBits) == 0) {
                p += 8;
                continue;
            }
        }
        unsigned char const lead = *p;
        if (lead < 0x80) {
            if (lead < 0x20 && lead != '\t' && lead != '\n' && lead != '\r') {
                return false;
            }
            ++p;
            continue;
        }
        std::size_t length = 0;
        unsigned long cp = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            cp = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            cp = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            cp = lead & 0x07u;
        } else {
            return false;
        }
        if (static_cast<std::size_t>(end - p) < length) {
            return false;
        }
        for (std::size_t i = 1; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (p[i] & 0x3Fu);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        bool const overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
        if (overlong || !basekit::detail::isScalarValue(cp) || cp == 0xFFFE || cp == 0xFFFF) {
            return false;
        }
        p += length;
    }
    return true;
}

// Decodes the entity and character references of raw text or attribute content. False when
// a reference is not one XML defines without a DTD, or when an attribute holds a '<'.
bool decodeReferences(std::string_view raw, bool attribute, std::string& out) {
    out.clear();
    out.reserve(raw.size());
    std::size_t i = 0;
    while (i < raw.size()) {
        char const c = raw[i];
        if (c == '<' && attribute) {
            return false;
        }
        if (c != '&') {
            out.push_back(c);
            ++i;
            continue;
        }
        std::size_t const end = raw.find(';', i);
        if (end == std::string_view::npos) {
            return false;
        }
        std::string_view const ref = raw.substr(i + 1, end - i - 1);
        i = end + 1;
        if (ref == "lt") {
            out.push_back('<');
        } else if (ref == "gt") {
            out.push_back('>');
        } else if (ref == "amp") {
            out.push_back('&');
        } else if (ref == "quot") {
            out.push_back('"');
        } else if (ref == "apos") {
            out.push_back('\'');
        } else if (ref.size() >= 2 && ref[0] == '#') {
            bool const hex = ref[1] == 'x';
            std::string_view const digits = ref.substr(hex ? 2 : 1);
            unsigned long cp = 0;
            auto const [ptr, ec] =
                std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
            if (digits.empty() || ec != std::errc() || ptr != digits.data() + digits.size() ||
                cp == 0 || !basekit::detail::isScalarValue(cp)) {
                return false;
            }
            // Control characters are accepted as references: the writer escapes them that way.
            basekit::detail::appendUtf8(out, cp);
        } else {
            return false;
        }
    }
    return true;
}

bool checkElement(pugi::xml_node element) {
    std::string decoded;
    std::size_t count = 0;
    for (pugi::xml_attribute attribute : element.attributes()) {
        ++count;
        std::string_view const raw = attribute.value();
        // Most values hold no reference and nothing to refuse.
        if (std::none_of(raw.begin(), raw.end(), [](char c) { return c == '&' || c == '<'; })) {
            continue;
        }
        if (!decodeReferences(raw, true, decoded)) {
            return false;
        }
        attribute.set_value(decoded.c_str());
    }
    if (count < 2) {
        return true;
    }
    // A few attributes, the usual case, are compared pairwise without a list.
    if (count <= 8) {
        for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
            for (pugi::xml_attribute b = a.next_attribute(); b; b = b.next_attribute()) {
                if (std::strcmp(a.name(), b.name()) == 0) {
                    return false;
                }
            }
        }
        return true;
    }
    std::vector<std::string_view> names;
    names.reserve(count);
    for (pugi::xml_attribute attribute : element.attributes()) {
        names.emplace_back(attribute.name());
    }
    std::sort(names.begin(), names.end());
    return std::adjacent_find(names.begin(), names.end()) == names.end();
}

bool checkNode(pugi::xml_node node) {
    switch (node.type()) {
        case pugi::node_element:
            return checkElement(node);
        case pugi::node_pcdata: {
            std::string_view const raw = node.value();
            if (raw.find("]]>") != std::string_view::npos) {
                return false;
            }
            if (raw.find('&') == std::string_view::npos) {
                return true;
            }
            std::string decoded;
            if (!decodeReferences(raw, false, decoded)) {
                return false;
            }
            node.set_value(decoded.c_str());
            return true;
        }
        case pugi::node_comment: {
            std::string_view const text = node.value();
            return text.find("--") == std::string_view::npos &&
                   (text.empty() || text.back() != '-');
        }
        case pugi::node_doctype:
        case pugi::node_declaration:
            // Documents with a DTD are refused: their entities could not be expanded.
            return false;
        default:
            return true;
    }
}

// version="1.x", then optionally an encoding name and standalone="yes"|"no", in that order.
bool checkDeclaration(pugi::xml_node declaration) {
    pugi::xml_attribute attribute = declaration.first_attribute();
    std::string_view const version = attribute.value();
    if (std::strcmp(attribute.name(), "version") != 0 || version.size() < 3 ||
        version.substr(0, 2) != "1." ||
        version.find_first_not_of("0123456789", 2) != std::string_view::npos) {
        return false;
    }
    attribute = attribute.next_attribute();
    if (attribute && std::strcmp(attribute.name(), "encoding") == 0) {
        std::string_view const name = attribute.value();
        auto const isLetter = [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        };
        if (name.empty() || !isLetter(name.front()) ||
            !std::all_of(name.begin(), name.end(), [&isLetter](char c) {
                return isLetter(c) || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
            })) {
            return false;
        }
        attribute = attribute.next_attribute();
    }
    if (attribute && std::strcmp(attribute.name(), "standalone") == 0) {
        std::string_view const value = attribute.value();
        if (value != "yes" && value != "no") {
            return false;
        }
        attribute = attribute.next_attribute();
    }
    return !attribute;
}

// Checks the top level: one element, no text, an optional declaration that opens the text.
bool checkTopLevel(pugi::xml_document& doc, std::string_view text) {
    int elements = 0;
    for (pugi::xml_node child = doc.first_child(); child; child = child.next_sibling()) {
        switch (child.type()) {
            case pugi::node_element:
                ++elements;
                break;
            case pugi::node_declaration:
                if (child != doc.first_child() || text.substr(0, 5) != "<?xml" ||
                    !checkDeclaration(child)) {
                    return false;
                }
                break;
            case pugi::node_comment:
            case pugi::node_pi:
                break;
            default:
                return false;
        }
    }
    if (elements != 1) {
        return false;
    }
    // A declaration read in is not kept: addVersion decides what save_all writes.
    if (doc.first_child().type() == pugi::node_declaration) {
        doc.remove_child(doc.first_child());
    }
    return true;
}

// Parses UTF-8 text into `doc`; false when the text is not a well-formed document.
bool parseUtf8(std::string_view text, pugi::xml_document& doc) {
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        text.remove_prefix(kUtf8Bom.size());
    }
    if (!isXmlText(text)) {
        return false;
    }
    pugi::xml_parse_result const result =
        doc.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8);
    return result.status == pugi::status_ok && checkTopLevel(doc, text) &&
           basekit::detail::visitDescendants(doc, checkNode);
}

// Stream bytes as UTF-8: a UTF-16 byte order mark selects that encoding, anything else is UTF-8.
bool streamBytesToUtf8(std::string& bytes, std::string& utf8) {
    bool const little = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
    bool const big = bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF';
    if (!little && !big) {
        utf8 = std::move(bytes);
        return true;
    }
    if (bytes.size() % 2 != 0) {
        return false;
    }
    std::u16string text;
    text.reserve(bytes.size() / 2 - 1);
    for (std::size_t i = 2; i < bytes.size(); i += 2) {
        auto const first = static_cast<unsigned char>(bytes[i]);
        auto const second = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(little ? static_cast<char16_t>(first | (second << 8))
                              : static_cast<char16_t>((first << 8) | second));
    }
    return toUtf8Strictly(text, utf8);
}

// The shortest text that reads back as exactly the same value; infinities and NaN in the
// forms XML Schema uses.
template <typename Real>
std::string realToText(Real value) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-INF" : "INF";
    }
    char buffer[64];
    auto const result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

XmlNode wrap(pugi::xml_node node) {
    return XmlNode(node.internal_object());
}

pugi::xml_node unwrap(XmlNode node) {
    return pugi::xml_node(node.raw());
}

}  // namespace

struct XmlSupport::Impl {
    std::unique_ptr<pugi::xml_document> owned;  // null when the document is someone else's
    pugi::xml_node document;                    // the document node in use, owned or not

    void own(std::unique_ptr<pugi::xml_document> doc) {
        owned = std::move(doc);
        document = owned ? static_cast<pugi::xml_node>(*owned) : pugi::xml_node();
    }

    // A moved-from XmlSupport has no Impl; it behaves as one without a document.
    static pugi::xml_node documentOf(std::unique_ptr<Impl> const& impl) {
        return impl ? impl->document : pugi::xml_node();
    }
    static Impl& get(std::unique_ptr<Impl>& impl) {
        if (!impl) {
            impl = std::make_unique<Impl>();
        }
        return *impl;
    }
};

XmlSupport::XmlSupport() : fImpl(std::make_unique<Impl>()) {}

XmlSupport::XmlSupport(XmlNode node) : fImpl(std::make_unique<Impl>()) {
    fImpl->document = unwrap(node).root();
}

XmlSupport::~XmlSupport() = default;
XmlSupport::XmlSupport(XmlSupport&& other) noexcept = default;
XmlSupport& XmlSupport::operator=(XmlSupport&& other) noexcept = default;

bool XmlSupport::createDocument() {
    Impl::get(fImpl).own(std::make_unique<pugi::xml_document>());
    fLoaded = false;
    return true;
}

bool XmlSupport::readXml(PovaString const& text) {
    std::u16string_view content = text.wstring();
    if (!content.empty() && content.front() == u'\uFEFF') {
        content.remove_prefix(1);
    }
    auto doc = std::make_unique<pugi::xml_document>();
    std::string utf8;
    bool const ok = toUtf8Strictly(content, utf8) && parseUtf8(utf8, *doc);
    if (!ok) {
        doc->reset();
    }
    Impl::get(fImpl).own(std::move(doc));
    fLoaded = ok;
    return ok;
}

bool XmlSupport::readXml(std::istream& stream) {
    std::string bytes;
    bool ok = static_cast<bool>(stream);
    if (ok) {
        // In blocks: a character at a time costs more than the parse.
        char block[16384];
        while (stream.read(block, sizeof block) || stream.gcount() > 0) {
            bytes.append(block, static_cast<std::size_t>(stream.gcount()));
        }
        ok = !stream.bad();
    }
    auto doc = std::make_unique<pugi::xml_document>();
    std::string utf8;
    ok = ok && streamBytesToUtf8(bytes, utf8) && parseUtf8(utf8, *doc);
    if (!ok) {
        doc->reset();
    }
    Impl::get(fImpl).own(std::move(doc));
    fLoaded = ok;
    return ok;
}

bool XmlSupport::initializeFromNode(XmlNode node) {
    // Copy before replacing: `node` may belong to the document being replaced.
    auto doc = std::make_unique<pugi::xml_document>();
    pugi::xml_node const source = unwrap(node);
    bool ok = false;
    if (source.type() == pugi::node_document) {
        ok = true;
        for (pugi::xml_node child : source.children()) {
            ok = doc->append_copy(child) && ok;
        }
    } else if (source) {
        ok = static_cast<bool>(doc->append_copy(source));
    }
    if (!ok) {
        doc->reset();
    }
    Impl::get(fImpl).own(std::move(doc));
    fLoaded = ok;
    return ok;
}

bool XmlSupport::save_all(std::ostream& stream) const {
    pugi::xml_node const doc = Impl::documentOf(fImpl);
    pugi::xml_node const element = unwrap(documentElement());
    if (!element || !stream) {
        return false;
    }
    if (doc.first_child().type() == pugi::node_declaration) {
        stream << "<?xml version=\"1.0\"?>\n";
    }
    // Written raw: indentation would grow with the depth of nested elements, so a deep tree
    // (an expression of many levels) would take space quadratic in its size.
    element.print(stream, "", pugi::format_raw, pugi::encoding_utf8);
    stream << '\n';
    stream.flush();
    return stream.good();
}

PovaString XmlSupport::xml() const {
    std::ostringstream out;
    if (!save_all(out)) {
        return {};
    }
    return PovaString(std::string_view(out.str()));
}

void XmlSupport::addVersion() {
    if (!hasDocument()) {
        Impl::get(fImpl).own(std::make_unique<pugi::xml_document>());
    }
    pugi::xml_node doc = Impl::documentOf(fImpl);
    if (doc.first_child().type() == pugi::node_declaration) {
        return;
    }
    doc.prepend_child(pugi::node_declaration).append_attribute("version").set_value("1.0");
}

void XmlSupport::clear() {
    if (fImpl) {
        fImpl->own(nullptr);
    }
    fLoaded = false;
}

bool XmlSupport::hasDocument() const {
    return static_cast<bool>(Impl::documentOf(fImpl));
}

XmlNode XmlSupport::documentNode() const {
    return wrap(Impl::documentOf(fImpl));
}

XmlNode XmlSupport::documentElement() const {
    for (pugi::xml_node child : Impl::documentOf(fImpl).children()) {
        if (child.type() == pugi::node_element) {
            return wrap(child);
        }
    }
    return {};
}

XmlNode XmlSupport::createElement(XmlName const& name) {
    if (!hasDocument()) {
        Impl::get(fImpl).own(std::make_unique<pugi::xml_document>());
    }
    // A top-level element after the first one is how a detached element is represented.
    return documentNode().appendElement(name);
}

bool XmlSupport::getList(XmlName const& name, XmlNodeList& list) const {
    list.clear();
    if (!hasDocument()) {
        return false;
    }
    // Searching from the document element leaves out detached elements, as a DOM does.
    XmlNode const root = documentElement();
    if (!root) {
        return true;
    }
    std::string_view const key = name.c_str();
    if (key == "*" || root.name() == PovaString(key)) {
        list.push_back(root);
    }
    XmlNodeList const below = root.descendants(name);
    list.insert(list.end(), below.begin(), below.end());
    return true;
}

bool XmlSupport::getList(XmlName const& name, XmlNodeList& list, LONG& count) const {
    bool const ok = getList(name, list);
    count = static_cast<LONG>(list.size());
    return ok;
}

XmlNodeList XmlSupport::getNodeList(XmlName const& name) const {
    XmlNodeList list;
    getList(name, list);
    return list;
}

XmlNodeList XmlSupport::getChildList(XmlNode node) {
    return node.childNodes();
}

XmlAttributeMap XmlSupport::getAttribMap(XmlNode node) {
    return node.attributes();
}

bool XmlSupport::getAttributeFromMap(XmlAttributeMap const& map, PovaString const& name,
                                     PovaString& value) {
    auto const found = std::find_if(map.begin(), map.end(),
                                    [&name](auto const& entry) { return entry.first == name; });
    if (found == map.end()) {
        return false;
    }
    value = found->second;
    return true;
}

XmlNode XmlSupport::findChild(XmlNode element, XmlName const& name) {
    return element.findChild(name);
}

XmlNode XmlSupport::addAChild(XmlNode element, XmlName const& name) {
    return element.appendElement(name);
}

void XmlSupport::write_to(XmlNode element, XmlName const& name, PovaString const& value) {
    element.setAttribute(name, value);
}

void XmlSupport::write_to(XmlNode element, XmlName const& name, char const* value) {
    std::string_view const text = value != nullptr ? value : "";
    // Text that is not UTF-8 goes through the string class, which repairs it.
    if (isXmlText(text)) {
        element.setAttributeUtf8(name, text);
    } else {
        element.setAttribute(name, PovaString(value));
    }
}

void XmlSupport::write_to(XmlNode element, XmlName const& name, LONG value) {
    char text[16];
    auto const result = std::to_chars(std::begin(text), std::end(text), value);
    element.setAttributeUtf8(name,
                             std::string_view(text, static_cast<std::size_t>(result.ptr - text)));
}

void XmlSupport::write_to(XmlNode element, XmlName const& name, double value) {
    element.setAttributeUtf8(name, realToText(value));
}

void XmlSupport::write_to(XmlNode element, XmlName const& name, float value) {
    element.setAttributeUtf8(name, realToText(value));
}

void XmlSupport::write_to(XmlNode element, XmlName const& name, bool value) {
    element.setAttributeUtf8(name, value ? "true" : "false");
}
